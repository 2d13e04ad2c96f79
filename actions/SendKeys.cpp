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

constexpr int16_t kNoKey = -1;
constexpr unsigned kMapVirtualKeyToScanCode = 0;

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

// The shift state bits of VkKeyScan's answer, and the key each presses.
constexpr struct {
  int bit;
  uint8_t generic;
  uint8_t key;
} kShiftStateKeys[] = {
    {0x100, vk::kShift, vk::kLeftShift},
    {0x200, vk::kControl, vk::kLeftControl},
    {0x400, vk::kMenu, vk::kLeftMenu},
};

// The modifier keys of either hand. Their scan codes are the same on every
// layout; the right-hand Ctrl and Alt and the Windows keys are extended.
constexpr KeyInput kModifierKeys[] = {
    {vk::kLeftShift, 0x2A, 0},
    {vk::kRightShift, 0x36, 0},
    {vk::kLeftControl, 0x1D, 0},
    {vk::kRightControl, 0x1D, kKeyEventExtendedKey},
    {vk::kLeftMenu, 0x38, 0},
    {vk::kRightMenu, 0x38, kKeyEventExtendedKey},
    {vk::kLeftWin, 0x5B, kKeyEventExtendedKey},
    {vk::kRightWin, 0x5C, kKeyEventExtendedKey},
};

struct LookedUpKey {
  uint8_t code;
  int shiftState;  // VkKeyScan's shift bits, for a character
};

std::optional<LookedUpKey> LookUpKey(Platform& platform, std::string_view name) {
  if (name.size() == 1) {
    const int16_t answer = platform.VkKeyScan(name[0]);
    if (answer == kNoKey) return std::nullopt;
    // A letter's name names its key, as the script editor writes it: "A" is
    // the A key, not Shift+A.
    const bool letter = (name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z');
    return LookedUpKey{static_cast<uint8_t>(answer & 0xFF), letter ? 0 : (answer & 0x700)};
  }
  if (const std::optional<uint8_t> code = FindInTable(name)) return LookedUpKey{*code, 0};
  return std::nullopt;
}

// The keys whose scan code comes with the E0 prefix: the right-hand Ctrl and
// Alt, the Insert to Page Down block and the arrows, Num Lock, Break, Print
// Screen, the numeric pad's divide and the Windows and menu keys. Without the
// flag they would arrive as their left-hand or numeric-pad twins.
bool IsExtendedKey(uint8_t code) {
  switch (code) {
    case 0x03:  // Break
    case 0x2C:  // Print Screen
    case 0x2D:  // Insert
    case 0x2E:  // Delete
    case 0x5B:  // left Windows key
    case 0x5C:  // right Windows key
    case 0x5D:  // menu key
    case 0x6F:  // numeric pad divide
    case 0x90:  // Num Lock
    case vk::kRightControl:
    case vk::kRightMenu:
      return true;
    default:
      return code >= 0x21 && code <= 0x28;
  }
}

bool IsDown(Platform& platform, uint8_t virtualKey) {
  return (platform.GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

KeyInput Up(KeyInput down) {
  down.flags |= kKeyEventKeyUp;
  return down;
}

const KeyInput& ModifierKey(uint8_t virtualKey) {
  for (const KeyInput& key : kModifierKeys) {
    if (key.virtualKey == virtualKey) return key;
  }
  return kModifierKeys[0];
}

// The modifier keys a character's shift state needs that nobody holds yet.
std::vector<KeyInput> ShiftStateKeys(Platform& platform, int shiftState) {
  std::vector<KeyInput> keys;
  for (const auto& [bit, generic, key] : kShiftStateKeys) {
    if ((shiftState & bit) && !IsDown(platform, generic)) keys.push_back(ModifierKey(key));
  }
  return keys;
}

bool IsAltOrWin(uint8_t virtualKey) {
  return virtualKey == vk::kLeftMenu || virtualKey == vk::kRightMenu ||
         virtualKey == vk::kLeftWin || virtualKey == vk::kRightWin;
}

void AddMask(std::vector<KeyInput>& batch) {
  batch.push_back({vk::kMask, 0, 0});
  batch.push_back({vk::kMask, 0, kKeyEventKeyUp});
}

// The key going down, with its scan code on the layout and the extended
// flag of the keys that carry one.
KeyInput KeyDown(Platform& platform, uint8_t code) {
  const auto scan =
      static_cast<uint8_t>(platform.MapVirtualKey(code, kMapVirtualKeyToScanCode) & 0xFF);
  return {code, scan, IsExtendedKey(code) ? kKeyEventExtendedKey : 0};
}

std::optional<LookedUpKey> LookUpOrReport(Platform& platform, std::string_view name) {
  const std::optional<LookedUpKey> key = LookUpKey(platform, name);
  if (!key)
    platform.RunOnUiThread([&platform] { platform.MessageBox("无效按键", "SendKeys", mb::kOk); });
  return key;
}

}  // namespace

KeyInput KeyEventFor(Platform& platform, uint8_t code, bool up) {
  return up ? Up(KeyDown(platform, code)) : KeyDown(platform, code);
}

void HeldKeys::Pressed(const KeyInput& down) {
  Released(down.virtualKey);
  downs_.push_back(down);
}

void HeldKeys::Released(uint8_t virtualKey) {
  std::erase_if(downs_, [virtualKey](const KeyInput& key) { return key.virtualKey == virtualKey; });
}

std::vector<KeyInput> HeldKeys::TakeKeyUps(Platform& platform) {
  std::vector<KeyInput> ups;
  for (auto it = downs_.rbegin(); it != downs_.rend(); ++it) {
    if (IsDown(platform, it->virtualKey)) ups.push_back(Up(*it));
  }
  downs_.clear();
  return ups;
}

void SendKeyAction(Platform& platform, std::string_view name, KeyAction action, HeldKeys* held,
                   std::mutex* sending) {
  const std::optional<LookedUpKey> key = LookUpOrReport(platform, name);
  if (!key) return;
  std::unique_lock<std::mutex> lock;
  if (sending) lock = std::unique_lock(*sending);
  const KeyInput down = KeyDown(platform, key->code);
  if (action == KeyAction::kUp) {
    platform.SendKeys({Up(down)});
    if (held) held->Released(down.virtualKey);
    return;
  }
  const std::vector<KeyInput> shift = ShiftStateKeys(platform, key->shiftState);
  std::vector<KeyInput> batch(shift.begin(), shift.end());
  batch.push_back(down);
  if (action == KeyAction::kPress) batch.push_back(Up(down));
  for (auto it = shift.rbegin(); it != shift.rend(); ++it) batch.push_back(Up(*it));
  platform.SendKeys(batch);
  if (held && action == KeyAction::kDown) held->Pressed(down);
}

std::vector<KeyInput> PasteKeystrokes(Platform& platform) {
  std::vector<KeyInput> heldByUser;
  for (const KeyInput& key : kModifierKeys) {
    if (IsDown(platform, key.virtualKey)) heldByUser.push_back(key);
  }
  const bool masked = std::any_of(heldByUser.begin(), heldByUser.end(),
                                  [](const KeyInput& key) { return IsAltOrWin(key.virtualKey); });
  std::vector<KeyInput> batch;
  if (masked) AddMask(batch);
  for (const KeyInput& key : heldByUser) batch.push_back(Up(key));
  const KeyInput control = ModifierKey(vk::kLeftControl);
  const KeyInput v = KeyDown(platform, vk::kV);
  batch.insert(batch.end(), {control, v, Up(v), Up(control)});
  batch.insert(batch.end(), heldByUser.begin(), heldByUser.end());
  // The user lets go of Alt later: that must not be a bare tap either.
  if (masked) AddMask(batch);
  return batch;
}

}  // namespace tav
