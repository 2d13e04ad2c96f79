// SetPasswordDialog ("设置访问口令"): sets, changes or removes the password of
// the active scheme. What it decides lives in dialogs/model/SetPassword.h;
// the window passes the two texts and closes once the file is written.
#pragma once

#include <functional>

#include "dialogs/model/SetPassword.h"
#include "platform/win32/Dialog.h"

namespace tav {

class SetPasswordDialog : public Dialog {
 public:
  // `saved` runs after the scheme file was written, with whether the scheme
  // is now protected (the main window marks its scheme menus).
  SetPasswordDialog(Platform& platform, SchemePasswordState& state,
                    std::function<void(bool)> saved);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int notifyCode) override;

 private:
  void OnOk();
  void OnCancel();

  SchemePasswordState& state_;
  std::function<void(bool)> saved_;
};

}  // namespace tav
