// The one place where an action string is interpreted: a hotkey's action or
// a line of a script. An action string is, in this order of recognition,
// nothing (empty or only a comment), a script command, a ".tsc" script file
// to run, or one of the twelve built-in operations; anything else is opened
// through the shell (programs, documents, folders, shortcuts, addresses).
//
// The dispatcher is the action engine: it owns the script runs and the
// system operations. Create one on the user-interface thread with the
// platform and the main window's program control, and keep it as long as
// the main window.
//
// Threads. RunAction works on the calling thread: the user-interface thread
// for a fired hotkey, a run's own thread for a script line. A run hands the
// main-window operations, the paste, the two shell dialogs and its message
// boxes to the user-interface thread through Platform::RunOnUiThread and
// waits for each. That call must run the call inline on the user-interface
// thread, and from another thread either run it there and return when it has
// finished, or return without running it once the program is ending; it must
// never let its caller go while the call is still running.
//
// Program end: when the main window starts closing, call RequestStop() (and
// let RunOnUiThread refuse from then on); once the message loop has ended,
// call Shutdown() on the user-interface thread (the destructor does too). A
// run in a delay wakes at once, a run between lines stops before the next,
// and a run's end lets go of the keys it left down from its own thread, so no
// key stays down after the program has gone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "actions/ProgramControl.h"
#include "actions/RunControl.h"
#include "actions/ScriptRunner.h"
#include "actions/SystemOperations.h"
#include "platform/Platform.h"

namespace tav {

// The text that is recognised: the action string without its comment (from
// the first "$$/" on) and without bytes 0 to 32 at either end.
std::string_view ClassifiedText(std::string_view action);

// Whether the text names a script file: its extension (from the last ".",
// provided no "\" or ":" follows it) is ".tsc" in any case.
bool HasScriptExtension(std::string_view text);

// The built-in operations, in their order of recognition.
enum class BuiltInOperation {
  kCloseProgram,
  kShowMainWindow,
  kTogglePause,
  kShutDownComputer,
  kRestartComputer,
  kShutdownDialog,
  kToggleCdDoor,
  kControlPanel,
  kAddRemovePrograms,
  kSystemProperties,
  kDisplayProperties,
  kDateTimeProperties,
};

// The built-in operation whose name equals the whole classified text.
std::optional<BuiltInOperation> FindBuiltInOperation(std::string_view classified);

class ActionDispatcher {
 public:
  // `waiter` replaces the delay commands' wait (tests); leave it empty.
  ActionDispatcher(Platform& platform, ProgramControl& program, DelayWaiter waiter = {});
  // Shuts down if that has not been done.
  ~ActionDispatcher();
  ActionDispatcher(const ActionDispatcher&) = delete;
  ActionDispatcher& operator=(const ActionDispatcher&) = delete;

  // Carries out an action string on the calling thread, or starts it (a
  // script runs on its own thread). What is not recognised goes to the
  // shell unchanged. Errors (a delay argument that is no integer) propagate.
  void RunAction(const std::string& action);

  // Recognises and carries out an action string; false when it is none of
  // the known kinds. Empty and comment-only texts count as handled.
  bool HandleAction(const std::string& action);

  // The shell's default open of the target; the result is not looked at.
  void ShellOpenTarget(const std::string& target);

  // Power, dialogs, CD tray, applets and the start-at-log-on value, for the
  // main window's menu and the settings centre.
  SystemOperations& System() { return system_; }

  // Marks the program as ending and returns at once: every delay under way
  // ends, runs end before their next line, no new run starts, and run
  // threads hand nothing more to the user-interface thread. Any thread.
  void RequestStop();

  // RequestStop, then waits until every run has ended and joins its thread.
  // Call it on the user-interface thread once Platform::RunOnUiThread no
  // longer waits for that thread (the main window is gone), never from code
  // that an action can reach. Calling it again does nothing more.
  void Shutdown();

  // Waits until every run under way has ended, without stopping them.
  // Never call it from a script run.
  void WaitForRuns();

 private:
  void StartScript(std::string_view fileName);
  void Carry(BuiltInOperation operation);

  Platform& platform_;
  ProgramControl& program_;
  SystemOperations system_;
  RunControl runControl_;
  // Declared last: its destruction waits for the runs, which use the rest.
  ScriptRunner runner_;
};

}  // namespace tav
