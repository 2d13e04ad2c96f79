#include "app/FiredKeyWatch.h"

#include <chrono>

namespace tav {

namespace {
// Shorter than the time a key stays up between two presses by hand.
constexpr std::chrono::milliseconds kPollInterval{10};
// How long the key must stay up before the watch sleeps.
constexpr DWORD kIdleAfterMs = 1000;
}  // namespace

FiredKeyWatch::~FiredKeyWatch() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void FiredKeyWatch::Watch(unsigned virtualKey, uint32_t firedTime) {
  {
    std::lock_guard lock(mutex_);
    key_ = virtualKey;
    firedTime_ = firedTime;
    fired_ = true;
  }
  wake_.notify_all();
  if (!thread_.joinable()) thread_ = std::thread(&FiredKeyWatch::Run, this);
}

void FiredKeyWatch::Run() {
  std::unique_lock lock(mutex_);
  bool wasDown = false;
  DWORD upSince = 0;
  while (!stop_) {
    if (key_ == 0) {
      wake_.wait(lock, [this] { return stop_ || key_ != 0; });
      continue;
    }
    const unsigned key = key_;
    const bool down = (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) != 0;
    const DWORD now = GetTickCount();
    if (fired_) {
      // The key was down at the firing. Found up already, it went up some
      // time after: a press that waits in the queue must count as new, so
      // the earliest time is told.
      fired_ = false;
      if (!down) service_.NoteFiredKeyUp(firedTime_ + 1);
      wasDown = down;
      upSince = now;
    } else if (wasDown && !down) {
      service_.NoteFiredKeyUp(now);
      wasDown = false;
      upSince = now;
    } else if (down) {
      wasDown = true;
    } else if (now - upSince >= kIdleAfterMs) {
      key_ = 0;
      continue;
    }
    wake_.wait_for(lock, kPollInterval, [this] { return stop_ || fired_; });
  }
}

}  // namespace tav
