// The end-to-end tests' target window: a plain focused window that writes
// every key and character it receives, and the text of each Ctrl+V paste,
// to a log file, one event a line, flushed at once:
//   down <vk> / up <vk> / char <text> / paste <text>
// Each down and up line comes after a line with the key's scan code and
// extended flag (0 or 1): scan down <vk> <scan> <extended> (or scan up ...).
// A V pressed with Ctrl and Alt is no paste.
// Usage: target_window.exe LOG_FILE
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

FILE* logFile = nullptr;

std::string Utf8(const wchar_t* text, int length) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

void Log(const std::string& line) {
  std::fprintf(logFile, "%s\n", line.c_str());
  std::fflush(logFile);
}

void LogScanCode(const char* kind, WPARAM key, LPARAM lParam) {
  Log(std::string("scan ") + kind + " " + std::to_string(key) + " " +
      std::to_string((lParam >> 16) & 0xFF) + " " + std::to_string((lParam >> 24) & 1));
}

std::string ClipboardText(HWND owner) {
  std::string text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = Utf8(wide, -1);
      if (!text.empty() && text.back() == '\0') text.pop_back();
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      LogScanCode("down", wParam, lParam);
      Log("down " + std::to_string(wParam));
      if (wParam == 'V' && (GetKeyState(VK_CONTROL) & 0x8000) && !(GetKeyState(VK_MENU) & 0x8000))
        Log("paste " + ClipboardText(hwnd));
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      LogScanCode("up", wParam, lParam);
      Log("up " + std::to_string(wParam));
      return 0;
    case WM_CHAR: {
      const wchar_t ch = static_cast<wchar_t>(wParam);
      if (ch >= 0x20) Log("char " + Utf8(&ch, 1));
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 2 || !(logFile = _wfopen(argv[1], L"a"))) return 2;

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = TargetProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"TavrelinTestTarget";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"TavrelinTestTarget", L"Tavrelin test target",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200, 400, 300, nullptr,
                                nullptr, instance, nullptr);
  SetForegroundWindow(window);
  SetFocus(window);
  Log("ready");

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  std::fclose(logFile);
  return 0;
}
