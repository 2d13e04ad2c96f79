#include "actions/RunControl.h"

#include <exception>

namespace tav {

namespace {

thread_local bool t_onRunThread = false;

}  // namespace

RunControl::RunThreadScope::RunThreadScope() {
  t_onRunThread = true;
}

RunControl::RunThreadScope::~RunThreadScope() {
  t_onRunThread = false;
}

bool RunControl::OnRunThread() {
  return t_onRunThread;
}

RunControl::RunControl(Platform& platform) : platform_(platform) {}

void RunControl::RequestStop() {
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
  }
  stopped_.notify_all();
}

bool RunControl::WaitFor(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  return !stopped_.wait_for(lock, duration, [this] { return stopRequested_.load(); });
}

bool RunControl::TryOnUiThread(const std::function<void()>& call) {
  if (t_onRunThread && StopRequested())
    return false;
  // The platform's hand-off carries no errors across threads: catch them on
  // the user-interface thread and rethrow them here.
  bool ran = false;
  std::exception_ptr error;
  platform_.RunOnUiThread([&] {
    ran = true;
    try {
      call();
    } catch (...) {
      error = std::current_exception();
    }
  });
  if (error)
    std::rethrow_exception(error);
  return ran;
}

void RunControl::OnUiThread(const std::function<void()>& call) {
  if (!TryOnUiThread(call) && t_onRunThread)
    throw RunEnded{};
}

}  // namespace tav
