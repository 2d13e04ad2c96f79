// The hotkey service against the real system: what it registers is really
// taken, what it unregisters is really free, and a fired combination comes
// back to the first slot that holds it.
#include <gtest/gtest.h>

#include "app/HotkeyService.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

constexpr unsigned kCtrlAlt = MOD_CONTROL | MOD_ALT;

class HotkeyServiceWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExW(0, L"STATIC", L"hotkeys", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              nullptr, nullptr);
    platform_.SetMainWindow(window_);
  }
  void TearDown() override {
    service_.UnregisterHotkeys(true);
    DestroyWindow(window_);
  }
  void SetSlot(int slot, unsigned modifiers, unsigned key, const std::string& action) {
    service_.slots()[slot] = {static_cast<int32_t>(modifiers), static_cast<int32_t>(key), action,
                              "", ""};
  }

  HWND window_ = nullptr;
  QuietWin32Platform platform_;
  HotkeyService service_{platform_};
};

TEST_F(HotkeyServiceWin32Test, RegistersUnregistersAndRegistersAgain) {
  SetSlot(0, kCtrlAlt, 'J', "notepad.exe");
  SetSlot(1, kCtrlAlt, 'K', "Tavrelin停止/开始工作");
  SetSlot(2, 0, 0, "never registered");

  service_.RegisterAll();
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'J'));
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'K'));
  EXPECT_FALSE(service_.IsRegistered(2));

  // Pause keeps only the pause hotkey.
  service_.UnregisterHotkeys(false);
  EXPECT_FALSE(CombinationTaken(kCtrlAlt, 'J'));
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'K'));

  // Resume registers everything again, the pause hotkey included.
  service_.RegisterAll();
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'J'));
  EXPECT_TRUE(CombinationTaken(kCtrlAlt, 'K'));

  service_.UnregisterHotkeys(true);
  EXPECT_FALSE(CombinationTaken(kCtrlAlt, 'J'));
  EXPECT_FALSE(CombinationTaken(kCtrlAlt, 'K'));
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(HotkeyServiceWin32Test, TwoEntriesWithOneCombinationTheFirstWins) {
  SetSlot(0, kCtrlAlt, 'L', "first");
  SetSlot(1, kCtrlAlt, 'L', "second");
  service_.RegisterAll();
  EXPECT_TRUE(platform_.messages.empty()) << "a refused combination is not reported";

  InjectCombination(kCtrlAlt, 'L');
  const std::vector<LPARAM> fired = HotkeysFired(window_);
  ASSERT_EQ(fired.size(), 1u);
  const int slot = service_.FindSlot(LOWORD(fired[0]), HIWORD(fired[0]));
  EXPECT_EQ(slot, 0);
  EXPECT_EQ(service_.slots()[slot].action, "first");
}

TEST_F(HotkeyServiceWin32Test, PausedHotkeysDoNotFire) {
  SetSlot(0, kCtrlAlt, 'M', "notepad.exe");
  service_.RegisterAll();
  service_.UnregisterHotkeys(false);
  InjectCombination(kCtrlAlt, 'M');
  EXPECT_TRUE(HotkeysFired(window_).empty());

  service_.RegisterAll();
  InjectCombination(kCtrlAlt, 'M');
  EXPECT_EQ(HotkeysFired(window_).size(), 1u);
}

}  // namespace
}  // namespace tav::test
