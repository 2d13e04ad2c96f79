// The operating-system operations behind the built-in actions: power off and
// restart, the shell's shut-down and system-properties dialogs, the CD tray,
// the control-panel applets, and the start-at-log-on value.
#pragma once

#include <future>
#include <list>
#include <mutex>
#include <string>

#include "platform/Platform.h"

namespace tav {

class SystemOperations {
 public:
  explicit SystemOperations(Platform& platform);
  // Waits for tray commands still under way.
  ~SystemOperations();
  SystemOperations(const SystemOperations&) = delete;
  SystemOperations& operator=(const SystemOperations&) = delete;

  void ShutDownComputer();
  void RestartComputer();

  // The two shell dialogs are modal to the application's window: call them
  // on the user-interface thread.
  void ShowShutdownDialog();
  void ShowSystemProperties();

  // Opens the trays if the program's last tray command was not "open",
  // otherwise closes them: every CD drive's, or the default CD device's when
  // no drive is listed. A tray takes seconds to move, so the commands run on
  // a thread of their own and this returns at once; toggles follow one
  // another in the order they take the lock.
  void ToggleCdDoor();
  // Waits until every toggle begun so far has sent its commands.
  void WaitForTrayCommands();
  void OpenCdDoor();
  void CloseCdDoor();

  void OpenControlPanel();
  void OpenAddRemovePrograms();
  void OpenDisplayProperties();
  void OpenDateTimeProperties();

  // Whether the program starts at log-on: a non-empty value under the
  // machine-wide Run key or, failing that, under the current user's. A value
  // naming another program file is rewritten to name the running one.
  bool ReadAutoRun();
  // The same answer, read only: nothing is rewritten.
  bool AutoRunStored();

  // Where WriteAutoRun stored the value.
  enum class AutoRunPlace { kNowhere, kMachine, kCurrentUser };
  // On: stores the value under the machine-wide key, or under the current
  // user's when the machine-wide key cannot be written (a standard user);
  // one value only, so the program never starts twice. Off: removes both.
  AutoRunPlace WriteAutoRun(bool on);

 private:
  void ExitWindowsWithPrivilege(unsigned flags);
  void ToggleNow();
  void SendDoorCommand(const char* state);

  Platform& platform_;
  // The program's one lock: it makes a toggle's read of the flag, its device
  // command and its flip of the flag one step.
  std::mutex cdDoorMutex_;
  bool cdDoorOpen_ = false;  // the last tray command was "open"
  // Toggles under way, each on its own thread.
  std::mutex togglesMutex_;
  std::list<std::future<void>> toggles_;
};

}  // namespace tav
