// A small remote control for the end-to-end tests: chooses a menu command of
// the running program's main window, as a click on the menu item would, and
// looks at what the program shows and leaves behind.
// Usage: tavctl.exe command ID        (exit code 0 when the window was found)
//        tavctl.exe running           (exit code 0 while the main window exists)
//        tavctl.exe started           (exit code 0 once the start is done: a
//                                      scheme is open, or the program shows a
//                                      dialog box, e.g. the password prompt)
//        tavctl.exe visible           (exit code 0 while the main window is shown)
//        tavctl.exe hide              (sends the main window to the tray, as
//                                      its close box does)
//        tavctl.exe boxtext TITLE OUT (writes the texts of the dialog box titled
//                                      TITLE to OUT in UTF-8, one a line;
//                                      exit code 0 when the box was found)
//        tavctl.exe keydown VK        (exit code 0 while the system holds the
//                                      key down, 1 while it is up)
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// The dialog class of message boxes.
constexpr const wchar_t* kDialogClass = L"#32770";

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

// Collects the non-empty texts of a box's static controls (its message; the
// icon is a static control without text).
BOOL CALLBACK CollectStaticText(HWND child, LPARAM lParam) {
  wchar_t className[32] = {};
  GetClassNameW(child, className, 32);
  if (_wcsicmp(className, L"Static") != 0) return TRUE;
  const int length = GetWindowTextLengthW(child);
  if (length > 0) {
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(child, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    *reinterpret_cast<std::string*>(lParam) += Utf8(text) + "\n";
  }
  return TRUE;
}

int WriteBoxText(const wchar_t* title, const wchar_t* outFile) {
  HWND box = FindWindowW(kDialogClass, title);
  if (!box) return 1;
  std::string texts;
  EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
  FILE* out = _wfopen(outFile, L"wb");
  if (!out) return 2;
  std::fwrite(texts.data(), 1, texts.size(), out);
  std::fclose(out);
  return 0;
}

// Whether the program's start is done: the caption names the open scheme
// ("... -> 默认设置", "...->x.xml"), or a dialog box of the program is up.
bool StartDone(HWND mainWindow) {
  wchar_t caption[256] = {};
  GetWindowTextW(mainWindow, caption, 256);
  if (std::wcsstr(caption, L"->")) return true;
  DWORD program = 0;
  GetWindowThreadProcessId(mainWindow, &program);
  for (HWND box = FindWindowW(kDialogClass, nullptr); box;
       box = FindWindowExW(nullptr, box, kDialogClass, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(box, &owner);
    if (owner == program && IsWindowVisible(box)) return true;
  }
  return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc >= 4 && std::wcscmp(argv[1], L"boxtext") == 0) return WriteBoxText(argv[2], argv[3]);
  if (argc >= 3 && std::wcscmp(argv[1], L"keydown") == 0)
    return (GetAsyncKeyState(_wtoi(argv[2])) & 0x8000) ? 0 : 1;
  HWND mainWindow = FindWindowW(L"TMainForm", nullptr);
  if (argc >= 2 && std::wcscmp(argv[1], L"running") == 0) return mainWindow ? 0 : 1;
  if (argc >= 2 && std::wcscmp(argv[1], L"started") == 0)
    return mainWindow && StartDone(mainWindow) ? 0 : 1;
  if (argc >= 2 && std::wcscmp(argv[1], L"visible") == 0)
    return mainWindow && IsWindowVisible(mainWindow) ? 0 : 1;
  if (argc >= 2 && std::wcscmp(argv[1], L"hide") == 0)
    return mainWindow && PostMessageW(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
  if (argc >= 3 && std::wcscmp(argv[1], L"command") == 0) {
    if (!mainWindow) return 1;
    const WPARAM id = static_cast<WPARAM>(_wtoi(argv[2]));
    return PostMessageW(mainWindow, WM_COMMAND, id, 0) ? 0 : 1;
  }
  return 2;
}
