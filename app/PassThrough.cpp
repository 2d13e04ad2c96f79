#include "app/PassThrough.h"

namespace tav {

std::vector<KeyStroke> PassThroughStrokes(unsigned modifiers, unsigned virtualKey,
                                          const std::function<bool(uint8_t)>& held) {
  static constexpr struct {
    unsigned flag;
    uint8_t key;
  } kModifierKeys[] = {{2, 0x11 /* VK_CONTROL */},
                       {1, 0x12 /* VK_MENU */},
                       {4, 0x10 /* VK_SHIFT */},
                       {8, 0x5B /* VK_LWIN */}};
  std::vector<KeyStroke> strokes;
  std::vector<uint8_t> pressed;  // modifiers this sends down, released after
  for (const auto& modifier : kModifierKeys) {
    if ((modifiers & modifier.flag) && !held(modifier.key)) {
      strokes.push_back({modifier.key, false});
      pressed.push_back(modifier.key);
    }
  }
  const auto key = static_cast<uint8_t>(virtualKey);
  strokes.push_back({key, false});
  // A key still held gets its own up from the keyboard.
  if (!held(key)) strokes.push_back({key, true});
  for (auto it = pressed.rbegin(); it != pressed.rend(); ++it) strokes.push_back({*it, true});
  return strokes;
}

}  // namespace tav
