// Keystroke synthesis for the key commands of scripts and for the paste: a
// key name becomes a virtual-key code, and the key's events go into the
// system's input stream, each with its scan code and extended flag, the
// key-up as its key-down. Stateless except for HeldKeys; safe to use from
// several threads at once.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace tav {

namespace vk {
inline constexpr uint8_t kShift = 0x10;
inline constexpr uint8_t kControl = 0x11;
inline constexpr uint8_t kMenu = 0x12;
inline constexpr uint8_t kV = 0x56;
inline constexpr uint8_t kLeftWin = 0x5B;
inline constexpr uint8_t kRightWin = 0x5C;
inline constexpr uint8_t kLeftShift = 0xA0;
inline constexpr uint8_t kRightShift = 0xA1;
inline constexpr uint8_t kLeftControl = 0xA2;
inline constexpr uint8_t kRightControl = 0xA3;
inline constexpr uint8_t kLeftMenu = 0xA4;
inline constexpr uint8_t kRightMenu = 0xA5;
// A code no layout assigns: pressed between Alt (or a Windows key) going
// down and up, it keeps that from counting as a bare tap, which would open
// the target's menu bar (or the Start menu).
inline constexpr uint8_t kMask = 0xE8;
}  // namespace vk

enum class KeyAction { kPress, kDown, kUp };

// The keys a script run has pressed and not yet let go, so that the run's
// end can let go of them. Used by one thread at a time.
class HeldKeys {
 public:
  void Pressed(const KeyInput& down);
  void Released(uint8_t virtualKey);
  // Key-ups of the noted keys that the system still holds down, the last
  // pressed first; the notes are cleared.
  std::vector<KeyInput> TakeKeyUps(Platform& platform);

 private:
  std::vector<KeyInput> downs_;
};

// Sends the events of `action` for the named key, as one batch, each with
// its scan code on the layout and the extended flag of the keys that carry
// one. A one-byte name is the character, looked up in the layout; a longer
// name is looked up whole and case-sensitively in the key table. A one-byte
// name of a character that needs Shift, Ctrl or Alt on the layout (other
// than a letter, whose name names the key) has those pressed around it, as
// far as the user does not hold them already. A name that gives no key sends
// nothing and shows "无效按键" (on the user-interface thread; the caller
// waits for it to be closed). `held`, when given, notes the keys left down.
// `sending`, when given, is held while the events are worked out from the
// keys down and sent (not while a wrong name is reported), so that keys of
// overlapping runs never fall between another's reading and sending.
void SendKeyAction(Platform& platform, std::string_view name, KeyAction action,
                   HeldKeys* held = nullptr, std::mutex* sending = nullptr);

// The event of the key `code` going down (or up), with its scan code on the
// layout and the extended flag of the keys that carry one.
KeyInput KeyEventFor(Platform& platform, uint8_t code, bool up);

// The paste keystroke as one batch: every modifier key the user holds (either
// hand, the Windows keys too) is let go, Ctrl+V is pressed with the V of the
// current layout, and the held keys are pressed again. Alt and the Windows
// keys are masked on both sides so that neither counts as a bare tap.
std::vector<KeyInput> PasteKeystrokes(Platform& platform);

}  // namespace tav
