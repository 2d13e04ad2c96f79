// AboutBox: the about box. The banner picture (a JPEG resource decoded by
// libjpeg), the product name and version, the author's home page and mail
// address as hyperlink labels, the copyright line and "关闭".
#pragma once

#include "platform/win32/WinApi.h"

#include "platform/win32/Dialog.h"
#include "platform/win32/WinHandles.h"

namespace tav {

inline constexpr const char* kHomePage = "tavrelin.example.com";
inline constexpr const char* kMailAddress = "tavrelin@example.com";
inline constexpr const char* kCopyright = "© 2026 Tavrelin 作者";

class AboutBox : public Dialog {
 public:
  explicit AboutBox(Platform& platform);
  ~AboutBox() override;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void OnCloseButton();
  void DrawBanner(const DRAWITEMSTRUCT& item);

  HBITMAP banner_ = nullptr;  // decoded once, kept for the whole run
  SIZE bannerSize_{};
  UniqueIcon closeIcon_;  // the picture of "关闭", made for the DPI of the show
  int closeIconSize_ = 0;
};

}  // namespace tav
