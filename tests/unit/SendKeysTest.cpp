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
  int KeyOf(const std::string& name) {
    const size_t before = platform_.Batches().size();
    SendKeyAction(platform_, name, KeyAction::kUp);
    const auto batches = platform_.Batches();
    if (batches.size() != before + 1 || batches.back().size() != 1) return -1;
    return batches.back()[0].virtualKey;
  }

  RecordingPlatform platform_;
};

// The key a name gives: the virtual key of its only event.
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
  for (const auto& [name, code] : keys) EXPECT_EQ(KeyOf(name), code) << name;
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
  for (const auto& [name, code] : table) EXPECT_EQ(KeyOf(name), code) << name;
}

TEST_F(SendKeysTest, UnknownNamesShowTheMessageOnceAndSendNothing) {
  for (const std::string name : {"ctrl", "", " A", "F17", "中", "Num  5", "Alt ", "~"}) {
    platform_.ClearCalls();
    SendKeyAction(platform_, name, KeyAction::kPress);
    EXPECT_EQ(platform_.Calls(), (Calls{"RunOnUiThread", "MessageBox(无效按键|SendKeys|0)"}))
        << '"' << name << '"';
  }
}

// A character that needs Shift, Ctrl or Alt on the layout has them pressed
// around it (AltGr being Ctrl+Alt), except what the user holds already; a
// letter's name names its key, without Shift.
TEST_F(SendKeysTest, OneCharacterNamesPressTheShiftStateTheLayoutNeeds) {
  const struct {
    const char* name;
    std::vector<int> held;
    KeyAction action;
    Calls calls;
  } cases[] = {
      {"a", {}, KeyAction::kPress, {"input(65,30,0)", "input(65,30,2)"}},
      {"A", {}, KeyAction::kPress, {"input(65,30,0)", "input(65,30,2)"}},
      {"!",
       {},
       KeyAction::kPress,
       {"input(160,42,0)", "input(49,2,0)", "input(49,2,2)", "input(160,42,2)"}},
      {"!", {0xA1}, KeyAction::kPress, {"input(49,2,0)", "input(49,2,2)"}},
      {"!", {}, KeyAction::kDown, {"input(160,42,0)", "input(49,2,0)", "input(160,42,2)"}},
      {"!", {}, KeyAction::kUp, {"input(49,2,2)"}},
      {"@",
       {},
       KeyAction::kPress,
       {"input(162,29,0)", "input(164,56,0)", "input(50,0,0)", "input(50,0,2)", "input(164,56,2)",
        "input(162,29,2)"}},
  };
  for (const auto& [name, held, action, calls] : cases) {
    RecordingPlatform platform;
    platform.SetVkKeyScan('@', 0x632);  // AltGr+2, as on a German layout
    for (const int key : held) platform.SetKeyDown(static_cast<uint8_t>(key), true);
    SendKeyAction(platform, name, action);
    EXPECT_EQ(platform.Calls(), calls) << name;
    EXPECT_EQ(platform.Batches().size(), 1u) << name;
    if (action == KeyAction::kPress) {
      EXPECT_EQ(platform.KeysDown(), held) << name;
    }
  }
}

// Every key-up carries the scan code and extended flag of its key-down, and
// the extended keys carry the flag: programs that read scan codes would
// otherwise see another key, or never see this one come up.
TEST_F(SendKeysTest, KeyUpsMatchTheirKeyDownsAndExtendedKeysCarryTheFlag) {
  const struct {
    const char* name;
    KeyAction action;
    Calls calls;
  } cases[] = {
      {"Delete", KeyAction::kPress, {"input(46,83,1)", "input(46,83,3)"}},
      {"Delete", KeyAction::kDown, {"input(46,83,1)"}},
      {"Delete", KeyAction::kUp, {"input(46,83,3)"}},
      {"Page Up", KeyAction::kDown, {"input(33,0,1)"}},
      {"Down", KeyAction::kUp, {"input(40,0,3)"}},
      {"Insert", KeyAction::kDown, {"input(45,0,1)"}},
      {"Left Win", KeyAction::kUp, {"input(91,0,3)"}},
      {"Right Mouse", KeyAction::kDown, {"input(93,0,1)"}},
      {"Num /", KeyAction::kDown, {"input(111,0,1)"}},
      {"Print Screen", KeyAction::kDown, {"input(44,0,1)"}},
      {"Help", KeyAction::kDown, {"input(47,0,0)"}},
      {"Num 5", KeyAction::kDown, {"input(101,0,0)"}},
      {"Enter", KeyAction::kPress, {"input(13,28,0)", "input(13,28,2)"}},
      {"Enter", KeyAction::kUp, {"input(13,28,2)"}},
      {"Shift", KeyAction::kUp, {"input(16,42,2)"}},
  };
  for (const auto& [name, action, calls] : cases) {
    platform_.ClearCalls();
    SendKeyAction(platform_, name, action);
    EXPECT_EQ(platform_.Calls(), calls) << name;
  }
}

// The lock keys change the system's lock state only through key events; the
// keyboard-state table of one thread is not the system's.
TEST_F(SendKeysTest, LockKeysArePressedLikeAnyKey) {
  const struct {
    const char* name;
    Calls calls;
  } cases[] = {
      {"Num Lock", {"input(144,69,1)", "input(144,69,3)"}},
      {"Caps Lock", {"input(20,58,0)", "input(20,58,2)"}},
      {"Scroll Lock", {"input(145,0,0)", "input(145,0,2)"}},
  };
  for (const auto& [name, calls] : cases) {
    platform_.ClearCalls();
    SendKeyAction(platform_, name, KeyAction::kPress);
    EXPECT_EQ(platform_.Calls(), calls) << name;
  }
  EXPECT_TRUE(platform_.KeysDown().empty());
}

}  // namespace
}  // namespace tav
