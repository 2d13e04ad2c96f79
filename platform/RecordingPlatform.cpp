#include "platform/RecordingPlatform.h"

#include <algorithm>
#include <cstdio>

#include "base/FileSystem.h"

namespace tav {

namespace {

// The path with repeated separators and one at the end taken out, so that
// "C:\a\" and "C:\a" name the same folder.
std::string WithoutExtraSeparators(const std::string& path) {
  std::string normal;
  for (const char c : path) {
    if (!IsPathSeparator(c) || normal.empty() || !IsPathSeparator(normal.back())) normal += c;
  }
  if (normal.size() > 1 && IsPathSeparator(normal.back())) normal.pop_back();
  return normal;
}

// A few answers of a US keyboard layout for MapVirtualKey, enough for tests.
unsigned UsScanCode(unsigned virtualKey) {
  switch (virtualKey) {
    case 0x90:
      return 0x45;  // Num Lock
    case 0x14:
      return 0x3A;  // Caps Lock
    case 0x31:
      return 0x02;  // 1
    case 0x0D:
      return 0x1C;  // Enter
    case 0x10:
      return 0x2A;  // Shift
    case 0x11:
      return 0x1D;  // Ctrl
    case 0x12:
      return 0x38;  // Alt
    case 0x2E:
      return 0x53;  // Delete
    case 0x41:
      return 0x1E;  // A
    case 0x56:
      return 0x2F;  // V
    default:
      return 0;
  }
}

// The key of one side that an event of a generic modifier stands for: the
// right Shift has its own scan code, the right Ctrl and Alt the extended flag.
uint8_t SidedKey(const KeyInput& event) {
  const bool extended = (event.flags & kKeyEventExtendedKey) != 0;
  switch (event.virtualKey) {
    case 0x10:
      return event.scanCode == 0x36 ? 0xA1 : 0xA0;
    case 0x11:
      return extended ? 0xA3 : 0xA2;
    case 0x12:
      return extended ? 0xA5 : 0xA4;
    default:
      return event.virtualKey;
  }
}

// The two sides of a generic modifier; none for any other key.
std::optional<std::pair<uint8_t, uint8_t>> Sides(uint8_t virtualKey) {
  switch (virtualKey) {
    case 0x10:
      return std::pair<uint8_t, uint8_t>{0xA0, 0xA1};
    case 0x11:
      return std::pair<uint8_t, uint8_t>{0xA2, 0xA3};
    case 0x12:
      return std::pair<uint8_t, uint8_t>{0xA4, 0xA5};
    default:
      return std::nullopt;
  }
}

}  // namespace

RecordingPlatform::RecordingPlatform() {
  for (char c = 'a'; c <= 'z'; ++c) vkKeyScan_[c] = static_cast<int16_t>(c - 'a' + 'A');
  for (char c = 'A'; c <= 'Z'; ++c) vkKeyScan_[c] = static_cast<int16_t>(0x100 | c);
  for (char c = '0'; c <= '9'; ++c) vkKeyScan_[c] = static_cast<int16_t>(c);
  vkKeyScan_['!'] = 0x131;
}

void RecordingPlatform::Record(std::string call) {
  calls_.push_back(std::move(call));
}

std::vector<std::string> RecordingPlatform::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::string> RecordingPlatform::CallsStartingWith(const std::string& prefix) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> result;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(result),
               [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
  return result;
}

void RecordingPlatform::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

bool RecordingPlatform::KeyDownLocked(uint8_t virtualKey) const {
  if (const auto sides = Sides(virtualKey))
    return ((keys_[sides->first] | keys_[sides->second]) & 0x80) != 0;
  return (keys_[virtualKey] & 0x80) != 0;
}

bool RecordingPlatform::IsKeyDown(uint8_t virtualKey) const {
  std::lock_guard lock(mutex_);
  return KeyDownLocked(virtualKey);
}

std::vector<std::vector<KeyInput>> RecordingPlatform::Batches() const {
  std::lock_guard lock(mutex_);
  return batches_;
}

void RecordingPlatform::SetForegroundElevated(bool elevated) {
  std::lock_guard lock(mutex_);
  foregroundElevated_ = elevated;
}

bool RecordingPlatform::ForegroundWindowIsElevated() {
  std::lock_guard lock(mutex_);
  return foregroundElevated_;
}

std::vector<int> RecordingPlatform::KeysDown() const {
  std::lock_guard lock(mutex_);
  std::vector<int> down;
  for (int vk = 0; vk < 256; ++vk) {
    if (keys_[vk] & 0x80) down.push_back(vk);
  }
  return down;
}

void RecordingPlatform::SetKeyDown(uint8_t virtualKey, bool down) {
  std::lock_guard lock(mutex_);
  virtualKey = SidedKey({virtualKey, 0, 0});
  keys_[virtualKey] =
      static_cast<uint8_t>(down ? (keys_[virtualKey] | 0x80) : (keys_[virtualKey] & 0x7F));
}

std::map<int, std::pair<unsigned, unsigned>> RecordingPlatform::Registrations() const {
  std::lock_guard lock(mutex_);
  return hotkeys_;
}

int RecordingPlatform::LiveAtomCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(atoms_.size());
}

void RecordingPlatform::TakeCombination(unsigned modifiers, unsigned virtualKey) {
  std::lock_guard lock(mutex_);
  taken_.insert({modifiers, virtualKey});
}

void RecordingPlatform::QueueMessageBoxAnswer(int answer) {
  std::lock_guard lock(mutex_);
  messageBoxAnswers_.push_back(answer);
}

void RecordingPlatform::SetVkKeyScan(char ch, int16_t answer) {
  std::lock_guard lock(mutex_);
  vkKeyScan_[ch] = answer;
}

unsigned RecordingPlatform::RegisteredFormat(const std::string& name) {
  static std::mutex mutex;
  static std::map<std::string, unsigned> formats;
  std::lock_guard lock(mutex);
  // Registered formats are numbered from 0xC000 on, as Windows numbers them.
  return formats.emplace(name, 0xC000 + static_cast<unsigned>(formats.size())).first->second;
}

ClipboardContent RecordingPlatform::PrivateMarkers() {
  ClipboardContent markers;
  for (const char* name : kPrivateClipboardFormats)
    markers.push_back({RegisteredFormat(name), std::string(4, '\0')});
  return markers;
}

namespace {

ClipboardContent TextWithMarkers(const std::string& text) {
  ClipboardContent content{{RecordingPlatform::kUnicodeTextFormat, text}};
  for (ClipboardFormatData& marker : RecordingPlatform::PrivateMarkers())
    content.push_back(std::move(marker));
  return content;
}

}  // namespace

std::string RecordingPlatform::Clipboard() const {
  std::lock_guard lock(mutex_);
  return clipboard_;
}

void RecordingPlatform::SetClipboardBusy(bool busy) {
  std::lock_guard lock(mutex_);
  clipboardBusy_ = busy;
}

void RecordingPlatform::SetRunValue(std::optional<std::string> value, RunKey key) {
  std::lock_guard lock(mutex_);
  runValues_[key] = std::move(value);
}

std::optional<std::string> RecordingPlatform::RunValue(RunKey key) const {
  std::lock_guard lock(mutex_);
  return runValues_.at(key);
}

void RecordingPlatform::SetRunKeyReadOnly(RunKey key, bool readOnly) {
  std::lock_guard lock(mutex_);
  if (readOnly) {
    readOnlyRunKeys_.insert(key);
  } else {
    readOnlyRunKeys_.erase(key);
  }
}

void RecordingPlatform::SetWin9x(bool win9x) {
  std::lock_guard lock(mutex_);
  win9x_ = win9x;
}

void RecordingPlatform::SetAtomTableFull(bool full) {
  std::lock_guard lock(mutex_);
  atomTableFull_ = full;
}

uint16_t RecordingPlatform::GlobalAddAtom(const std::string& name) {
  std::lock_guard lock(mutex_);
  Record("GlobalAddAtom(" + name + ")");
  if (atomTableFull_) return 0;
  auto& [atom, references] = atoms_[name];
  if (references++ == 0) atom = nextAtom_++;
  return atom;
}

void RecordingPlatform::GlobalDeleteAtom(uint16_t atom) {
  std::lock_guard lock(mutex_);
  Record("GlobalDeleteAtom(" + std::to_string(atom) + ")");
  for (auto it = atoms_.begin(); it != atoms_.end(); ++it) {
    if (it->second.first == atom) {
      if (--it->second.second == 0) atoms_.erase(it);
      return;
    }
  }
}

bool RecordingPlatform::RegisterHotKey(int id, unsigned modifiers, unsigned virtualKey) {
  std::lock_guard lock(mutex_);
  Record("RegisterHotKey(" + std::to_string(id) + "," + std::to_string(modifiers) + "," +
         std::to_string(virtualKey) + ")");
  // MOD_NOREPEAT (0x4000) changes how often it fires, not the combination.
  const std::pair<unsigned, unsigned> combination{modifiers & ~0x4000u, virtualKey};
  if (taken_.count(combination) || hotkeys_.count(id)) return false;
  for (const auto& [otherId, otherCombination] : hotkeys_) {
    if (otherCombination == combination) return false;
  }
  hotkeys_[id] = combination;
  return true;
}

bool RecordingPlatform::UnregisterHotKey(int id) {
  std::lock_guard lock(mutex_);
  Record("UnregisterHotKey(" + std::to_string(id) + ")");
  return hotkeys_.erase(id) > 0;
}

void RecordingPlatform::SendKeys(const std::vector<KeyInput>& events) {
  std::lock_guard lock(mutex_);
  batches_.push_back(events);
  for (const KeyInput& event : events) {
    Record("input(" + std::to_string(event.virtualKey) + "," + std::to_string(event.scanCode) +
           "," + std::to_string(event.flags) + ")");
    uint8_t& state = keys_[SidedKey(event)];
    if (event.flags & kKeyEventKeyUp) {
      state &= 0x7F;
    } else {
      // A key going down flips its toggle state, as Caps Lock does.
      if (!(state & 0x80)) state ^= 0x01;
      state |= 0x80;
    }
  }
}

void RecordingPlatform::MouseEvent(uint32_t flags) {
  std::lock_guard lock(mutex_);
  Record("mouse_event(" + std::to_string(flags) + ")");
}

unsigned RecordingPlatform::MapVirtualKey(unsigned code, unsigned mapType) {
  return mapType == 0 ? UsScanCode(code) : 0;
}

int16_t RecordingPlatform::VkKeyScan(char ch) {
  std::lock_guard lock(mutex_);
  auto it = vkKeyScan_.find(ch);
  return it == vkKeyScan_.end() ? int16_t{-1} : it->second;
}

int16_t RecordingPlatform::GetAsyncKeyState(int virtualKey) {
  std::lock_guard lock(mutex_);
  return KeyDownLocked(static_cast<uint8_t>(virtualKey)) ? int16_t(0x8000) : int16_t(0);
}

bool RecordingPlatform::SetClipboardText(const std::string& text) {
  std::lock_guard lock(mutex_);
  Record("SetClipboardText(" + text + ")");
  if (clipboardBusy_) return false;
  clipboard_ = text;
  if (clipboardFormats_) clipboardFormats_ = TextWithMarkers(text);
  return true;
}

void RecordingPlatform::SetClipboardContent(std::optional<ClipboardContent> content) {
  std::lock_guard lock(mutex_);
  clipboardFormats_ = std::move(content);
}

std::optional<ClipboardContent> RecordingPlatform::ClipboardFormats() const {
  std::lock_guard lock(mutex_);
  return clipboardFormats_;
}

void RecordingPlatform::SetClipboardReadByTarget(bool read) {
  std::lock_guard lock(mutex_);
  clipboardRead_ = read;
}

std::optional<ClipboardContent> RecordingPlatform::SaveClipboard() {
  std::lock_guard lock(mutex_);
  Record("SaveClipboard");
  return clipboardFormats_;
}

void RecordingPlatform::OfferClipboardText(const std::string& text) {
  std::lock_guard lock(mutex_);
  Record("OfferClipboardText(" + text + ")");
  clipboard_ = text;
  if (clipboardFormats_) clipboardFormats_ = TextWithMarkers(text);
}

bool RecordingPlatform::WaitForClipboardRead(uint32_t timeoutMs) {
  std::lock_guard lock(mutex_);
  Record("WaitForClipboardRead(" + std::to_string(timeoutMs) + ")");
  return clipboardRead_;
}

void RecordingPlatform::RestoreClipboard(const ClipboardContent& content) {
  std::lock_guard lock(mutex_);
  Record("RestoreClipboard(" + std::to_string(content.size()) + ")");
  if (!clipboardFormats_) return;
  clipboardFormats_ = content;
  for (ClipboardFormatData& marker : PrivateMarkers()) {
    std::erase_if(*clipboardFormats_,
                  [&](const auto& data) { return data.format == marker.format; });
    clipboardFormats_->push_back(std::move(marker));
  }
  clipboard_.clear();
  for (const ClipboardFormatData& data : content) {
    if (data.format == kUnicodeTextFormat) clipboard_ = data.bytes;
  }
}

void RecordingPlatform::ShellOpen(const std::string& target) {
  std::lock_guard lock(mutex_);
  Record("ShellOpen(" + target + ")");
}

void RecordingPlatform::WinExec(const std::string& commandLine, int showCommand) {
  std::lock_guard lock(mutex_);
  Record("WinExec(" + commandLine + "," + std::to_string(showCommand) + ")");
}

int RecordingPlatform::MessageBox(const std::string& text, const std::string& caption,
                                  unsigned style) {
  std::lock_guard lock(mutex_);
  Record("MessageBox(" + text + "|" + caption + "|" + std::to_string(style) + ")");
  if (messageBoxAnswers_.empty()) return mb::kIdOk;
  const int answer = messageBoxAnswers_.front();
  messageBoxAnswers_.erase(messageBoxAnswers_.begin());
  return answer;
}

void RecordingPlatform::Sleep(uint32_t milliseconds) {
  std::lock_guard lock(mutex_);
  Record("Sleep(" + std::to_string(milliseconds) + ")");
}

std::shared_ptr<void> RecordingPlatform::PrepareRunThread() {
  std::lock_guard lock(mutex_);
  preparedThreads_.push_back(std::this_thread::get_id());
  ++threadsStillPrepared_;
  const std::thread::id thread = std::this_thread::get_id();
  return std::shared_ptr<void>(nullptr, [this, thread](void*) {
    std::lock_guard lock(mutex_);
    // Released on another thread than the one prepared: counted as not released.
    if (std::this_thread::get_id() == thread) --threadsStillPrepared_;
  });
}

std::vector<std::thread::id> RecordingPlatform::PreparedThreads() const {
  std::lock_guard lock(mutex_);
  return preparedThreads_;
}

int RecordingPlatform::ThreadsStillPrepared() const {
  std::lock_guard lock(mutex_);
  return threadsStillPrepared_;
}

void RecordingPlatform::RunOnUiThread(const std::function<void()>& call) {
  {
    std::lock_guard lock(mutex_);
    Record("RunOnUiThread");
  }
  call();
}

bool RecordingPlatform::IsWin9xPlatform() {
  std::lock_guard lock(mutex_);
  return win9x_;
}

bool RecordingPlatform::SetShutdownPrivilege(bool enable) {
  std::lock_guard lock(mutex_);
  Record(std::string("SetShutdownPrivilege(") + (enable ? "1" : "0") + ")");
  return true;
}

void RecordingPlatform::ExitWindows(unsigned flags, uint32_t reason) {
  std::lock_guard lock(mutex_);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(reason));
  Record("ExitWindows(" + std::to_string(flags) + "," + hex + ")");
}

void RecordingPlatform::MciSendString(const std::string& command) {
  {
    std::unique_lock lock(mciMutex_);
    mciReleased_.wait(lock, [this] { return !mciHeld_; });
  }
  std::lock_guard lock(mutex_);
  Record("mciSendString(" + command + ")");
}

std::vector<std::string> RecordingPlatform::CdDrives() {
  std::lock_guard lock(mutex_);
  return cdDrives_;
}

void RecordingPlatform::SetCdDrives(std::vector<std::string> drives) {
  std::lock_guard lock(mutex_);
  cdDrives_ = std::move(drives);
}

void RecordingPlatform::HoldMci(bool held) {
  {
    std::lock_guard lock(mciMutex_);
    mciHeld_ = held;
  }
  mciReleased_.notify_all();
}

void RecordingPlatform::ShowShutdownDialog() {
  std::lock_guard lock(mutex_);
  Record("ShowShutdownDialog");
}

void RecordingPlatform::ShowSystemProperties() {
  std::lock_guard lock(mutex_);
  Record("ShowSystemProperties");
}

namespace {
// The machine-wide key is written without a prefix, the user's with "HKCU,".
std::string RunKeyPrefix(RunKey key) {
  return key == RunKey::kCurrentUser ? "HKCU," : "";
}
}  // namespace

std::optional<std::string> RecordingPlatform::ReadRunValue(RunKey key, const std::string& name) {
  std::lock_guard lock(mutex_);
  Record("ReadRunValue(" + RunKeyPrefix(key) + name + ")");
  return runValues_[key];
}

bool RecordingPlatform::WriteRunValue(RunKey key, const std::string& name,
                                      const std::string& data) {
  std::lock_guard lock(mutex_);
  Record("WriteRunValue(" + RunKeyPrefix(key) + name + "," + data + ")");
  std::optional<std::string>& value = runValues_[key];
  if (!value || readOnlyRunKeys_.count(key)) return false;
  value = data;
  return true;
}

void RecordingPlatform::DeleteRunValue(RunKey key, const std::string& name) {
  std::lock_guard lock(mutex_);
  Record("DeleteRunValue(" + RunKeyPrefix(key) + name + ")");
  std::optional<std::string>& value = runValues_[key];
  if (value && !readOnlyRunKeys_.count(key)) value = std::string();
}

std::string RecordingPlatform::ProgramFileName() {
  return "C:\\Tavrelin\\tavrelin.exe";
}

void RecordingPlatform::MarkHidden(const std::string& path) {
  std::lock_guard lock(mutex_);
  hidden_.insert(WithoutExtraSeparators(path));
}

void RecordingPlatform::SetShellFolderValue(const std::string& name, const std::string& value) {
  std::lock_guard lock(mutex_);
  shellFolders_[name] = value;
}

void RecordingPlatform::SetKnownFavoritesFolder(const std::string& folder) {
  std::lock_guard lock(mutex_);
  knownFavorites_ = folder;
}

std::vector<DirectoryEntry> RecordingPlatform::ListDirectory(const std::string& folder) {
  std::lock_guard lock(mutex_);
  Record("ListDirectory(" + folder + ")");
  std::vector<DirectoryEntry> entries;
  for (FolderEntry& entry : ListFolder(folder)) {
    if (hidden_.count(WithoutExtraSeparators(JoinPath(folder, entry.name)))) continue;
    entries.push_back({std::move(entry.name), entry.isDirectory});
  }
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return entries;
}

std::string RecordingPlatform::ReadShellFolderValue(const std::string& name) {
  std::lock_guard lock(mutex_);
  Record("ReadShellFolderValue(" + name + ")");
  const auto it = shellFolders_.find(name);
  return it == shellFolders_.end() ? std::string() : it->second;
}

std::string RecordingPlatform::KnownFavoritesFolder() {
  std::lock_guard lock(mutex_);
  Record("KnownFavoritesFolder");
  return knownFavorites_;
}

}  // namespace tav
