// The action engine's hold on its script runs: the "program is ending"
// signal that every run checks, the interruptible wait behind the delay
// commands, and the hand-off of a call to the user-interface thread.
//
// Shutdown in short: RequestStop() wakes every delay at once and makes runs
// end at their next line; from then on a run thread no longer hands anything
// to the user-interface thread (a refused hand-off ends the run), so the
// user-interface thread may wait for the runs to end without being waited
// for itself.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>

#include "platform/Platform.h"

namespace tav {

// Thrown inside a script run when the run must end at once because the
// program is ending; the run's thread catches it. It never reaches the
// user-interface thread.
struct RunEnded {};

// An error raised by a call that a script run handed to the user-interface
// thread, carried back to that run. Whatever its kind, the run ends and
// shows it once; a run's own errors are treated by their kind.
struct HandedOffError {
  std::exception_ptr error;
};

class RunControl {
 public:
  explicit RunControl(Platform& platform);
  RunControl(const RunControl&) = delete;
  RunControl& operator=(const RunControl&) = delete;

  // Marks the calling thread as a script run's thread while it lives.
  class RunThreadScope {
   public:
    RunThreadScope();
    ~RunThreadScope();
    RunThreadScope(const RunThreadScope&) = delete;
    RunThreadScope& operator=(const RunThreadScope&) = delete;
  };
  // Whether the calling thread is a script run's thread.
  static bool OnRunThread();

  void RequestStop();
  bool StopRequested() const { return stopRequested_.load(); }

  // Waits `duration`, the last few milliseconds through the platform's
  // Sleep; answers false when the wait was cut short because the program is
  // ending.
  bool WaitFor(std::chrono::milliseconds duration);

  // Carries `call` out on the user-interface thread and waits for it (on
  // that thread itself it runs at once). An error thrown by `call` is
  // rethrown here, on the calling thread: as it stands on the
  // user-interface thread, wrapped in HandedOffError on a run's thread. Answers false when the call
  // was not carried out: a run thread hands nothing over once the program is ending, and the
  // platform refuses once the main window is gone. `call` is copied; let it capture by value what
  // lives on the caller's stack.
  bool TryOnUiThread(const std::function<void()>& call);

  // The same for a step that a run must not skip: on a run thread a refused
  // hand-off ends the run (RunEnded).
  void OnUiThread(const std::function<void()>& call);

 private:
  Platform& platform_;
  std::atomic<bool> stopRequested_{false};
  std::mutex mutex_;
  std::condition_variable stopped_;
};

}  // namespace tav
