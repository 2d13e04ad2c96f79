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
const std::string kCommand = "\"" + kProgram + "\"";

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
  EXPECT_EQ(platform_.Calls(), (Calls{"SetShutdownPrivilege(1)", "ExitWindows(9,0x80000000)",
                                      "SetShutdownPrivilege(0)", "SetShutdownPrivilege(1)",
                                      "ExitWindows(2,0x80000000)", "SetShutdownPrivilege(0)",
                                      "ExitWindows(9,0x80000000)", "ExitWindows(2,0x80000000)"}));
}

TEST_F(SystemOperationsTest, TrayTogglesAlternateFromWhicheverThread) {
  for (int i = 0; i < 3; ++i) {
    std::thread([this] { system_.ToggleCdDoor(); }).join();
    system_.WaitForTrayCommands();
  }
  EXPECT_EQ(platform_.Calls(), (Calls{kOpen, kClose, kOpen}));
}

TEST_F(SystemOperationsTest, TrayToggleReturnsWhileTheTraysMove) {
  platform_.SetCdDrives({"D:", "F:"});
  platform_.HoldMci(true);
  system_.ToggleCdDoor();  // would hang here if it waited for the trays
  EXPECT_TRUE(platform_.Calls().empty());
  platform_.HoldMci(false);
  system_.ToggleCdDoor();
  system_.WaitForTrayCommands();
  const auto drive = [](const char* letter, const char* state) {
    const std::string alias = std::string("tavrelin_cd_") + letter;
    return Calls{
        "mciSendString(Open  " + std::string(letter) + ":  type  cdaudio  alias  " + alias + ")",
        "mciSendString(Set  " + alias + "  door  " + state + "  wait)",
        "mciSendString(Close  " + alias + ")"};
  };
  Calls expected;
  for (const char* state : {"open", "closed"})
    for (const char* letter : {"D", "F"}) {
      const Calls commands = drive(letter, state);
      expected.insert(expected.end(), commands.begin(), commands.end());
    }
  EXPECT_EQ(platform_.Calls(), expected);
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
  system.WaitForTrayCommands();
  const Calls calls = platform.Calls();
  ASSERT_EQ(calls.size(), 4u * kPerThread);
  for (size_t i = 0; i < calls.size(); ++i) ASSERT_EQ(calls[i], i % 2 == 0 ? kOpen : kClose) << i;
}

TEST_F(SystemOperationsTest, ReadAutoRunAnswersAndRepairsTheValue) {
  const std::string kOld = "\"D:\\Old\\tavrelin.exe\"";
  const std::string kWriteMachine = "WriteRunValue(tarnu_hotkey," + kCommand + ")";
  const std::string kWriteUser = "WriteRunValue(HKCU,tarnu_hotkey," + kCommand + ")";
  const struct {
    std::optional<std::string> machine;  // nullopt: the key cannot be opened
    std::optional<std::string> user;
    bool machineReadOnly;  // a standard user's view of the machine-wide key
    bool answer;
    Calls writes;
    std::optional<std::string> machineAfter;
    std::optional<std::string> userAfter;
  } cases[] = {
      {std::nullopt, "", false, false, {}, std::nullopt, ""},
      {"", "", false, false, {}, "", ""},
      {kCommand, "", false, true, {}, kCommand, ""},
      {kOld, "", false, true, {kWriteMachine}, kCommand, ""},
      // An earlier version's path without quotes gets them.
      {kProgram, "", false, true, {kWriteMachine}, kCommand, ""},
      {"c:\\tavrelin\\tavrelin.exe", "", false, true, {kWriteMachine}, kCommand, ""},
      // A value the user may only read still counts, and stays as it is.
      {kOld, "", true, true, {kWriteMachine}, kOld, ""},
      {kCommand, "", true, true, {}, kCommand, ""},
      // A standard user's value under the current user's key counts as well.
      {std::nullopt, kCommand, false, true, {}, std::nullopt, kCommand},
      {std::nullopt, kOld, false, true, {kWriteUser}, std::nullopt, kCommand},
      {"", kCommand, true, true, {}, "", kCommand},
      {std::nullopt, std::nullopt, false, false, {}, std::nullopt, std::nullopt},
  };
  for (const auto& [machine, user, machineReadOnly, answer, writes, machineAfter, userAfter] :
       cases) {
    RecordingPlatform platform;
    SystemOperations system(platform);
    platform.SetRunValue(machine, RunKey::kMachine);
    platform.SetRunValue(user, RunKey::kCurrentUser);
    platform.SetRunKeyReadOnly(RunKey::kMachine, machineReadOnly);
    const std::string label = machine.value_or("(no key)") + " / " + user.value_or("(no key)") +
                              (machineReadOnly ? " read-only" : "");
    EXPECT_EQ(system.ReadAutoRun(), answer) << label;
    EXPECT_EQ(platform.CallsStartingWith("Write"), writes) << label;
    EXPECT_EQ(platform.RunValue(RunKey::kMachine), machineAfter) << label;
    EXPECT_EQ(platform.RunValue(RunKey::kCurrentUser), userAfter) << label;
  }
}

TEST_F(SystemOperationsTest, WriteAutoRunStoresOneValueWhereItCanAndRemovesBoth) {
  using Place = SystemOperations::AutoRunPlace;
  // The machine-wide key writable: the value goes there, a user value left
  // by an earlier run as a standard user is removed.
  platform_.SetRunValue(kCommand, RunKey::kCurrentUser);
  EXPECT_EQ(system_.WriteAutoRun(true), Place::kMachine);
  EXPECT_EQ(platform_.RunValue(RunKey::kMachine), kCommand);
  EXPECT_EQ(platform_.RunValue(RunKey::kCurrentUser), "");
  EXPECT_TRUE(system_.ReadAutoRun());

  EXPECT_EQ(system_.WriteAutoRun(false), Place::kNowhere);
  EXPECT_EQ(platform_.RunValue(RunKey::kMachine), "");
  EXPECT_FALSE(system_.ReadAutoRun());

  // A standard user: the machine-wide key can be read, not written.
  platform_.SetRunKeyReadOnly(RunKey::kMachine, true);
  EXPECT_EQ(system_.WriteAutoRun(true), Place::kCurrentUser);
  EXPECT_EQ(platform_.RunValue(RunKey::kCurrentUser), kCommand);
  EXPECT_TRUE(system_.ReadAutoRun());
  EXPECT_EQ(system_.WriteAutoRun(false), Place::kNowhere);
  EXPECT_EQ(platform_.RunValue(RunKey::kCurrentUser), "");
  EXPECT_FALSE(system_.ReadAutoRun());

  // ...and an administrator's machine-wide value is there: it shows as on,
  // cannot be removed, and "on" adds no second value that would start the
  // program twice.
  platform_.SetRunKeyReadOnly(RunKey::kMachine, false);
  platform_.SetRunValue(kCommand, RunKey::kMachine);
  platform_.SetRunKeyReadOnly(RunKey::kMachine, true);
  EXPECT_EQ(system_.WriteAutoRun(false), Place::kNowhere);
  EXPECT_TRUE(system_.ReadAutoRun());
  EXPECT_EQ(system_.WriteAutoRun(true), Place::kMachine);
  EXPECT_EQ(platform_.RunValue(RunKey::kCurrentUser), "");

  // Neither key writable: nothing stored, and the read-back says so.
  platform_.SetRunValue(std::nullopt, RunKey::kMachine);
  platform_.SetRunValue(std::nullopt, RunKey::kCurrentUser);
  EXPECT_EQ(system_.WriteAutoRun(true), Place::kNowhere);
  EXPECT_FALSE(system_.ReadAutoRun());
}

}  // namespace
}  // namespace tav
