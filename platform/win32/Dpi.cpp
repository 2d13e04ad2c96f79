#include "platform/win32/Dpi.h"

namespace tav {

namespace {

// The user32 functions of Windows 10, resolved once.
struct DpiFunctions {
  UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
  UINT(WINAPI* getDpiForSystem)() = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
  int(WINAPI* getSystemMetricsForDpi)(int, UINT) = nullptr;
  BOOL(WINAPI* enableNonClientDpiScaling)(HWND) = nullptr;

  DpiFunctions() {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return;
    Resolve(user32, "GetDpiForWindow", getDpiForWindow);
    Resolve(user32, "GetDpiForSystem", getDpiForSystem);
    Resolve(user32, "AdjustWindowRectExForDpi", adjustWindowRectExForDpi);
    Resolve(user32, "GetSystemMetricsForDpi", getSystemMetricsForDpi);
    Resolve(user32, "EnableNonClientDpiScaling", enableNonClientDpiScaling);
  }

  template <class Function>
  static void Resolve(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
};

const DpiFunctions& Functions() {
  static const DpiFunctions functions;
  return functions;
}

UINT ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

}  // namespace

UINT SystemDpi() {
  if (Functions().getDpiForSystem) return Functions().getDpiForSystem();
  static const UINT dpi = ScreenDpi();
  return dpi;
}

UINT DpiForWindow(HWND window) {
  if (window && Functions().getDpiForWindow) {
    const UINT dpi = Functions().getDpiForWindow(window);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

bool AdjustWindowRectForDpi(RECT& rect, DWORD style, bool hasMenu, DWORD exStyle, UINT dpi) {
  if (Functions().adjustWindowRectExForDpi) {
    return Functions().adjustWindowRectExForDpi(&rect, style, hasMenu, exStyle, dpi) != 0;
  }
  return AdjustWindowRectEx(&rect, style, hasMenu, exStyle) != 0;
}

int SystemMetricForDpi(int index, UINT dpi) {
  if (Functions().getSystemMetricsForDpi) return Functions().getSystemMetricsForDpi(index, dpi);
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

void EnableNonClientDpiScalingFor(HWND window) {
  if (Functions().enableNonClientDpiScaling) Functions().enableNonClientDpiScaling(window);
}

HICON LoadSystemIcon(const wchar_t* id, int size) {
  using LoadIconWithScaleDownFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const auto loadScaled = [] {
    const HMODULE comctl32 = GetModuleHandleW(L"comctl32.dll");
    return comctl32 ? reinterpret_cast<LoadIconWithScaleDownFunction>(reinterpret_cast<void*>(
                          GetProcAddress(comctl32, "LoadIconWithScaleDown")))
                    : nullptr;
  }();
  HICON icon = nullptr;
  if (loadScaled && SUCCEEDED(loadScaled(nullptr, id, size, size, &icon))) return icon;
  const auto shared =
      static_cast<HICON>(LoadImageW(nullptr, id, IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
  return shared ? static_cast<HICON>(CopyImage(shared, IMAGE_ICON, size, size, 0)) : nullptr;
}

void ApplySuggestedDpiRect(HWND window, LPARAM suggestedRect) {
  const RECT& rect = *reinterpret_cast<const RECT*>(suggestedRect);
  SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tav
