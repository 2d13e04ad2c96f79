// The one seam between the program's portable modules and Windows.
//
// Every operating-system service that storage/ and actions/ need goes through
// this interface. Win32Platform makes the real calls; RecordingPlatform records
// them so that native tests can assert exact call sequences. Text is UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tav {

// Message box styles and answers, with the values of the Win32 constants.
namespace mb {
inline constexpr unsigned kOk = 0x00;
inline constexpr unsigned kOkCancel = 0x01;
inline constexpr unsigned kYesNo = 0x04;
inline constexpr unsigned kIconError = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconWarning = 0x30;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace mb

// Key event flags (KEYEVENTF_EXTENDEDKEY, KEYEVENTF_KEYUP).
inline constexpr uint32_t kKeyEventExtendedKey = 0x1;
inline constexpr uint32_t kKeyEventKeyUp = 0x2;

// One synthetic key event: the virtual key, its scan code on the current
// layout and the flags above.
struct KeyInput {
  uint8_t virtualKey = 0;
  uint8_t scanCode = 0;
  uint32_t flags = 0;

  bool operator==(const KeyInput&) const = default;
};

// One entry of a folder listing.
struct DirectoryEntry {
  std::string name;
  bool isDirectory = false;

  bool operator==(const DirectoryEntry&) const = default;
};

// The two Run keys a start-at-log-on value can live under: the machine-wide
// one (HKEY_LOCAL_MACHINE), which a standard user may not write, and the
// current user's (HKEY_CURRENT_USER).
enum class RunKey { kMachine, kCurrentUser };

// One format of the clipboard's content: its format number and the bytes.
struct ClipboardFormatData {
  unsigned format = 0;
  std::string bytes;
  bool operator==(const ClipboardFormatData&) const = default;
};
using ClipboardContent = std::vector<ClipboardFormatData>;

// Registered clipboard formats that keep what is on the clipboard out of the
// clipboard history and the cloud clipboard of Windows 10 and 11. Every text
// the program puts on the clipboard, and the user's content it puts back,
// carries each of them holding the DWORD 0.
inline constexpr const char* kPrivateClipboardFormats[] = {
    "ExcludeClipboardContentFromMonitorProcessing",
    "CanIncludeInClipboardHistory",
    "CanUploadToCloudClipboard",
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Global atoms and hotkeys. Hotkeys are registered for the program's main
  // window, which the implementation knows.
  virtual uint16_t GlobalAddAtom(const std::string& name) = 0;
  virtual void GlobalDeleteAtom(uint16_t atom) = 0;
  virtual bool RegisterHotKey(int id, unsigned modifiers, unsigned virtualKey) = 0;
  virtual bool UnregisterHotKey(int id) = 0;

  // Input injection and keyboard state. The events of one SendKeys call go
  // into the input stream as one batch, with no other input between them.
  virtual void SendKeys(const std::vector<KeyInput>& events) = 0;
  virtual void MouseEvent(uint32_t flags) = 0;
  // Both in the keyboard layout of the foreground window, which the keys
  // are sent to.
  virtual unsigned MapVirtualKey(unsigned code, unsigned mapType) = 0;
  virtual int16_t VkKeyScan(char ch) = 0;
  // The key's state in the system's input stream, whichever thread asks
  // (GetAsyncKeyState); it tells the left and right hand keys apart.
  virtual int16_t GetAsyncKeyState(int virtualKey) = 0;
  // Whether the foreground window belongs to a process of a higher integrity
  // level than this one's (an elevated program seen from one that is not):
  // the system then drops every key this program sends it.
  virtual bool ForegroundWindowIsElevated() = 0;

  // Replaces the clipboard's content with plain text; false when the
  // clipboard could not be opened or filled (it may then hold anything).
  virtual bool SetClipboardText(const std::string& text) = 0;

  // The clipboard's content in every format that can be copied (texts,
  // pictures, file lists...), each as the bytes of its data; nullopt when
  // the clipboard cannot be opened or the paste's target cannot be awaited
  // (a window of the calling thread reads it only after the paste returns).
  virtual std::optional<ClipboardContent> SaveClipboard() = 0;
  // Replaces the clipboard's content with plain text that is handed over
  // only when another window asks for it, so that the read can be awaited.
  virtual void OfferClipboardText(const std::string& text) = 0;
  // Waits until a window has read the text of OfferClipboardText, at most
  // `timeoutMs`; answers whether it was read. Calls sent from other threads
  // are handled meanwhile; nothing else runs.
  virtual bool WaitForClipboardRead(uint32_t timeoutMs) = 0;
  // Puts content of SaveClipboard back (an empty one empties the clipboard).
  virtual void RestoreClipboard(const ClipboardContent& content) = 0;

  // The shell's default open of a target (ShellExecute with the open verb
  // defaulted, no parameters, no directory, SW_SHOWNORMAL).
  virtual void ShellOpen(const std::string& target) = 0;
  virtual void WinExec(const std::string& commandLine, int showCommand) = 0;

  // A message box; owner is the application's window if ownerless is false.
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;

  virtual void Sleep(uint32_t milliseconds) = 0;

  // Prepares the calling thread, a script run's own, for the calls above (the
  // shell needs COM for shortcuts and URL handlers); the preparation lasts
  // until the answer is destroyed, on the same thread.
  virtual std::shared_ptr<void> PrepareRunThread() = 0;

  // Runs the call on the user-interface thread and waits for it to finish.
  // Called on the user-interface thread itself, it runs the call directly.
  virtual void RunOnUiThread(const std::function<void()>& call) = 0;

  // Power and privileges.
  virtual bool IsWin9xPlatform() = 0;
  virtual bool SetShutdownPrivilege(bool enable) = 0;
  // ExitWindowsEx with the reason recorded in the system's shut-down log.
  virtual void ExitWindows(unsigned flags, uint32_t reason) = 0;

  // The multimedia control interface, without a return buffer.
  virtual void MciSendString(const std::string& command) = 0;
  // The roots of the CD drives ("D:"), in drive-letter order.
  virtual std::vector<std::string> CdDrives() = 0;

  // The shell's exit-windows dialog (shell32 ordinal 60) and object
  // properties dialog (ordinal 178); nothing happens if the export is missing.
  virtual void ShowShutdownDialog() = 0;
  virtual void ShowSystemProperties() = 0;

  // The value `name` under a Run key. nullopt when the key cannot be opened
  // for reading; the empty text when the value is missing. Writing answers
  // whether the value was stored; writing and deleting do nothing when the
  // key cannot be opened for setting values (the machine-wide key for a
  // standard user).
  virtual std::optional<std::string> ReadRunValue(RunKey key, const std::string& name) = 0;
  virtual bool WriteRunValue(RunKey key, const std::string& name, const std::string& data) = 0;
  virtual void DeleteRunValue(RunKey key, const std::string& name) = 0;

  // Full file name of the running program.
  virtual std::string ProgramFileName() = 0;

  // --- The user's folders (favourites picker) -------------------------------
  // The entries of `folder` in the order the file system lists them, "." and
  // ".." left out, and hidden or system entries too. A folder that cannot be
  // listed gives none.
  virtual std::vector<DirectoryEntry> ListDirectory(const std::string& folder) = 0;
  // The value `name` of the current user's key
  // Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders, opened
  // without creating it; the empty text when the key or value is absent.
  virtual std::string ReadShellFolderValue(const std::string& name) = 0;
  // The current user's known Favorites folder; the empty text when none.
  virtual std::string KnownFavoritesFolder() = 0;
};

}  // namespace tav
