// Base of every top-level window of the program: registers the window
// class, keeps `this` in the window's user data from WM_NCCREATE on, and
// hands every message to the object's HandleMessage.
#pragma once

#include "platform/win32/WinApi.h"

namespace tav {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }

  // Shows the window modally: `disabled` (if any) is disabled and the
  // messages of the thread are dispatched until EndModal. Dialog keys (Tab,
  // Enter, Esc) work through IsDialogMessage.
  void ShowModal(HWND disabled);
  bool IsModalShowing() const { return modalShowing_; }

 protected:
  // Registers the class once and creates the window.
  bool CreateWindowOfClass(const wchar_t* className, const wchar_t* caption, DWORD style,
                           DWORD exStyle, int width, int height, HICON icon);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Ends ShowModal and hides the window.
  void EndModal();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  bool modalShowing_ = false;
  bool endModal_ = false;
};

}  // namespace tav
