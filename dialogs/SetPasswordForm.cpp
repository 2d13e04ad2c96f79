#include "dialogs/SetPasswordForm.h"

#include "app/resource.h"
#include "platform/win32/Commands.h"

namespace tav {

TfrmSetPassword::TfrmSetPassword(Platform& platform, SchemePasswordState& state,
                                 std::function<void(bool)> saved)
    : Dialog(platform, IDD_SET_PASSWORD), state_(state), saved_(std::move(saved)) {}

bool TfrmSetPassword::OnInit() {
  SetItemText(IDC_SETPW_PASSWORD, "");
  SetItemText(IDC_SETPW_CHECK, "");
  return true;
}

bool TfrmSetPassword::OnCommand(int id, int) {
  static constexpr Command<TfrmSetPassword> kCommands[] = {
      {IDOK, &TfrmSetPassword::btnOKClick},
      {IDCANCEL, &TfrmSetPassword::btnCancelClick},
  };
  return DispatchCommand(kCommands, *this, id);
}

void TfrmSetPassword::btnOKClick() {
  const std::string password = ItemText(IDC_SETPW_PASSWORD);
  if (ApplySchemePassword(platform(), password, ItemText(IDC_SETPW_CHECK), state_) ==
      SetPasswordOutcome::kMismatch) {
    return;
  }
  if (saved_) saved_(!password.empty());
  EndModal(IDOK);
}

void TfrmSetPassword::btnCancelClick() {
  EndModal(IDCANCEL);
}

}  // namespace tav
