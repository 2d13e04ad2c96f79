// Keystroke synthesis for the key commands of scripts: a key name becomes a
// virtual-key code, and the key's events go into the system's input stream.
// Stateless; safe to use from several threads at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Platform.h"

namespace tav {

enum class KeyAction { kPress, kDown, kUp };

// The virtual-key code that a key name names: a one-byte name is the
// character, looked up in the current keyboard layout (its shift state is
// ignored, so "a" and "A" are the same key); a longer name is looked up
// whole and case-sensitively in the key table. When the name gives no key
// the message "无效按键" is shown once (on the user-interface thread; the
// caller waits for it to be closed) and the answer is empty.
std::optional<uint8_t> KeyNameToCode(Platform& platform, std::string_view name);

// Sends the events of `action` for the named key. A name that gives no key
// sends nothing.
void SendKeyAction(Platform& platform, std::string_view name, KeyAction action);

}  // namespace tav
