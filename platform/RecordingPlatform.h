// A fake platform for native tests. It records every call as one line of
// text, in order, and keeps enough state to answer like Windows: a 256-key
// keyboard state driven by the injected key events, each modifier key kept
// per hand (a generic Shift, Ctrl or Alt is down while either side is, and an
// event of one goes to the side its scan code and extended flag name, as
// Windows does), atoms with reference
// counts, and hotkey registrations that refuse a combination already taken.
#pragma once

#include <array>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace tav {

class RecordingPlatform : public Platform {
 public:
  // The format number of Unicode text (CF_UNICODETEXT); the recorder keeps
  // its bytes as UTF-8.
  static constexpr unsigned kUnicodeTextFormat = 13;
  RecordingPlatform();
  // The number a registered format gets here, and the markers of
  // kPrivateClipboardFormats as they stand on the clipboard.
  static unsigned RegisteredFormat(const std::string& name);
  static ClipboardContent PrivateMarkers();

  // --- What tests look at and arrange ---------------------------------------
  std::vector<std::string> Calls() const;
  // Calls whose text starts with `prefix`, in order.
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
  void ClearCalls();

  // Each injected key event is recorded as "input(vk,scan,flags)"; Batches
  // tells how they were grouped into calls.
  std::vector<std::vector<KeyInput>> Batches() const;
  bool IsKeyDown(uint8_t virtualKey) const;
  // Virtual keys down, the modifier keys by their sides (0xA0 to 0xA5).
  std::vector<int> KeysDown() const;
  // The user holds or lets go of a key; a generic modifier means its left key.
  void SetKeyDown(uint8_t virtualKey, bool down);
  // The foreground window belongs to an elevated program.
  void SetForegroundElevated(bool elevated);
  // Registered hotkeys: id -> (modifiers, key).
  std::map<int, std::pair<unsigned, unsigned>> Registrations() const;
  int LiveAtomCount() const;
  // The atom table is full: GlobalAddAtom answers 0.
  void SetAtomTableFull(bool full);
  // Combinations that "another program" holds: registering them fails.
  void TakeCombination(unsigned modifiers, unsigned virtualKey);
  // Answers given by MessageBox, first in first out; kIdOk when none is left.
  void QueueMessageBoxAnswer(int answer);
  // Characters VkKeyScan knows; any other answers -1 (no key).
  void SetVkKeyScan(char ch, int16_t answer);
  std::string Clipboard() const;
  // While set, the clipboard cannot be opened (another program holds it).
  void SetClipboardBusy(bool busy);
  // The clipboard in all its formats; the text of SetClipboardText and
  // OfferClipboardText is format 13 alone. nullopt: it cannot be opened.
  void SetClipboardContent(std::optional<ClipboardContent> content);
  std::optional<ClipboardContent> ClipboardFormats() const;
  // Whether WaitForClipboardRead sees the offered text read.
  void SetClipboardReadByTarget(bool read);
  // A Run key's value; nullopt: the key cannot be opened (nor written).
  void SetRunValue(std::optional<std::string> value, RunKey key = RunKey::kMachine);
  std::optional<std::string> RunValue(RunKey key = RunKey::kMachine) const;
  // The key can be read but not written, as the machine-wide key is for a
  // standard user.
  void SetRunKeyReadOnly(RunKey key, bool readOnly);
  void SetWin9x(bool win9x);
  // The CD drives CdDrives lists (none at first).
  void SetCdDrives(std::vector<std::string> drives);
  // While held, MciSendString waits (a tray that is moving).
  void HoldMci(bool held);
  // The user's folders: listings come from the real file system, in name
  // order, leaving out the paths marked hidden.
  void MarkHidden(const std::string& path);
  void SetShellFolderValue(const std::string& name, const std::string& value);
  void SetKnownFavoritesFolder(const std::string& folder);
  // Threads prepared by PrepareRunThread so far, and those whose
  // preparation has not yet been released.
  std::vector<std::thread::id> PreparedThreads() const;
  int ThreadsStillPrepared() const;

  // --- Platform -------------------------------------------------------------
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
  void Record(std::string call);
  bool KeyDownLocked(uint8_t virtualKey) const;

  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  std::array<uint8_t, 256> keys_{};  // bit 0x80: down; bit 0x01: toggled on
  std::vector<std::vector<KeyInput>> batches_;
  bool foregroundElevated_ = false;
  std::map<std::string, std::pair<uint16_t, int>> atoms_;  // name -> (atom, references)
  uint16_t nextAtom_ = 0xC000;
  bool atomTableFull_ = false;
  std::map<int, std::pair<unsigned, unsigned>> hotkeys_;
  std::set<std::pair<unsigned, unsigned>> taken_;
  std::vector<int> messageBoxAnswers_;
  std::map<char, int16_t> vkKeyScan_;
  std::string clipboard_;
  bool clipboardBusy_ = false;
  std::optional<ClipboardContent> clipboardFormats_ = ClipboardContent{};
  bool clipboardRead_ = true;
  std::map<RunKey, std::optional<std::string>> runValues_{{RunKey::kMachine, std::string()},
                                                          {RunKey::kCurrentUser, std::string()}};
  std::set<RunKey> readOnlyRunKeys_;
  bool win9x_ = false;
  std::vector<std::string> cdDrives_;
  std::mutex mciMutex_;
  std::condition_variable mciReleased_;
  bool mciHeld_ = false;
  std::set<std::string> hidden_;
  std::map<std::string, std::string> shellFolders_;
  std::string knownFavorites_;
  std::vector<std::thread::id> preparedThreads_;
  int threadsStillPrepared_ = 0;
};

}  // namespace tav
