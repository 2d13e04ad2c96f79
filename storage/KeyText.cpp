#include "storage/KeyText.h"

#include <array>
#include <string>
#include <utility>

#include "base/Errors.h"
#include "base/IntegerText.h"

namespace tav {

namespace {

struct NamedKey {
  int32_t code;
  std::string_view name;
};

// The 98 virtual-key codes that have a name. The spellings are the ones users
// know from earlier versions ("Blank" for the space bar, "Right Mouse" for the
// application key, "Soroll Lock") and must stay as they are.
// clang-format off
constexpr NamedKey kNamedKeys[] = {
    {8, "Back Space"}, {9, "Tab"}, {13, "Enter"}, {19, "Pause Break"},
    {20, "Caps Lock"}, {21, "Caps Lock"}, {27, "Esc"}, {32, "Blank"},
    {33, "Page Up"}, {34, "Page Down"}, {35, "End"}, {36, "Home"},
    {37, "Left"}, {38, "Up"}, {39, "Right"}, {40, "Down"},
    {44, "Print Screen"}, {45, "Insert"}, {46, "Delete"},
    {48, "0"}, {49, "1"}, {50, "2"}, {51, "3"}, {52, "4"},
    {53, "5"}, {54, "6"}, {55, "7"}, {56, "8"}, {57, "9"},
    {65, "A"}, {66, "B"}, {67, "C"}, {68, "D"}, {69, "E"}, {70, "F"}, {71, "G"},
    {72, "H"}, {73, "I"}, {74, "J"}, {75, "K"}, {76, "L"}, {77, "M"}, {78, "N"},
    {79, "O"}, {80, "P"}, {81, "Q"}, {82, "R"}, {83, "S"}, {84, "T"}, {85, "U"},
    {86, "V"}, {87, "W"}, {88, "X"}, {89, "Y"}, {90, "Z"},
    {91, "Left Win"}, {92, "Right Win"}, {93, "Right Mouse"},
    {96, "Num 0"}, {97, "Num 1"}, {98, "Num 2"}, {99, "Num 3"}, {100, "Num 4"},
    {101, "Num 5"}, {102, "Num 6"}, {103, "Num 7"}, {104, "Num 8"}, {105, "Num 9"},
    {106, "Num *"}, {107, "Num +"}, {109, "Num -"}, {110, "Num Del"}, {111, "Num /"},
    {112, "F1"}, {113, "F2"}, {114, "F3"}, {115, "F4"}, {116, "F5"}, {117, "F6"},
    {118, "F7"}, {119, "F8"}, {120, "F9"}, {121, "F10"}, {122, "F11"}, {123, "F12"},
    {144, "Num Lock"}, {145, "Soroll Lock"},
    {186, ";"}, {187, "="}, {188, ","}, {189, "-"}, {190, "."}, {191, "/"}, {192, "`"},
    {219, "["}, {220, "\\"}, {221, "]"}, {222, "'"},
};
// clang-format on
static_assert(std::size(kNamedKeys) == 98);

// The same table indexed by code, built at compile time.
constexpr std::array<std::string_view, 256> kKeyNames = [] {
  std::array<std::string_view, 256> names{};
  for (const NamedKey& key : kNamedKeys) names[static_cast<size_t>(key.code)] = key.name;
  return names;
}();

// Prefixes of the flags 0 to 7.
constexpr std::string_view kModifierPrefixes[8] = {
    "",         "Alt + ",         "Ctrl + ",         "Ctrl + ALT + ",
    "Shift + ", "Shift + Alt + ", "Ctrl + Shift + ", "Ctrl + Shift + Alt + ",
};

constexpr int32_t kKnownModifiers = kModAlt | kModControl | kModShift;

}  // namespace

int32_t KeyTextPart(std::string_view keyText, int part) {
  const size_t plus = keyText.find('+');
  if (plus == std::string_view::npos)
    throw ConversionError("");  // the modifier half is empty, the key half missing
  return StrToInt(part == kModifierPart ? keyText.substr(0, plus) : keyText.substr(plus + 1));
}

std::string KeyText(int32_t flags, int32_t virtualKey) {
  return std::to_string(flags) + "+" + std::to_string(virtualKey);
}

std::string ModifierText(int32_t flags) {
  std::string prefix(kModifierPrefixes[flags & kKnownModifiers]);
  if (flags & kModWin) prefix += "Win + ";
  return prefix;
}

std::string_view KeyName(int32_t virtualKey) {
  if (virtualKey < 0 || virtualKey >= static_cast<int32_t>(kKeyNames.size())) return {};
  return kKeyNames[static_cast<size_t>(virtualKey)];
}

std::string DisplayText(int32_t flags, int32_t virtualKey) {
  return ModifierText(flags) + std::string(KeyName(virtualKey));
}

ShiftState ModifiersToShiftState(int32_t flags) {
  ShiftState state = 0;
  if (flags & kModShift) state |= kShiftStateShift;
  if (flags & kModAlt) state |= kShiftStateAlt;
  if (flags & kModControl) state |= kShiftStateCtrl;
  return state;
}

int32_t ShiftStateToModifiers(ShiftState state) {
  int32_t flags = 0;
  if (state & kShiftStateShift) flags |= kModShift;
  if (state & kShiftStateAlt) flags |= kModAlt;
  if (state & kShiftStateCtrl) flags |= kModControl;
  return flags;
}

uint16_t ShortcutValue(int32_t virtualKey, ShiftState state) {
  if (virtualKey < 0 || virtualKey > 0xFF) return 0;
  unsigned value = static_cast<unsigned>(virtualKey);
  if (state & kShiftStateShift) value |= 0x2000;
  if (state & kShiftStateCtrl) value |= 0x4000;
  if (state & kShiftStateAlt) value |= 0x8000;
  return static_cast<uint16_t>(value);
}

Shortcut SplitShortcut(uint16_t value) {
  Shortcut shortcut;
  shortcut.virtualKey = value & 0x1FFF;
  if (value & 0x2000) shortcut.state |= kShiftStateShift;
  if (value & 0x4000) shortcut.state |= kShiftStateCtrl;
  if (value & 0x8000) shortcut.state |= kShiftStateAlt;
  return shortcut;
}

}  // namespace tav
