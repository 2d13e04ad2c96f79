// PasswordPrompt: the password prompt, for the access password (check-only mode)
// and for the password of a protected scheme (scheme-open mode). One instance
// lives for the whole run; openers set the expected digest, show it modally
// and read whether the password was accepted.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/win32/Dialog.h"
#include "platform/win32/WinHandles.h"

namespace tav {

class PasswordPrompt : public Dialog {
 public:
  // `rememberedPassword` is the program-wide plain scheme password, set when
  // a scheme-open prompt is accepted.
  PasswordPrompt(Platform& platform, std::string& rememberedPassword);

  // Shows the prompt modally, owned by `owner` (may be null); answers
  // whether the password was accepted.
  bool Run(const std::string& expectedDigest, bool checkOnly, HWND owner);

  bool accepted() const { return accepted_; }
  // The password edit while the prompt is shown.
  HWND passwordEdit() const;

  // The handlers of the prompt's controls.
  void OnShow();
  void OnOk();
  void OnCancel();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  void OnDpiChanged(UINT dpi) override;

 private:
  void ShowIcon(UINT dpi);

  std::string& rememberedPassword_;
  std::string expectedDigest_;
  bool checkOnly_ = false;
  bool accepted_ = false;
  UniqueIcon icon_;
};

}  // namespace tav
