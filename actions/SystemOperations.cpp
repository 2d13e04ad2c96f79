#include "actions/SystemOperations.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tav {

namespace {

constexpr unsigned kExitShutDownPowerOff = 9;  // EWX_SHUTDOWN | EWX_POWEROFF
constexpr unsigned kExitReboot = 2;            // EWX_REBOOT
constexpr int kShow = 5;                       // SW_SHOW
constexpr const char* kRunValueName = "tarnu_hotkey";
// The reason recorded in the system's shut-down log: the user asked for it,
// so it is planned (SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER |
// SHTDN_REASON_FLAG_PLANNED); without the flag it is logged as unplanned.
constexpr uint32_t kPlannedShutdownReason = 0x80000000;

}  // namespace

SystemOperations::SystemOperations(Platform& platform) : platform_(platform) {}

SystemOperations::~SystemOperations() {
  WaitForTrayCommands();
}

void SystemOperations::ExitWindowsWithPrivilege(unsigned flags) {
  // The Windows 9x family has no privileges; on NT the shutdown privilege is
  // held only for the one call.
  if (platform_.IsWin9xPlatform()) {
    platform_.ExitWindows(flags, kPlannedShutdownReason);
    return;
  }
  platform_.SetShutdownPrivilege(true);
  platform_.ExitWindows(flags, kPlannedShutdownReason);
  platform_.SetShutdownPrivilege(false);
}

void SystemOperations::ShutDownComputer() {
  ExitWindowsWithPrivilege(kExitShutDownPowerOff);
}

void SystemOperations::RestartComputer() {
  ExitWindowsWithPrivilege(kExitReboot);
}

void SystemOperations::ShowShutdownDialog() {
  platform_.ShowShutdownDialog();
}

void SystemOperations::ShowSystemProperties() {
  platform_.ShowSystemProperties();
}

void SystemOperations::ToggleCdDoor() {
  std::lock_guard lock(togglesMutex_);
  toggles_.remove_if([](const std::future<void>& toggle) {
    return toggle.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  });
  toggles_.push_back(std::async(std::launch::async, [this] { ToggleNow(); }));
}

void SystemOperations::WaitForTrayCommands() {
  std::lock_guard lock(togglesMutex_);
  for (std::future<void>& toggle : toggles_) toggle.wait();
  toggles_.clear();
}

void SystemOperations::ToggleNow() {
  std::lock_guard lock(cdDoorMutex_);
  if (cdDoorOpen_)
    CloseCdDoor();
  else
    OpenCdDoor();
  cdDoorOpen_ = !cdDoorOpen_;
}

// "wait" makes each call return only when the tray has moved. A drive is
// opened as a device of its own under an alias, so that every drive's tray
// moves, not only the default device's.
void SystemOperations::SendDoorCommand(const char* state) {
  const std::vector<std::string> drives = platform_.CdDrives();
  if (drives.empty()) {
    platform_.MciSendString(std::string("Set  cdaudio  door  ") + state + "  wait");
    return;
  }
  for (const std::string& drive : drives) {
    const std::string alias = "tavrelin_cd_" + drive.substr(0, 1);
    platform_.MciSendString("Open  " + drive + "  type  cdaudio  alias  " + alias);
    platform_.MciSendString("Set  " + alias + "  door  " + state + "  wait");
    platform_.MciSendString("Close  " + alias);
  }
}

void SystemOperations::OpenCdDoor() {
  SendDoorCommand("open");
}

void SystemOperations::CloseCdDoor() {
  SendDoorCommand("closed");
}

void SystemOperations::OpenControlPanel() {
  platform_.WinExec("rundll32 shell32,Control_RunDLL", kShow);
}

void SystemOperations::OpenAddRemovePrograms() {
  platform_.WinExec("rundll32.exe shell32.dll, Control_RunDLL Appwiz.cpl", kShow);
}

void SystemOperations::OpenDisplayProperties() {
  platform_.WinExec("rundll32.exe shell32.dll, Control_RunDLL desk.cpl", kShow);
}

void SystemOperations::OpenDateTimeProperties() {
  platform_.WinExec("rundll32.exe shell32.dll, Control_RunDLL timedate.cpl", kShow);
}

namespace {

// The command line the Run value holds: the program's path in quotes, so that
// Windows does not try "C:\Program" first for a path with blanks.
std::string AutoRunCommand(Platform& platform) {
  return "\"" + platform.ProgramFileName() + "\"";
}

}  // namespace

namespace {

// The first Run key (the machine's, then the user's) holding a value of the
// program's name, with that value.
std::optional<std::pair<RunKey, std::string>> StoredAutoRun(Platform& platform) {
  for (RunKey key : {RunKey::kMachine, RunKey::kCurrentUser}) {
    std::optional<std::string> value = platform.ReadRunValue(key, kRunValueName);
    if (value && !value->empty()) return std::pair{key, std::move(*value)};
  }
  return std::nullopt;
}

}  // namespace

bool SystemOperations::AutoRunStored() {
  return StoredAutoRun(platform_).has_value();
}

bool SystemOperations::ReadAutoRun() {
  const auto stored = StoredAutoRun(platform_);
  if (!stored) return false;
  // The program folder may have moved since the value was written, or an
  // earlier version stored the path without quotes. A key the user may only
  // read keeps its value as it is.
  const std::string command = AutoRunCommand(platform_);
  if (stored->second != command) platform_.WriteRunValue(stored->first, kRunValueName, command);
  return true;
}

SystemOperations::AutoRunPlace SystemOperations::WriteAutoRun(bool on) {
  if (!on) {
    platform_.DeleteRunValue(RunKey::kMachine, kRunValueName);
    platform_.DeleteRunValue(RunKey::kCurrentUser, kRunValueName);
    return AutoRunPlace::kNowhere;
  }
  const std::string command = AutoRunCommand(platform_);
  if (platform_.WriteRunValue(RunKey::kMachine, kRunValueName, command)) {
    platform_.DeleteRunValue(RunKey::kCurrentUser, kRunValueName);
    return AutoRunPlace::kMachine;
  }
  // A machine-wide value an administrator wrote starts the program already: a
  // second one under the user's key would start it twice.
  const std::optional<std::string> machine =
      platform_.ReadRunValue(RunKey::kMachine, kRunValueName);
  if (machine && !machine->empty()) return AutoRunPlace::kMachine;
  if (platform_.WriteRunValue(RunKey::kCurrentUser, kRunValueName, command)) {
    return AutoRunPlace::kCurrentUser;
  }
  return AutoRunPlace::kNowhere;
}

}  // namespace tav
