#include "tests/win32/Win32TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "base/TextEncoding.h"
#include "platform/win32/MessageLoop.h"
#include "platform/win32/Wide.h"

namespace tav::test {

int QuietWin32Platform::MessageBox(const std::string& text, const std::string& caption,
                                   unsigned /*style*/) {
  messages.push_back(text + "|" + caption);
  if (answers.empty()) return mb::kIdOk;
  const int answer = answers.front();
  answers.erase(answers.begin());
  return answer;
}

namespace {

// The watches of the test thread, and the hook that serves them while any
// lives.
struct Watches {
  std::vector<DialogWatch*> live;
  HHOOK hook = nullptr;
  // Actions due: (window, timer id) -> watch.
  std::map<std::pair<HWND, UINT_PTR>, DialogWatch*> due;
  UINT_PTR nextTimer = 0x7A00;
};

Watches& TheWatches() {
  static Watches watches;
  return watches;
}

std::wstring CaptionOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

}  // namespace

DialogWatch::DialogWatch(std::wstring caption, std::function<void(HWND)> action)
    : caption_(std::move(caption)), action_(std::move(action)) {
  Watches& watches = TheWatches();
  if (!watches.hook) {
    watches.hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &DialogWatch::AfterWindowProc, nullptr,
                                     GetCurrentThreadId());
  }
  watches.live.push_back(this);
}

DialogWatch::~DialogWatch() {
  Watches& watches = TheWatches();
  std::erase(watches.live, this);
  std::erase_if(watches.due, [this](const auto& entry) { return entry.second == this; });
  if (watches.live.empty() && watches.hook) {
    UnhookWindowsHookEx(watches.hook);
    watches.hook = nullptr;
  }
}

LRESULT CALLBACK DialogWatch::AfterWindowProc(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_SHOWWINDOW && call->wParam) {
    Watches& watches = TheWatches();
    for (DialogWatch* watch : watches.live) {
      if (CaptionOf(call->hwnd) != watch->caption_) continue;
      // The window is being shown: act once its message loop runs.
      const UINT_PTR timer = ++watches.nextTimer;
      if (SetTimer(call->hwnd, timer, USER_TIMER_MINIMUM, &DialogWatch::RunAction)) {
        watches.due[{call->hwnd, timer}] = watch;
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK DialogWatch::RunAction(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  auto node = TheWatches().due.extract({window, timer});
  if (node.empty()) return;
  DialogWatch* watch = node.mapped();
  ++watch->count_;
  watch->action_(window);
}

void PressButton(HWND dialog, int buttonId) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

std::wstring MessageBoxText(HWND box) {
  return CaptionOf(GetDlgItem(box, 0xFFFF));  // the static text of a message box
}

void TypeAndPress(HWND edit, const std::wstring& text, HWND dialog, int buttonId) {
  SetWindowTextW(edit, text.c_str());
  PressButton(dialog, buttonId);
}

bool CombinationTaken(unsigned modifiers, unsigned virtualKey) {
  constexpr int kProbeId = 0xBFFF;
  HWND probe = CreateWindowExW(0, L"STATIC", L"probe", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
  const bool free = RegisterHotKey(probe, kProbeId, modifiers, virtualKey) != 0;
  if (free) UnregisterHotKey(probe, kProbeId);
  DestroyWindow(probe);
  return !free;
}

void InjectCombination(unsigned modifiers, unsigned virtualKey) {
  const struct {
    unsigned flag;
    BYTE key;
  } modifierKeys[] = {{MOD_CONTROL, VK_CONTROL}, {MOD_ALT, VK_MENU}, {MOD_SHIFT, VK_SHIFT}};
  for (const auto& m : modifierKeys) {
    if (modifiers & m.flag) keybd_event(m.key, 0, 0, 0);
  }
  keybd_event(static_cast<BYTE>(virtualKey), 0, 0, 0);
  keybd_event(static_cast<BYTE>(virtualKey), 0, KEYEVENTF_KEYUP, 0);
  for (const auto& m : modifierKeys) {
    if (modifiers & m.flag) keybd_event(m.key, 0, KEYEVENTF_KEYUP, 0);
  }
}

std::vector<LPARAM> HotkeysFired(HWND window) {
  constexpr int kMarkerId = 0xBFFE;
  constexpr unsigned kMarkerModifiers = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
  std::vector<LPARAM> hotkeys;
  if (!RegisterHotKey(window, kMarkerId, kMarkerModifiers, VK_F12)) {
    ADD_FAILURE() << "the marker combination is taken";
    return hotkeys;
  }
  InjectCombination(kMarkerModifiers, VK_F12);
  // Only a lost marker ends the wait by the clock.
  const DWORD deadline = GetTickCount() + 10000;
  bool markerSeen = false;
  while (!markerSeen && static_cast<LONG>(deadline - GetTickCount()) > 0) {
    MSG message;
    while (!markerSeen && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_HOTKEY && message.hwnd == window) {
        if (message.wParam == kMarkerId) {
          markerSeen = true;
        } else {
          hotkeys.push_back(message.lParam);
        }
        continue;
      }
      if (HandleModelessDialogMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (!markerSeen) MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  UnregisterHotKey(window, kMarkerId);
  EXPECT_TRUE(markerSeen) << "the marker hotkey never arrived";
  return hotkeys;
}

std::string MakeProgramDirectory(const std::string& name, const std::string& schemeXml) {
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("tavrelin-win32-" + name);
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory / "Data");
  std::ofstream(directory / "hotkey.xml", std::ios::binary) << Utf8ToCp936(schemeXml);
  return Narrow(directory.wstring()) + "\\";
}

void WriteSchemeFile(const std::string& path, const std::string& schemeXml) {
  std::ofstream(std::filesystem::path(Widen(path)), std::ios::binary) << Utf8ToCp936(schemeXml);
}

std::string SchemeXml(const std::vector<std::pair<std::string, std::string>>& entries,
                      const std::string& password) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora>\r\n\t<set>\r\n\t\t<password>" +
      password + "</password>\r\n\t</set>\r\n\t<hotkeylist>\r\n";
  for (const auto& [key, action] : entries) {
    xml += "\t\t<hotkeyset><hotkey>" + key + "</hotkey><action>" + action +
           "</action><hint></hint><sort></sort></hotkeyset>\r\n";
  }
  return xml + "\t</hotkeylist>\r\n</velmora>\r\n";
}

namespace {
PasswordCharWatch* activePasswordCharWatch = nullptr;
}  // namespace

PasswordCharWatch::PasswordCharWatch() {
  activePasswordCharWatch = this;
  hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &Proc, nullptr, GetCurrentThreadId());
}

PasswordCharWatch::~PasswordCharWatch() {
  UnhookWindowsHookEx(hook_);
  activePasswordCharWatch = nullptr;
}

LRESULT CALLBACK PasswordCharWatch::Proc(int code, WPARAM wParam, LPARAM lParam) {
  const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && activePasswordCharWatch && sent.message == EM_SETPASSWORDCHAR &&
      sent.wParam == L'*') {
    activePasswordCharWatch->ids_.push_back(GetDlgCtrlID(sent.hwnd));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Eventually(const std::function<bool()>& ready, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!ready()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

ForegroundNotepad::ForegroundNotepad() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  wchar_t command[] = L"notepad.exe";
  if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process_))
    return;
  Eventually([&] {
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
          auto& self = *reinterpret_cast<ForegroundNotepad*>(lParam);
          DWORD process = 0;
          GetWindowThreadProcessId(window, &process);
          if (process != self.process_.dwProcessId || !IsWindowVisible(window)) return TRUE;
          self.window_ = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(this));
    return window_ != nullptr;
  });
  edit_ = FindWindowExW(window_, nullptr, L"Edit", nullptr);
  SetForegroundWindow(window_);
  Eventually([&] { return GetForegroundWindow() == window_; });
}

ForegroundNotepad::~ForegroundNotepad() {
  if (!process_.hProcess) return;
  TerminateProcess(process_.hProcess, 0);
  WaitForSingleObject(process_.hProcess, 5000);
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
}

void SaveScreenshot(HWND window, const std::string& name) {
  const char* folder = std::getenv("TAV_SCREENSHOT_DIR");
  if (!folder || !*folder) return;
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT client{};
  GetClientRect(window, &client);
  const int width = client.right, height = client.bottom;
  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const int stride = (width * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<size_t>(stride) * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(std::filesystem::path(folder) / (name + ".bmp"), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

}  // namespace tav::test
