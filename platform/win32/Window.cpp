#include "platform/win32/Window.h"

#include "platform/win32/Dpi.h"
#include "platform/win32/MessageLoop.h"

namespace tav {

Window::~Window() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool Window::CreateWindowOfClass(const wchar_t* className, const wchar_t* caption, DWORD style,
                                 DWORD exStyle, int width, int height, HICON icon) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  if (!GetClassInfoExW(instance, className, &windowClass)) {
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Window::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    if (!RegisterClassExW(&windowClass)) return false;
  }
  // Centred on the desktop.
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return CreateWindowExW(exStyle, className, caption, style, x, y, width, height, nullptr, nullptr,
                         instance, this) != nullptr;
}

void Window::ShowModal(HWND disabled) {
  const bool disable = disabled && IsWindowEnabled(disabled);
  if (disable) EnableWindow(disabled, FALSE);
  modalShowing_ = true;
  endModal_ = false;
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  MSG message;
  while (!endModal_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: leave the quit message for the main loop.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (HandleModelessDialogMessage(message)) continue;
    if (!hwnd_ || !IsDialogMessageW(hwnd_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  modalShowing_ = false;
  if (disable) EnableWindow(disabled, TRUE);
}

void Window::EndModal() {
  endModal_ = true;
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DPICHANGED) {
    // Moved to a monitor of another DPI: take the size Windows suggests; the
    // window's WM_SIZE then lays its controls out again.
    ApplySuggestedDpiRect(hwnd_, lParam);
    return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    EnableNonClientDpiScalingFor(hwnd);
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    const LRESULT result = self->HandleMessage(message, wParam, lParam);
    self->hwnd_ = nullptr;
    return result;
  }
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace tav
