// Measures a resident hotkey program from outside, in the same Wine prefix
// (or Windows session): its start-up time, its memory, and the time from a
// keystroke to the action it starts. Used by scripts/bench.sh for Tavrelin
// and for the floor program side by side.
//
//   probe start EXE VK [PASSWORD]   start EXE (working folder: its own), type
//                                   PASSWORD into its password prompt if
//                                   given, and wait until Ctrl+Alt+VK is
//                                   registered. Prints the program's own
//                                   milliseconds (typing excluded), and of
//                                   them those until the prompt showed and
//                                   those after the password was typed.
//                                   Exit code 5: the typed keys did not
//                                   reach the prompt; 6: the program did
//                                   not take the combination (start again).
//   probe latency VK COUNT          press Ctrl+Alt+VK COUNT times; each time,
//                                   the time until an F13 press arrives.
//                                   Prints p50 and p99 in milliseconds.
//   probe memory EXE-NAME           private bytes and working set of the
//                                   running process of that file name, in KiB.
//   probe front-latency VK COUNT    as latency, with a window of the probe's
//                                   own in front all along (an entry limited
//                                   to tavrelin_probe.exe fires there).
//   probe delivery COUNT VK...      with the probe's window in front, press
//                                   Ctrl+Alt+VK COUNT times for each VK, the
//                                   keys taking turns; each time, the time
//                                   until the window receives VK's key down.
//                                   Prints p50 and p99 in milliseconds, a
//                                   line per VK.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kProbeHotkeyId = 0x7F00;
constexpr DWORD kEffectKey = VK_F13;
// The password typed, how long until the prompt must be gone.
constexpr double kAstrayMs = 5000;
// How long a started program may take to register its hotkey.
constexpr double kNeverTakenMs = 10000;

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Whether another program holds Ctrl+Alt+VK. Registering it is the only way
// to ask; a successful registration is given back at once.
bool IsTaken(UINT virtualKey) {
  if (RegisterHotKey(nullptr, kProbeHotkeyId, MOD_CONTROL | MOD_ALT, virtualKey)) {
    UnregisterHotKey(nullptr, kProbeHotkeyId);
    return false;
  }
  return true;
}

// Types `text` and Enter as key presses into `window`, brought to the
// foreground first: the way a user answers the prompt.
void TypeIntoForeground(HWND window, const wchar_t* text) {
  SetForegroundWindow(window);
  for (const wchar_t* c = text; *c; ++c) {
    const SHORT key = VkKeyScanW(*c);
    const bool shift = (key >> 8) & 1;
    if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(static_cast<BYTE>(key & 0xFF), 0, 0, 0);
    keybd_event(static_cast<BYTE>(key & 0xFF), 0, KEYEVENTF_KEYUP, 0);
    if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  }
  keybd_event(VK_RETURN, 0, 0, 0);
  keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
}

// The visible password prompt of process `processId`, or null.
HWND FindPrompt(DWORD processId) {
  struct Search {
    DWORD processId;
    HWND found;
  } search{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
        if (!FindWindowExW(window, nullptr, L"Edit", nullptr)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Start(const wchar_t* exe, UINT virtualKey, const wchar_t* password) {
  std::wstring folder = exe;
  folder.resize(folder.find_last_of(L"\\/") + 1);
  std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const double started = NowMs();
  if (!CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &process))
    return 2;
  double typing = 0;
  double untilPrompt = 0;
  if (password) {
    HWND prompt = nullptr;
    while (!(prompt = FindPrompt(process.dwProcessId))) {
      if (NowMs() - started > 20000) return 3;
      Sleep(1);
    }
    const double promptShown = NowMs();
    untilPrompt = promptShown - started;
    TypeIntoForeground(prompt, password);
    typing = NowMs() - promptShown;
  }
  const double typed = NowMs();
  while (!IsTaken(virtualKey)) {
    // Keys can go astray when the window manager keeps the foreground
    // elsewhere: the prompt is still up long after the typing. That start
    // is not measured; the caller starts again.
    if (password && NowMs() - typed > kAstrayMs && FindPrompt(process.dwProcessId)) {
      TerminateProcess(process.hProcess, 1);
      return 5;
    }
    // Asking holds the combination for a moment, and a program registering it
    // right then is refused: the floor ends, Tavrelin runs on without it.
    // That start is not measured; the caller ends the program and starts
    // again.
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 ||
        NowMs() - typed > kNeverTakenMs)
      return 6;
    Sleep(1);
  }
  const double own = NowMs() - started - typing;
  std::printf("%.1f %.1f %.1f\n", own, untilPrompt, own - untilPrompt);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

HANDLE g_effectSeen = nullptr;

LRESULT CALLBACK WatchEffectKey(int code, WPARAM wParam, LPARAM lParam) {
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && wParam == WM_KEYDOWN && key->vkCode == kEffectKey)
    SetEvent(g_effectSeen);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Waits for the event while the hook is served by this thread's messages.
bool WaitServingHook(HANDLE event, DWORD timeoutMs) {
  const double until = NowMs() + timeoutMs;
  for (;;) {
    const double left = until - NowMs();
    if (left <= 0) return false;
    const DWORD result =
        MsgWaitForMultipleObjects(1, &event, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    if (result == WAIT_OBJECT_0) return true;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

// A window of the probe's own in front, as a user's program would be.
UINT g_awaitedKey = 0;
HANDLE g_keyArrived = nullptr;

LRESULT CALLBACK FrontWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && wParam == g_awaitedKey)
    SetEvent(g_keyArrived);
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND ShowFrontWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = FrontWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"TavrelinProbeFront";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"probe", WS_OVERLAPPEDWINDOW, 0, 0,
                                200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(window);
  return window;
}

// Serves this thread's messages for `ms` milliseconds: the program measured
// learns of the new window in front meanwhile.
void Settle(DWORD ms) {
  const double until = NowMs() + ms;
  while (NowMs() < until) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(1);
  }
}

void PrintPercentiles(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const auto at = [&](double q) {
    return samples[std::min(samples.size() - 1, static_cast<size_t>(q * samples.size()))];
  };
  std::printf("%.2f %.2f\n", at(0.50), at(0.99));
}

// Presses Ctrl+Alt+key, `settleMs` after the modifiers, and answers the
// milliseconds from the key until `arrived` is set, or -1 when it is not
// within 5 s; every key is let go again.
double TimedCtrlAltPress(UINT virtualKey, HANDLE arrived, DWORD settleMs) {
  const BYTE scan = static_cast<BYTE>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  ResetEvent(arrived);
  keybd_event(VK_CONTROL, 0, 0, 0);
  keybd_event(VK_MENU, 0, 0, 0);
  if (settleMs) Settle(settleMs);
  const double pressed = NowMs();
  keybd_event(static_cast<BYTE>(virtualKey), scan, 0, 0);
  const bool seen = WaitServingHook(arrived, 5000);
  const double elapsed = NowMs() - pressed;
  keybd_event(static_cast<BYTE>(virtualKey), scan, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
  return seen ? elapsed : -1;
}

int Delivery(const std::vector<UINT>& keys, int count) {
  g_keyArrived = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HWND window = ShowFrontWindow();
  Settle(500);
  if (GetForegroundWindow() != window) {
    std::fprintf(stderr, "the probe's window did not come to the front\n");
    return 4;
  }
  // The keys take turns, so that a change of the machine's load meets each.
  std::vector<std::vector<double>> samples(keys.size());
  for (int i = 0; i < count * static_cast<int>(keys.size()); ++i) {
    const UINT virtualKey = keys[i % keys.size()];
    g_awaitedKey = virtualKey;
    // The modifiers' own messages out of the way first.
    const double elapsed = TimedCtrlAltPress(virtualKey, g_keyArrived, 2);
    if (elapsed < 0) {
      std::fprintf(stderr, "press %d: key %u never reached the window\n", i + 1, virtualKey);
      return 3;
    }
    samples[i % keys.size()].push_back(elapsed);
    Settle(20);
  }
  DestroyWindow(window);
  for (const auto& keySamples : samples) PrintPercentiles(keySamples);
  return 0;
}

int Latency(UINT virtualKey, int count) {
  g_effectSeen = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, WatchEffectKey, GetModuleHandleW(nullptr), 0);
  if (!hook) return 2;
  std::vector<double> samples;
  for (int i = 0; i < count; ++i) {
    const double elapsed = TimedCtrlAltPress(virtualKey, g_effectSeen, 0);
    if (elapsed < 0) {
      std::fprintf(stderr, "press %d: no effect within 5 s\n", i + 1);
      UnhookWindowsHookEx(hook);
      return 3;
    }
    samples.push_back(elapsed);
    // Let the program finish the action before the next press.
    WaitServingHook(GetCurrentProcess(), 20);
  }
  UnhookWindowsHookEx(hook);
  PrintPercentiles(samples);
  return 0;
}

int Memory(const wchar_t* exeName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD processId = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (_wcsicmp(entry.szExeFile, exeName) == 0) processId = entry.th32ProcessID;
  CloseHandle(snapshot);
  if (!processId) return 2;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!process ||
      !GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters))
    return 3;
  // Wine leaves PrivateUsage at 0 and reports the private commit charge as
  // the pagefile usage, which Windows keeps equal to it.
  const SIZE_T privateBytes =
      counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
  std::printf("%zu %zu\n", privateBytes / 1024, counters.WorkingSetSize / 1024);
  CloseHandle(process);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 4 && std::wcscmp(argv[1], L"start") == 0)
    return Start(argv[2], static_cast<UINT>(_wtoi(argv[3])), argc >= 5 ? argv[4] : nullptr);
  if (argc >= 4 && std::wcscmp(argv[1], L"latency") == 0)
    return Latency(static_cast<UINT>(_wtoi(argv[2])), _wtoi(argv[3]));
  if (argc >= 4 && std::wcscmp(argv[1], L"front-latency") == 0) {
    HWND window = ShowFrontWindow();
    Settle(500);
    if (GetForegroundWindow() != window) {
      std::fprintf(stderr, "the probe's window did not come to the front\n");
      return 4;
    }
    const int result = Latency(static_cast<UINT>(_wtoi(argv[2])), _wtoi(argv[3]));
    DestroyWindow(window);
    return result;
  }
  if (argc >= 4 && std::wcscmp(argv[1], L"delivery") == 0) {
    std::vector<UINT> keys;
    for (int i = 3; i < argc; ++i) keys.push_back(static_cast<UINT>(_wtoi(argv[i])));
    return Delivery(keys, _wtoi(argv[2]));
  }
  if (argc >= 3 && std::wcscmp(argv[1], L"memory") == 0) return Memory(argv[2]);
  if (argc >= 3 && std::wcscmp(argv[1], L"taken") == 0) {
    const bool taken = IsTaken(static_cast<UINT>(_wtoi(argv[2])));
    std::printf("%s %lu\n", taken ? "taken" : "free", GetLastError());
    return 0;
  }
  std::fprintf(stderr,
               "usage: probe start EXE VK [PASSWORD] | latency VK COUNT | front-latency VK COUNT | "
               "delivery COUNT VK... | memory NAME\n");
  return 1;
}
