// Integrity levels: whether another process runs above this one (the system
// then drops the input this program sends it), and the message filter an
// elevated program opens for the messages that come from below.
#pragma once

#include "platform/win32/WinApi.h"

#include <initializer_list>

namespace tav {

// Whether the process runs at a higher integrity level than this one: an
// elevated program seen from one that is not. A process whose token may not
// be read while this one is not elevated counts as above it.
bool RunsAboveThisProcess(DWORD processId);

// Whether this process runs elevated (TokenElevation).
bool ThisProcessIsElevated();

// Lets the messages reach `window` from processes of lower integrity levels
// (ChangeWindowMessageFilterEx, looked up at run time); answers how many were
// allowed, 0 where the system has no such filter.
int AllowMessagesFromLowerLevels(HWND window, std::initializer_list<UINT> messages);

}  // namespace tav
