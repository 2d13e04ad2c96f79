// The program's general error report: every event handler runs inside this
// guard, which shows an escaped error's message in a message box and lets the
// program go on.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "base/Version.h"
#include "platform/Platform.h"

namespace tav {

// Runs `handler`; answers false when it ended with an error, which has then
// been shown to the user.
template <class Handler>
bool RunGuarded(Platform& platform, Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
    return true;
  } catch (const std::exception& error) {
    platform.MessageBox(error.what(), kApplicationTitle, mb::kOk | mb::kIconError);
  } catch (...) {
    platform.MessageBox("Unknown error", kApplicationTitle, mb::kOk | mb::kIconError);
  }
  return false;
}

}  // namespace tav
