#include "dialogs/model/HotkeyEditorRequest.h"

#include "base/AtomicFile.h"

namespace tav {

HotkeyEditorRequest AddRequest() {
  HotkeyEditorRequest request;
  request.caption = kAddHotkeyCaption;
  return request;
}

HotkeyEditorRequest ChangeRequest(const HotkeySlot& entry, int slot) {
  HotkeyEditorRequest request;
  request.caption = kChangeHotkeyCaption;
  request.modal = false;
  request.shiftState = ModifiersToShiftState(entry.modifiers);
  request.shortcut = ShortcutValue(entry.virtualKey, request.shiftState);
  request.action = entry.action;
  request.hint = entry.hint;
  request.category = entry.category;
  request.slot = slot;
  return request;
}

HotkeyEditorRequest DropRequest(const std::string& path) {
  HotkeyEditorRequest request = AddRequest();
  request.action = path;
  request.hint = FileNameOf(path);
  return request;
}

}  // namespace tav
