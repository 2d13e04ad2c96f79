// System operations: power with its privilege, the CD tray toggle across
// threads, and the start-at-log-on value.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "actions/SystemOperations.h"
#include "platform/RecordingPlatform.h"

namespace tav {
namespace {

using Calls = std::vector<std::string>;

const std::string kOpen = "mciSendString(Set  cdaudio  door  open  wait)";
const std::string kClose = "mciSendString(Set  cdaudio  door  closed  wait)";
const std::string kProgram = "C:\\Tavrelin\\tavrelin.exe";

class SystemOperationsTest : public ::testing::Test {
 protected:
  RecordingPlatform platform_;
  SystemOperations system_{platform_};
};

TEST_F(SystemOperationsTest, PowerOperationsHoldThePrivilegeOnlyOnNt) {
  system_.ShutDownComputer();
  system_.RestartComputer();
  platform_.SetWin9x(true);
  system_.ShutDownComputer();
  system_.RestartComputer();
  EXPECT_EQ(platform_.Calls(),
            (Calls{"SetShutdownPrivilege(1)", "ExitWindows(9)", "SetShutdownPrivilege(0)",
                   "SetShutdownPrivilege(1)", "ExitWindows(2)", "SetShutdownPrivilege(0)",
                   "ExitWindows(9)", "ExitWindows(2)"}));
}

TEST_F(SystemOperationsTest, TrayTogglesAlternateFromWhicheverThread) {
  for (int i = 0; i < 3; ++i) std::thread([this] { system_.ToggleCdDoor(); }).join();
  EXPECT_EQ(platform_.Calls(), (Calls{kOpen, kClose, kOpen}));
}

// A tray takes its time to move: "wait" returns only then.
class MovingTrayPlatform : public RecordingPlatform {
 public:
  void MciSendString(const std::string& command) override {
    RecordingPlatform::MciSendString(command);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
};

TEST(CdTrayTest, ConcurrentTogglesNeverSendTheSameCommandTwiceInARow) {
  MovingTrayPlatform platform;
  SystemOperations system(platform);
  constexpr int kPerThread = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&system] {
      for (int i = 0; i < kPerThread; ++i) system.ToggleCdDoor();
    });
  for (std::thread& thread : threads) thread.join();
  const Calls calls = platform.Calls();
  ASSERT_EQ(calls.size(), 4u * kPerThread);
  for (size_t i = 0; i < calls.size(); ++i) ASSERT_EQ(calls[i], i % 2 == 0 ? kOpen : kClose) << i;
}

TEST_F(SystemOperationsTest, ReadAutoRunAnswersAndRepairsTheValue) {
  const struct {
    std::optional<std::string> value;  // nullopt: the key cannot be opened
    bool answer;
    Calls writes;
    std::optional<std::string> after;
  } cases[] = {
      {std::nullopt, false, {}, std::nullopt},
      {"", false, {}, ""},
      {kProgram, true, {}, kProgram},
      {"D:\\Old\\tavrelin.exe", true, {"WriteRunValue(tarnu_hotkey," + kProgram + ")"}, kProgram},
      {"c:\\tavrelin\\tavrelin.exe",
       true,
       {"WriteRunValue(tarnu_hotkey," + kProgram + ")"},
       kProgram},
  };
  for (const auto& [value, answer, writes, after] : cases) {
    RecordingPlatform platform;
    SystemOperations system(platform);
    platform.SetRunValue(value);
    EXPECT_EQ(system.ReadAutoRun(), answer) << value.value_or("(no key)");
    EXPECT_EQ(platform.CallsStartingWith("Write"), writes) << value.value_or("(no key)");
    EXPECT_EQ(platform.RunValue(), after) << value.value_or("(no key)");
  }
}

TEST_F(SystemOperationsTest, WriteAutoRunDeletesAndWritesTheValue) {
  platform_.SetRunValue(kProgram);
  system_.WriteAutoRun(false);
  EXPECT_EQ(platform_.RunValue(), "");
  EXPECT_FALSE(system_.ReadAutoRun());
  system_.WriteAutoRun(true);
  EXPECT_TRUE(system_.ReadAutoRun());
  EXPECT_EQ(platform_.Calls(),
            (Calls{"DeleteRunValue(tarnu_hotkey)", "ReadRunValue(tarnu_hotkey)",
                   "WriteRunValue(tarnu_hotkey," + kProgram + ")", "ReadRunValue(tarnu_hotkey)"}));
}

}  // namespace
}  // namespace tav
