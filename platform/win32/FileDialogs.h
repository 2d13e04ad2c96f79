// The system's open and save dialogs, from a library loaded the first time
// one is shown: the common dialog library brings the printing system with
// it, which would otherwise load at start and stay in the memory of a
// program that mostly waits in the tray.
#pragma once

#include "platform/win32/WinApi.h"

#include <commdlg.h>

namespace tav {

// GetOpenFileNameW and GetSaveFileNameW; false when cancelled, or when the
// library is missing.
bool RunOpenFileDialog(OPENFILENAMEW& dialog);
bool RunSaveFileDialog(OPENFILENAMEW& dialog);

}  // namespace tav
