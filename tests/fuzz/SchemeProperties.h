// The properties every scheme file must keep, plain or protected: a file
// that loads saves back and loads to the same password and entries, saving
// is stable, the entries written anew through the writers read back the
// same, and loading into the entry table either succeeds with texts the
// list can show or fails with the program's own error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "storage/KeyText.h"
#include "storage/SchemeFile.h"

namespace tav::fuzz {

// A new scheme as the program writes it.
inline constexpr std::string_view kEmptyScheme =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n"
    "<velmora>\r\n\t<set>\r\n\t\t<password></password>\r\n\t</set>\r\n"
    "\t<hotkeylist>\r\n\t</hotkeylist>\r\n</velmora>\r\n";

inline std::vector<SchemeEntry> EntriesOf(const SchemeDocument& document) {
  std::vector<SchemeEntry> entries;
  for (int i = 0; i < document.EntryCount(); ++i) entries.push_back(document.Entry(i));
  return entries;
}

inline void CheckSameScheme(const SchemeDocument& a, const SchemeDocument& b, const char* what) {
  Check(a.Password() == b.Password(), what, a.Password());
  const std::vector<SchemeEntry> entriesA = EntriesOf(a);
  const std::vector<SchemeEntry> entriesB = EntriesOf(b);
  Check(entriesA.size() == entriesB.size(), what);
  for (size_t i = 0; i < entriesA.size(); ++i) {
    const SchemeEntry& x = entriesA[i];
    const SchemeEntry& y = entriesB[i];
    Check(x.hotkey == y.hotkey, what, x.hotkey);
    Check(x.action == y.action, what, x.action);
    Check(x.hint == y.hint, what, x.hint);
    Check(x.sort == y.sort, what, x.sort);
  }
}

inline SchemeDocument Reloaded(const SchemeDocument& document) {
  SchemeDocument again;
  again.LoadBytes(document.ToBytes(), "again.xml");
  return again;
}

// The entry table as LoadEntries fills it must match the texts read.
inline void CheckEntryTable(const SchemeDocument& document, const TextDecryptor& decrypt) {
  EntryTable table;
  std::vector<HotkeyListItem> items;
  try {
    LoadEntries(document, decrypt, table, items);
  } catch (const Error& error) {
    Check(IsUtf8(error.what()), "an error message is UTF-8", error.what());
    return;
  }
  Check(static_cast<int>(items.size()) == document.EntryCount(), "one list item per entry");
  for (size_t i = 0; i < items.size(); ++i) {
    const HotkeySlot& slot = table[i];
    SchemeEntry entry = document.Entry(static_cast<int>(i));
    if (decrypt && !entry.hotkey.empty()) entry.hotkey = decrypt(entry.hotkey);
    Check(slot.modifiers == KeyTextPart(entry.hotkey, kModifierPart), "slot flags from key text");
    Check(slot.virtualKey == KeyTextPart(entry.hotkey, kKeyPart), "slot key from key text");
    Check(IsUtf8(items[i].caption), "a display text is UTF-8", items[i].caption);
    Check(items[i].slot == static_cast<int>(i), "list items in file order");
  }
}

// Checks a scheme file's bytes; answers the loaded document, or nothing
// when the file is refused (which is allowed).
inline bool CheckSchemeBytes(std::string_view bytes, const TextDecryptor& decrypt,
                             SchemeDocument& document) {
  try {
    document.LoadBytes(bytes, "fuzz.xml");
  } catch (const Error& error) {
    Check(IsUtf8(error.what()), "an error message is UTF-8", error.what());
    return false;
  }
  // What loads saves, and loads back the same; a second save writes the
  // same bytes.
  const SchemeDocument again = Reloaded(document);
  CheckSameScheme(document, again, "a saved scheme loads back the same");
  Check(again.ToBytes() == document.ToBytes(), "saving a scheme is stable");

  // The entries written anew into an empty scheme read back the same.
  SchemeDocument rewritten;
  rewritten.LoadBytes(kEmptyScheme, "new.xml");
  rewritten.SetPassword(document.Password());
  for (const SchemeEntry& entry : EntriesOf(document)) rewritten.AppendEntry(entry);
  CheckSameScheme(document, Reloaded(rewritten), "entries written anew read back the same");

  // Every text set to what it read leaves the scheme reading the same.
  SchemeDocument edited = Reloaded(document);
  for (int i = 0; i < edited.EntryCount(); ++i) {
    const SchemeEntry entry = edited.Entry(i);
    edited.SetEntryText(i, EntryField::kHotkey, entry.hotkey);
    edited.SetEntryText(i, EntryField::kAction, entry.action);
    edited.SetEntryText(i, EntryField::kHint, entry.hint);
    edited.SetEntryText(i, EntryField::kSort, entry.sort);
  }
  CheckSameScheme(document, Reloaded(edited), "texts set to what they read read the same");

  CheckEntryTable(document, decrypt);
  return true;
}

}  // namespace tav::fuzz
