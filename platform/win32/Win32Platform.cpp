#include "platform/win32/Win32Platform.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <shlobj.h>

#include "platform/win32/Elevation.h"
#include "platform/win32/Wide.h"

namespace tav {

namespace {

constexpr wchar_t kRunKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kShellFoldersKeyPath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A text value of an open key; the empty text when it is absent or not text.
std::string ReadTextValue(HKEY key, const std::string& name) {
  const std::wstring valueName = Widen(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::string();
  }
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
    return std::string();
  }
  return Narrow(buffer.data());
}

struct FindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};

using ExitWindowsDialogFunction = void(WINAPI*)(HWND owner);
using ObjectPropertiesFunction = BOOL(WINAPI*)(HWND owner, DWORD kind, LPCWSTR name, LPCWSTR page);
using ObjectPropertiesFunctionA = BOOL(WINAPI*)(HWND owner, DWORD kind, LPCSTR name, LPCSTR page);

// An export found by ordinal, as the function type it has.
template <class Function>
Function ExportAs(FARPROC address) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// The multimedia library, loaded the first time a script runs or the disc
// tray is driven, and kept for the run: it brings the audio compression
// manager with it, which an idle program has no use for.
HMODULE Winmm() {
  static const HMODULE library = LoadLibraryW(L"winmm.dll");
  return library;
}

template <class Function>
Function WinmmFunction(const char* name) {
  HMODULE library = Winmm();
  return library ? ExportAs<Function>(GetProcAddress(library, name)) : nullptr;
}

using TimePeriodFunction = UINT(WINAPI*)(UINT period);
using MciSendStringFunction = DWORD(WINAPI*)(LPCSTR command, LPSTR answer, UINT size, HWND owner);

}  // namespace

// A call handed from a script thread to the user-interface thread. Shared
// between the two, so that a caller released at shutdown leaves nothing
// dangling behind.
struct Win32Platform::PendingCall {
  std::function<void()> call;
  Win32Platform* platform = nullptr;
  bool started = false;  // the user-interface thread has begun the call
  bool done = false;
};

Win32Platform::Win32Platform()
    : uiThreadId_(GetCurrentThreadId()), shell32_(LoadLibraryW(L"shell32.dll")) {
  if (shell32_) {
    exitWindowsDialog_ = GetProcAddress(shell32_.get(), MAKEINTRESOURCEA(60));
    objectProperties_ = GetProcAddress(shell32_.get(), MAKEINTRESOURCEA(178));
  }
}

void Win32Platform::BeginShutdown() {
  {
    std::lock_guard lock(callMutex_);
    shuttingDown_ = true;
  }
  callDone_.notify_all();
}

namespace {

// Windows 11 ignores timeBeginPeriod for a process without a visible
// window unless the process opts out of timer-resolution throttling
// (SetProcessInformation, Windows 11 and later; looked up, since Windows 7
// has no such call). The opt-out only keeps a request honoured: it costs
// nothing while no script asks for a fine timer.
void KeepTimerResolutionRequests() {
  using SetProcessInformationFunction =
      BOOL(WINAPI*)(HANDLE, PROCESS_INFORMATION_CLASS, LPVOID, DWORD);
  static const bool done = [] {
    const auto set = ExportAs<SetProcessInformationFunction>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetProcessInformation"));
    if (!set) return false;
    PROCESS_POWER_THROTTLING_STATE state{};
    state.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
    state.ControlMask = PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION;
    state.StateMask = 0;  // not throttled: the requested resolution holds
    return set(GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof state) != 0;
  }();
  (void)done;
}

// Keeps the system timer at 1 ms while a script runs, so that its delays are
// as long as asked for. Only then: a finer timer wakes the processor more
// often, and an idle program must not cost the system anything.
class FineTimer {
 public:
  FineTimer() {
    KeepTimerResolutionRequests();
    static const auto begin = WinmmFunction<TimePeriodFunction>("timeBeginPeriod");
    if (begin) begin(1);
  }
  ~FineTimer() {
    static const auto end = WinmmFunction<TimePeriodFunction>("timeEndPeriod");
    if (end) end(1);
  }
  FineTimer(const FineTimer&) = delete;
  FineTimer& operator=(const FineTimer&) = delete;
};

struct RunThreadPreparation {
  ComApartment com;
  FineTimer timer;
};

}  // namespace

std::shared_ptr<void> Win32Platform::PrepareRunThread() {
  return std::make_shared<RunThreadPreparation>();
}

void Win32Platform::RunOnUiThread(const std::function<void()>& call) {
  if (GetCurrentThreadId() == uiThreadId_) {
    call();
    return;
  }
  if (shuttingDown_ || !mainWindow_) return;
  auto pending = std::make_shared<PendingCall>();
  pending->call = call;
  pending->platform = this;
  auto* message = new std::shared_ptr<PendingCall>(pending);
  if (!PostMessageW(mainWindow_, kRunCallMessage, 0, reinterpret_cast<LPARAM>(message))) {
    delete message;
    return;
  }
  std::unique_lock lock(callMutex_);
  // At shutdown a call not yet begun is dropped; one under way is waited for,
  // so that the caller never goes on while its call still runs.
  callDone_.wait(lock, [&] { return pending->done || (shuttingDown_ && !pending->started); });
}

void Win32Platform::RunPendingCall(LPARAM lParam) {
  std::unique_ptr<std::shared_ptr<PendingCall>> message(
      reinterpret_cast<std::shared_ptr<PendingCall>*>(lParam));
  PendingCall& pending = **message;
  Win32Platform& self = *pending.platform;
  // The waiting thread is released however the call ends, errors included.
  struct ReleaseCaller {
    PendingCall& pending;
    Win32Platform& self;
    ~ReleaseCaller() {
      {
        std::lock_guard lock(self.callMutex_);
        pending.done = true;
      }
      self.callDone_.notify_all();
    }
  } releaseCaller{pending, self};
  {
    std::lock_guard lock(self.callMutex_);
    if (self.shuttingDown_) return;
    pending.started = true;
  }
  pending.call();
}

uint16_t Win32Platform::GlobalAddAtom(const std::string& name) {
  return GlobalAddAtomW(Widen(name).c_str());
}

void Win32Platform::GlobalDeleteAtom(uint16_t atom) {
  ::GlobalDeleteAtom(atom);
}

bool Win32Platform::RegisterHotKey(int id, unsigned modifiers, unsigned virtualKey) {
  return ::RegisterHotKey(mainWindow_, id, modifiers, virtualKey) != 0;
}

bool Win32Platform::UnregisterHotKey(int id) {
  return ::UnregisterHotKey(mainWindow_, id) != 0;
}

void Win32Platform::SendKeys(const std::vector<KeyInput>& events) {
  std::vector<INPUT> inputs(events.size());
  for (size_t i = 0; i < events.size(); ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = events[i].virtualKey;
    inputs[i].ki.wScan = events[i].scanCode;
    inputs[i].ki.dwFlags = events[i].flags;
  }
  if (!inputs.empty()) ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Win32Platform::MouseEvent(uint32_t flags) {
  mouse_event(flags, 0, 0, 0, 0);
}

namespace {
// The layout the keys are typed with: that of the foreground window's
// thread, which may differ from this thread's (layouts are per thread).
HKL TargetLayout() {
  return GetKeyboardLayout(GetWindowThreadProcessId(GetForegroundWindow(), nullptr));
}
}  // namespace

unsigned Win32Platform::MapVirtualKey(unsigned code, unsigned mapType) {
  return MapVirtualKeyExW(code, mapType, TargetLayout());
}

int16_t Win32Platform::VkKeyScan(char ch) {
  return VkKeyScanExA(ch, TargetLayout());
}

int16_t Win32Platform::GetAsyncKeyState(int virtualKey) {
  return ::GetAsyncKeyState(virtualKey);
}

bool Win32Platform::ForegroundWindowIsElevated() {
  DWORD processId = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &processId);
  return processId != 0 && RunsAboveThisProcess(processId);
}

namespace {

// Marks what is on the open clipboard as private: Windows 10 and 11 keep it
// out of the clipboard history and the cloud clipboard, and clipboard
// managers that honour the markers do not record it.
void MarkClipboardPrivate() {
  for (const char* name : kPrivateClipboardFormats) {
    const UINT format = RegisterClipboardFormatW(Widen(name).c_str());
    if (!format) continue;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DWORD));
    if (memory && !SetClipboardData(format, memory)) GlobalFree(memory);
  }
}

}  // namespace

bool Win32Platform::SetClipboardText(const std::string& text) {
  const std::wstring wide = Widen(text);
  ClipboardSession clipboard(mainWindow_);
  if (!clipboard.is_open()) return false;
  // Emptied first: should the text not fit in, the old content (possibly a
  // password) is gone rather than pasted in its place.
  EmptyClipboard();
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return false;
  if (void* data = GlobalLock(memory)) {
    memcpy(data, wide.c_str(), bytes);
    GlobalUnlock(memory);
    if (SetClipboardData(CF_UNICODETEXT, memory)) {  // the clipboard owns it now
      MarkClipboardPrivate();
      return true;
    }
  }
  GlobalFree(memory);
  return false;
}

namespace {

// Formats whose data is a handle of another kind than global memory: GDI
// objects and private handles. A bitmap comes back through CF_DIB, which
// the system offers beside it.
bool IsHandleFormat(UINT format) {
  switch (format) {
    case CF_BITMAP:
    case CF_PALETTE:
    case CF_METAFILEPICT:
    case CF_OWNERDISPLAY:
    case CF_DSPBITMAP:
    case CF_DSPMETAFILEPICT:
    case CF_DSPENHMETAFILE:
      return true;
    default:
      return (format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) ||
             (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
  }
}

HGLOBAL GlobalCopy(const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  if (!memory) return nullptr;
  if (void* target = GlobalLock(memory)) {
    if (size) memcpy(target, data, size);
    GlobalUnlock(memory);
    return memory;
  }
  GlobalFree(memory);
  return nullptr;
}

}  // namespace

Win32Platform::~Win32Platform() {
  if (clipboardWindow_) DestroyWindow(clipboardWindow_);
}

namespace {

// How long saving the user's clipboard may take. An owner that renders its
// data only when asked (a spreadsheet's large range) may take seconds per
// format; the formats not read by then are dropped, so that the paste does
// not wait for them.
constexpr DWORD kSaveBudgetMs = 400;

// The formats the clipboard holds, those most users paste first: text,
// then formatted text, pictures and file lists, then the rest in the order
// their owner put them.
std::vector<UINT> FormatsInSavingOrder() {
  std::vector<UINT> listed;
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
    listed.push_back(format);
  const UINT preferred[] = {CF_UNICODETEXT,
                            CF_TEXT,
                            CF_LOCALE,
                            RegisterClipboardFormatW(L"HTML Format"),
                            RegisterClipboardFormatW(L"Rich Text Format"),
                            CF_DIB,
                            CF_HDROP,
                            CF_ENHMETAFILE};
  std::vector<UINT> ordered;
  for (const UINT format : preferred) {
    if (std::find(listed.begin(), listed.end(), format) != listed.end()) ordered.push_back(format);
  }
  for (const UINT format : listed) {
    if (std::find(ordered.begin(), ordered.end(), format) == ordered.end())
      ordered.push_back(format);
  }
  return ordered;
}

}  // namespace

std::optional<ClipboardContent> Win32Platform::SaveClipboard() {
  // A window of this thread would take the paste only after it returned,
  // when the earlier content is already back: such a paste keeps its text.
  if (GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == GetCurrentThreadId())
    return std::nullopt;
  ClipboardSession clipboard(ClipboardWindow());
  if (!clipboard.is_open()) return std::nullopt;
  const DWORD start = GetTickCount();
  ClipboardContent content;
  for (const UINT format : FormatsInSavingOrder()) {
    if (GetTickCount() - start >= kSaveBudgetMs) break;
    if (IsHandleFormat(format)) continue;
    HANDLE data = GetClipboardData(format);
    if (!data) continue;
    if (format == CF_ENHMETAFILE) {
      auto metafile = static_cast<HENHMETAFILE>(data);
      std::string bytes(GetEnhMetaFileBits(metafile, 0, nullptr), '\0');
      if (bytes.empty()) continue;
      GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()),
                         reinterpret_cast<BYTE*>(bytes.data()));
      content.push_back({format, std::move(bytes)});
      continue;
    }
    const void* bytes = GlobalLock(data);
    if (!bytes) continue;
    content.push_back({format, std::string(static_cast<const char*>(bytes), GlobalSize(data))});
    GlobalUnlock(data);
  }
  return content;
}

void Win32Platform::RestoreClipboard(const ClipboardContent& content) {
  // The target may still hold the clipboard while it reads: the session
  // tries a few times.
  ClipboardSession clipboard(ClipboardWindow());
  if (!clipboard.is_open()) return;
  EmptyClipboard();
  for (const ClipboardFormatData& data : content) {
    if (data.format == CF_ENHMETAFILE) {
      HENHMETAFILE metafile = SetEnhMetaFileBits(static_cast<UINT>(data.bytes.size()),
                                                 reinterpret_cast<const BYTE*>(data.bytes.data()));
      if (metafile && !SetClipboardData(data.format, metafile)) DeleteEnhMetaFile(metafile);
      continue;
    }
    HGLOBAL memory = GlobalCopy(data.bytes.data(), data.bytes.size());
    if (memory && !SetClipboardData(data.format, memory)) GlobalFree(memory);
  }
  // The user's content was recorded when it was first copied; coming back it
  // is no new copy, and what its owner kept out of the history stays out.
  MarkClipboardPrivate();
}

void Win32Platform::OfferClipboardText(const std::string& text) {
  HWND owner = ClipboardWindow();
  if (!owner || owner != clipboardWindow_) {
    // Without a window of its own nobody renders the text later.
    SetClipboardText(text);
    offeredTextRead_ = true;
    return;
  }
  offeredText_ = Widen(text);
  offeredTextRead_ = false;
  ClipboardSession clipboard(owner);
  if (!clipboard.is_open()) return;
  EmptyClipboard();
  // No data yet: the system asks the owner for it when a window reads it.
  SetClipboardData(CF_UNICODETEXT, nullptr);
  MarkClipboardPrivate();
}

bool Win32Platform::WaitForClipboardRead(uint32_t timeoutMs) {
  const DWORD start = GetTickCount();
  while (!offeredTextRead_) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    // Only sent messages: the reader's request for the data is one; posted
    // messages (hotkeys, input) wait until the paste is over.
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs - elapsed, QS_SENDMESSAGE, 0);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  return true;
}

namespace {

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  if (window) GetWindowThreadProcessId(window, &process);
  return process;
}

// Whether `process` owns the foreground window or one of its child windows
// (a store app's frame belongs to the frame host, its content to the app).
bool OwnsForegroundWindow(DWORD process) {
  HWND foreground = GetForegroundWindow();
  if (!process || !foreground) return false;
  if (ProcessOf(foreground) == process) return true;
  struct Search {
    DWORD process;
    bool found = false;
  } search{process};
  EnumChildWindows(
      foreground,
      [](HWND child, LPARAM lParam) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(lParam);
        search.found = ProcessOf(child) == search.process;
        return !search.found;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

void Win32Platform::RenderOfferedText() {
  const size_t bytes = (offeredText_.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalCopy(offeredText_.c_str(), bytes);
  if (memory && !SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
  // The clipboard history, a clipboard manager or a remote desktop's sync may
  // ask first: only the paste's target, the foreground window's process,
  // reading the text lets the earlier content come back early. The reader is
  // the window that holds the clipboard open while it waits for the text.
  if (OwnsForegroundWindow(ProcessOf(GetOpenClipboardWindow()))) offeredTextRead_ = true;
}

LRESULT CALLBACK Win32Platform::ClipboardWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                    LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_RENDERFORMAT:
      if (self && wParam == CF_UNICODETEXT) self->RenderOfferedText();
      return 0;
    case WM_RENDERALLFORMATS:
      // The window goes away while it still owes the text: hand it over.
      if (self && OpenClipboard(hwnd)) {
        if (GetClipboardOwner() == hwnd) {
          self->RenderOfferedText();
          self->offeredTextRead_ = false;
        }
        CloseClipboard();
      }
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

HWND Win32Platform::ClipboardWindow() {
  if (clipboardWindow_) return clipboardWindow_;
  static constexpr wchar_t kClassName[] = L"TavrelinClipboardOwner";
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &Win32Platform::ClipboardWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);  // fails harmlessly when already registered
  clipboardWindow_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
  if (clipboardWindow_) {
    SetWindowLongPtrW(clipboardWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  } else {
    return mainWindow_;
  }
  return clipboardWindow_;
}

void Win32Platform::ShellOpen(const std::string& target) {
  const std::wstring file = Widen(target);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // A script's thread ends its COM apartment right after its last line: the
  // open must be complete by then, not handed to a background thread of the
  // shell (a DDE conversation, a shell extension) that still needs it.
  info.fMask = SEE_MASK_NOASYNC;
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
}

void Win32Platform::WinExec(const std::string& commandLine, int showCommand) {
  ::WinExec(commandLine.c_str(), static_cast<UINT>(showCommand));
}

int Win32Platform::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
  // Owned by the window the user works in (a dialog or the main window),
  // which stays disabled while the box is up, so that it cannot be clicked
  // again behind it; from the tray the box stands alone. The program lives
  // in the tray: bring its boxes to the front. Valid text whatever the caller
  // passed: a box must not fail on a message.
  HWND active = GetActiveWindow();
  if (active && !IsWindowVisible(active)) active = nullptr;
  return MessageBoxW(active, Widen(ReplaceInvalidUtf8(text)).c_str(),
                     Widen(ReplaceInvalidUtf8(caption)).c_str(),
                     style | MB_SETFOREGROUND | MB_TOPMOST);
}

namespace {

constexpr DWORD kHighResolutionTimerFlag = 0x2;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

// A waitable timer of the calling thread: a high-resolution one where the
// system has it (Windows 10 1803 and later), which keeps to the time asked
// for whatever the system timer's tick; null where it has none.
HANDLE HighResolutionTimer() {
  struct Timer {
    UniqueKernelHandle handle{
        CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimerFlag, TIMER_ALL_ACCESS)};
  };
  thread_local Timer timer;
  return timer.handle.get();
}

}  // namespace

void Win32Platform::Sleep(uint32_t milliseconds) {
  HANDLE timer = HighResolutionTimer();
  LARGE_INTEGER due{};
  due.QuadPart = -10'000LL * milliseconds;  // relative, in 100 ns units
  if (timer && milliseconds > 0 && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) &&
      WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0) {
    return;
  }
  // Older systems: the plain sleep, fine while a script holds the timer at 1 ms.
  ::Sleep(milliseconds);
}

bool Win32Platform::IsWin9xPlatform() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;  // 148 bytes: the ANSI record
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
  return info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool Win32Platform::SetShutdownPrivilege(bool enable) {
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) {
    return false;
  }
  UniqueKernelHandle token(rawToken);
  TOKEN_PRIVILEGES privileges{};
  if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
    return false;
  }
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  TOKEN_PRIVILEGES previous{};
  DWORD returnLength = 0;
  return AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof previous, &previous,
                               &returnLength) != 0;
}

void Win32Platform::ExitWindows(unsigned flags, uint32_t reason) {
  ExitWindowsEx(flags, reason);
}

std::vector<std::string> Win32Platform::CdDrives() {
  std::vector<std::string> drives;
  const DWORD present = GetLogicalDrives();
  for (int letter = 0; letter < 26; ++letter) {
    if (!(present & (1u << letter))) continue;
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + letter), L':', L'\\', L'\0'};
    if (GetDriveTypeW(root) == DRIVE_CDROM)
      drives.push_back({static_cast<char>('A' + letter), ':'});
  }
  return drives;
}

void Win32Platform::MciSendString(const std::string& command) {
  static const auto send = WinmmFunction<MciSendStringFunction>("mciSendStringA");
  if (send) send(command.c_str(), nullptr, 0, nullptr);
}

void Win32Platform::ShowShutdownDialog() {
  if (exitWindowsDialog_) {
    ExportAs<ExitWindowsDialogFunction>(exitWindowsDialog_)(mainWindow_);
  }
}

void Win32Platform::ShowSystemProperties() {
  if (!objectProperties_) return;
  constexpr DWORD kPathObject = 2;  // SHOP_FILEPATH: a parsing name
  // The properties of the computer are the system's properties; an empty
  // name is no object and shows nothing.
  if (IsWin9xPlatform()) {
    ExportAs<ObjectPropertiesFunctionA>(objectProperties_)(mainWindow_, kPathObject,
                                                           kComputerObjectA, "");
  } else {
    ExportAs<ObjectPropertiesFunction>(objectProperties_)(mainWindow_, kPathObject, kComputerObject,
                                                          L"");
  }
}

UniqueRegistryKey Win32Platform::OpenRunKey(RunKey which, REGSAM access) {
  const HKEY root = which == RunKey::kMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, kRunKeyPath, 0, access, &key) != ERROR_SUCCESS) {
    return UniqueRegistryKey();
  }
  return UniqueRegistryKey(key);
}

std::optional<std::string> Win32Platform::ReadRunValue(RunKey which, const std::string& name) {
  // Only the rights the call needs: a standard user may read the
  // machine-wide key, not write it.
  UniqueRegistryKey key = OpenRunKey(which, KEY_READ);
  if (!key) return std::nullopt;
  return ReadTextValue(key.get(), name);
}

bool Win32Platform::WriteRunValue(RunKey which, const std::string& name, const std::string& data) {
  UniqueRegistryKey key = OpenRunKey(which, KEY_SET_VALUE);
  if (!key) return false;
  const std::wstring wide = Widen(data);
  return RegSetValueExW(key.get(), Widen(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(wide.c_str()),
                        static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void Win32Platform::DeleteRunValue(RunKey which, const std::string& name) {
  UniqueRegistryKey key = OpenRunKey(which, KEY_SET_VALUE);
  if (key) RegDeleteValueW(key.get(), Widen(name).c_str());
}

std::string Win32Platform::ProgramFileName() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) {
      buffer.resize(length);
      return Narrow(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::vector<DirectoryEntry> Win32Platform::ListDirectory(const std::string& folder) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = Widen(folder) + L"\\*.*";
  std::unique_ptr<void, FindCloser> find(FindFirstFileW(pattern.c_str(), &found));
  if (find.get() == INVALID_HANDLE_VALUE) {
    find.release();
    return entries;
  }
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    entries.push_back({Narrow(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(find.get(), &found));
  return entries;
}

std::string Win32Platform::ReadShellFolderValue(const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kShellFoldersKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::string();
  const UniqueRegistryKey owned(key);
  return ReadTextValue(owned.get(), name);
}

std::string Win32Platform::KnownFavoritesFolder() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_FAVORITES, nullptr, SHGFP_TYPE_CURRENT, path)))
    return std::string();
  return Narrow(path);
}

}  // namespace tav
