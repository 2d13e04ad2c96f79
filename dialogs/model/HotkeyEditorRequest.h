// What the main window hands the hotkey editor when it opens it: the caption
// and the initial contents of its fields. Adding opens the editor modally
// and empty; changing opens it without making it modal, filled from the
// chosen slot; a file dropped on the hotkey list opens it as for adding,
// with the file's path and name filled in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "storage/HotkeyEntry.h"
#include "storage/KeyText.h"

namespace tav {

inline constexpr const char* kAddHotkeyCaption = "添加热键";
inline constexpr const char* kChangeHotkeyCaption = "修改热键";

struct HotkeyEditorRequest {
  std::string caption;
  bool modal = true;
  uint16_t shortcut = 0;      // the hotkey control's value
  ShiftState shiftState = 0;  // the hotkey control's modifiers
  std::string action;         // the target field "程序位置/操作"
  std::string hint;
  std::string category;
  int slot = -1;  // the slot being changed; -1 when adding

  bool operator==(const HotkeyEditorRequest&) const = default;
};

// The one entry point through which the main window opens the editor.
using OpenHotkeyEditor = std::function<void(const HotkeyEditorRequest&)>;

HotkeyEditorRequest AddRequest();
HotkeyEditorRequest ChangeRequest(const HotkeySlot& entry, int slot);
// `path` is the full path of the first dropped file.
HotkeyEditorRequest DropRequest(const std::string& path);

}  // namespace tav
