// Keystroke synthesis: key names to keys, and the exact events of a press,
// a down and an up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/SendKeys.h"
#include "platform/RecordingPlatform.h"

namespace tav {
namespace {

using Calls = std::vector<std::string>;

class SendKeysTest : public ::testing::Test {
 protected:
  RecordingPlatform platform_;
};

// A key-up carries the bare code, so it shows which key a name gives.
TEST_F(SendKeysTest, NamesOfTheKeyTableAndOfTheEditorGiveTheirKeys) {
  const struct {
    const char* name;
    int code;
  } keys[] = {
      {"Alt", 0x12},
      {"Esc", 0x1B},
      {"ESCAPE", 0x1B},
      {"Caps Lock", 0x14},
      {"Back Space", 0x08},
      {"BREAK", 0x03},
      {"Num 5", 0x65},
      {"Num +", 0x6B},
      {"Num -", 0x6D},
      {"F16", 0x7F},
      {"Right Mouse", 0x5D},
      {"Pause/Break", 0x13},
      // Names the script editor writes from the hotkey key names.
      {"Pause Break", 0x13},
      {"Blank", 0x20},
      {"Num Del", 0x6E},
      {"Soroll Lock", 0x91},
  };
  for (const auto& [name, code] : keys) {
    platform_.ClearCalls();
    SendKeyAction(platform_, name, KeyAction::kUp);
    EXPECT_EQ(platform_.Calls(), Calls{"keybd_event(" + std::to_string(code) + ",0,2)"}) << name;
  }
}

// Every name of the key table, each with its own key: a swapped pair keeps
// the count right but not this.
TEST_F(SendKeysTest, EveryNameOfTheKeyTableGivesItsOwnKey) {
  std::vector<std::pair<std::string, int>> table = {
      {"Alt", 0x12},          {"Back Space", 0x08}, {"BKSP", 0x08},        {"BREAK", 0x03},
      {"BS", 0x08},           {"Caps Lock", 0x14},  {"CLEAR", 0x0C},       {"Ctrl", 0x11},
      {"Del", 0x2E},          {"Delete", 0x2E},     {"Down", 0x28},        {"End", 0x23},
      {"Enter", 0x0D},        {"Esc", 0x1B},        {"ESCAPE", 0x1B},      {"Help", 0x2F},
      {"Home", 0x24},         {"Insert", 0x2D},     {"Left", 0x25},        {"Left Win", 0x5B},
      {"Num *", 0x6A},        {"Num +", 0x6B},      {"Num -", 0x6D},       {"Num /", 0x6F},
      {"Num Lock", 0x90},     {"Page Down", 0x22},  {"Page Up", 0x21},     {"Pause/Break", 0x13},
      {"Print Screen", 0x2C}, {"Right", 0x27},      {"Right Mouse", 0x5D}, {"Right Win", 0x5C},
      {"Scroll Lock", 0x91},  {"Shift", 0x10},      {"Tab", 0x09},         {"Up", 0x26},
  };
  for (int n = 1; n <= 16; ++n) table.emplace_back("F" + std::to_string(n), 0x6F + n);
  for (int n = 0; n <= 9; ++n) table.emplace_back("Num " + std::to_string(n), 0x60 + n);
  ASSERT_EQ(table.size(), 62u);
  for (const auto& [name, code] : table) {
    platform_.ClearCalls();
    SendKeyAction(platform_, name, KeyAction::kUp);
    EXPECT_EQ(platform_.Calls(), Calls{"keybd_event(" + std::to_string(code) + ",0,2)"}) << name;
  }
}

TEST_F(SendKeysTest, UnknownNamesShowTheMessageOnceAndSendNothing) {
  for (const std::string name : {"ctrl", "", " A", "F17", "中", "Num  5", "Alt ", "~"}) {
    platform_.ClearCalls();
    SendKeyAction(platform_, name, KeyAction::kPress);
    EXPECT_EQ(platform_.Calls(), (Calls{"RunOnUiThread", "MessageBox(无效按键|SendKeys|0)"}))
        << '"' << name << '"';
  }
}

TEST_F(SendKeysTest, OneCharacterNamesGoThroughTheLayoutWithoutShift) {
  SendKeyAction(platform_, "a", KeyAction::kPress);
  SendKeyAction(platform_, "A", KeyAction::kPress);
  SendKeyAction(platform_, "!", KeyAction::kPress);  // Shift+1 on the layout
  EXPECT_EQ(platform_.Calls(),
            (Calls{"keybd_event(65,30,0)", "keybd_event(65,30,2)", "keybd_event(65,30,0)",
                   "keybd_event(65,30,2)", "keybd_event(49,0,0)", "keybd_event(49,0,2)"}));
}

TEST_F(SendKeysTest, OnlyPageUpToDownInsertAndDeleteCarryTheExtendedFlag) {
  const struct {
    const char* name;
    KeyAction action;
    Calls calls;
  } cases[] = {
      {"Delete", KeyAction::kPress, {"keybd_event(46,83,1)", "keybd_event(46,83,3)"}},
      {"Delete", KeyAction::kDown, {"keybd_event(46,83,1)"}},
      {"Delete", KeyAction::kUp, {"keybd_event(46,0,2)"}},  // bare: no scan code, no flag
      {"Page Up", KeyAction::kDown, {"keybd_event(33,0,1)"}},
      {"Down", KeyAction::kDown, {"keybd_event(40,0,1)"}},
      {"Insert", KeyAction::kDown, {"keybd_event(45,0,1)"}},
      {"Help", KeyAction::kDown, {"keybd_event(47,0,0)"}},
      {"Print Screen", KeyAction::kDown, {"keybd_event(44,0,0)"}},
      {"Enter", KeyAction::kPress, {"keybd_event(13,28,0)", "keybd_event(13,28,2)"}},
      {"Enter", KeyAction::kUp, {"keybd_event(13,0,2)"}},
  };
  for (const auto& [name, action, calls] : cases) {
    platform_.ClearCalls();
    SendKeyAction(platform_, name, action);
    EXPECT_EQ(platform_.Calls(), calls) << name;
  }
}

TEST_F(SendKeysTest, NumLockFlipsItsToggleInsteadOfSendingEvents) {
  SendKeyAction(platform_, "Num Lock", KeyAction::kPress);
  EXPECT_EQ(platform_.Calls(), Calls{"SetKeyboardState"});
  EXPECT_EQ(platform_.GetKeyState(0x90) & 1, 1);
  SendKeyAction(platform_, "Num Lock", KeyAction::kDown);
  EXPECT_EQ(platform_.GetKeyState(0x90) & 1, 0);
  // A key-up is a plain event, Num Lock or not.
  SendKeyAction(platform_, "Num Lock", KeyAction::kUp);
  EXPECT_EQ(platform_.CallsStartingWith("keybd_event"), Calls{"keybd_event(144,0,2)"});
}

}  // namespace
}  // namespace tav
