#include "app/TrayIcon.h"

#include <shellapi.h>

namespace tav {

TrayIcon::TrayIcon(HWND owner, UINT callbackMessage, HICON icon, const std::wstring& tip) {
  data_.cbSize = sizeof data_;
  data_.hWnd = owner;
  data_.uID = 1;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  lstrcpynW(data_.szTip, tip.c_str(), ARRAYSIZE(data_.szTip));
  Shell_NotifyIconW(NIM_ADD, &data_);
}

TrayIcon::~TrayIcon() {
  Shell_NotifyIconW(NIM_DELETE, &data_);
}

void TrayIcon::SetIcon(HICON icon) {
  data_.hIcon = icon;
  Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::SetIconAndTip(HICON icon, const std::wstring& tip) {
  data_.hIcon = icon;
  lstrcpynW(data_.szTip, tip.c_str(), ARRAYSIZE(data_.szTip));
  Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::ShowBalloon(const std::wstring& text) {
  NOTIFYICONDATAW balloon = data_;
  balloon.uFlags = NIF_INFO;
  balloon.dwInfoFlags = NIIF_INFO;
  lstrcpynW(balloon.szInfoTitle, L"Tavrelin", ARRAYSIZE(balloon.szInfoTitle));
  lstrcpynW(balloon.szInfo, text.c_str(), ARRAYSIZE(balloon.szInfo));
  Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

void TrayIcon::Restore() {
  Shell_NotifyIconW(NIM_ADD, &data_);
}

}  // namespace tav
