// The real platform's clipboard and thread preparation: a paste must know
// when its text did not reach the clipboard, and a run's thread must have
// COM before it calls the shell.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <thread>
#include <vector>

#include "platform/win32/Wide.h"
#include "tests/win32/Win32TestSupport.h"

// After windows.h.
#include <sddl.h>

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

void EmptyClipboardNow() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
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

// The DWORD a registered format holds on the clipboard; nullopt when the
// format is absent.
std::optional<DWORD> ClipboardDword(const wchar_t* formatName) {
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::optional<DWORD> value;
  if (HANDLE data = GetClipboardData(RegisterClipboardFormatW(formatName))) {
    if (const auto* bytes = static_cast<const DWORD*>(GlobalLock(data))) {
      if (GlobalSize(data) >= sizeof(DWORD)) value = *bytes;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return value;
}

// Text the program puts on the clipboard, at once or on request, stays out of
// the clipboard history and the cloud clipboard.
TEST(PlatformWin32Test, TextOnTheClipboardIsKeptOutOfHistoryAndCloud) {
  QuietWin32Platform platform;
  const std::function<void()> puts[] = {
      [&] { ASSERT_TRUE(platform.SetClipboardText("口令")); },
      [&] { platform.OfferClipboardText("口令"); },
  };
  for (const auto& put : puts) {
    ASSERT_TRUE(platform.SetClipboardText("x"));
    EmptyClipboardNow();
    put();
    EXPECT_EQ(ClipboardText(), "口令");
    EXPECT_EQ(ClipboardDword(L"ExcludeClipboardContentFromMonitorProcessing"), DWORD{0});
    EXPECT_EQ(ClipboardDword(L"CanIncludeInClipboardHistory"), DWORD{0});
    EXPECT_EQ(ClipboardDword(L"CanUploadToCloudClipboard"), DWORD{0});
  }
}

// A control's text, also of another process (WM_GETTEXT: GetWindowText
// gives only the caption there).
std::string WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return Narrow(text);
}

// Offered text counts as read only when the foreground window's process reads
// it: a clipboard monitor of another process asking first gets the text but
// does not let the user's earlier content come back before the paste.
TEST(PlatformWin32Test, OfferedTextIsReadOnlyWhenTheForegroundProcessReadsIt) {
  QuietWin32Platform platform;
  ForegroundNotepad target;
  ASSERT_TRUE(target.ready());

  platform.OfferClipboardText("给目标的文字");
  std::string monitorSaw;
  std::thread monitor([&] { monitorSaw = ClipboardText(); });
  EXPECT_FALSE(platform.WaitForClipboardRead(1500)) << "a monitor's read is not the paste";
  monitor.join();
  EXPECT_EQ(monitorSaw, "给目标的文字");

  platform.OfferClipboardText("给目标的文字");
  PostMessageW(target.edit(), WM_PASTE, 0, 0);
  EXPECT_TRUE(platform.WaitForClipboardRead(10000));
  // The target inserts the text once its read has returned.
  EXPECT_TRUE(Eventually([&] { return WindowText(target.edit()) == "给目标的文字"; }))
      << WindowText(target.edit());
}

// An owner that renders each of many formats slowly on request does not hold
// the paste up: saving stops reading after its time budget, text first.
TEST(PlatformWin32Test, SavingASlowlyRenderingOwnersClipboardIsBounded) {
  QuietWin32Platform platform;
  constexpr int kSlowFormats = 12;
  constexpr DWORD kRenderMs = 150;
  std::promise<HWND> made;
  std::thread owner([&] {
    HWND window = CreateWindowExW(0, L"STATIC", L"slow owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    SetWindowLongPtrW(window, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(
                          +[](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
                            if (message == WM_RENDERFORMAT) {
                              Sleep(kRenderMs);
                              const wchar_t text[] = L"earlier";
                              HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
                              memcpy(GlobalLock(memory), text, sizeof text);
                              GlobalUnlock(memory);
                              SetClipboardData(static_cast<UINT>(wParam), memory);
                              return 0;
                            }
                            if (message == WM_USER) PostQuitMessage(0);
                            return DefWindowProcW(hwnd, message, wParam, lParam);
                          }));
    OpenClipboard(window);
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, nullptr);
    for (int i = 0; i < kSlowFormats; ++i)
      SetClipboardData(RegisterClipboardFormatW((L"Slow " + std::to_wstring(i)).c_str()), nullptr);
    CloseClipboard();
    made.set_value(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    DestroyWindow(window);
  });
  HWND ownerWindow = made.get_future().get();

  const DWORD start = GetTickCount();
  const std::optional<ClipboardContent> saved = platform.SaveClipboard();
  const DWORD elapsed = GetTickCount() - start;
  PostMessageW(ownerWindow, WM_USER, 0, 0);
  owner.join();
  ASSERT_TRUE(saved.has_value());
  EXPECT_LT(elapsed, 1000u) << "all formats would take " << kSlowFormats * kRenderMs << " ms";
  ASSERT_FALSE(saved->empty());
  EXPECT_EQ(saved->front().format, unsigned{CF_UNICODETEXT});
}

// The current user's Run key made readable only, as the machine-wide key is
// for a standard user; its own access comes back with the object.
class ReadOnlyRunKey {
 public:
  ReadOnlyRunKey() {
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPath, 0, READ_CONTROL | WRITE_DAC, &key_) !=
        ERROR_SUCCESS)
      return;
    DWORD size = 0;
    RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
    saved_.resize(size);
    if (RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS)
      return;
    // Everyone may read; this user may also change the key's access again.
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE buffer[256];
    DWORD length = 0;
    GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &length);
    CloseHandle(token);
    wchar_t* sid = nullptr;
    ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid);
    const std::wstring sddl = L"D:(A;;KR;;;WD)(A;;0x60000;;;" + std::wstring(sid) + L")";
    LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor,
                                                         nullptr);
    restricted_ = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
  }
  ~ReadOnlyRunKey() {
    if (restricted_) RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
    if (key_) RegCloseKey(key_);
  }
  bool restricted() const { return restricted_; }
  static constexpr wchar_t kPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

 private:
  HKEY key_ = nullptr;
  std::vector<BYTE> saved_;
  bool restricted_ = false;
};

// A Run key the user may read but not write still shows its value (the menu
// shows start at log-on as on); writing and deleting fail without harm.
TEST(PlatformWin32Test, RunKeyThatCanOnlyBeReadIsStillRead) {
  QuietWin32Platform platform;
  constexpr char kName[] = "tavrelin_access_probe";
  ASSERT_TRUE(platform.WriteRunValue(RunKey::kCurrentUser, kName, "\"C:\\probe.exe\""));
  {
    ReadOnlyRunKey readOnly;
    ASSERT_TRUE(readOnly.restricted());
    EXPECT_EQ(platform.ReadRunValue(RunKey::kCurrentUser, kName), "\"C:\\probe.exe\"");
    EXPECT_FALSE(platform.WriteRunValue(RunKey::kCurrentUser, kName, "other"));
    platform.DeleteRunValue(RunKey::kCurrentUser, kName);
    EXPECT_EQ(platform.ReadRunValue(RunKey::kCurrentUser, kName), "\"C:\\probe.exe\"");
  }
  platform.DeleteRunValue(RunKey::kCurrentUser, kName);
  EXPECT_EQ(platform.ReadRunValue(RunKey::kCurrentUser, kName), "");
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
      // The quickest of a few: a busy machine's scheduling only adds to a
      // sleep, while sleeping in the system timer's 15.6 ms steps makes every
      // one of them long.
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
      EXPECT_LE(took.front(), ms + 2.0) << ms;
    }
  }).join();
}

}  // namespace
}  // namespace tav::test
