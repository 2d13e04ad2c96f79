// TfrmLogin: the password prompt, for the access password (check-only mode)
// and for the password of a protected scheme (scheme-open mode). One instance
// lives for the whole run; openers set the expected digest, show it modally
// and read whether the password was accepted.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/win32/WinHandles.h"
#include "platform/win32/Window.h"

namespace tav {

class TfrmLogin : public Window {
 public:
  static constexpr const wchar_t* kClassName = L"TfrmLogin";

  // `rememberedPassword` is the program-wide plain scheme password, set when
  // a scheme-open prompt is accepted.
  TfrmLogin(Platform& platform, std::string& rememberedPassword);
  bool Create();

  // Shows the prompt modally; answers whether the password was accepted.
  bool Run(const std::string& expectedDigest, bool checkOnly, HWND disabled);

  bool IsShowing() const { return IsModalShowing(); }
  bool accepted() const { return accepted_; }
  HWND passwordEdit() const { return edtPassword_; }

  // The handlers of the prompt's controls.
  void FormShow();
  void btnLoginClick();
  void btnCancelClick();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateControls();
  void CloseForm();
  std::string TypedPassword() const;

  Platform& platform_;
  std::string& rememberedPassword_;
  std::string expectedDigest_;
  bool checkOnly_ = false;
  bool accepted_ = false;
  UniqueFont font_;
  HWND edtPassword_ = nullptr;
};

}  // namespace tav
