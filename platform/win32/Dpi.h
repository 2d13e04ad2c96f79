// Per-monitor DPI support that still starts on Windows 7: the functions of
// Windows 10 are looked up at run time, and each has a fallback that answers
// with the system DPI.
#pragma once

#include "platform/win32/WinApi.h"

namespace tav {

inline constexpr UINT kDefaultDpi = 96;

// The DPI of the window's monitor (per-monitor awareness), or of the system.
UINT DpiForWindow(HWND window);
// The DPI the system was started with.
UINT SystemDpi();

// A length given at 96 DPI, at `dpi`.
inline int ScaleForDpi(int value, UINT dpi) {
  return MulDiv(value, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

// AdjustWindowRectExForDpi, or AdjustWindowRectEx where it is missing.
bool AdjustWindowRectForDpi(RECT& rect, DWORD style, bool hasMenu, DWORD exStyle, UINT dpi);
// GetSystemMetricsForDpi, or the system metric scaled from the system DPI.
int SystemMetricForDpi(int index, UINT dpi);

// For a window created before Windows 10 1703's per-monitor v2 context took
// effect: lets the non-client area follow the monitor's DPI (per-monitor v1).
// Call at WM_NCCREATE; does nothing where the function is missing.
void EnableNonClientDpiScalingFor(HWND window);

// A system icon (IDI_SHIELD, say) drawn for `size` pixels; the caller owns
// it. LoadIconWithScaleDown where common controls 6 has it, else the shared
// icon copied at that size.
HICON LoadSystemIcon(const wchar_t* id, int size);

// WM_DPICHANGED: moves and sizes the window to the rectangle Windows suggests.
void ApplySuggestedDpiRect(HWND window, LPARAM suggestedRect);

}  // namespace tav
