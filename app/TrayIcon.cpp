#include "app/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>

namespace tav {

TrayIcon::TrayIcon(HWND owner, UINT callbackMessage, HICON icon, const std::wstring& tip,
                   Notify notify)
    : notify_(notify ? std::move(notify) : Notify(&Shell_NotifyIconW)) {
  data_.cbSize = sizeof data_;
  data_.hWnd = owner;
  data_.uID = 1;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  lstrcpynW(data_.szTip, tip.c_str(), ARRAYSIZE(data_.szTip));
  Add();
}

TrayIcon::~TrayIcon() {
  KillTimer(data_.hWnd, kRetryTimer);
  if (added_) notify_(NIM_DELETE, &data_);
}

void TrayIcon::Add() {
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  // An add that timed out may still have added the icon: then it can be changed.
  added_ = notify_(NIM_ADD, &data_) != 0 || notify_(NIM_MODIFY, &data_) != 0;
  if (!added_) {
    ScheduleRetry();
    return;
  }
  KillTimer(data_.hWnd, kRetryTimer);
  retryMs_ = kFirstRetryMs;
  if (!pendingText_.empty()) {
    const std::wstring title = std::move(pendingTitle_);
    const std::wstring text = std::move(pendingText_);
    pendingTitle_.clear();
    pendingText_.clear();
    ShowBalloon(title, text);
  }
}

void TrayIcon::ScheduleRetry() {
  SetTimer(data_.hWnd, kRetryTimer, retryMs_, nullptr);
}

void TrayIcon::SetIconAndTip(HICON icon, const std::wstring& tip) {
  data_.hIcon = icon;
  lstrcpynW(data_.szTip, tip.c_str(), ARRAYSIZE(data_.szTip));
  data_.uFlags = NIF_ICON | NIF_TIP;
  if (added_) notify_(NIM_MODIFY, &data_);
}

void TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
  if (!added_) {
    pendingTitle_ = title;
    pendingText_ = text;
    return;
  }
  NOTIFYICONDATAW balloon = data_;
  balloon.uFlags = NIF_INFO;
  lstrcpynW(balloon.szInfoTitle, title.c_str(), ARRAYSIZE(balloon.szInfoTitle));
  lstrcpynW(balloon.szInfo, text.c_str(), ARRAYSIZE(balloon.szInfo));
  balloon.dwInfoFlags = NIIF_INFO;
  if (notify_(NIM_MODIFY, &balloon)) lastBalloon_ = text;
}

void TrayIcon::Restore() {
  KillTimer(data_.hWnd, kRetryTimer);
  retryMs_ = kFirstRetryMs;
  Add();
}

void TrayIcon::Retry() {
  KillTimer(data_.hWnd, kRetryTimer);
  if (added_) return;
  // Explorer may take long to start: each retry waits longer, up to a limit.
  retryMs_ = std::min(retryMs_ * 2, kLongestRetryMs);
  Add();
}

}  // namespace tav
