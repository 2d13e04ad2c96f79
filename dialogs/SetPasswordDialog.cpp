#include "dialogs/SetPasswordDialog.h"

#include "platform/win32/Commands.h"
#include "res/resource.h"

namespace tav {

SetPasswordDialog::SetPasswordDialog(Platform& platform, SchemePasswordState& state,
                                     std::function<void(bool)> saved)
    : Dialog(platform, IDD_SET_PASSWORD), state_(state), saved_(std::move(saved)) {}

bool SetPasswordDialog::OnInit() {
  // The password style of common controls 6 shows a dot; these fields show '*'.
  for (int id : {IDC_SETPW_PASSWORD, IDC_SETPW_CHECK})
    SendMessageW(Item(id), EM_SETPASSWORDCHAR, L'*', 0);
  SetItemText(IDC_SETPW_PASSWORD, "");
  SetItemText(IDC_SETPW_CHECK, "");
  return true;
}

bool SetPasswordDialog::OnCommand(int id, int) {
  static constexpr Command<SetPasswordDialog> kCommands[] = {
      {IDOK, &SetPasswordDialog::OnOk},
      {IDCANCEL, &SetPasswordDialog::OnCancel},
  };
  return DispatchCommand(kCommands, *this, id);
}

void SetPasswordDialog::OnOk() {
  const std::string password = ItemText(IDC_SETPW_PASSWORD);
  if (ApplySchemePassword(platform(), password, ItemText(IDC_SETPW_CHECK), state_) ==
      SetPasswordOutcome::kMismatch) {
    return;
  }
  if (saved_) saved_(!password.empty());
  EndModal(IDOK);
}

void SetPasswordDialog::OnCancel() {
  EndModal(IDCANCEL);
}

}  // namespace tav
