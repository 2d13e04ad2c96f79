#include "dialogs/model/SetPassword.h"

#include "actions/TextCipher.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "storage/SchemeFile.h"

namespace tav {

namespace {

constexpr EntryField kFields[] = {EntryField::kHotkey, EntryField::kAction, EntryField::kHint,
                                  EntryField::kSort};

std::string& FieldOf(SchemeEntry& entry, EntryField field) {
  switch (field) {
    case EntryField::kHotkey:
      return entry.hotkey;
    case EntryField::kAction:
      return entry.action;
    case EntryField::kHint:
      return entry.hint;
    case EntryField::kSort:
      break;
  }
  return entry.sort;
}

// The entry texts are cipher texts of the remembered password exactly when
// the scheme was opened protected; a file whose digest says otherwise was
// changed behind the program's back, and re-encrypting it would garble it.
void CheckFileMatchesState(const std::string& fileDigest, const SchemePasswordState& state) {
  const bool matches =
      state.isProtected ? !fileDigest.empty() && fileDigest == DigestText(state.rememberedPassword)
                        : fileDigest.empty();
  if (!matches) {
    throw Error("热键配制方案“" + FileNameOf(state.activePath) +
                "”的口令已被更改，请重新打开该方案后再设置口令。");
  }
}

}  // namespace

SetPasswordOutcome ApplySchemePassword(Platform& platform, const std::string& password,
                                       const std::string& check, SchemePasswordState& state) {
  if (password != check) {
    platform.MessageBox("两次的口令不相同！", "提示", mb::kOkCancel | mb::kIconWarning);
    return SetPasswordOutcome::kMismatch;
  }
  SchemeDocument document;
  document.Load(state.activePath);
  CheckFileMatchesState(document.Password(), state);

  const bool protect = !password.empty();
  document.SetPassword(protect ? DigestText(password) : std::string());
  for (int i = 0; i < document.EntryCount(); ++i) {
    SchemeEntry entry = document.Entry(i);
    for (EntryField field : kFields) {
      const std::string& stored = FieldOf(entry, field);
      const std::string plain =
          state.isProtected ? DecryptText(state.rememberedPassword, stored) : stored;
      const std::string text = protect ? EncryptText(password, plain) : plain;
      if (text != stored) document.SetEntryText(i, field, text);
    }
    EntryOptions options = document.Options(i);
    for (std::string* stored : {&options.condition.programs, &options.condition.title}) {
      if (stored->empty()) continue;
      const std::string plain =
          state.isProtected ? DecryptText(state.rememberedPassword, *stored) : *stored;
      *stored = protect ? EncryptText(password, plain) : plain;
    }
    document.SetOptions(i, options);
  }
  // The only write; the state follows once it succeeded.
  document.Save(state.activePath);
  state.isProtected = protect;
  if (protect) state.rememberedPassword = password;
  return SetPasswordOutcome::kSaved;
}

std::vector<LockImageChange> MarkCheckedItems(const std::vector<SchemeMenuItem>& items,
                                              bool protect) {
  std::vector<LockImageChange> changes;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].checked) changes.push_back({static_cast<int>(i), items[i].name, protect});
  }
  return changes;
}

}  // namespace tav
