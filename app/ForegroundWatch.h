// Which program is in front, learnt from the system's notifications rather
// than asked at every keystroke: an out-of-context event hook tells the
// user-interface thread when the foreground window changes (and, while some
// entry looks at titles, when its title changes), and the executable name
// is looked up once per change. Also whether the shell reports a full-screen
// program (a game owning the display, a presentation, a full-screen video).
#pragma once

#include "platform/win32/WinApi.h"

#include <functional>

#include "storage/EntryCondition.h"

namespace tav {

class ForegroundWatch {
 public:
  // `changed` runs on the installing thread, from its message loop, after
  // the window in front or its title changed.
  explicit ForegroundWatch(std::function<void()> changed);
  ~ForegroundWatch();
  ForegroundWatch(const ForegroundWatch&) = delete;
  ForegroundWatch& operator=(const ForegroundWatch&) = delete;

  // The window in front as last looked up.
  const ForegroundInfo& Current() const { return current_; }
  // Looks the window in front up again when it is not the one last seen
  // (a hotkey can arrive before the news of the change); true if it was.
  bool CatchUp();
  // Title changes are followed only while asked for: they are frequent.
  void WatchTitles(bool watch);

  // The executable file name and title of a window; empty texts when the
  // process cannot be opened.
  static ForegroundInfo Describe(HWND window);
  // Whether the shell reports a full-screen program or presentation mode.
  static bool FullScreenBusy();

 private:
  static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                               LONG child, DWORD thread, DWORD time);
  void Update(HWND window);

  std::function<void()> changed_;
  HWINEVENTHOOK foregroundHook_ = nullptr;
  HWINEVENTHOOK titleHook_ = nullptr;
  HWND window_ = nullptr;
  ForegroundInfo current_;
};

}  // namespace tav
