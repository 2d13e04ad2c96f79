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
  std::string path;  // the executable's full path, empty with the name
  HWND window = nullptr;
};

WindowProgram DescribeWindow(HWND window);

// The visible, titled top-level windows without an owner, one per program
// (the first window met in Z order), this program's own left out.
std::vector<WindowProgram> VisibleWindowPrograms();

// The small icon a window shows in its caption, owned by the window or its
// class (not to be destroyed); null when it has none or does not answer
// within a moment (a hung program).
HICON WindowSmallIcon(HWND window);

}  // namespace tav
