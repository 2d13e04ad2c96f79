// The system hotkey control's value and the stored modifier flags.
//
// The control (HKM_GETHOTKEY / HKM_SETHOTKEY) holds a virtual-key code in the
// low byte and its own modifier bits in the high byte: HOTKEYF_SHIFT 1,
// HOTKEYF_CONTROL 2, HOTKEYF_ALT 4, HOTKEYF_EXT 8 (an extended key, not a
// modifier). Scheme files and RegisterHotKey use Alt 1, Ctrl 2, Shift 4:
// Shift and Alt trade places, so the bits are never passed through as they
// are.
#pragma once

#include <cstdint>

namespace tav {

// The control's modifier bits.
inline constexpr unsigned kHotkeyfShift = 0x01;
inline constexpr unsigned kHotkeyfControl = 0x02;
inline constexpr unsigned kHotkeyfAlt = 0x04;
inline constexpr unsigned kHotkeyfExt = 0x08;

// The control's combination classes (HKM_SETRULES): no modifier, Shift alone.
inline constexpr unsigned kHkcombNone = 0x01;
inline constexpr unsigned kHkcombShift = 0x02;

// What the editor's control refuses, and what it puts in place of a refused
// combination: the key with Alt.
inline constexpr unsigned kRefusedCombinations = kHkcombNone | kHkcombShift;
inline constexpr unsigned kReplacementModifiers = kHotkeyfAlt;

// The control's bits to stored flags (0 to 7); the extended-key bit is dropped.
int32_t ControlBitsToModifiers(unsigned controlBits);
// Stored flags to the control's bits; bits above Shift (the Windows key) are
// dropped, as the control cannot show them.
unsigned ModifiersToControlBits(int32_t modifiers);

// A hotkey as the editor handles it.
struct HotkeyCode {
  int32_t modifiers = 0;   // Alt 1, Ctrl 2, Shift 4
  int32_t virtualKey = 0;  // 0: no key

  bool operator==(const HotkeyCode&) const = default;
};

// The control's 16-bit value to a hotkey code, and back.
HotkeyCode FromControlValue(uint16_t value);
uint16_t ToControlValue(const HotkeyCode& code);

// The hotkey list's shortcut value (key + 0x2000 Shift + 0x4000 Ctrl +
// 0x8000 Alt), in which the main window hands an entry over, to a code.
HotkeyCode FromShortcutValue(uint16_t shortcut);

// Whether the control refuses a combination typed with these modifiers:
// none at all, or Shift alone.
bool IsRefusedCombination(int32_t modifiers);

// The flags written to a scheme file: values outside 1 to 7 become 0.
int32_t StoredModifiers(int32_t modifiers);

}  // namespace tav
