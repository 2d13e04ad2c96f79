// What the hotkey editor decides when OK is pressed: whether the input is
// complete, and how a new or changed entry is written into the active scheme
// file. Also the notice shown while a combination is typed that is already
// in use. Portable: the editor window and the native tests drive it alike.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dialogs/model/HotkeyControl.h"
#include "platform/Platform.h"
#include "storage/HotkeyEntry.h"

namespace tav {

// What the editor needs of the main window, which owns the active scheme.
class EntryEditorHost {
 public:
  virtual ~EntryEditorHost() = default;
  virtual std::string ActiveSchemePath() const = 0;
  virtual bool SchemeIsProtected() const = 0;
  virtual std::string RememberedPassword() const = 0;
  virtual bool HotkeysPaused() const = 0;
  // Reloads the entry table and the list only (while paused).
  virtual void ResetAndLoad() = 0;
  // Opens the scheme again: list, entry table and every registration.
  virtual void OpenScheme(const std::string& path) = 0;
  // The list comes back in file order: no sorted column, ascending.
  virtual void ResetSortState() = 0;
  // The entry table of the active scheme, for the notice of a taken hotkey.
  virtual const EntryTable& Slots() const = 0;
};

// The editor's fields.
struct EntryInput {
  HotkeyCode hotkey;
  std::string action;  // the target field
  std::string hint;    // the remark
  std::string category;
  bool enabled = true;
  EntryCondition condition{};
  bool operator==(const EntryInput&) const = default;
};

// The entry a change replaces, taken when the editor opens for it: the
// scheme it belongs to, its position there and its contents as listed.
struct EntryUnderChange {
  std::string schemePath;
  int position = -1;
  HotkeySlot original;
};

// False, after telling the user, when no key is set or the target is empty.
bool CheckInput(Platform& platform, const EntryInput& input);

// Appends the entry to the active scheme (texts encrypted in a protected
// scheme), saves, reloads and resets the sort state. False, after telling
// the user, when the scheme holds 100 entries already or the input is
// incomplete; nothing is written then. Load and save failures throw and
// leave the file as it was.
bool AppendEntry(Platform& platform, EntryEditorHost& host, const EntryInput& input);

// Replaces the entry under change by the input in one save; the new entry
// goes to the end of the list. False, after telling the user, when the input
// is incomplete or the entry is no longer where it was when the editor
// opened (another scheme is active, or it was changed or deleted): nothing is
// written then. Load and save failures throw and leave the file as it was.
bool ReplaceEntry(Platform& platform, EntryEditorHost& host, const EntryUnderChange& change,
                  const EntryInput& input);

// The status text for a typed combination: "该热键已被“备注”使用" when another
// entry of the table uses it (its remark, or its action when the remark is
// empty) and its condition and `condition` could both hold; entries switched
// off, and those whose condition excludes `condition`'s, share it freely; "该热键已被其他程序占用"
// when the system refuses to register it, and the empty text otherwise. `ownSlot` is the slot under
// change (-1 for an add): its own combination is neither a clash nor probed, since this program
// holds it. The probe registers and at once unregisters id kClashProbeId.
inline constexpr int kClashProbeId = 0xBFFF;
std::string ClashNotice(Platform& platform, const EntryTable& slots, int ownSlot,
                        const HotkeyCode& hotkey, const EntryCondition& condition = {});

// Sets entry `position` of the active scheme on or off, saves and reloads.
// False, after telling the user, when the entry is no longer the one listed
// (as for ReplaceEntry). Load and save failures throw.
bool SetEntryEnabled(Platform& platform, EntryEditorHost& host, const EntryUnderChange& entry,
                     bool enabled);

// The program list `list` with the executables picked from the programs
// with visible windows added after its own names: no name twice (Latin
// letters compared without case, the first spelling kept), blanks and empty
// names dropped.
std::string WithPickedPrograms(std::string_view list, const std::vector<std::string>& picked);

}  // namespace tav
