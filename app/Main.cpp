// Program start: the hidden main window with its tray icon, then the message
// loop until the main window closes.
#include "platform/win32/WinApi.h"

#include <chrono>
#include <string>

#include "app/EditorHost.h"
#include "app/MainForm.h"
#include "platform/win32/MessageLoop.h"
#include "platform/win32/Win32Platform.h"

namespace {

// The directory of the program file, ending in a backslash.
std::string ProgramDirectory(tav::Platform& platform) {
  const std::string file = platform.ProgramFileName();
  return file.substr(0, file.find_last_of('\\') + 1);
}

// Keeps the system timer at 1 ms while the program runs, so that script
// delays and waits are as long as asked for.
class TimerResolution {
 public:
  TimerResolution() { timeBeginPeriod(1); }
  ~TimerResolution() { timeEndPeriod(1); }
  TimerResolution(const TimerResolution&) = delete;
  TimerResolution& operator=(const TimerResolution&) = delete;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  TimerResolution timerResolution;

  tav::Win32Platform platform;
  tav::SchemeState scheme;
  // The password prompt first: opening a protected default scheme at start
  // needs it before any window has been shown.
  tav::TfrmLogin login(platform, scheme.rememberedPassword);
  tav::TMainForm mainForm(platform, ProgramDirectory(platform), login, scheme);
  if (!mainForm.Create()) return 1;
  tav::MainFormEditorHost editorHost(mainForm);
  const std::string programDirectory = ProgramDirectory(platform);
  tav::EditingDialogs editing(platform, programDirectory, editorHost,
                              tav::SchemeMenuCallbacksFor(mainForm));
  tav::ConnectEditingDialogs(mainForm, editing, programDirectory);

  tav::RunMessageLoop();
  platform.BeginShutdown();
  if (!mainForm.StopActions(std::chrono::seconds(3))) {
    // A script run is held by something that does not end (a message box of
    // its own): end the process, which ends every thread.
    ExitProcess(0);
  }
  return 0;
}
