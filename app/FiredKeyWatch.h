// Watches the key of the hotkey that fired last, from a thread of its own,
// and tells the hotkey service each time it goes up. On its own thread so
// that a busy user-interface thread, with hotkey messages waiting in its
// queue, still learns whether the key was let go between them. Once the key
// has stayed up for a second the thread sleeps until the next firing.
#pragma once

#include "platform/win32/WinApi.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "app/HotkeyService.h"

namespace tav {

class FiredKeyWatch {
 public:
  explicit FiredKeyWatch(HotkeyService& service) : service_(service) {}
  ~FiredKeyWatch();
  FiredKeyWatch(const FiredKeyWatch&) = delete;
  FiredKeyWatch& operator=(const FiredKeyWatch&) = delete;

  // Watches `virtualKey`, down at `firedTime` (the hotkey message's time).
  void Watch(unsigned virtualKey, uint32_t firedTime);

 private:
  void Run();

  HotkeyService& service_;
  std::mutex mutex_;
  std::condition_variable wake_;
  unsigned key_ = 0;  // 0: none watched
  uint32_t firedTime_ = 0;
  bool fired_ = false;  // a firing not yet looked at
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace tav
