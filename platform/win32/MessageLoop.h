// The thread's message loop and the registry of modeless dialogs, whose
// dialog keys (Tab, Enter, Esc) it handles.
#pragma once

#include "platform/win32/WinApi.h"

namespace tav {

// Modeless dialogs register while they exist.
void RegisterModelessDialog(HWND dialog);
void UnregisterModelessDialog(HWND dialog);
// Gives the message to the modeless dialog it belongs to; true when that
// dialog handled it, and then it must not be dispatched again.
bool HandleModelessDialogMessage(MSG& message);

// Runs the thread's messages until WM_QUIT; answers its exit code.
int RunMessageLoop();

}  // namespace tav
