#include "platform/win32/MessageLoop.h"

#include <algorithm>
#include <vector>

namespace tav {

namespace {

// The modeless dialogs of the user-interface thread.
std::vector<HWND>& ModelessDialogs() {
  static std::vector<HWND> dialogs;
  return dialogs;
}

}  // namespace

void RegisterModelessDialog(HWND dialog) {
  if (std::find(ModelessDialogs().begin(), ModelessDialogs().end(), dialog) ==
      ModelessDialogs().end()) {
    ModelessDialogs().push_back(dialog);
  }
}

void UnregisterModelessDialog(HWND dialog) {
  std::erase(ModelessDialogs(), dialog);
}

bool HandleModelessDialogMessage(MSG& message) {
  for (HWND dialog : ModelessDialogs()) {
    if (message.hwnd != dialog && !IsChild(dialog, message.hwnd)) continue;
    return IsDialogMessageW(dialog, &message) != 0;
  }
  return false;
}

int RunMessageLoop() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (HandleModelessDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : -1;
}

}  // namespace tav
