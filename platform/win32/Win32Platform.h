// The platform seam's Windows implementation: the real calls, with the
// arguments the program's behaviour requires.
#pragma once

#include "platform/win32/WinApi.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "platform/Platform.h"
#include "platform/win32/WinHandles.h"

namespace tav {

// The shell's parsing name of the computer (This PC), whose properties are
// the system's properties.
inline constexpr wchar_t kComputerObject[] = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
inline constexpr char kComputerObjectA[] = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

class Win32Platform : public Platform {
 public:
  // The message the user-interface window must pass to RunPendingCall.
  static constexpr UINT kRunCallMessage = WM_APP + 1;

  // Created on the user-interface thread at start; looks up the two shell
  // dialog exports once.
  Win32Platform();
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // The window that owns the hotkeys and the clipboard, and whose thread
  // runs calls handed over from script threads.
  void SetMainWindow(HWND window) { mainWindow_ = window; }
  // Handles kRunCallMessage on the user-interface thread.
  static void RunPendingCall(LPARAM lParam);
  // From now on calls handed over from other threads are dropped and their
  // callers released at once: the program is ending.
  void BeginShutdown();

  uint16_t GlobalAddAtom(const std::string& name) override;
  void GlobalDeleteAtom(uint16_t atom) override;
  bool RegisterHotKey(int id, unsigned modifiers, unsigned virtualKey) override;
  bool UnregisterHotKey(int id) override;
  void SendKeys(const std::vector<KeyInput>& events) override;
  void MouseEvent(uint32_t flags) override;
  unsigned MapVirtualKey(unsigned code, unsigned mapType) override;
  int16_t VkKeyScan(char ch) override;
  int16_t GetAsyncKeyState(int virtualKey) override;
  bool ForegroundWindowIsElevated() override;
  bool SetClipboardText(const std::string& text) override;
  std::optional<ClipboardContent> SaveClipboard() override;
  void OfferClipboardText(const std::string& text) override;
  bool WaitForClipboardRead(uint32_t timeoutMs) override;
  void RestoreClipboard(const ClipboardContent& content) override;
  void ShellOpen(const std::string& target) override;
  void WinExec(const std::string& commandLine, int showCommand) override;
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  void Sleep(uint32_t milliseconds) override;
  // COM, apartment-threaded, for the run's thread.
  std::shared_ptr<void> PrepareRunThread() override;
  void RunOnUiThread(const std::function<void()>& call) override;
  bool IsWin9xPlatform() override;
  bool SetShutdownPrivilege(bool enable) override;
  void ExitWindows(unsigned flags, uint32_t reason) override;
  void MciSendString(const std::string& command) override;
  std::vector<std::string> CdDrives() override;
  void ShowShutdownDialog() override;
  void ShowSystemProperties() override;
  std::optional<std::string> ReadRunValue(RunKey key, const std::string& name) override;
  bool WriteRunValue(RunKey key, const std::string& name, const std::string& data) override;
  void DeleteRunValue(RunKey key, const std::string& name) override;
  std::string ProgramFileName() override;
  std::vector<DirectoryEntry> ListDirectory(const std::string& folder) override;
  std::string ReadShellFolderValue(const std::string& name) override;
  std::string KnownFavoritesFolder() override;

 private:
  struct PendingCall;

  static UniqueRegistryKey OpenRunKey(RunKey which, REGSAM access);
  static LRESULT CALLBACK ClipboardWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam);
  // The hidden window that owns offered text, made on first use.
  HWND ClipboardWindow();
  // Hands the offered text to the clipboard (the window is its owner).
  void RenderOfferedText();

  HWND clipboardWindow_ = nullptr;
  std::wstring offeredText_;
  bool offeredTextRead_ = false;

  HWND mainWindow_ = nullptr;
  DWORD uiThreadId_;
  std::atomic<bool> shuttingDown_{false};
  std::mutex callMutex_;
  std::condition_variable callDone_;
  UniqueModule shell32_;
  FARPROC exitWindowsDialog_ = nullptr;  // shell32 ordinal 60
  FARPROC objectProperties_ = nullptr;   // shell32 ordinal 178
};

}  // namespace tav
