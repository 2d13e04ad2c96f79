// A hotkey entry in memory: the main window's entry table has 101 slots,
// slot i holding the i-th entry of the active scheme.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "storage/EntryCondition.h"

namespace tav {

inline constexpr int kSlotCount = 101;         // slots 0 to 100
inline constexpr int kMaxSchemeEntries = 100;  // adding is refused at this count

struct HotkeySlot {
  int32_t modifiers = 0;   // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4
  int32_t virtualKey = 0;  // 0: no key, never registered or matched
  std::string action;
  std::string hint;
  std::string category;
  bool enabled = true;  // switched off: kept in the scheme, never registered
  EntryCondition condition{};
};

using EntryTable = std::array<HotkeySlot, kSlotCount>;

// One line of the main window's hotkey list.
struct HotkeyListItem {
  std::string caption;  // display text of the hotkey code
  std::string action;
  std::string category;
  int slot = 0;
  bool enabled = true;
};

}  // namespace tav
