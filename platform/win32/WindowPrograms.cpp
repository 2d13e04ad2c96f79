#include "platform/win32/WindowPrograms.h"

#include <algorithm>

#include "base/AsciiText.h"
#include "platform/win32/Wide.h"

namespace tav {

WindowProgram DescribeWindow(HWND window) {
  WindowProgram program;
  program.window = window;
  if (!window) return program;
  wchar_t title[512] = L"";
  GetWindowTextW(window, title, static_cast<int>(std::size(title)));
  program.title = Narrow(title);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  // The limited right is granted for processes of higher integrity too.
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return program;
  wchar_t path[MAX_PATH * 2] = L"";
  DWORD size = static_cast<DWORD>(std::size(path));
  if (QueryFullProcessImageNameW(process, 0, path, &size)) {
    const std::wstring_view full(path, size);
    program.path = Narrow(full);
    const size_t slash = full.find_last_of(L"\\/");
    program.executable = Narrow(slash == std::wstring_view::npos ? full : full.substr(slash + 1));
  }
  CloseHandle(process);
  return program;
}

std::vector<WindowProgram> VisibleWindowPrograms() {
  struct Found {
    std::vector<WindowProgram> programs;
    DWORD ownProcess = GetCurrentProcessId();
  } found;
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& found = *reinterpret_cast<Found*>(context);
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (processId == found.ownProcess || !IsWindowVisible(window) ||
            GetWindow(window, GW_OWNER) || GetWindowTextLengthW(window) == 0) {
          return TRUE;
        }
        WindowProgram program = DescribeWindow(window);
        const bool known =
            std::any_of(found.programs.begin(), found.programs.end(), [&](const WindowProgram& p) {
              return EqualsIgnoringAsciiCase(p.executable, program.executable);
            });
        if (!program.executable.empty() && !known) found.programs.push_back(std::move(program));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.programs;
}

HICON WindowSmallIcon(HWND window) {
  // A window that does not serve its messages must not hold the caller up.
  constexpr UINT kAnswerWithinMs = 200;
  for (WPARAM kind : {ICON_SMALL, ICON_BIG}) {
    DWORD_PTR icon = 0;
    if (SendMessageTimeoutW(window, WM_GETICON, kind, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                            kAnswerWithinMs, &icon) &&
        icon) {
      return reinterpret_cast<HICON>(icon);
    }
  }
  for (int index : {GCLP_HICONSM, GCLP_HICON}) {
    if (const ULONG_PTR icon = GetClassLongPtrW(window, index))
      return reinterpret_cast<HICON>(icon);
  }
  return nullptr;
}

}  // namespace tav
