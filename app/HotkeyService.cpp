#include "app/HotkeyService.h"

#include <algorithm>
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
  suspended_ = false;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (Wanted(slot)) RegisterOne(slot);
  }
}

bool HotkeyService::Wanted(int slot) const {
  const HotkeySlot& entry = slots_[slot];
  if (entry.virtualKey == 0 || !entry.enabled) return false;
  if (quiet_ && entry.action != kPauseAction) return false;
  return ConditionHolds(entry.condition, foreground_);
}

void HotkeyService::SetForeground(const ForegroundInfo& front) {
  foreground_ = front;
  Refresh();
}

void HotkeyService::SetQuiet(bool quiet) {
  if (quiet_ == quiet) return;
  quiet_ = quiet;
  Refresh();
}

void HotkeyService::Refresh() {
  if (suspended_) return;  // a paste or the program's end holds them all off
  const auto allowed = [&](int slot) {
    return Wanted(slot) && (!paused_ || slots_[slot].action == kPauseAction);
  };
  // Releases first, so that an entry sharing a combination with one whose
  // condition no longer holds can take it over.
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (atoms_[slot] != 0 && !allowed(slot)) Unregister(slot);
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (atoms_[slot] == 0 && allowed(slot)) RegisterOne(slot);
  }
}

bool HotkeyService::WatchesTitles() const {
  for (const HotkeySlot& entry : slots_) {
    if (entry.virtualKey != 0 && entry.enabled && entry.condition.IsSet() &&
        entry.condition.title.find_first_not_of(' ') != std::string::npos) {
      return true;
    }
  }
  return false;
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
  if (all) suspended_ = true;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (atoms_[slot] == 0) continue;
    if (!all && slots_[slot].action == kPauseAction) continue;
    Unregister(slot);
  }
}

void HotkeyService::Unregister(int slot) {
  platform_.UnregisterHotKey(atoms_[slot] - kAtomBase);
  platform_.GlobalDeleteAtom(atoms_[slot]);
  atoms_[slot] = 0;
  refused_[slot] = false;
}

int HotkeyService::FiringSlot(unsigned modifiers, unsigned virtualKey) const {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const HotkeySlot& entry = slots_[slot];
    if (atoms_[slot] != 0 && !refused_[slot] && entry.virtualKey != 0 &&
        static_cast<unsigned>(entry.modifiers) == modifiers &&
        static_cast<unsigned>(entry.virtualKey) == virtualKey) {
      return slot;
    }
  }
  return -1;
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

int HotkeyService::TakeHotkey(unsigned modifiers, unsigned virtualKey, uint32_t time) {
  const int slot = FiringSlot(modifiers, virtualKey);
  if (slot < 0) return FindSlot(modifiers, virtualKey) >= 0 ? kReleasedCombination : -1;
  if (slot == firedSlot_ && !KeyUpBetween(firedTime_, time)) return -1;
  if (slot != firedSlot_) {
    std::lock_guard lock(keyUpsMutex_);
    keyUps_.clear();  // another key's
  }
  firedSlot_ = slot;
  firedTime_ = time;
  return slot;
}

void HotkeyService::NoteFiredKeyUp(uint32_t time) {
  constexpr size_t kKept = 16;
  std::lock_guard lock(keyUpsMutex_);
  keyUps_.push_back(time);
  if (keyUps_.size() > kKept) keyUps_.pop_front();
}

// Tick counts wrap after 49.7 days: compared by their difference.
bool HotkeyService::KeyUpBetween(uint32_t from, uint32_t to) {
  std::lock_guard lock(keyUpsMutex_);
  return std::any_of(keyUps_.begin(), keyUps_.end(), [from, to](uint32_t up) {
    return static_cast<int32_t>(up - from) >= 0 && static_cast<int32_t>(to - up) >= 0;
  });
}

}  // namespace tav
