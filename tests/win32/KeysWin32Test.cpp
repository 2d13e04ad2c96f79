// Integrity levels as the real system reports them: which processes the
// program's keys cannot reach, and the message filter an elevated program
// opens.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Elevation.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

TEST(ElevationTest, ProcessesOfTheSameLevelAreNotAbove) {
  EXPECT_FALSE(RunsAboveThisProcess(GetCurrentProcessId()));
  // A second copy of this program, held before it runs a line.
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(path) + L"\" --gtest_list_tests";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ASSERT_TRUE(CreateProcessW(path, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                             nullptr, nullptr, &startup, &child));
  EXPECT_FALSE(RunsAboveThisProcess(child.dwProcessId));
  TerminateProcess(child.hProcess, 0);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  // A process that is gone is no target above us.
  EXPECT_FALSE(RunsAboveThisProcess(0xFFFFFFF0));
}

TEST(ElevationTest, ForegroundWindowOfThisProcessTakesItsKeys) {
  QuietWin32Platform platform;
  HWND window = CreateWindowExW(0, L"STATIC", L"前台", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(window);
  EXPECT_FALSE(platform.ForegroundWindowIsElevated());
  DestroyWindow(window);
}

// The filter function exists from Windows 7 on: it is found at run time and
// every message asked for is let through.
TEST(ElevationTest, MessagesFromLowerLevelsAreLetThroughTheFilter) {
  HWND window =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  EXPECT_EQ(AllowMessagesFromLowerLevels(window, {taskbarCreated, WM_DROPFILES, WM_COPYDATA, 0x49}),
            4);
  DestroyWindow(window);
}

}  // namespace
}  // namespace tav::test
