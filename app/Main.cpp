// Program start: the hidden main window with its tray icon, then the message
// loop until the main window closes.
#include "platform/win32/WinApi.h"

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
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinHandles.h"

namespace {

// The directory of the program file, ending in a backslash.
std::string ProgramDirectory(tav::Platform& platform) {
  const std::string file = platform.ProgramFileName();
  return file.substr(0, file.find_last_of('\\') + 1);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything can call ShellExecuteW on this thread.
  tav::ComApartment com;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  tav::Win32Platform platform;
  const tav::SingleInstance instance(ProgramDirectory(platform));
  if (instance.AnotherRuns()) {
    instance.ShowRunningCopy();
    return 0;
  }
  tav::SchemeState scheme;
  // The password prompt first: opening a protected default scheme at start
  // needs it before any window has been shown.
  tav::PasswordPrompt login(platform, scheme.rememberedPassword);
  tav::MainWindow mainWindow(platform, ProgramDirectory(platform), login, scheme);
  if (!mainWindow.Create()) return 1;
  tav::MainWindowEditorHost editorHost(mainWindow);
  const std::string programDirectory = ProgramDirectory(platform);
  tav::EditingDialogs editing(platform, programDirectory, editorHost,
                              tav::SchemeMenuCallbacksFor(mainWindow));
  tav::ConnectEditingDialogs(mainWindow, editing, programDirectory);
  // Made on first use; the hotkey editor shows it when a script is edited.
  tav::ScriptEditorOnDemand scriptEditor([&] {
    auto editor = std::make_unique<tav::ScriptEditorWindow>(platform, programDirectory);
    tav::ScriptEditorWindow& made = *editor;
    made.hooks.showHelp = [&made, &programDirectory] {
      tav::ShowHelpTopic(made.hwnd(), programDirectory, tav::kScriptEditorTopic);
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
