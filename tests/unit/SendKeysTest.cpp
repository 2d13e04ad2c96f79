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
