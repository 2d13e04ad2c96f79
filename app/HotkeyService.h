// The entry table and its system-wide hotkey registrations. Portable: it
// talks to Windows only through the platform seam, so native tests drive it
// with the recording fake and Win32 tests with the real platform.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "platform/Platform.h"
#include "storage/HotkeyEntry.h"

namespace tav {

// The action string of the built-in pause operation: its hotkeys stay
// registered while the service is paused, so the same hotkey can resume.
inline constexpr const char* kPauseAction = "Tavrelin停止/开始工作";

// MOD_NOREPEAT: a held combination fires once, not at the keyboard's
// auto-repeat rate (Windows 7 and later; earlier systems ignore it).
inline constexpr unsigned kModNoRepeat = 0x4000;

// What TakeHotkey answers for a combination that an entry has but no longer
// holds: the keys belong to the program in front.
inline constexpr int kReleasedCombination = -2;

class HotkeyService {
 public:
  explicit HotkeyService(Platform& platform) : platform_(platform) {}
  HotkeyService(const HotkeyService&) = delete;
  HotkeyService& operator=(const HotkeyService&) = delete;

  EntryTable& slots() { return slots_; }
  const EntryTable& slots() const { return slots_; }

  // Sets the hotkey code of every slot to 0 before a load; the texts of
  // slots past the loaded entries are never used.
  void ResetSlots();

  // Unregisters everything, then registers slots 0 to 100 in order: those
  // with a key that are switched on and whose condition holds for the
  // window in front (while quiet, only those of the pause operation).
  void RegisterAll();
  // Registers one slot under the id of the atom "hotkey<slot>". A combination
  // the system refuses gets no message; the slot is marked refused and the
  // list shows why (RefusalText).
  void RegisterOne(int slot);
  // Unregisters every slot holding a registration and releases its atom;
  // with all = false, hotkeys bound to the pause operation stay. With
  // all = true nothing is registered again until RegisterAll.
  void UnregisterHotkeys(bool all);

  // The window in front changed, or whether the program in front is full
  // screen: conditioned entries are registered while their condition holds
  // and unregistered otherwise, so that their combination reaches the
  // program in front untouched; while quiet only the pause operation's
  // hotkeys stay. Slots whose registration would not change are left alone.
  void SetForeground(const ForegroundInfo& front);
  void SetQuiet(bool quiet);
  const ForegroundInfo& foreground() const { return foreground_; }
  bool quiet() const { return quiet_; }
  // Whether some entry's condition looks at the window title, which can
  // change while the window stays in front.
  bool WatchesTitles() const;

  // The first slot whose hotkey code matches the hotkey message, or -1.
  int FindSlot(unsigned modifiers, unsigned virtualKey) const;
  // The slot a hotkey message fires: the first with the combination that
  // holds an accepted registration. -1 when none matches, or the message is
  // the auto-repeat of the slot that fired last, its key not seen going up
  // between that firing and `time`, the message's time (a system that
  // ignores kModNoRepeat sends those). kReleasedCombination when an entry has
  // the combination but no longer holds it (unregistered after the message
  // was posted): the program in front should get the keys. Times are the
  // system's tick counts.
  int TakeHotkey(unsigned modifiers, unsigned virtualKey, uint32_t time);
  // The key of the hotkey that fired last went up at `time`. Any thread:
  // whoever watches the key calls it while the user-interface thread may be
  // busy with hotkey messages waiting in its queue.
  void NoteFiredKeyUp(uint32_t time);
  // The slot holding an accepted registration for the combination, or -1.
  int FiringSlot(unsigned modifiers, unsigned virtualKey) const;

  bool IsRegistered(int slot) const { return atoms_[slot] != 0; }
  // Whether the system refused the slot's combination at its last
  // registration.
  bool IsRefused(int slot) const { return refused_[slot]; }
  // Why a refused slot does not fire: "与第 N 项热键重复" when an earlier
  // slot N - 1 holds the combination, otherwise "已被其他程序占用". Empty
  // for a slot that was not refused.
  std::string RefusalText(int slot) const;
  bool paused() const { return paused_; }
  void set_paused(bool paused) { paused_ = paused; }

 private:
  static constexpr int kAtomBase = 0xC000;

  // Whether the slot should hold a registration now.
  bool Wanted(int slot) const;
  void Unregister(int slot);
  // Registers and unregisters what the foreground or quiet state changed.
  void Refresh();

  Platform& platform_;
  EntryTable slots_{};
  std::array<uint16_t, kSlotCount> atoms_{};  // 0: the slot holds no registration
  std::array<bool, kSlotCount> refused_{};
  bool paused_ = false;
  bool KeyUpBetween(uint32_t from, uint32_t to);

  int firedSlot_ = -1;  // fired last
  uint32_t firedTime_ = 0;
  std::mutex keyUpsMutex_;
  std::deque<uint32_t> keyUps_;  // the latest times the fired key went up
  bool suspended_ = false;       // everything unregistered until RegisterAll
  bool quiet_ = false;
  ForegroundInfo foreground_;
};

}  // namespace tav
