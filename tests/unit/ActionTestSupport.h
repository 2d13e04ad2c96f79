// Test doubles for the action engine: a recording main window, a platform
// with a real user-interface thread, and script files in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "actions/ActionDispatcher.h"
#include "actions/ProgramControl.h"
#include "platform/RecordingPlatform.h"

namespace tav::test {

// The main window's side of the engine. Like the real one it suspends and
// restores a hotkey on the platform (id 1, Ctrl+Q), so the platform's log
// shows them in order.
class RecordingProgram : public ProgramControl {
 public:
  explicit RecordingProgram(Platform& platform) : platform_(platform) {}

  std::vector<std::string> Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  // The threads on which the calls named `call` ran.
  std::vector<std::thread::id> ThreadsOf(const std::string& call) const {
    std::lock_guard lock(mutex_);
    std::vector<std::thread::id> threads;
    for (size_t i = 0; i < calls_.size(); ++i) {
      if (calls_[i] == call) threads.push_back(threads_[i]);
    }
    return threads;
  }

  // Runs inside every call, given its name: the real window's close stops
  // the engine, and its operations may fail.
  std::function<void(const std::string& call)> onCall;
  // "粘贴后恢复剪贴板".
  bool restoreClipboard = false;

  void CloseMainWindow() override { Record("CloseMainWindow"); }
  void ShowMainWindow() override { Record("ShowMainWindow"); }
  void TogglePause() override { Record("TogglePause"); }
  void UnregisterHotkeys(bool all) override {
    Record(all ? "UnregisterHotkeys(true)" : "UnregisterHotkeys(false)");
    platform_.UnregisterHotKey(1);
  }
  void RegisterAll() override {
    Record("RegisterAll");
    platform_.RegisterHotKey(1, 2, 'Q');
  }
  bool RestoresClipboardAfterPaste() override { return restoreClipboard; }
  void ShowNotice(const std::string& text) override { Record("ShowNotice(" + text + ")"); }

 private:
  void Record(const std::string& call) {
    {
      std::lock_guard lock(mutex_);
      calls_.push_back(call);
      threads_.push_back(std::this_thread::get_id());
    }
    if (onCall) onCall(call);
  }

  Platform& platform_;
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  std::vector<std::thread::id> threads_;
};

// A recording platform whose RunOnUiThread hands the call to a thread of its
// own and waits, as the Windows program does through its main window. After
// CloseWindow() it refuses every hand-off that has not started, like a
// program whose main window is gone.
class UiThreadPlatform : public RecordingPlatform {
 public:
  UiThreadPlatform() : ui_([this] { Serve(); }) {}
  ~UiThreadPlatform() override {
    CloseWindow();
    ui_.join();
  }

  std::thread::id UiThreadId() const { return ui_.get_id(); }
  void CloseWindow() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }
  // Hand-offs waiting for the user-interface thread.
  size_t Pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
  }

  void RunOnUiThread(const std::function<void()>& call) override {
    if (std::this_thread::get_id() == ui_.get_id()) return call();
    Task task{&call};
    std::unique_lock lock(mutex_);
    if (closed_) return;
    queue_.push_back(&task);
    changed_.notify_all();
    changed_.wait(lock, [&] { return task.done || (closed_ && !task.started); });
    std::erase(queue_, &task);
  }

 private:
  struct Task {
    const std::function<void()>* call;
    bool started = false;
    bool done = false;
  };

  void Serve() {
    std::unique_lock lock(mutex_);
    while (true) {
      changed_.wait(lock, [&] { return closed_ || !queue_.empty(); });
      if (closed_) return;
      Task* task = queue_.front();
      queue_.pop_front();
      task->started = true;
      lock.unlock();
      (*task->call)();
      lock.lock();
      task->done = true;
      changed_.notify_all();
    }
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Task*> queue_;
  bool closed_ = false;
  std::thread ui_;  // last: it starts serving once the rest exists
};

// A folder of its own under the system's temporary folder, removed at the end.
class TempFolder {
 public:
  TempFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("tavrelin-actions-" + std::to_string(std::random_device()()))) {
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  // Writes `bytes` unchanged to the file `name`; answers its full name.
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
    return PathOf(name);
  }
  std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Polls `condition` for up to two seconds.
inline bool Eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// The engine on the recording fake, with delays recorded instead of waited.
class RecordedEngineTest : public ::testing::Test {
 protected:
  RecordingPlatform platform_;
  RecordingProgram program_{platform_};
  std::vector<long long> waits_;  // delays, in milliseconds, without waiting
  ActionDispatcher engine_{platform_, program_, [this](std::chrono::milliseconds duration) {
                             waits_.push_back(duration.count());
                             return true;
                           }};
};

}  // namespace tav::test
