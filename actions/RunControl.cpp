#include "actions/RunControl.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>

namespace tav {

namespace {

thread_local bool t_onRunThread = false;

// The last stretch of a delay, slept through the platform's precise sleep:
// a condition variable's wait follows the system timer's tick, which may be
// 15.6 ms, while a delay is to be kept within 2 ms. The stretch is longer
// than one tick, so the coarse wait never overshoots the delay's end.
constexpr std::chrono::milliseconds kPreciseStretch(20);

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
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + duration;
  {
    std::unique_lock lock(mutex_);
    if (stopped_.wait_until(lock, end - kPreciseStretch, [this] { return stopRequested_.load(); }))
      return false;
  }
  const auto left = std::chrono::round<std::chrono::milliseconds>(end - Clock::now());
  if (left.count() > 0) platform_.Sleep(static_cast<uint32_t>(left.count()));
  return !StopRequested();
}

bool RunControl::TryOnUiThread(const std::function<void()>& call) {
  if (t_onRunThread && StopRequested()) return false;
  // The platform's hand-off carries no errors across threads: they are
  // caught on the user-interface thread and rethrown here. The state lives
  // on the heap, not in this frame, so that a platform that lets its caller
  // go at shutdown while the call is still running leaves nothing dangling.
  struct HandOff {
    std::function<void()> call;
    std::atomic<bool> ran{false};
    std::atomic<bool> finished{false};
    std::exception_ptr error;  // written before `finished`
  };
  auto handOff = std::make_shared<HandOff>();
  handOff->call = call;
  platform_.RunOnUiThread([handOff] {
    handOff->ran = true;
    try {
      handOff->call();
    } catch (...) {
      handOff->error = std::current_exception();
    }
    handOff->finished = true;
  });
  if (handOff->finished && handOff->error) {
    if (t_onRunThread) throw HandedOffError{handOff->error};
    std::rethrow_exception(handOff->error);
  }
  return handOff->ran;
}

void RunControl::OnUiThread(const std::function<void()>& call) {
  if (!TryOnUiThread(call) && t_onRunThread) throw RunEnded{};
}

}  // namespace tav
