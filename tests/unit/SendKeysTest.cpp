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

const std::string kInvalidKeyBox = "MessageBox(无效按键|SendKeys|0)";

struct NamedKey {
  std::string name;
  int code;
};

class SendKeysTest : public ::testing::Test {
 protected:
  RecordingPlatform platform_;
};

// A key-up carries the bare code, so it shows which key a name gives.
TEST_F(SendKeysTest, NamesFromTheKeyTableAndTheEditorGiveTheirKeys) {
  const NamedKey keys[] = {
      {"Alt", 0x12},
      {"Esc", 0x1B},
      {"ESCAPE", 0x1B},
      {"Caps Lock", 0x14},
      {"Back Space", 0x08},
      {"BKSP", 0x08},
      {"BS", 0x08},
      {"BREAK", 0x03},
      {"CLEAR", 0x0C},
      {"Num 5", 0x65},
      {"Num 0", 0x60},
      {"Num 9", 0x69},
      {"Num +", 0x6B},
      {"Num -", 0x6D},
      {"Num *", 0x6A},
      {"Num /", 0x6F},
      {"F1", 0x70},
      {"F12", 0x7B},
      {"F16", 0x7F},
      {"Help", 0x2F},
      {"Left Win", 0x5B},
      {"Right Win", 0x5C},
      {"Right Mouse", 0x5D},
      {"Pause/Break", 0x13},
      {"Print Screen", 0x2C},
      {"Scroll Lock", 0x91},
      {"Page Up", 0x21},
      {"Page Down", 0x22},
      {"Tab", 0x09},
      {"Shift", 0x10},
      {"Ctrl", 0x11},
      {"Del", 0x2E},
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

TEST_F(SendKeysTest, UnknownNamesShowTheMessageOnceAndSendNothing) {
  for (const std::string name : {"ctrl", "", "Key", " A", "F17", "中", "Num  5", "Alt "}) {
    platform_.ClearCalls();
    SendKeyAction(platform_, name, KeyAction::kPress);
    EXPECT_EQ(platform_.Calls(), (Calls{"RunOnUiThread", kInvalidKeyBox})) << '"' << name << '"';
  }
}

TEST_F(SendKeysTest, OneCharacterNamesGoThroughTheLayoutWithoutShift) {
  SendKeyAction(platform_, "a", KeyAction::kPress);
  SendKeyAction(platform_, "A", KeyAction::kPress);
  // "!" is Shift+1 on the layout; only the key is pressed.
  SendKeyAction(platform_, "!", KeyAction::kPress);
  EXPECT_EQ(platform_.Calls(),
            (Calls{"keybd_event(65,30,0)", "keybd_event(65,30,2)", "keybd_event(65,30,0)",
                   "keybd_event(65,30,2)", "keybd_event(49,0,0)", "keybd_event(49,0,2)"}));
  EXPECT_TRUE(platform_.KeysDown().empty());
}

TEST_F(SendKeysTest, CharacterWithoutAKeyIsInvalid) {
  EXPECT_FALSE(KeyNameToCode(platform_, "~"));
  EXPECT_EQ(platform_.CallsStartingWith("MessageBox"), Calls{kInvalidKeyBox});
}

TEST_F(SendKeysTest, PressDownAndUpOfAnOrdinaryKey) {
  SendKeyAction(platform_, "Enter", KeyAction::kPress);
  SendKeyAction(platform_, "Enter", KeyAction::kDown);
  EXPECT_TRUE(platform_.IsKeyDown(0x0D));
  SendKeyAction(platform_, "Enter", KeyAction::kUp);
  EXPECT_EQ(platform_.Calls(), (Calls{"keybd_event(13,28,0)", "keybd_event(13,28,2)",
                                      "keybd_event(13,28,0)", "keybd_event(13,0,2)"}));
  EXPECT_TRUE(platform_.KeysDown().empty());
}

TEST_F(SendKeysTest, ExtendedKeysCarryTheFlagExceptOnABareKeyUp) {
  SendKeyAction(platform_, "Delete", KeyAction::kPress);
  SendKeyAction(platform_, "Delete", KeyAction::kDown);
  SendKeyAction(platform_, "Delete", KeyAction::kUp);
  SendKeyAction(platform_, "Home", KeyAction::kPress);
  EXPECT_EQ(platform_.Calls(),
            (Calls{"keybd_event(46,83,1)", "keybd_event(46,83,3)", "keybd_event(46,83,1)",
                   "keybd_event(46,0,2)", "keybd_event(36,0,1)", "keybd_event(36,0,3)"}));
}

TEST_F(SendKeysTest, ExtendedSetIsExactlyPageUpToDownInsertAndDelete) {
  const NamedKey keys[] = {{"Page Up", 1}, {"Down", 1},         {"Insert", 1}, {"Del", 1},
                           {"Help", 0},    {"Print Screen", 0}, {"Num /", 0},  {"Right Win", 0}};
  for (const auto& [name, extended] : keys) {
    platform_.ClearCalls();
    SendKeyAction(platform_, name, KeyAction::kDown);
    const Calls calls = platform_.Calls();
    ASSERT_EQ(calls.size(), 1u) << name;
    EXPECT_TRUE(calls[0].ends_with(extended ? ",1)" : ",0)")) << name << ": " << calls[0];
  }
}

TEST_F(SendKeysTest, NumLockFlipsItsToggleInsteadOfSendingEvents) {
  SendKeyAction(platform_, "Num Lock", KeyAction::kPress);
  EXPECT_EQ(platform_.Calls(), Calls{"SetKeyboardState"});
  EXPECT_EQ(platform_.GetKeyState(0x90) & 1, 1);
  SendKeyAction(platform_, "Num Lock", KeyAction::kDown);
  EXPECT_EQ(platform_.GetKeyState(0x90) & 1, 0);
  EXPECT_TRUE(platform_.CallsStartingWith("keybd_event").empty());
  // A key-up is a plain event, Num Lock or not.
  SendKeyAction(platform_, "Num Lock", KeyAction::kUp);
  EXPECT_EQ(platform_.CallsStartingWith("keybd_event"), Calls{"keybd_event(144,0,2)"});
}

}  // namespace
}  // namespace tav
