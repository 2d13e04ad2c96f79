// The real platform's clipboard and thread preparation: a paste must know
// when its text did not reach the clipboard, and a run's thread must have
// COM before it calls the shell.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/win32/Wide.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

// The clipboard's text, or "(none)".
std::string ClipboardText() {
  if (!OpenClipboard(nullptr)) return "(closed)";
  std::string text = "(none)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = Narrow(wide);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// The apartment COM has on the calling thread: an attempt at a
// multithreaded one fails when the thread is apartment-threaded already.
bool ThreadIsApartmentThreaded() {
  const HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (SUCCEEDED(result)) CoUninitialize();
  return result == RPC_E_CHANGED_MODE;
}

TEST(PlatformWin32Test, ClipboardHeldByAnotherWindowIsReportedAndKeepsItsText) {
  QuietWin32Platform platform;
  ASSERT_TRUE(platform.SetClipboardText("旧的内容"));
  EXPECT_EQ(ClipboardText(), "旧的内容");

  // Another thread's window holds the clipboard open until told to let go.
  std::promise<void> opened, release;
  std::thread holder([&] {
    HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    const bool open = OpenClipboard(window) != 0;
    opened.set_value();
    release.get_future().wait();
    if (open) CloseClipboard();
    DestroyWindow(window);
  });
  opened.get_future().wait();
  EXPECT_FALSE(platform.SetClipboardText("新的内容"));
  release.set_value();
  holder.join();
  EXPECT_EQ(ClipboardText(), "旧的内容");

  EXPECT_TRUE(platform.SetClipboardText("新的内容"));
  EXPECT_EQ(ClipboardText(), "新的内容");
}

TEST(PlatformWin32Test, RunThreadHasAnApartmentWhilePrepared) {
  QuietWin32Platform platform;
  std::async(std::launch::async, [&] {
    EXPECT_FALSE(ThreadIsApartmentThreaded());
    {
      const std::shared_ptr<void> prepared = platform.PrepareRunThread();
      EXPECT_TRUE(ThreadIsApartmentThreaded());
    }
    EXPECT_FALSE(ThreadIsApartmentThreaded()) << "released at the end of the run";
  }).get();
}

TEST(PlatformWin32Test, ApartmentOnAThreadThatHasAnotherIsLeftAlone) {
  std::async(std::launch::async, [] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
      ComApartment apartment;
      EXPECT_FALSE(apartment.initialized());
    }
    // Still initialised once: the one uninitialise below balances it.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
  }).get();
}

// A box of the program is owned by the window the user works in, which stays
// disabled while the box is up; from the tray, with no window active, the box
// stands alone.
TEST(PlatformWin32Test, MessageBoxIsOwnedByTheActiveWindow) {
  Win32Platform platform;
  struct Seen {
    HWND owner = nullptr;
    bool ownerEnabled = true;
  } seen;
  DialogWatch watch(L"平台测试", [&seen](HWND box) {
    seen.owner = GetWindow(box, GW_OWNER);
    seen.ownerEnabled = seen.owner && IsWindowEnabled(seen.owner);
    PressButton(box, IDOK);
  });
  HWND window = CreateWindowExW(0, L"STATIC", L"活动窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  SetActiveWindow(window);
  ASSERT_EQ(GetActiveWindow(), window);
  EXPECT_EQ(platform.MessageBox("内容", "平台测试", MB_OK), IDOK);
  EXPECT_EQ(seen.owner, window);
  EXPECT_FALSE(seen.ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(window)) << "enabled again once the box has gone";

  ShowWindow(window, SW_HIDE);
  seen = {};
  EXPECT_EQ(platform.MessageBox("内容", "平台测试", MB_OK), IDOK);
  EXPECT_EQ(watch.count(), 2);
  EXPECT_EQ(seen.owner, nullptr);
  DestroyWindow(window);
}

TEST(PlatformWin32Test, SystemPropertiesAskForAnObjectTheShellKnows) {
  PIDLIST_ABSOLUTE object = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHParseDisplayName(kComputerObject, nullptr, &object, 0, nullptr)));
  wchar_t name[MAX_PATH] = {};
  EXPECT_TRUE(SHGetPathFromIDListW(object, name) == FALSE)
      << "the computer is no folder of the file system";
  CoTaskMemFree(object);
}

TEST(PlatformWin32Test, SleepKeepsWithinTwoMillisecondsOnARunThread) {
  QuietWin32Platform platform;
  std::thread([&platform] {
    const auto preparation = platform.PrepareRunThread();
    for (uint32_t ms : {1u, 3u, 7u, 16u, 20u}) {
      // The median of a few, so that a busy machine's scheduling does not count.
      std::vector<double> took;
      for (int i = 0; i < 7; ++i) {
        const auto start = std::chrono::steady_clock::now();
        platform.Sleep(ms);
        took.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
      }
      std::sort(took.begin(), took.end());
      EXPECT_GE(took.front(), ms - 0.5) << ms;
      EXPECT_LE(took[took.size() / 2], ms + 2.0) << ms;
    }
  }).join();
}

}  // namespace
}  // namespace tav::test
