#include "dialogs/PasswordPrompt.h"

#include "actions/TextCipher.h"
#include "base/Errors.h"
#include "platform/win32/Commands.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Dpi.h"
#include "res/resource.h"

namespace tav {

namespace {

constexpr Command<PasswordPrompt> kCommands[] = {
    // Enter in the password edit presses the default button, IDOK.
    {IDOK, &PasswordPrompt::OnOk},
    // Esc and the close box.
    {IDCANCEL, &PasswordPrompt::OnCancel},
};

constexpr int kIconSize = 32;  // pixels at 96 DPI

}  // namespace

PasswordPrompt::PasswordPrompt(Platform& platform, std::string& rememberedPassword)
    : Dialog(platform, IDD_LOGIN), rememberedPassword_(rememberedPassword) {}

bool PasswordPrompt::Run(const std::string& expectedDigest, bool checkOnly, HWND owner) {
  expectedDigest_ = expectedDigest;
  checkOnly_ = checkOnly;
  accepted_ = false;
  ShowModal(owner);
  // Scheme-open mode is the default again after every close.
  checkOnly_ = false;
  return accepted_;
}

HWND PasswordPrompt::passwordEdit() const {
  return Item(IDC_LOGIN_PASSWORD);
}

namespace {

// Whether the foreground window is another program's: the user types there.
bool AnotherProgramInFront() {
  HWND foreground = GetForegroundWindow();
  if (!foreground) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(foreground, &process);
  return process != GetCurrentProcessId();
}

}  // namespace

bool PasswordPrompt::OnInit() {
  SendMessageW(passwordEdit(), EM_SETPASSWORDCHAR, L'*', 0);
  ShowIcon(DpiForWindow(hwnd()));
  waitingForClick_ = unasked_ && AnotherProgramInFront();
  OnShow();
  if (waitingForClick_) {
    WaitBehindForeground();
  } else {
    // Asked for from the tray, a hotkey or a later start, which give the
    // program the right to come to the front.
    SetForegroundWindow(hwnd());
  }
  return false;
}

void PasswordPrompt::WaitBehindForeground() {
  // Keys the user meant for the program in front (a password among them)
  // must not land here, nor a password meant for here land there: the edit
  // takes nothing until a click has brought the prompt to the front.
  EnableWindow(passwordEdit(), FALSE);
  // Visible already, the dialog is not shown again (activated) by the modal loop.
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  FLASHWINFO flash{sizeof flash, hwnd(), FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
  FlashWindowEx(&flash);
  if (waitingBehind) waitingBehind();
}

bool PasswordPrompt::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR&) {
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && waitingForClick_) {
    waitingForClick_ = false;
    EnableWindow(passwordEdit(), TRUE);
    FLASHWINFO flash{sizeof flash, hwnd(), FLASHW_STOP, 0, 0};
    FlashWindowEx(&flash);
    // After the dialog's own handling, which puts the focus back where it was.
    PostMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(passwordEdit()), TRUE);
  }
  return false;
}

void PasswordPrompt::OnDpiChanged(UINT dpi) {
  ShowIcon(dpi);
}

void PasswordPrompt::ShowIcon(UINT dpi) {
  const int size = ScaleForDpi(kIconSize, dpi);
  HICON icon = LoadSystemIcon(IDI_SHIELD, size);
  if (!icon) return;
  SendMessageW(Item(IDC_LOGIN_ICON), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  icon_.reset(icon);
}

bool PasswordPrompt::OnCommand(int id, int /*notifyCode*/) {
  return DispatchCommand(kCommands, *this, id);
}

void PasswordPrompt::OnShow() {
  accepted_ = false;
  SetItemText(IDC_LOGIN_PASSWORD, "");
  // Focus would activate the prompt, taking the keyboard from the program in front.
  if (!waitingForClick_) SetFocus(passwordEdit());
}

void PasswordPrompt::OnOk() {
  const std::string typed = ItemText(IDC_LOGIN_PASSWORD);
  std::string digest;
  try {
    digest = DigestText(typed);
  } catch (const EncodingError&) {
    // A character GB2312 cannot hold is in no stored password.
  }
  if (digest.empty() || digest != expectedDigest_) {
    // Owned by the prompt: while the box is up the prompt takes no Enter
    // that could stack a second box.
    ShowMessageBox(hwnd(), "密码不正确！", "警告", MB_OKCANCEL | MB_ICONWARNING);
    SetFocus(passwordEdit());
    return;
  }
  accepted_ = true;
  if (!checkOnly_) rememberedPassword_ = typed;
  EndModal(IDOK);
}

void PasswordPrompt::OnCancel() {
  accepted_ = false;
  EndModal(IDCANCEL);
}

}  // namespace tav
