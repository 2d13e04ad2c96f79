// The keystroke of a hotkey whose entry did not fire, handed on to the
// program in front. A conditioned entry is unregistered while its condition
// fails, so its combination normally never reaches this program; only a
// press that beat the news of a new window in front arrives here, after the
// system has already taken the key's down event. The key is then sent again,
// with those of its modifiers the user no longer holds, so the program in
// front sees the whole combination once and no key is left down.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tav {

struct KeyStroke {
  uint8_t virtualKey = 0;
  bool up = false;
  bool operator==(const KeyStroke&) const = default;
};

// `held` answers whether a virtual key is physically down now. Modifier
// flags are those of the hotkey message (Alt 1, Ctrl 2, Shift 4, Win 8).
std::vector<KeyStroke> PassThroughStrokes(unsigned modifiers, unsigned virtualKey,
                                          const std::function<bool(uint8_t)>& held);

}  // namespace tav
