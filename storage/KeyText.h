// Hotkey codes and their texts. A hotkey code is a pair of modifier flags
// (the RegisterHotKey bits: Alt 1, Ctrl 2, Shift 4) and a virtual-key code
// (0: no key). Scheme files store it as a key text, "6+65"; the hotkey list
// shows it as a display text, "Ctrl + Shift + A"; the hotkey edit control
// holds it as a 16-bit shortcut value. This is the one place where key names
// and modifier prefixes are defined.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tav {

// Modifier flags as RegisterHotKey takes them.
inline constexpr int32_t kModAlt = 1;
inline constexpr int32_t kModControl = 2;
inline constexpr int32_t kModShift = 4;
inline constexpr int32_t kModWin = 8;  // never produced by the program

// The hotkey edit control's set of held modifiers, as bits.
using ShiftState = unsigned;
inline constexpr ShiftState kShiftStateShift = 1;
inline constexpr ShiftState kShiftStateAlt = 2;
inline constexpr ShiftState kShiftStateCtrl = 4;

// Which half of a key text KeyTextPart converts.
inline constexpr int kModifierPart = 1;
inline constexpr int kKeyPart = 2;

// Converts one half of a key text as a decimal integer: part 1 is the text
// before the first "+" (the modifier flags), any other part the text after
// it (the key code). A half that is not an integer, the empty half and a text
// without "+" throw ConversionError.
int32_t KeyTextPart(std::string_view keyText, int part);

// The key text of a hotkey code: decimal flags, "+", decimal key code.
std::string KeyText(int32_t flags, int32_t virtualKey);

// The modifier prefix of the flags, each word followed by " + ". Flags 3
// writes "Ctrl + ALT + ". Flags outside 0 to 7 (only a hand-edited file holds
// them) show the prefix of their Alt, Ctrl and Shift bits followed by
// "Win + " when the Windows-key flag is set; other bits are not shown.
std::string ModifierText(int32_t flags);

// The key name of a virtual-key code; the empty text for a code without one.
std::string_view KeyName(int32_t virtualKey);

// What the hotkey list shows for a hotkey code: prefix, then key name.
std::string DisplayText(int32_t flags, int32_t virtualKey);

// Flags to the hotkey edit control's set. Only the Alt, Ctrl and Shift bits
// have a member there; the Windows-key flag and other bits are dropped.
ShiftState ModifiersToShiftState(int32_t flags);

// The edit control's set to modifier flags, always 0 to 7.
int32_t ShiftStateToModifiers(ShiftState state);

// The hotkey edit control's value for a key and a set: the key code plus
// 0x2000 for Shift, 0x4000 for Ctrl, 0x8000 for Alt. A key outside 0 to 255
// gives 0 (no shortcut).
uint16_t ShortcutValue(int32_t virtualKey, ShiftState state);

// A shortcut value split into its key code (low 13 bits) and set.
struct Shortcut {
  int32_t virtualKey = 0;
  ShiftState state = 0;
};
Shortcut SplitShortcut(uint16_t value);

}  // namespace tav
