// The hotkey service's exact calls to the platform: atoms named after the
// slots, ids derived from them, every registration released once.
#include <gtest/gtest.h>

#include "app/HotkeyService.h"
#include "platform/RecordingPlatform.h"

namespace tav {
namespace {

class HotkeyServiceTest : public ::testing::Test {
 protected:
  void SetSlot(int slot, int modifiers, int key, const std::string& action) {
    service_.slots()[slot] = {modifiers, key, action, "", ""};
  }

  RecordingPlatform platform_;
  HotkeyService service_{platform_};
};

// Every registration carries MOD_NOREPEAT (0x4000): a held combination
// fires once.
TEST_F(HotkeyServiceTest, RegistersEachSlotUnderTheIdOfItsAtom) {
  SetSlot(0, 6, 65, "notepad.exe");
  SetSlot(1, 0, 0, "listed, never registered");
  SetSlot(2, 3, 112, "calc.exe");
  service_.RegisterAll();

  EXPECT_EQ(platform_.Calls(), (std::vector<std::string>{
                                   "GlobalAddAtom(hotkey0)",
                                   "RegisterHotKey(0,16390,65)",  // atom 0xC000 - 0xC000
                                   "GlobalAddAtom(hotkey2)",
                                   "RegisterHotKey(1,16387,112)",
                               }));
  EXPECT_TRUE(service_.IsRegistered(0));
  EXPECT_FALSE(service_.IsRegistered(1));
}

TEST_F(HotkeyServiceTest, UnregisteringReleasesEveryAtomOnce) {
  SetSlot(0, 6, 65, "notepad.exe");
  SetSlot(1, 3, 80, kPauseAction);
  service_.RegisterAll();
  service_.RegisterAll();  // a reload: everything goes and comes back
  service_.UnregisterHotkeys(true);
  service_.UnregisterHotkeys(true);  // nothing left to release

  EXPECT_EQ(platform_.LiveAtomCount(), 0);
  EXPECT_TRUE(platform_.Registrations().empty());
  EXPECT_EQ(platform_.CallsStartingWith("GlobalDeleteAtom").size(), 4u);
}

TEST_F(HotkeyServiceTest, PauseKeepsOnlyThePauseHotkey) {
  SetSlot(0, 6, 65, "notepad.exe");
  SetSlot(1, 3, 80, kPauseAction);
  SetSlot(2, 3, 81, std::string(kPauseAction) + " ");  // not the exact name
  service_.RegisterAll();
  service_.UnregisterHotkeys(false);

  const auto registrations = platform_.Registrations();
  ASSERT_EQ(registrations.size(), 1u);
  EXPECT_EQ(registrations.begin()->second, (std::pair<unsigned, unsigned>{3, 80}));
  EXPECT_TRUE(service_.IsRegistered(1));
  EXPECT_FALSE(service_.IsRegistered(2));
}

TEST_F(HotkeyServiceTest, RefusedCombinationsAreNotReported) {
  platform_.TakeCombination(6, 65);  // held by another program
  SetSlot(0, 6, 65, "first");
  SetSlot(1, 3, 66, "second");
  SetSlot(2, 3, 66, "same combination as the second");
  service_.RegisterAll();

  EXPECT_TRUE(platform_.CallsStartingWith("MessageBox").empty());
  EXPECT_EQ(platform_.Registrations().size(), 1u);
  EXPECT_EQ(service_.FindSlot(3, 66), 1) << "the first slot with the combination wins";
}

TEST_F(HotkeyServiceTest, AFailedAtomIsReportedUnderTheProgramsCaptionAndTheNextSlotGoesOn) {
  SetSlot(0, 6, 65, "first");
  SetSlot(1, 3, 66, "second");
  platform_.SetAtomTableFull(true);
  service_.RegisterAll();

  const std::string box =
      "MessageBox(注册热键失败|Tavrelin 4.6.0 Final|" + std::to_string(mb::kOk) + ")";
  EXPECT_EQ(platform_.CallsStartingWith("MessageBox"), (std::vector<std::string>{box, box}));
  EXPECT_TRUE(platform_.Registrations().empty());
  EXPECT_FALSE(service_.IsRegistered(0));
}

TEST_F(HotkeyServiceTest, FindSlotMatchesFlagsAndKeyExactly) {
  SetSlot(0, 6, 65, "a");
  SetSlot(1, 8, 65, "the Windows-key flag passes through unchanged");
  SetSlot(2, 0, 0, "no key");
  EXPECT_EQ(service_.FindSlot(6, 65), 0);
  EXPECT_EQ(service_.FindSlot(8, 65), 1);
  EXPECT_EQ(service_.FindSlot(2, 65), -1);
  EXPECT_EQ(service_.FindSlot(0, 0), -1) << "a slot without a key never matches";
}

// Where the system ignores MOD_NOREPEAT, the keyboard's auto-repeat sends
// the message again and again while the key is held: only the first fires,
// until the key has been seen up between the firing and a message. Messages
// may wait in the queue: their own times count, not when they are handled.
TEST_F(HotkeyServiceTest, MessagesWhileTheFiredKeyStaysDownAreDropped) {
  SetSlot(0, 3, 65, "a");
  SetSlot(1, 3, 66, "b");
  service_.RegisterAll();
  EXPECT_EQ(service_.TakeHotkey(3, 65, 1000), 0);
  EXPECT_EQ(service_.TakeHotkey(3, 65, 1500), -1) << "auto-repeat";
  EXPECT_EQ(service_.TakeHotkey(3, 65, 1530), -1);
  service_.NoteFiredKeyUp(1600);
  EXPECT_EQ(service_.TakeHotkey(3, 65, 1590), -1) << "sent before the key came up";
  service_.NoteFiredKeyUp(1650);
  EXPECT_EQ(service_.TakeHotkey(3, 65, 1630), 0) << "pressed again, though handled late";
  EXPECT_EQ(service_.TakeHotkey(3, 65, 1680), 0) << "and a third time, also waiting";
  EXPECT_EQ(service_.TakeHotkey(3, 65, 1700), -1) << "the last press's own repeat";
  EXPECT_EQ(service_.TakeHotkey(3, 66, 1710), 1) << "another hotkey fires at once";
  EXPECT_EQ(service_.TakeHotkey(3, 65, 1720), 0) << "and the first is no repeat after it";
  // The tick count wraps after 49.7 days.
  EXPECT_EQ(service_.TakeHotkey(3, 66, 0xFFFFFF00u), 1);
  EXPECT_EQ(service_.TakeHotkey(3, 66, 0xFFFFFFE0u), -1);
  service_.NoteFiredKeyUp(0xFFFFFFF0u);
  EXPECT_EQ(service_.TakeHotkey(3, 66, 5), 1) << "pressed again across the wrap";
  EXPECT_EQ(service_.TakeHotkey(2, 65, 10), -1) << "no slot";
  // Unregistered after the message was posted: the keys are the program's in front.
  service_.UnregisterHotkeys(true);
  EXPECT_EQ(service_.TakeHotkey(3, 65, 2000), kReleasedCombination);
}

TEST_F(HotkeyServiceTest, ResetSlotsClearsEveryHotkeyCode) {
  SetSlot(0, 6, 65, "a");
  SetSlot(100, 3, 66, "b");
  service_.ResetSlots();
  EXPECT_EQ(service_.FindSlot(6, 65), -1);
  EXPECT_EQ(service_.FindSlot(3, 66), -1);
  service_.RegisterAll();
  EXPECT_TRUE(platform_.Calls().empty());
}

TEST_F(HotkeyServiceTest, RefusedRegistrationsTellWhy) {
  platform_.TakeCombination(2, 78);  // another program holds Ctrl+N
  SetSlot(0, 6, 65, "notepad.exe");
  SetSlot(1, 2, 78, "held elsewhere");
  SetSlot(2, 6, 65, "same as the first");
  SetSlot(3, 2, 78, "held elsewhere as well");
  SetSlot(4, 3, 112, "calc.exe");
  service_.RegisterAll();

  const std::vector<std::string> expected = {"", "已被其他程序占用", "与第 1 项热键重复",
                                             "已被其他程序占用", ""};
  for (int slot = 0; slot < 5; ++slot) {
    EXPECT_EQ(service_.IsRefused(slot), !expected[slot].empty()) << slot;
    EXPECT_EQ(service_.RefusalText(slot), expected[slot]) << slot;
  }

  // A pause unregisters the slots: an unregistered slot is not refused.
  service_.UnregisterHotkeys(true);
  EXPECT_FALSE(service_.IsRefused(1));
  // Loading another scheme starts with no marks.
  service_.RegisterAll();
  ASSERT_TRUE(service_.IsRefused(2));
  service_.ResetSlots();
  EXPECT_FALSE(service_.IsRefused(2));
}

}  // namespace
}  // namespace tav
