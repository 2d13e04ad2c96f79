#include "app/HotkeyService.h"

#include <string>

#include "base/Version.h"
#include "storage/SchemeFile.h"

namespace tav {

void HotkeyService::ResetSlots() {
  tav::ResetSlots(slots_);
  refused_.fill(false);
}

void HotkeyService::RegisterAll() {
  UnregisterHotkeys(true);
  for (int slot = 0; slot < kSlotCount; ++slot) RegisterOne(slot);
}

void HotkeyService::RegisterOne(int slot) {
  const HotkeySlot& entry = slots_[slot];
  if (entry.virtualKey == 0) return;
  if (atoms_[slot] != 0) {
    // Re-registering a slot: release its old registration first.
    platform_.UnregisterHotKey(atoms_[slot] - kAtomBase);
    platform_.GlobalDeleteAtom(atoms_[slot]);
    atoms_[slot] = 0;
  }
  const uint16_t atom = platform_.GlobalAddAtom("hotkey" + std::to_string(slot));
  if (atom < kAtomBase) {
    if (atom != 0) platform_.GlobalDeleteAtom(atom);
    platform_.MessageBox("注册热键失败", kApplicationTitle, mb::kOk);
    return;
  }
  atoms_[slot] = atom;
  refused_[slot] = !platform_.RegisterHotKey(atom - kAtomBase,
                                             static_cast<unsigned>(entry.modifiers) | kModNoRepeat,
                                             static_cast<unsigned>(entry.virtualKey));
}

std::string HotkeyService::RefusalText(int slot) const {
  if (!refused_[slot]) return std::string();
  const HotkeySlot& entry = slots_[slot];
  for (int earlier = 0; earlier < slot; ++earlier) {
    const HotkeySlot& other = slots_[earlier];
    if (IsRegistered(earlier) && !refused_[earlier] && other.modifiers == entry.modifiers &&
        other.virtualKey == entry.virtualKey) {
      return "与第 " + std::to_string(earlier + 1) + " 项热键重复";
    }
  }
  return "已被其他程序占用";
}

void HotkeyService::UnregisterHotkeys(bool all) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (atoms_[slot] == 0) continue;
    if (!all && slots_[slot].action == kPauseAction) continue;
    platform_.UnregisterHotKey(atoms_[slot] - kAtomBase);
    platform_.GlobalDeleteAtom(atoms_[slot]);
    atoms_[slot] = 0;
    refused_[slot] = false;
  }
}

int HotkeyService::FindSlot(unsigned modifiers, unsigned virtualKey) const {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const HotkeySlot& entry = slots_[slot];
    if (entry.virtualKey != 0 && static_cast<unsigned>(entry.modifiers) == modifiers &&
        static_cast<unsigned>(entry.virtualKey) == virtualKey) {
      return slot;
    }
  }
  return -1;
}

int HotkeyService::TakeHotkey(unsigned modifiers, unsigned virtualKey) {
  const int slot = FindSlot(modifiers, virtualKey);
  if (slot < 0) return -1;
  if (slot == firedSlot_ && FiredKeyStillDown()) return -1;
  firedSlot_ = slot;
  firedKey_ = virtualKey;
  return slot;
}

bool HotkeyService::FiredKeyStillDown() {
  if (firedSlot_ >= 0 && (platform_.GetAsyncKeyState(static_cast<int>(firedKey_)) & 0x8000))
    return true;
  firedSlot_ = -1;
  return false;
}

}  // namespace tav
