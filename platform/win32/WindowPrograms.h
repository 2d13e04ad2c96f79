// Which program a window belongs to: the executable's file name and the
// window's title. For the foreground watch, and for the hotkey editor's
// "选择程序…", which offers the programs that have visible windows now.
#pragma once

#include "platform/win32/WinApi.h"

#include <string>
#include <vector>

namespace tav {

struct WindowProgram {
  std::string executable;  // "notepad.exe"; empty when the process cannot be opened
  std::string title;
};

WindowProgram DescribeWindow(HWND window);

// The visible, titled top-level windows without an owner, one per program
// (the first window met in Z order), this program's own left out.
std::vector<WindowProgram> VisibleWindowPrograms();

}  // namespace tav
