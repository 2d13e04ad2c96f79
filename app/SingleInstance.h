// One running copy per program folder. A second start of the same folder
// hands over to the running copy (its main window is shown, behind its
// access password) and ends; a copy in another folder keeps its own
// schemes and settings and runs beside it.
#pragma once

#include "platform/win32/WinApi.h"

#include <string>

#include "platform/win32/WinHandles.h"

namespace tav {

// The message a later start posts to the running copy's main window to have
// it shown; the same number in every copy of the folder, another in every
// other folder.
UINT ShowRunningCopyMessage(const std::string& programDirectory);
// What the running copy answers to the message; it shows its window after.
inline constexpr LRESULT kShowRunningCopyAnswer = 0x54617672;

class SingleInstance {
 public:
  // Takes the folder's named mutex, or finds it taken.
  explicit SingleInstance(const std::string& programDirectory);
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Whether a copy of the same folder runs already.
  bool AnotherRuns() const { return anotherRuns_; }
  // Asks the running copy to show its main window, and lets it come to the
  // foreground, which this start (the user's latest action) may grant.
  // Waits a little for its window should it still be starting.
  void ShowRunningCopy() const;

 private:
  std::string programDirectory_;
  UniqueKernelHandle mutex_;
  bool anotherRuns_ = false;
};

}  // namespace tav
