// Program start: the folder the program's files live in, the hidden main
// window with its tray icon, then the message loop until the main window
// closes.
#include "platform/win32/WinApi.h"

#include <shlobj.h>

#include <chrono>
#include <memory>
#include <string>

#include "app/EditorHost.h"
#include "app/MainWindow.h"
#include "app/ScriptEditorLink.h"
#include "app/SingleInstance.h"
#include "editor/ScriptEditorWindow.h"
#include "help/HelpBinding.h"
#include "help/HelpTopics.h"
#include "platform/win32/MessageLoop.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinHandles.h"
#include "storage/DataFolder.h"

namespace {

// The directory of the program file, ending in a backslash.
std::string ProgramDirectory(tav::Platform& platform) {
  const std::string file = platform.ProgramFileName();
  return file.substr(0, file.find_last_of('\\') + 1);
}

// The user's folder for the program's files (…\AppData\Roaming\Tavrelin\);
// empty when the system names none.
std::string UserDataFolder() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                              SHGFP_TYPE_CURRENT, path))) {
    return std::string();
  }
  return tav::Narrow(path) + "\\Tavrelin\\";
}

// Where schemes, set.ini and scripts are kept; says so once when it is not
// the program folder, so that the user knows where to find them.
std::string ChooseFilesFolder(tav::Platform& platform) {
  const std::string programDirectory = ProgramDirectory(platform);
  const tav::DataFolder data = tav::ChooseDataFolder(
      programDirectory, tav::FolderIsWritable(programDirectory), UserDataFolder());
  if (data.firstUse) {
    platform.MessageBox("Tavrelin 所在的文件夹“" + programDirectory +
                            "”不能写入（例如位于 Program Files 下，或是只读的共享文件夹），"
                            "热键方案、设置和脚本无法保存在那里。\r\n\r\n"
                            "它们从现在起保存在：\r\n" +
                            data.path + "\r\n（已从程序文件夹复制了一份）。",
                        "Tavrelin 4.6.0 Final", tav::mb::kIconInformation);
  }
  return data.path;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything can call ShellExecuteW on this thread.
  tav::ComApartment com;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  tav::Win32Platform platform;
  // The program folder, or the user's own when that cannot be written; the
  // help file is there too.
  const std::string filesFolder = ChooseFilesFolder(platform);
  // One copy per folder of files: a second start hands over to the first.
  const tav::SingleInstance instance(filesFolder);
  if (instance.AnotherRuns()) {
    instance.ShowRunningCopy();
    return 0;
  }
  if (tav::UnblockHelpFile(tav::HelpFilePath(filesFolder)) == tav::HelpFileBlock::kBlocked) {
    platform.MessageBox(tav::kHelpFileBlocked, "Tavrelin 4.6.0 Final", tav::mb::kIconInformation);
  }
  tav::SchemeState scheme;
  // The password prompt first: opening a protected default scheme at start
  // needs it before any window has been shown.
  tav::PasswordPrompt login(platform, scheme.rememberedPassword);
  tav::MainWindow mainWindow(platform, filesFolder, login, scheme);
  if (!mainWindow.Create()) return 1;
  tav::MainWindowEditorHost editorHost(mainWindow);
  tav::EditingDialogs editing(platform, filesFolder, editorHost,
                              tav::SchemeMenuCallbacksFor(mainWindow));
  tav::ConnectEditingDialogs(mainWindow, editing, filesFolder);
  // Made on first use; the hotkey editor shows it when a script is edited.
  tav::ScriptEditorOnDemand scriptEditor([&] {
    auto editor = std::make_unique<tav::ScriptEditorWindow>(platform, filesFolder);
    tav::ScriptEditorWindow& made = *editor;
    made.hooks.showHelp = [&made, &filesFolder] {
      tav::ShowHelpTopic(made.hwnd(), filesFolder, tav::kScriptEditorTopic);
    };
    made.hooks.showAbout = [&made, &mainWindow] { mainWindow.ShowAboutBox(made.hwnd()); };
    return editor;
  });
  tav::LinkScriptEditor(scriptEditor, editing, platform);
  tav::RunMessageLoop();
  platform.BeginShutdown();
  if (!mainWindow.StopActions(std::chrono::seconds(3))) {
    // A script run is held by something that does not end (a message box of
    // its own): end the process, which ends every thread.
    ExitProcess(0);
  }
  return 0;
}
