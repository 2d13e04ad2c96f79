// A small remote control for the end-to-end tests: chooses a menu command of
// the running program's main window, as a click on the menu item would, and
// looks at what the program shows and leaves behind.
// Usage: tavctl.exe command ID        (exit code 0 when the window was found)
//        tavctl.exe running           (exit code 0 while the main window exists)
//        tavctl.exe started           (exit code 0 once the start is done: a
//                                      scheme is open, or the program shows a
//                                      dialog box, e.g. the password prompt)
//        tavctl.exe visible           (exit code 0 while the main window is shown)
//        tavctl.exe hide              (sends the main window to the tray, as
//                                      its close box does)
//        tavctl.exe boxtext TITLE OUT (writes the texts of the dialog box titled
//                                      TITLE to OUT in UTF-8, one a line;
//                                      exit code 0 when the box was found)
//        tavctl.exe keydown VK        (exit code 0 while the system holds the
//                                      key down, 1 while it is up)
//        tavctl.exe select ROW        (selects row ROW of the main window's
//                                      hotkey list, alone)
//        tavctl.exe statustext OUT    (writes the status bar's text to OUT)
//        tavctl.exe rowimage ROW      (exit code: the image of the list row)
//        tavctl.exe holdhotkey MOD VK READY (holds the combination, as
//                                      another program would, until it is
//                                      killed; creates the file READY once
//                                      it holds it)
//        tavctl.exe setclip TEXT      (puts TEXT and a small picture on the
//                                      clipboard, as a copy would)
//        tavctl.exe getclip OUT       (writes the clipboard's text and the
//                                      picture's bytes in hex to OUT)
//        tavctl.exe rows              (exit code: the number of rows of the
//                                      main window's hotkey list, once the
//                                      program has finished what it was doing)
//        tavctl.exe rect WINDOW ID OUT (writes "x y width height" of control ID
//                                      of the window WINDOW, a class name or a
//                                      title, in screen pixels to OUT; ID 0
//                                      is the window itself)
//        tavctl.exe itemrect WINDOW ID ITEM OUT (the same for a button of a
//                                      toolbar, by its command id ITEM, or a
//                                      tab of a tab control, by its index)
//        tavctl.exe text WINDOW ID OUT (writes the text of control ID of the
//                                      window WINDOW to OUT in UTF-8)
//        tavctl.exe foreground TITLE  (exit code 0 while the window titled
//                                      TITLE is the foreground window, the
//                                      one that gets the keys)
//        tavctl.exe hotkeyfree MOD VK (exit code 0 while no program holds the
//                                      combination as its hotkey, 1 while
//                                      one does)
#include <windows.h>

#include <shellapi.h>

#include <commctrl.h>
#include <cstdio>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

// The dialog class of message boxes.
constexpr const wchar_t* kDialogClass = L"#32770";

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

// Collects the non-empty texts of a box's static controls (its message; the
// icon is a static control without text).
BOOL CALLBACK CollectStaticText(HWND child, LPARAM lParam) {
  wchar_t className[32] = {};
  GetClassNameW(child, className, 32);
  if (_wcsicmp(className, L"Static") != 0) return TRUE;
  const int length = GetWindowTextLengthW(child);
  if (length > 0) {
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(child, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    *reinterpret_cast<std::string*>(lParam) += Utf8(text) + "\n";
  }
  return TRUE;
}

int WriteBoxText(const wchar_t* title, const wchar_t* outFile) {
  HWND box = FindWindowW(kDialogClass, title);
  if (!box) return 1;
  std::string texts;
  EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
  FILE* out = _wfopen(outFile, L"wb");
  if (!out) return 2;
  std::fwrite(texts.data(), 1, texts.size(), out);
  std::fclose(out);
  return 0;
}

// Whether the program's start is done: the caption names the open scheme
// ("... -> 默认设置", "...->x.xml"), or a dialog box of the program is up.
bool StartDone(HWND mainWindow) {
  wchar_t caption[256] = {};
  GetWindowTextW(mainWindow, caption, 256);
  if (std::wcsstr(caption, L"->")) return true;
  DWORD program = 0;
  GetWindowThreadProcessId(mainWindow, &program);
  for (HWND box = FindWindowW(kDialogClass, nullptr); box;
       box = FindWindowExW(nullptr, box, kDialogClass, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(box, &owner);
    if (owner == program && IsWindowVisible(box)) return true;
  }
  return false;
}

// A block of memory in the program's process, for the list view messages
// whose arguments are pointers.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, size_t size) : size_(size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_ =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  bool ok() const { return address_ != nullptr; }
  LPARAM address() const { return reinterpret_cast<LPARAM>(address_); }
  void Write(const void* data) { WriteProcessMemory(process_, address_, data, size_, nullptr); }
  void Read(void* data) { ReadProcessMemory(process_, address_, data, size_, nullptr); }

 private:
  size_t size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

HWND ListOf(HWND mainWindow) {
  return FindWindowExW(mainWindow, nullptr, WC_LISTVIEWW, nullptr);
}

int SelectRow(HWND list, int row) {
  RemoteMemory memory(list, sizeof(LVITEMW));
  if (!memory.ok()) return 3;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  memory.Write(&item);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), memory.address());
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  memory.Write(&item);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), memory.address());
  return 0;
}

int RowImage(HWND list, int row) {
  RemoteMemory memory(list, sizeof(LVITEMW));
  if (!memory.ok()) return -1;
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  memory.Write(&item);
  if (!SendMessageW(list, LVM_GETITEMW, 0, memory.address())) return -1;
  memory.Read(&item);
  return item.iImage;
}

int WriteStatusText(HWND mainWindow, const wchar_t* outFile) {
  HWND status = FindWindowExW(mainWindow, nullptr, STATUSCLASSNAMEW, nullptr);
  if (!status) return 1;
  // GetWindowText would read the caption Windows keeps for a window of
  // another process; the message asks the status bar itself.
  wchar_t text[512] = {};
  SendMessageW(status, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  const std::string utf8 = Utf8(text);
  FILE* out = _wfopen(outFile, L"wb");
  if (!out) return 2;
  std::fwrite(utf8.data(), 1, utf8.size(), out);
  std::fclose(out);
  return 0;
}

// A 2 x 2 picture, 24 bits a pixel, rows padded to 4 bytes.
std::string PictureBytes() {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = 2;
  header.biHeight = 2;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = 16;
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  const unsigned char pixels[16] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0, 0,
                                    0x70, 0x80, 0x90, 0xA0, 0xB0, 0xC0, 0, 0};
  bytes.append(reinterpret_cast<const char*>(pixels), sizeof pixels);
  return bytes;
}

bool PutOnClipboard(UINT format, const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return false;
  std::memcpy(GlobalLock(memory), data, size);
  GlobalUnlock(memory);
  if (SetClipboardData(format, memory)) return true;
  GlobalFree(memory);
  return false;
}

int SetClip(const wchar_t* text) {
  if (!OpenClipboard(nullptr)) return 1;
  EmptyClipboard();
  const std::string picture = PictureBytes();
  const bool put =
      PutOnClipboard(CF_UNICODETEXT, text, (std::wcslen(text) + 1) * sizeof(wchar_t)) &&
      PutOnClipboard(CF_DIB, picture.data(), picture.size());
  CloseClipboard();
  return put ? 0 : 1;
}

int GetClip(const wchar_t* outFile) {
  if (!OpenClipboard(nullptr)) return 1;
  std::string report = "text=";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    report += Utf8(static_cast<const wchar_t*>(GlobalLock(data)));
    GlobalUnlock(data);
  }
  report += "\npicture=";
  if (HANDLE data = GetClipboardData(CF_DIB)) {
    // The header and the pixels: what a pasting program draws.
    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(data));
    const size_t size = GlobalSize(data) < 56 ? GlobalSize(data) : 56;
    char hex[3];
    for (size_t i = 0; i < size; ++i) {
      std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
      report += hex;
    }
    GlobalUnlock(data);
  }
  report += "\n";
  CloseClipboard();
  FILE* out = _wfopen(outFile, L"wb");
  if (!out) return 2;
  std::fwrite(report.data(), 1, report.size(), out);
  std::fclose(out);
  return 0;
}

// A window of the program, by its class name or else by its title.
HWND TopWindow(const wchar_t* name) {
  if (HWND window = FindWindowW(name, nullptr)) return window;
  return FindWindowW(nullptr, name);
}

HWND ControlOf(const wchar_t* window, int id) {
  HWND top = TopWindow(window);
  if (!top || id == 0) return top;
  return GetDlgItem(top, id);
}

int WriteUtf8(const wchar_t* outFile, const std::string& text) {
  FILE* out = _wfopen(outFile, L"wb");
  if (!out) return 2;
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
  return 0;
}

int WriteRect(const RECT& rect, const wchar_t* outFile) {
  char line[64];
  std::snprintf(line, sizeof line, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
  return WriteUtf8(outFile, line);
}

int WriteControlRect(HWND control, const wchar_t* outFile) {
  if (!control) return 1;
  RECT rect{};
  GetWindowRect(control, &rect);
  return WriteRect(rect, outFile);
}

// The rectangles of toolbar buttons and tabs are asked for with a pointer,
// so the answer is written into the program's own memory.
int WriteItemRect(HWND control, int item, const wchar_t* outFile) {
  if (!control) return 1;
  wchar_t className[64] = {};
  GetClassNameW(control, className, 64);
  UINT message = 0;
  if (_wcsicmp(className, TOOLBARCLASSNAMEW) == 0) message = TB_GETRECT;
  if (_wcsicmp(className, WC_TABCONTROLW) == 0) message = TCM_GETITEMRECT;
  if (message == 0) return 3;
  RemoteMemory memory(control, sizeof(RECT));
  if (!memory.ok()) return 3;
  if (!SendMessageW(control, message, static_cast<WPARAM>(item), memory.address())) return 4;
  RECT rect{};
  memory.Read(&rect);
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return WriteRect(rect, outFile);
}

int WriteControlText(HWND control, const wchar_t* outFile) {
  if (!control) return 1;
  // WM_GETTEXT, not GetWindowText, so that the control itself answers.
  const auto length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::wcslen(text.c_str()));
  return WriteUtf8(outFile, Utf8(text));
}

bool IsForeground(const wchar_t* title) {
  HWND foreground = GetForegroundWindow();
  if (!foreground) return false;
  wchar_t caption[256] = {};
  GetWindowTextW(foreground, caption, 256);
  return std::wcscmp(caption, title) == 0;
}

// A combination is free when this process can take it as its own hotkey; it
// gives it back at once.
bool IsHotkeyFree(UINT modifiers, UINT virtualKey) {
  constexpr int kProbeId = 1;
  if (!RegisterHotKey(nullptr, kProbeId, modifiers, virtualKey)) return false;
  UnregisterHotKey(nullptr, kProbeId);
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc >= 4 && std::wcscmp(argv[1], L"boxtext") == 0) return WriteBoxText(argv[2], argv[3]);
  if (argc >= 3 && std::wcscmp(argv[1], L"keydown") == 0)
    return (GetAsyncKeyState(_wtoi(argv[2])) & 0x8000) ? 0 : 1;
  if (argc >= 5 && std::wcscmp(argv[1], L"holdhotkey") == 0) {
    if (!RegisterHotKey(nullptr, 1, static_cast<UINT>(_wtoi(argv[2])),
                        static_cast<UINT>(_wtoi(argv[3]))))
      return 1;
    if (FILE* ready = _wfopen(argv[4], L"wb")) std::fclose(ready);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
  }
  if (argc >= 3 && std::wcscmp(argv[1], L"setclip") == 0) return SetClip(argv[2]);
  if (argc >= 3 && std::wcscmp(argv[1], L"getclip") == 0) return GetClip(argv[2]);
  if (argc >= 5 && std::wcscmp(argv[1], L"rect") == 0)
    return WriteControlRect(ControlOf(argv[2], _wtoi(argv[3])), argv[4]);
  if (argc >= 6 && std::wcscmp(argv[1], L"itemrect") == 0)
    return WriteItemRect(ControlOf(argv[2], _wtoi(argv[3])), _wtoi(argv[4]), argv[5]);
  if (argc >= 5 && std::wcscmp(argv[1], L"text") == 0)
    return WriteControlText(ControlOf(argv[2], _wtoi(argv[3])), argv[4]);
  if (argc >= 3 && std::wcscmp(argv[1], L"foreground") == 0) return IsForeground(argv[2]) ? 0 : 1;
  if (argc >= 4 && std::wcscmp(argv[1], L"hotkeyfree") == 0)
    return IsHotkeyFree(static_cast<UINT>(_wtoi(argv[2])), static_cast<UINT>(_wtoi(argv[3]))) ? 0
                                                                                              : 1;
  HWND mainWindow = FindWindowW(L"TMainForm", nullptr);
  if (argc >= 2 && std::wcscmp(argv[1], L"running") == 0) return mainWindow ? 0 : 1;
  if (argc >= 2 && std::wcscmp(argv[1], L"started") == 0)
    return mainWindow && StartDone(mainWindow) ? 0 : 1;
  if (argc >= 2 && std::wcscmp(argv[1], L"visible") == 0)
    return mainWindow && IsWindowVisible(mainWindow) ? 0 : 1;
  if (argc >= 2 && std::wcscmp(argv[1], L"hide") == 0)
    return mainWindow && PostMessageW(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
  if (argc >= 3 && std::wcscmp(argv[1], L"command") == 0) {
    if (!mainWindow) return 1;
    const WPARAM id = static_cast<WPARAM>(_wtoi(argv[2]));
    return PostMessageW(mainWindow, WM_COMMAND, id, 0) ? 0 : 1;
  }
  if (!mainWindow) return 1;
  if (argc >= 3 && std::wcscmp(argv[1], L"select") == 0)
    return SelectRow(ListOf(mainWindow), _wtoi(argv[2]));
  if (argc >= 3 && std::wcscmp(argv[1], L"rowimage") == 0)
    return RowImage(ListOf(mainWindow), _wtoi(argv[2]));
  if (argc >= 2 && std::wcscmp(argv[1], L"rows") == 0)
    return static_cast<int>(SendMessageW(ListOf(mainWindow), LVM_GETITEMCOUNT, 0, 0));
  if (argc >= 3 && std::wcscmp(argv[1], L"statustext") == 0)
    return WriteStatusText(mainWindow, argv[2]);
  return 2;
}
