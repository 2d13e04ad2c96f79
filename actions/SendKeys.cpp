#include "actions/SendKeys.h"

#include <algorithm>
#include <iterator>

namespace tav {

namespace {

struct KeyRow {
  std::string_view name;
  uint8_t code;
};

constexpr KeyRow kKeyTable[] = {
    {"Alt", 0x12},         {"Back Space", 0x08},  {"BKSP", 0x08},         {"BREAK", 0x03},
    {"BS", 0x08},          {"Caps Lock", 0x14},   {"CLEAR", 0x0C},        {"Ctrl", 0x11},
    {"Del", 0x2E},         {"Delete", 0x2E},      {"Down", 0x28},         {"End", 0x23},
    {"Enter", 0x0D},       {"Esc", 0x1B},         {"ESCAPE", 0x1B},       {"F1", 0x70},
    {"F2", 0x71},          {"F3", 0x72},          {"F4", 0x73},           {"F5", 0x74},
    {"F6", 0x75},          {"F7", 0x76},          {"F8", 0x77},           {"F9", 0x78},
    {"F10", 0x79},         {"F11", 0x7A},         {"F12", 0x7B},          {"F13", 0x7C},
    {"F14", 0x7D},         {"F15", 0x7E},         {"F16", 0x7F},          {"Help", 0x2F},
    {"Home", 0x24},        {"Insert", 0x2D},      {"Left", 0x25},         {"Left Win", 0x5B},
    {"Num 0", 0x60},       {"Num 1", 0x61},       {"Num 2", 0x62},        {"Num 3", 0x63},
    {"Num 4", 0x64},       {"Num 5", 0x65},       {"Num 6", 0x66},        {"Num 7", 0x67},
    {"Num 8", 0x68},       {"Num 9", 0x69},       {"Num *", 0x6A},        {"Num +", 0x6B},
    {"Num -", 0x6D},       {"Num /", 0x6F},       {"Num Lock", 0x90},     {"Page Down", 0x22},
    {"Page Up", 0x21},     {"Pause/Break", 0x13}, {"Print Screen", 0x2C}, {"Right", 0x27},
    {"Right Mouse", 0x5D}, {"Right Win", 0x5C},   {"Scroll Lock", 0x91},  {"Shift", 0x10},
    {"Tab", 0x09},         {"Up", 0x26},
};
static_assert(std::size(kKeyTable) == 62);

// Names that the script editor writes from the hotkey key names but that the
// key table spells differently or lacks. A script line the editor wrote must
// not be refused by the runner, so they name their keys here too.
constexpr KeyRow kEditorKeyNames[] = {
    {"Pause Break", 0x13},
    {"Blank", 0x20},
    {"Num Del", 0x6E},
    {"Soroll Lock", 0x91},
};

constexpr uint8_t kNumLock = 0x90;
constexpr int16_t kNoKey = -1;

std::optional<uint8_t> FindInTable(std::string_view name) {
  const auto matches = [name](const KeyRow& row) { return row.name == name; };
  if (auto it = std::find_if(std::begin(kKeyTable), std::end(kKeyTable), matches);
      it != std::end(kKeyTable))
    return it->code;
  if (auto it = std::find_if(std::begin(kEditorKeyNames), std::end(kEditorKeyNames), matches);
      it != std::end(kEditorKeyNames))
    return it->code;
  return std::nullopt;
}

std::optional<uint8_t> LookUpKey(Platform& platform, std::string_view name) {
  if (name.size() == 1) {
    const int16_t answer = platform.VkKeyScan(name[0]);
    if (answer == kNoKey) return std::nullopt;
    return static_cast<uint8_t>(answer & 0xFF);
  }
  return FindInTable(name);
}

// Page Up to Down and Insert, Delete sit in the extended block of the
// keyboard; without the flag they would arrive as their numeric-pad twins.
bool IsExtendedKey(uint8_t code) {
  return (code >= 0x21 && code <= 0x28) || code == 0x2D || code == 0x2E;
}

// Num Lock gets no key events: its toggle is flipped in the keyboard-state
// table of the calling thread instead.
void FlipNumLock(Platform& platform) {
  const bool on = (platform.GetKeyState(kNumLock) & 0x01) != 0;
  KeyboardState state = platform.GetKeyboardState();
  state[kNumLock] = static_cast<uint8_t>(on ? (state[kNumLock] & ~0x01) : (state[kNumLock] | 0x01));
  platform.SetKeyboardState(state);
}

void SendKeyDown(Platform& platform, uint8_t code, bool alsoUp) {
  if (code == kNumLock) {
    FlipNumLock(platform);
    return;
  }
  const auto scan = static_cast<uint8_t>(platform.MapVirtualKey(code, 0) & 0xFF);
  const uint32_t extended = IsExtendedKey(code) ? kKeyEventExtendedKey : 0;
  platform.KeybdEvent(code, scan, extended);
  if (alsoUp) platform.KeybdEvent(code, scan, extended | kKeyEventKeyUp);
}

}  // namespace

std::optional<uint8_t> KeyNameToCode(Platform& platform, std::string_view name) {
  const std::optional<uint8_t> code = LookUpKey(platform, name);
  if (!code)
    platform.RunOnUiThread([&platform] { platform.MessageBox("无效按键", "SendKeys", mb::kOk); });
  return code;
}

void SendKeyAction(Platform& platform, std::string_view name, KeyAction action) {
  const std::optional<uint8_t> code = KeyNameToCode(platform, name);
  if (!code) return;
  switch (action) {
    case KeyAction::kPress:
      SendKeyDown(platform, *code, true);
      break;
    case KeyAction::kDown:
      SendKeyDown(platform, *code, false);
      break;
    case KeyAction::kUp:
      // A bare key-up: no scan code, no extended flag, Num Lock not special.
      platform.KeybdEvent(*code, 0, kKeyEventKeyUp);
      break;
  }
}

}  // namespace tav
