// Scheme files: one XML file per named set of hotkey entries, GB2312 on disk
// (or another encoding a user saved the file in, kept as it is).
//
//   <velmora>
//     <set><password>digest or empty</password></set>
//     <hotkeylist>
//       <hotkeyset><hotkey/><action/><hint/><sort/></hotkeyset> ...
//     </hotkeylist>
//   </velmora>
//
// Elements are found by position among element children, never by name, so
// files written by earlier versions with other element names still open. The
// default scheme is hotkey.xml in the program directory; user schemes are the
// *.xml files of its Data directory.
#pragma once

#include <functional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "storage/EntryCondition.h"
#include "storage/HotkeyEntry.h"

namespace tav {

class Platform;

// The four texts of one hotkeyset element, in element order. In a protected
// scheme each non-empty text is cipher text.
struct SchemeEntry {
  std::string hotkey;  // key text, "6+65"
  std::string action;
  std::string hint;
  std::string sort;  // category

  bool operator==(const SchemeEntry&) const = default;
};

// What an entry holds beside its four texts: whether it is switched on, and
// its condition. Kept in attributes of the hotkeyset element, which readers
// that go by element position never look at; an entry that is on and has no
// condition has none, so such a scheme is written as it always was. In a
// protected scheme the program names and the title fragment are cipher text.
struct EntryOptions {
  bool enabled = true;
  EntryCondition condition{};

  bool operator==(const EntryOptions&) const = default;
};

// How a scheme file's bytes are encoded: as its XML declaration names it, or
// by a byte order mark (UTF-8 or UTF-16), which wins over the declaration.
// Kept from the load so that a save writes the file back in the same encoding.
struct SchemeEncoding {
  enum class Charset { kCp936, kGb18030, kUtf8, kUtf16Le, kUtf16Be };
  Charset charset = Charset::kCp936;  // GB2312 and GBK are read as code page 936
  std::string declaredName = "GB2312";
  bool byteOrderMark = false;
};

// One of the four texts of an entry, by element position.
enum class EntryField { kHotkey = 0, kAction = 1, kHint = 2, kSort = 3 };

// A scheme file held as an element tree: loaded whole, changed, saved whole.
// Every accessor throws Error when the tree lacks the element it addresses.
//
// Texts are read as the system's XML document object model reads them, which
// other copies of the program use on the same files: an element's text is
// all of its text pieces (around comments, processing instructions, CDATA
// sections and nested elements) joined, a piece of white space only standing
// for one space (for none between two CDATA sections), with XML white space
// (space, tab, CR, LF) trimmed at both ends except inside CDATA; under
// xml:space="preserve" the pieces are taken as they stand. A load stores each
// text back into its element as it was read (white space at its ends in CDATA
// sections), so that a save writes exactly what was read.
class SchemeDocument {
 public:
  // Reads and parses the file. Throws FileError when it cannot be read and
  // Error when its encoding is not one of those of SchemeEncoding, its bytes
  // do not match it, it is not well-formed XML, or it lacks the settings,
  // password or list element. On failure the previously loaded tree is kept.
  void Load(const std::string& path);

  // The same from the file's bytes; `name` is the path named in messages.
  void LoadBytes(std::string_view bytes, const std::string& name);

  // The bytes Save writes.
  std::string ToBytes() const;

  // Makes the tree the template of an empty, unprotected scheme.
  void LoadTemplate();

  // Writes the tree with a declaration of the encoding it was read in (a new
  // scheme's is GB2312), replacing the file in one step; characters GB2312
  // or GBK lack become character references. Throws FileError and leaves the
  // old file as it was when the save fails.
  void Save(const std::string& path) const;

  const SchemeEncoding& Encoding() const { return encoding_; }

  // The path or name it was loaded from.
  const std::string& path() const { return path_; }

  // The text of the password element: empty, or the scheme password's digest.
  std::string Password() const;
  void SetPassword(const std::string& digest);

  // Number of entries (element children of the list element).
  int EntryCount() const;

  // The texts of entry `position`; a missing text element reads as empty.
  SchemeEntry Entry(int position) const;

  // Replaces one text of an entry, adding missing text elements before it.
  void SetEntryText(int position, EntryField field, const std::string& text);

  // Adds an entry as the last child of the list element.
  void AppendEntry(const SchemeEntry& entry, const EntryOptions& options = {});

  // The on/off state and condition of entry `position`, as stored.
  EntryOptions Options(int position) const;
  void SetOptions(int position, const EntryOptions& options);

  // Removes entry `position`; later entries move up by one.
  void RemoveEntry(int position);

  // Removes several entries, given by their positions before the removal.
  // Duplicates count once; a position out of range throws before anything
  // is removed.
  void RemoveEntries(std::vector<int> positions);

 private:
  pugi::xml_node PasswordElement() const;
  pugi::xml_node List() const;
  pugi::xml_node EntryElement(int position) const;

  pugi::xml_document document_;
  SchemeEncoding encoding_;
  std::string path_;  // named in error messages
};

// Writes the template of an empty, unprotected scheme at `path`, replacing
// any file there (the caller asks the user first). Throws FileError when the
// file cannot be written.
void WriteSchemeTemplate(const std::string& path);

// The password element's text (the password digest) of the scheme at `path`.
// Only the settings element is read, so a damaged entry list does not hide
// the digest. A file that cannot be read or parsed, or has no password
// element, throws.
std::string ReadSchemeDigest(const std::string& path);

enum class SchemeProtection {
  kOpen,        // the password element is empty
  kProtected,   // it holds a digest
  kDamaged,     // it cannot be parsed: treated as protected, with no digest to match
  kUnreadable,  // the file is missing or cannot be read: nothing to protect
};

struct SchemeLock {
  SchemeProtection protection = SchemeProtection::kDamaged;
  std::string digest;  // set when kProtected
};

// Whether the scheme at `path` is protected, for its lock image and the
// password check before deleting it. Never throws.
SchemeLock ReadSchemeLock(const std::string& path);

// Turns an entry text of a protected scheme back into plain text.
using TextDecryptor = std::function<std::string(const std::string&)>;

// Sets the modifier flags and key code of all slots to 0. Run before
// LoadEntries; the slots' texts are left, as a slot without key is never used.
void ResetSlots(EntryTable& table);

// Reads the entries of the scheme at `path` into slots 0, 1, ... and appends
// one list item per entry, in file order. `decrypt` is empty for an
// unprotected scheme; otherwise it is applied to every non-empty text before
// the key text is converted, the condition's programs and title included. Throws on a file that
// cannot be loaded, on more entries than there are slots (before any slot is written), and on a key
// text that does not convert; in the last case the entries before it stay.
void LoadEntries(const std::string& path, const TextDecryptor& decrypt, EntryTable& table,
                 std::vector<HotkeyListItem>& items);

// The same for a scheme already loaded.
void LoadEntries(const SchemeDocument& document, const TextDecryptor& decrypt, EntryTable& table,
                 std::vector<HotkeyListItem>& items);

// Whether a scheme holding `entryCount` entries takes one more.
bool CanAddEntry(int entryCount);

// hotkey.xml in the program directory, which ends in a separator.
std::string DefaultSchemePath(const std::string& programDirectory);

// The path of user scheme `name` (file name with ".xml") in Data.
std::string UserSchemePath(const std::string& programDirectory, const std::string& name);

// File names of the user schemes: the regular files in Data whose extension
// is ".xml" in any case, hidden and system files included, in the order the
// directory lists them. No Data directory gives no schemes.
std::vector<std::string> ListUserSchemes(const std::string& programDirectory);

// Deletes user scheme `name` from Data. Returns false when it did not exist.
// Throws Error for a name that is not a plain file name and FileError when
// the file exists but cannot be deleted.
bool DeleteUserScheme(const std::string& programDirectory, const std::string& name);

}  // namespace tav
