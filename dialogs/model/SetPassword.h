// What the set-password dialog decides: setting, changing or removing the
// password of the active scheme, with every entry text re-encrypted and the
// scheme file written once at the end, and the lock images of the scheme
// menus that follow from it.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace tav {

// The program-wide state of the active scheme that the dialog reads and sets.
struct SchemePasswordState {
  std::string activePath;          // the scheme file to rewrite
  bool isProtected = false;        // the scheme was opened with a password digest
  std::string rememberedPassword;  // the plain password keying its entry texts
};

enum class SetPasswordOutcome {
  kMismatch,  // the two texts differ: the message was shown, the dialog stays open
  kSaved,     // the file was written and `state` updated: close the dialog
};

// The dialog's OK: with `password` == `check`, rewrites the active scheme with
// the new password digest (none when `password` is empty) and every entry
// text encrypted for it. All or nothing: when loading, re-encrypting or saving
// throws, the file and `state` are left as they were. Also throws Error,
// before anything changes, when the file's digest does not belong to the
// remembered password (another copy changed it), as its texts could then not
// be decrypted.
SetPasswordOutcome ApplySchemePassword(Platform& platform, const std::string& password,
                                       const std::string& check, SchemePasswordState& state);

// One item of a scheme menu: its scheme name and whether it carries the
// selection mark (the active scheme).
struct SchemeMenuItem {
  std::string name;
  bool checked = false;
  bool operator==(const SchemeMenuItem&) const = default;
};

// The lock image of one menu item: shown or removed.
struct LockImageChange {
  int index;         // position of the item in its menu
  std::string name;  // its scheme name
  bool locked;
  bool operator==(const LockImageChange&) const = default;
};

// The images to set on a scheme menu after the password changed: each checked
// item gets the lock image when `protect`, no image otherwise; others stay.
std::vector<LockImageChange> MarkCheckedItems(const std::vector<SchemeMenuItem>& items,
                                              bool protect);

}  // namespace tav
