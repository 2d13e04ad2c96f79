// Keeps a dialog disabled while one of its handlers may ask or tell the user
// something through the platform, whose message boxes have no owner: the
// dialog's buttons cannot be pressed a second time behind the box. The
// control that had the focus gets it back.
#pragma once

#include "platform/win32/WinApi.h"

namespace tav {

class DisabledWindow {
 public:
  explicit DisabledWindow(HWND window) : window_(window), focus_(GetFocus()) {
    EnableWindow(window_, FALSE);
  }
  ~DisabledWindow() {
    if (!IsWindow(window_)) return;
    EnableWindow(window_, TRUE);
    if (focus_ && IsChild(window_, focus_) && IsWindowVisible(window_)) SetFocus(focus_);
  }
  DisabledWindow(const DisabledWindow&) = delete;
  DisabledWindow& operator=(const DisabledWindow&) = delete;

 private:
  HWND window_;
  HWND focus_;
};

}  // namespace tav
