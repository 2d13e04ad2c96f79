// The notification-area icon: added on creation, removed on destruction. An
// icon that cannot be added yet (Explorer still starting at log-on) is added
// again later: on a timer whose interval grows, and when the taskbar is made.
#pragma once

#include "platform/win32/WinApi.h"

#include <functional>
#include <string>

namespace tav {

class TrayIcon {
 public:
  // Messages about the icon reach `owner` as `callbackMessage` with the
  // mouse message in lParam; the retries come as WM_TIMER `kRetryTimer`,
  // which the owner passes to Retry.
  // `notify` stands for Shell_NotifyIconW (tests give a shell that refuses).
  using Notify = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;
  TrayIcon(HWND owner, UINT callbackMessage, HICON icon, const std::wstring& tip,
           Notify notify = nullptr);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  static constexpr UINT_PTR kRetryTimer = 0x7472;
  // The first retry's delay; each further one waits twice as long, at most
  // kLongestRetryMs.
  static constexpr UINT kFirstRetryMs = 500;
  static constexpr UINT kLongestRetryMs = 30000;

  bool added() const { return added_; }
  // The delay before the next attempt to add the icon.
  UINT nextRetryMs() const { return retryMs_; }
  // The text of the last balloon handed to the shell.
  const std::wstring& lastBalloon() const { return lastBalloon_; }
  // The icon and the tip shown when the mouse rests on it, changed at once.
  void SetIconAndTip(HICON icon, const std::wstring& tip);
  std::wstring tip() const { return data_.szTip; }
  // A balloon with `title` and `text` beside the icon; kept until the icon
  // has been added when it is not there yet.
  void ShowBalloon(const std::wstring& title, const std::wstring& text);
  // The taskbar was made anew (Explorer started or restarted): the icon is
  // added again.
  void Restore();
  // The retry timer fired.
  void Retry();

 private:
  // NIM_ADD; on failure the retry timer is set with the next delay.
  void Add();
  void ScheduleRetry();

  Notify notify_;
  NOTIFYICONDATAW data_{};
  bool added_ = false;
  UINT retryMs_ = kFirstRetryMs;
  std::wstring pendingTitle_;
  std::wstring pendingText_;
  std::wstring lastBalloon_;
};

}  // namespace tav
