// The floor every footprint figure of Tavrelin is compared with: the least a
// resident hotkey program can be. One hidden window, one registered hotkey
// (Ctrl+Alt and the key given as a number), and on the hotkey one press of
// F13, the same observable effect the measured Tavrelin entry has.
// Usage: tavrelin_floor.exe [VK]   (F9 when no key is given)
#include <windows.h>

#include <cwchar>

namespace {

constexpr int kHotkeyId = 1;
constexpr BYTE kEffectKey = VK_F13;

LRESULT CALLBACK FloorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_HOTKEY:
      keybd_event(kEffectKey, 0, 0, 0);
      keybd_event(kEffectKey, 0, KEYEVENTF_KEYUP, 0);
      return 0;
    case WM_DESTROY:
      UnregisterHotKey(hwnd, kHotkeyId);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  const UINT given = static_cast<UINT>(std::wcstoul(commandLine, nullptr, 10));
  const UINT virtualKey = given ? given : VK_F9;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = FloorProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"TavrelinFloor";
  if (!RegisterClassW(&windowClass)) return 1;
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Floor", WS_OVERLAPPEDWINDOW, 0, 0,
                                100, 100, nullptr, nullptr, instance, nullptr);
  if (!window || !RegisterHotKey(window, kHotkeyId, MOD_CONTROL | MOD_ALT, virtualKey)) return 2;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
