// Key texts as a scheme file holds them: the two halves convert or are
// refused with a conversion error; a hotkey code read writes back to a key
// text that reads the same code; its display text is text the list can
// show, and the hotkey edit control's value carries the same key and
// modifiers.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "storage/KeyText.h"

namespace {

using tav::fuzz::Check;

bool TryPart(std::string_view text, int part, int32_t& value) {
  try {
    value = tav::KeyTextPart(text, part);
    return true;
  } catch (const tav::ConversionError&) {
    return false;
  }
}

void CheckCode(int32_t flags, int32_t key) {
  const std::string text = tav::KeyText(flags, key);
  Check(tav::KeyTextPart(text, tav::kModifierPart) == flags, "flags read back", text);
  Check(tav::KeyTextPart(text, tav::kKeyPart) == key, "key read back", text);

  const std::string display = tav::DisplayText(flags, key);
  Check(tav::fuzz::IsUtf8(display), "a display text is UTF-8", display);
  Check(display.ends_with(tav::KeyName(key)), "a display text ends in the key name", display);

  // The edit control knows keys 0 to 255 and the Alt, Ctrl and Shift bits.
  const tav::ShiftState state = tav::ModifiersToShiftState(flags);
  const int32_t shown = tav::ShiftStateToModifiers(state);
  Check(shown >= 0 && shown <= 7, "the edit control's modifiers are 0 to 7");
  Check(shown == (flags & 7), "the edit control keeps Alt, Ctrl and Shift");
  const tav::Shortcut shortcut = tav::SplitShortcut(tav::ShortcutValue(key, state));
  if (key > 0 && key <= 255) {
    Check(shortcut.virtualKey == key, "the edit control keeps the key");
    Check(shortcut.state == state, "the edit control keeps the modifiers");
  } else {
    Check(shortcut.virtualKey == 0, "a key outside 0 to 255 is no shortcut");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = tav::fuzz::Bytes(data, size);
  int32_t flags = 0;
  int32_t key = 0;
  const bool hasFlags = TryPart(text, tav::kModifierPart, flags);
  const bool hasKey = TryPart(text, tav::kKeyPart, key);
  // Without "+" neither half converts.
  if (text.find('+') == std::string_view::npos) Check(!hasFlags && !hasKey, "no '+', no code");
  if (hasFlags && hasKey) CheckCode(flags, key);
  return 0;
}
