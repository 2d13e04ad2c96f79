// PasswordPrompt: the password prompt, for the access password (check-only mode)
// and for the password of a protected scheme (scheme-open mode). One instance
// lives for the whole run; openers set the expected digest, show it modally
// and read whether the password was accepted.
#pragma once

#include <functional>
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
  // While set, the prompt opens without anybody having asked for it (at
  // start): when another program has the foreground, the prompt waits
  // behind it, flashing, without the keyboard, until the user clicks it, and
  // `waitingBehind` is called (the tray says why it flashes).
  void SetUnasked(bool unasked) { unasked_ = unasked; }
  std::function<void()> waitingBehind;
  // Whether the prompt waits for the user's click.
  bool waitingForClick() const { return waitingForClick_; }
  // The password edit while the prompt is shown.
  HWND passwordEdit() const;

  // The handlers of the prompt's controls.
  void OnShow();
  void OnOk();
  void OnCancel();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int notifyCode) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  void OnDpiChanged(UINT dpi) override;

 private:
  void ShowIcon(UINT dpi);
  // Shown without taking the foreground; the edit takes no typing yet.
  void WaitBehindForeground();

  std::string& rememberedPassword_;
  std::string expectedDigest_;
  bool checkOnly_ = false;
  bool accepted_ = false;
  bool unasked_ = false;
  bool waitingForClick_ = false;
  UniqueIcon icon_;
};

}  // namespace tav
