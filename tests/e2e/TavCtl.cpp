// A small remote control for the end-to-end tests: chooses a menu command of
// the running program's main window, as a click on the menu item would.
// Usage: tavctl.exe command ID      (exit code 0 when the window was found)
//        tavctl.exe running         (exit code 0 while the main window exists)
#include <windows.h>

#include <shellapi.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  HWND mainWindow = FindWindowW(L"TMainForm", nullptr);
  if (argc >= 2 && std::wcscmp(argv[1], L"running") == 0)
    return mainWindow ? 0 : 1;
  if (argc >= 3 && std::wcscmp(argv[1], L"command") == 0) {
    if (!mainWindow)
      return 1;
    const WPARAM id = static_cast<WPARAM>(_wtoi(argv[2]));
    return PostMessageW(mainWindow, WM_COMMAND, id, 0) ? 0 : 1;
  }
  return 2;
}
