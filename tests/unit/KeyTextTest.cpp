#include "storage/KeyText.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include <string>

#include "base/Errors.h"

namespace tav {
namespace {

TEST(KeyText, DisplayTexts) {
  struct Case {
    int32_t flags;
    int32_t key;
    const char* display;
  };
  const Case cases[] = {
      {6, 65, "Ctrl + Shift + A"},
      {3, 65, "Ctrl + ALT + A"},
      {0, 112, "F1"},
      {5, 91, "Shift + Alt + Left Win"},
      {7, 187, "Ctrl + Shift + Alt + ="},
      {1, 32, "Alt + Blank"},
      {4, 220, "Shift + \\"},
      {2, 110, "Ctrl + Num Del"},
      {0, 21, "Caps Lock"},
      {0, 145, "Soroll Lock"},
      {2, 93, "Ctrl + Right Mouse"},
      {2, 124, "Ctrl + "},  // F13 has no name: only the prefix
      {0, 124, ""},
      {6, 16, "Ctrl + Shift + "},  // modifier keys have no name
      {6, 0, "Ctrl + Shift + "},
      {0, 255, ""},
      {0, 256, ""},
      {0, -1, ""},
      // Flags a hand-edited file may hold: the Windows-key flag is shown,
      // other unknown bits are not.
      {8, 65, "Win + A"},
      {10, 65, "Ctrl + Win + A"},
      {0x4002, 65, "Ctrl + A"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DisplayText(c.flags, c.key), c.display) << c.flags << "+" << c.key;
}

TEST(KeyText, KeyNameTableHasTheNamedCodesOnly) {
  int named = 0;
  for (int code = 0; code < 256; ++code) named += KeyName(code).empty() ? 0 : 1;
  EXPECT_EQ(named, 98);
  EXPECT_EQ(KeyName('0'), "0");
  EXPECT_EQ(KeyName('Z'), "Z");
  EXPECT_EQ(KeyName(96), "Num 0");
  EXPECT_EQ(KeyName(105), "Num 9");
  EXPECT_EQ(KeyName(123), "F12");
  for (int unnamed : {12, 17, 18, 108, 124, 160, 223}) EXPECT_EQ(KeyName(unnamed), "") << unnamed;
}

// The whole table, code by code: a swapped pair (Page Up and Page Down, say)
// keeps the count and most spot checks right.
TEST(KeyText, EveryCodeHasItsNameOrNone) {
  std::map<int, std::string> expected = {
      {8, "Back Space"},    {9, "Tab"},          {13, "Enter"},  {19, "Pause Break"},
      {20, "Caps Lock"},    {21, "Caps Lock"},   {27, "Esc"},    {32, "Blank"},
      {33, "Page Up"},      {34, "Page Down"},   {35, "End"},    {36, "Home"},
      {37, "Left"},         {38, "Up"},          {39, "Right"},  {40, "Down"},
      {44, "Print Screen"}, {45, "Insert"},      {46, "Delete"}, {91, "Left Win"},
      {92, "Right Win"},    {93, "Right Mouse"}, {106, "Num *"}, {107, "Num +"},
      {109, "Num -"},       {110, "Num Del"},    {111, "Num /"}, {144, "Num Lock"},
      {145, "Soroll Lock"}, {186, ";"},          {187, "="},     {188, ","},
      {189, "-"},           {190, "."},          {191, "/"},     {192, "`"},
      {219, "["},           {220, "\\"},         {221, "]"},     {222, "'"},
  };
  for (int digit = 0; digit <= 9; ++digit) {
    expected['0' + digit] = std::to_string(digit);
    expected[96 + digit] = "Num " + std::to_string(digit);
  }
  for (char letter = 'A'; letter <= 'Z'; ++letter) expected[letter] = std::string(1, letter);
  for (int n = 1; n <= 12; ++n) expected[111 + n] = "F" + std::to_string(n);
  ASSERT_EQ(expected.size(), 98u);
  for (int code = -1; code <= 256; ++code) {
    const auto it = expected.find(code);
    EXPECT_EQ(KeyName(code), it == expected.end() ? "" : it->second) << code;
  }
}

TEST(KeyText, KeyTextPartsConvert) {
  EXPECT_EQ(KeyTextPart("6+65", kModifierPart), 6);
  EXPECT_EQ(KeyTextPart("6+65", kKeyPart), 65);
  EXPECT_EQ(KeyTextPart("3+187", kKeyPart), 187);
  EXPECT_EQ(KeyTextPart("0+112", kModifierPart), 0);
  EXPECT_EQ(KeyTextPart("8+65", kModifierPart), 8);
}

TEST(KeyText, MalformedKeyTextsFailToConvert) {
  struct Case {
    const char* text;
    int part;
  };
  const Case cases[] = {
      {"65", kModifierPart}, {"65", kKeyPart},        {"+65", kModifierPart}, {"3+", kKeyPart},
      {"", kModifierPart},   {"a+65", kModifierPart}, {"3+4+5", kKeyPart},    {"3+ 65x", kKeyPart},
  };
  for (const Case& c : cases)
    EXPECT_THROW(KeyTextPart(c.text, c.part), ConversionError) << c.text << " part " << c.part;
  // The halves that are fine still convert.
  EXPECT_EQ(KeyTextPart("+65", kKeyPart), 65);
  EXPECT_EQ(KeyTextPart("3+", kModifierPart), 3);
}

TEST(KeyText, KeyTextWritesFlagsFirst) {
  EXPECT_EQ(KeyText(6, 65), "6+65");
  EXPECT_EQ(KeyText(0, 112), "0+112");
  EXPECT_EQ(KeyTextPart(KeyText(3, 187), kKeyPart), 187);
}

TEST(KeyText, ModifiersAndShiftStateConvertBothWays) {
  // Flags 0..7 to the set, as numbers of the set (Shift 1, Alt 2, Ctrl 4).
  const ShiftState expected[8] = {0, 2, 4, 6, 1, 3, 5, 7};
  for (int32_t flags = 0; flags < 8; ++flags) {
    EXPECT_EQ(ModifiersToShiftState(flags), expected[flags]) << flags;
    EXPECT_EQ(ShiftStateToModifiers(expected[flags]), flags) << flags;
  }
  EXPECT_EQ(ShiftStateToModifiers(kShiftStateShift | kShiftStateCtrl), 6);
  EXPECT_EQ(ShiftStateToModifiers(0), 0);
  EXPECT_EQ(ModifiersToShiftState(kModWin | kModAlt), kShiftStateAlt);
}

TEST(KeyText, ShortcutValueRoundTrip) {
  const uint16_t value = ShortcutValue(0x41, ModifiersToShiftState(5));
  EXPECT_EQ(value, 0xA041);
  const Shortcut split = SplitShortcut(value);
  EXPECT_EQ(split.virtualKey, 0x41);
  EXPECT_EQ(ShiftStateToModifiers(split.state), 5);

  EXPECT_EQ(ShortcutValue(0x70, kShiftStateCtrl), 0x4070);
  EXPECT_EQ(ShortcutValue(0x141, kShiftStateCtrl), 0);  // high byte set
  EXPECT_EQ(ShortcutValue(-1, 0), 0);
  EXPECT_EQ(SplitShortcut(0x7FFF).virtualKey, 0x1FFF);
  EXPECT_EQ(SplitShortcut(0x7FFF).state, kShiftStateShift | kShiftStateCtrl);
}

}  // namespace
}  // namespace tav
