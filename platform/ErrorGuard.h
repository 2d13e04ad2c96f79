// The program's general error report: every event handler runs inside this
// guard, which shows an escaped error's message in a message box and lets the
// program go on.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "base/TextEncoding.h"
#include "base/Version.h"
#include "platform/Platform.h"

namespace tav {

// Shows an error's message. Never throws: the text is made valid UTF-8
// first, and should the box itself fail there is nothing more to be done.
inline void ShowErrorMessage(Platform& platform, const char* message) noexcept {
  try {
    platform.MessageBox(ReplaceInvalidUtf8(message), kApplicationTitle, mb::kOk | mb::kIconError);
  } catch (...) {
  }
}

// Runs `handler`; answers false when it ended with an error, which has then
// been shown to the user. Never throws, whatever the error's message holds.
template <class Handler>
bool RunGuarded(Platform& platform, Handler&& handler) noexcept {
  try {
    std::forward<Handler>(handler)();
    return true;
  } catch (const std::exception& error) {
    ShowErrorMessage(platform, error.what());
  } catch (...) {
    ShowErrorMessage(platform, "Unknown error");
  }
  return false;
}

}  // namespace tav
