#include "dialogs/model/EntryEditing.h"

#include "actions/TextCipher.h"
#include "base/Errors.h"
#include "base/Version.h"
#include "storage/KeyText.h"
#include "storage/SchemeFile.h"

namespace tav {

namespace {

constexpr char kIncompleteInput[] = "请将必填项目填写完整";
constexpr char kSchemeFull[] = "对不起，您已经定义了100个热键，不能定义更多的热键了。";
constexpr char kEntryGone[] =
    "您正在修改的热键已不在当前方案中（方案已切换、重新载入，或该热键已被修改或删除），"
    "没有做任何修改。";

// The entry as stored: key text and the three texts, encrypted when the
// scheme is protected.
SchemeEntry StoredEntry(const EntryInput& input, const EntryEditorHost& host) {
  SchemeEntry entry{KeyText(StoredModifiers(input.hotkey.modifiers), input.hotkey.virtualKey),
                    input.action, input.hint, input.category};
  if (host.SchemeIsProtected()) {
    const std::string password = host.RememberedPassword();
    for (std::string* text : {&entry.hotkey, &entry.action, &entry.hint, &entry.sort})
      *text = EncryptText(password, *text);
  }
  return entry;
}

// The on/off state and condition as stored: a condition that narrows
// nothing is none, and the names and title are cipher text in a protected
// scheme.
EntryOptions StoredOptions(const EntryInput& input, const EntryEditorHost& host) {
  EntryOptions options{input.enabled, {}};
  if (!input.condition.IsSet()) return options;
  options.condition = {input.condition.mode,
                       JoinProgramNames(ProgramNames(input.condition.programs)),
                       input.condition.title};
  if (host.SchemeIsProtected()) {
    const std::string password = host.RememberedPassword();
    for (std::string* text : {&options.condition.programs, &options.condition.title})
      *text = EncryptText(password, *text);
  }
  return options;
}

// Whether the stored entry still is the one the editor opened with.
bool IsSameEntry(SchemeEntry stored, const HotkeySlot& original, const EntryEditorHost& host) {
  try {
    if (host.SchemeIsProtected()) {
      const std::string password = host.RememberedPassword();
      for (std::string* text : {&stored.hotkey, &stored.action, &stored.hint, &stored.sort})
        *text = DecryptText(password, *text);
    }
    return KeyTextPart(stored.hotkey, kModifierPart) == original.modifiers &&
           KeyTextPart(stored.hotkey, kKeyPart) == original.virtualKey &&
           stored.action == original.action && stored.hint == original.hint &&
           stored.sort == original.category;
  } catch (const Error&) {
    return false;  // texts that no longer read back are another entry
  }
}

bool IsEntryUnderChange(const SchemeDocument& document, const EntryUnderChange& change,
                        const EntryEditorHost& host) {
  return host.ActiveSchemePath() == change.schemePath && change.position >= 0 &&
         change.position < document.EntryCount() &&
         IsSameEntry(document.Entry(change.position), change.original, host);
}

void ReloadAfterChange(EntryEditorHost& host, const std::string& path) {
  if (host.HotkeysPaused()) {
    host.ResetAndLoad();
  } else {
    host.OpenScheme(path);
  }
  host.ResetSortState();
}

}  // namespace

bool CheckInput(Platform& platform, const EntryInput& input) {
  if (input.hotkey.virtualKey == 0 || input.action.empty()) {
    platform.MessageBox(kIncompleteInput, kApplicationTitle, mb::kOk | mb::kIconInformation);
    return false;
  }
  return true;
}

bool AppendEntry(Platform& platform, EntryEditorHost& host, const EntryInput& input) {
  const std::string path = host.ActiveSchemePath();
  SchemeDocument document;
  document.Load(path);
  if (!CanAddEntry(document.EntryCount())) {
    platform.MessageBox(kSchemeFull, kApplicationTitle, mb::kOk);
    return false;
  }
  if (!CheckInput(platform, input)) return false;
  document.AppendEntry(StoredEntry(input, host), StoredOptions(input, host));
  document.Save(path);
  ReloadAfterChange(host, path);
  return true;
}

bool ReplaceEntry(Platform& platform, EntryEditorHost& host, const EntryUnderChange& change,
                  const EntryInput& input) {
  if (!CheckInput(platform, input)) return false;
  const std::string path = host.ActiveSchemePath();
  SchemeDocument document;
  document.Load(path);
  if (!IsEntryUnderChange(document, change, host)) {
    platform.MessageBox(kEntryGone, kApplicationTitle, mb::kOk | mb::kIconInformation);
    return false;
  }
  // Remove and append in the one tree, saved once: a failure on the way
  // leaves the file with the old entry in place.
  document.RemoveEntry(change.position);
  document.AppendEntry(StoredEntry(input, host), StoredOptions(input, host));
  document.Save(path);
  ReloadAfterChange(host, path);
  return true;
}

bool SetEntryEnabled(Platform& platform, EntryEditorHost& host, const EntryUnderChange& entry,
                     bool enabled) {
  const std::string path = host.ActiveSchemePath();
  SchemeDocument document;
  document.Load(path);
  if (!IsEntryUnderChange(document, entry, host)) {
    platform.MessageBox(kEntryGone, kApplicationTitle, mb::kOk | mb::kIconInformation);
    return false;
  }
  EntryOptions options = document.Options(entry.position);
  if (options.enabled == enabled) return true;
  options.enabled = enabled;
  document.SetOptions(entry.position, options);
  document.Save(path);
  ReloadAfterChange(host, path);
  return true;
}

std::string ClashNotice(Platform& platform, const EntryTable& slots, int ownSlot,
                        const HotkeyCode& hotkey, const EntryCondition& condition) {
  if (hotkey.virtualKey == 0) return {};
  bool heldByOwnEntry = false;
  bool sharedByCondition = false;
  for (int i = 0; i < kSlotCount; ++i) {
    const HotkeySlot& slot = slots[static_cast<size_t>(i)];
    if (slot.virtualKey != hotkey.virtualKey || slot.modifiers != hotkey.modifiers) continue;
    if (i == ownSlot) {
      heldByOwnEntry = true;
      continue;
    }
    if (!slot.enabled) continue;
    if (!ConditionsCanBothHold(slot.condition, condition)) {
      sharedByCondition = true;  // this program holds it in the other entry's programs
      continue;
    }
    return "该热键已被“" + (slot.hint.empty() ? slot.action : slot.hint) + "”使用";
  }
  if (heldByOwnEntry || sharedByCondition) return {};
  if (!platform.RegisterHotKey(kClashProbeId, static_cast<unsigned>(hotkey.modifiers),
                               static_cast<unsigned>(hotkey.virtualKey))) {
    return "该热键已被其他程序占用";
  }
  platform.UnregisterHotKey(kClashProbeId);
  return {};
}

std::string WithPickedPrograms(std::string_view list, const std::vector<std::string>& picked) {
  std::vector<std::string> names = ProgramNames(list);
  for (const std::string& name : picked) names.push_back(name);
  // ProgramNames drops the repeats and the blank names of the joined list.
  return JoinProgramNames(ProgramNames(JoinProgramNames(names)));
}

}  // namespace tav
