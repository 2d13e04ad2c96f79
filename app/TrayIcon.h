// The notification-area icon: added on creation, removed on destruction.
#pragma once

#include "platform/win32/WinApi.h"

#include <string>

namespace tav {

class TrayIcon {
 public:
  // Messages about the icon reach `owner` as `callbackMessage` with the
  // mouse message in lParam.
  TrayIcon(HWND owner, UINT callbackMessage, HICON icon, const std::wstring& tip);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void SetIcon(HICON icon);
  // The icon and the tip shown when the mouse rests on it, changed at once.
  void SetIconAndTip(HICON icon, const std::wstring& tip);
  std::wstring tip() const { return data_.szTip; }
  // A balloon beside the icon with the text, titled "Tavrelin".
  void ShowBalloon(const std::wstring& text);
  // Adds the icon again, e.g. after Explorer restarted.
  void Restore();

 private:
  NOTIFYICONDATAW data_{};
};

}  // namespace tav
