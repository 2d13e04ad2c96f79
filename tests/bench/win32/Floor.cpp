// The floor every footprint figure of Tavrelin is compared with: the least a
// resident hotkey program can be. One hidden window, one registered hotkey
// (Ctrl+Alt and the key given as a number), and on the hotkey one press of
// F13, the same observable effect the measured Tavrelin entry has.
// Usage: tavrelin_floor.exe [VK]   (F9 when no key is given)
//
// Built a second time with TAV_FLOOR_WITH_CONTROLS as the floor of a program
// that also has what any tray program with a window of controls pays for:
// the common controls 6 (through the same manifest as Tavrelin's) and a
// notification-area icon.
#include <windows.h>

#ifdef TAV_FLOOR_WITH_CONTROLS
#include <commctrl.h>
#include <shellapi.h>
#endif

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
#ifdef TAV_FLOOR_WITH_CONTROLS
      {
        NOTIFYICONDATAW tray{};
        tray.cbSize = sizeof tray;
        tray.hWnd = hwnd;
        tray.uID = 1;
        Shell_NotifyIconW(NIM_DELETE, &tray);
      }
#endif
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
  if (!window) return 2;
#ifdef TAV_FLOOR_WITH_CONTROLS
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  NOTIFYICONDATAW tray{};
  tray.cbSize = sizeof tray;
  tray.hWnd = window;
  tray.uID = 1;
  tray.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  tray.uCallbackMessage = WM_APP;
  tray.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  std::wcscpy(tray.szTip, L"Floor");
  // Without a tray (or with one slow to answer) the program goes on, as a
  // tray program must.
  Shell_NotifyIconW(NIM_ADD, &tray);
#endif
  if (!RegisterHotKey(window, kHotkeyId, MOD_CONTROL | MOD_ALT, virtualKey)) return 2;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
