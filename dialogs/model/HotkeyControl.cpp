#include "dialogs/model/HotkeyControl.h"

#include "storage/KeyText.h"

namespace tav {

int32_t ControlBitsToModifiers(unsigned controlBits) {
  int32_t modifiers = 0;
  if (controlBits & kHotkeyfShift) modifiers |= kModShift;
  if (controlBits & kHotkeyfControl) modifiers |= kModControl;
  if (controlBits & kHotkeyfAlt) modifiers |= kModAlt;
  return modifiers;
}

unsigned ModifiersToControlBits(int32_t modifiers) {
  unsigned bits = 0;
  if (modifiers & kModShift) bits |= kHotkeyfShift;
  if (modifiers & kModControl) bits |= kHotkeyfControl;
  if (modifiers & kModAlt) bits |= kHotkeyfAlt;
  return bits;
}

HotkeyCode FromControlValue(uint16_t value) {
  return {ControlBitsToModifiers(value >> 8), value & 0xFF};
}

uint16_t ToControlValue(const HotkeyCode& code) {
  if (code.virtualKey <= 0 || code.virtualKey > 0xFF) return 0;
  return static_cast<uint16_t>((ModifiersToControlBits(code.modifiers) << 8) |
                               static_cast<unsigned>(code.virtualKey));
}

HotkeyCode FromShortcutValue(uint16_t shortcut) {
  const Shortcut split = SplitShortcut(shortcut);
  return {ShiftStateToModifiers(split.state), split.virtualKey};
}

bool IsRefusedCombination(int32_t modifiers) {
  const int32_t held = modifiers & (kModAlt | kModControl | kModShift);
  return held == 0 || held == kModShift;
}

int32_t StoredModifiers(int32_t modifiers) {
  return modifiers >= 1 && modifiers <= 7 ? modifiers : 0;
}

}  // namespace tav
