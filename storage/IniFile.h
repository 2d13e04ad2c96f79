// Profile (INI) files read and written the way the Windows profile functions
// treat them, by our own code so that a file means the same on every system
// and whatever the system's code page:
//
// - "[name]" starts a section; "key=value" lines belong to the section above
//   them; a line without "=" is a key with an empty value; lines starting
//   with ";" are comments.
// - Section and key names compare without regard to ASCII case; blanks
//   around names and values are dropped; a value in matching quotes reads
//   without them.
// - When a section or key occurs twice, the first one counts.
// - Writing replaces the value of the first occurrence of the key, or adds
//   the key after the last line of its section, or adds the section at the
//   end of the file. Every other line keeps its bytes.
//
// On disk the text is code page 936 with CR LF line ends. A file that starts
// with a UTF-16LE or UTF-8 byte order mark is read and written in that
// encoding instead. A line whose bytes are not valid text is kept as it is
// and otherwise ignored.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// The lines of one profile file in memory.
class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view fileBytes);
  std::string ToBytes() const;

  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback = {}) const;
  // The key names of the section in file order, each name once.
  std::vector<std::string> KeyNames(std::string_view section) const;

  // Throws EncodingError when the file's encoding cannot hold the text and
  // Error when a name is empty or the text holds a line break; the document
  // is then unchanged.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Removes every section of that name with all its lines.
  void EraseSection(std::string_view section);

 private:
  enum class Encoding { kCp936, kUtf8Bom, kUtf16LeBom };
  struct Line {
    std::string bytes;                // as stored, in the file's encoding (not for UTF-16)
    std::optional<std::string> text;  // UTF-8; empty when the bytes are not valid text
  };
  struct Range {
    size_t header;  // index of the "[name]" line
    size_t end;     // one past its last line
  };

  Line MakeLine(std::string text) const;
  std::optional<Range> FindSection(std::string_view section, size_t from = 0) const;
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
