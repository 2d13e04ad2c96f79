// Profile (INI) files, read and written by our own code exactly as the
// Windows profile functions (GetPrivateProfileString and its kin) read them,
// so that a file means the same to this program, to other copies that use
// the system's functions, and on every system code page:
//
// - A line ends at CR, at LF or at both. Its text ends at a NUL. Blanks
//   around names and values are spaces, tabs, CR, LF, VT, FF and Ctrl-Z.
// - "[name]" starts a section; the name is what lies between the "[" and the
//   last "]", so "[x]=y" starts section "x". Lines before the first header
//   belong to no section.
// - "key=value" lines belong to the section above. A line without "=" (an
//   unclosed "[name" too) is neither listed nor read. Keys starting with ";"
//   are comments: not listed, but a lookup of that very name finds them.
// - Names compare without regard to the case of ASCII letters. When a section or a key
//   occurs twice, the first counts; listing keys gives every occurrence.
// - A value in matching quotes (single or double) reads without them.
// - Bytes that are not valid text read as replacement characters; the line
//   still counts.
//
// Writing replaces the first occurrence of the key, or adds the key after
// the last line of its section that is not blank, or adds the section at the
// end of the file. Every other line keeps its bytes and its line end. A
// value is written so that it reads back exactly, in quotes where blanks or
// quotes at its ends would otherwise be dropped.
//
// On disk the text is code page 936 with CR LF line ends for new lines. A
// file that starts with a UTF-16 or UTF-8 byte order mark is read and
// written in that encoding instead.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav {

// Throws Error with a message naming the key when a line "key=value" would
// not read back as that key with that value: an empty name, a name holding
// "=", starting with ";" (a comment), or starting with "[" on a line holding
// "]" (a section header), and line breaks or NUL in either text.
void CheckIniKeyName(std::string_view key, std::string_view value = {});

// The text a value is written as on its line so that the reader reads back
// exactly that value: in double quotes when it has blanks at either end or
// would lose a pair of quotes around it, as it is otherwise.
std::string IniValueAsWritten(std::string_view value);

// The lines of one profile file in memory.
class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view fileBytes);
  std::string ToBytes() const;

  // The names of every section, in file order, repeated ones too; sections
  // with an empty name are left out.
  std::vector<std::string> SectionNames() const;
  // The key names of the first section of that name, in file order, every
  // occurrence; comments and empty names are left out.
  std::vector<std::string> KeyNames(std::string_view section) const;

  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback = {}) const;

  // Writes the value so that it reads back exactly (IniValueAsWritten); a
  // line that reads as that value already is left as it is, and a key that is
  // there keeps its bytes, so lines read from bytes that are not valid text
  // write back. Throws EncodingError when the file's encoding cannot hold
  // new text and Error when a name is empty or would not read back
  // (CheckIniKeyName); the document is then unchanged.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Removes the first section of that name with all its lines.
  void EraseSection(std::string_view section);
  // Replaces every section of that name (the reader reads the first; the
  // others would come to light when it goes) by one at the end of the file
  // holding `entries` in order, a repeated name as one key; none: no
  // section. A name the old sections held keeps its bytes. All or nothing:
  // throws as WriteString does with the document unchanged.
  void ReplaceSection(std::string_view section,
                      const std::vector<std::pair<std::string, std::string>>& entries);

 private:
  enum class Encoding { kCp936, kUtf8Bom, kUtf16LeBom, kUtf16BeBom };
  struct Line {
    std::string bytes;  // as stored, without the line end (UTF-8 text for UTF-16 files)
    std::string end;    // "\r\n", "\n", "\r" or, for the last line, perhaps ""
    std::string text;   // what it reads as: UTF-8, NULs kept
  };
  struct Range {
    size_t header;  // index of the "[name]" line
    size_t end;     // one past its last line
  };

  static void CheckEntry(std::string_view section, std::string_view key, std::string_view value);
  Line MakeLine(std::string_view text) const;
  Line MakeEntry(std::string_view key, std::string_view value, const std::string* storedName) const;
  void AddLine(size_t at, Line line);
  std::vector<Range> Sections() const;
  std::optional<Range> FindSection(std::string_view section) const;
  std::optional<size_t> FindKey(const Range& range, std::string_view key) const;

  Encoding encoding_ = Encoding::kCp936;
  std::vector<Line> lines_;
};

// A profile file on disk, read whole on every call (no cached copy) and
// saved whole and atomically on every change.
class IniFile {
 public:
  explicit IniFile(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  // A missing or unreadable file reads as empty.
  IniDocument Load() const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback = {}) const;
  std::vector<std::string> ReadSectionNames() const;
  std::vector<std::string> ReadKeyNames(std::string_view section) const;

  // Each change is one save. A save that fails throws FileError
  // "Unable to write to <path>" and leaves the file as it was.
  void WriteString(std::string_view section, std::string_view key, std::string_view value) const;
  void EraseSection(std::string_view section) const;
  // Several changes in one save.
  void Update(const std::function<void(IniDocument&)>& change) const;

 private:
  std::string path_;
};

}  // namespace tav
