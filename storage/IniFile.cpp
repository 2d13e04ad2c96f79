#include "storage/IniFile.h"

#include <algorithm>
#include <initializer_list>

#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/FileSystem.h"
#include "base/TextEncoding.h"

namespace tav {

namespace {

constexpr std::string_view kBlanks = " \t\n\v\f\r\x1A";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kNewLineEnd = "\r\n";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// Names compare as the system compares them: ASCII letters without regard
// to case, every other character (Greek, Cyrillic, full-width letters too)
// exactly. ASCII bytes never occur inside a UTF-8 multi-byte character.
bool SameName(std::string_view a, std::string_view b) {
  return EqualsIgnoringAsciiCase(a, b);
}

// What one line of text means.
struct LineMeaning {
  enum Kind { kBlank, kHeader, kEntry, kBareKey } kind;
  std::string_view name;   // section name or key name
  std::string_view value;  // entries only
};

// A header's closing bracket is looked for on the whole line, past a NUL,
// as the system's profile functions do; every name and value ends at the
// first NUL.
LineMeaning Classify(std::string_view line) {
  const std::string_view whole = Trim(line);
  if (!whole.empty() && whole.front() == '[') {
    const size_t close = whole.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      const std::string_view name = whole.substr(1, close - 1);
      return {LineMeaning::kHeader, Trim(name.substr(0, name.find('\0'))), {}};
    }
  }
  const std::string_view text = Trim(line.substr(0, line.find('\0')));
  if (text.empty()) return {LineMeaning::kBlank, {}, {}};
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos) return {LineMeaning::kBareKey, text, {}};
  return {LineMeaning::kEntry, Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
}

bool IsListedKey(const LineMeaning& meaning) {
  return meaning.kind == LineMeaning::kEntry && !meaning.name.empty() &&
         meaning.name.front() != ';';
}

// Joins texts into one line (also keeps GCC 12's false -Wrestrict warning
// about chained string additions away).
std::string Joined(std::initializer_list<std::string_view> parts) {
  std::string joined;
  for (std::string_view part : parts) joined += part;
  return joined;
}

std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// Bytes of a stored line up to its first NUL, as the reader sees them.
std::string_view VisibleBytes(std::string_view bytes) {
  return bytes.substr(0, bytes.find('\0'));
}

// The stored bytes of the name on a line that holds it: before the "=" (a
// byte that is never part of a code page 936 character), or the whole line
// without one; blanks around it dropped.
std::string StoredName(std::string_view bytes) {
  const std::string_view visible = VisibleBytes(bytes);
  return std::string(Trim(visible.substr(0, visible.find('='))));
}

// Splits at CR, LF or CR LF. Each piece keeps its line end; a final line end
// ends the last line rather than starting an empty one.
template <typename Emit>
void SplitLines(std::string_view text, Emit emit) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    size_t next = end;
    if (next < text.size()) next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    emit(text.substr(start, end - start), text.substr(end, next - end));
    start = next;
  }
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    const auto first = static_cast<uint8_t>(bytes[2 * i]);
    const auto second = static_cast<uint8_t>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
  }
  return units;
}

std::string EncodeUtf16(std::u16string_view units, bool bigEndian) {
  std::string bytes;
  for (char16_t unit : units) {
    const auto low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

}  // namespace

std::string IniValueAsWritten(std::string_view value) {
  const bool blankAtAnEnd =
      !value.empty() && (kBlanks.find(value.front()) != std::string_view::npos ||
                         kBlanks.find(value.back()) != std::string_view::npos);
  const bool losesQuotes = WithoutQuotes(value).size() != value.size();
  if (blankAtAnEnd || losesQuotes) return Joined({"\"", value, "\""});
  return std::string(value);
}

void CheckIniKeyName(std::string_view key, std::string_view value) {
  const std::string quoted = Joined({"\"", key, "\""});
  key = Trim(key);
  if (key.empty()) throw Error("A settings key name cannot be empty");
  for (std::string_view text : {key, value}) {
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
      throw Error("A settings entry cannot hold a line break: " + quoted);
  }
  if (key.find('=') != std::string_view::npos)
    throw Error("The name " + quoted + " cannot be a settings key: it holds \"=\"");
  if (key.front() == ';')
    throw Error("The name " + quoted + " cannot be a settings key: it starts with \";\"");
  if (key.front() == '[' &&
      (key.find(']') != std::string_view::npos || value.find(']') != std::string_view::npos))
    throw Error("The name " + quoted + " cannot be a settings key: it would read as a section");
}

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument document;
  if (bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom)) {
    const bool bigEndian = bytes.starts_with(kUtf16BeBom);
    document.encoding_ = bigEndian ? Encoding::kUtf16BeBom : Encoding::kUtf16LeBom;
    const std::string text = Utf16ToUtf8(DecodeUtf16(bytes.substr(2), bigEndian));
    SplitLines(text, [&](std::string_view line, std::string_view end) {
      document.lines_.push_back({std::string(line), std::string(end), std::string(line)});
    });
    return document;
  }
  if (bytes.starts_with(kUtf8Bom)) {
    document.encoding_ = Encoding::kUtf8Bom;
    bytes.remove_prefix(kUtf8Bom.size());
  }
  // What follows a NUL is read on its own, so that no character spans it.
  const auto decode = [&](std::string_view part) {
    return document.encoding_ == Encoding::kCp936 ? Cp936ToUtf8Lenient(part)
                                                  : ReplaceInvalidUtf8(part);
  };
  SplitLines(bytes, [&](std::string_view line, std::string_view end) {
    const size_t nul = line.find('\0');
    std::string text = decode(line.substr(0, nul));
    if (nul != std::string_view::npos) text += '\0' + decode(line.substr(nul + 1));
    document.lines_.push_back({std::string(line), std::string(end), std::move(text)});
  });
  return document;
}

std::string IniDocument::ToBytes() const {
  std::string joined;
  for (const Line& line : lines_) joined += line.bytes + line.end;
  switch (encoding_) {
    case Encoding::kCp936:
      return joined;
    case Encoding::kUtf8Bom:
      return std::string(kUtf8Bom) + joined;
    case Encoding::kUtf16LeBom:
      return std::string(kUtf16LeBom) + EncodeUtf16(Utf8ToUtf16(joined), false);
    case Encoding::kUtf16BeBom:
      return std::string(kUtf16BeBom) + EncodeUtf16(Utf8ToUtf16(joined), true);
  }
  return joined;
}

IniDocument::Line IniDocument::MakeLine(std::string_view text) const {
  std::string bytes = encoding_ == Encoding::kCp936 ? Utf8ToCp936(text) : std::string(text);
  if (encoding_ != Encoding::kCp936) Utf8ToUtf16(text);  // throws on invalid UTF-8
  return {std::move(bytes), std::string(kNewLineEnd), std::string(text)};
}

IniDocument::Line IniDocument::MakeEntry(std::string_view key, std::string_view value,
                                         const std::string* storedName) const {
  const std::string valueText = IniValueAsWritten(value);
  if (!storedName) return MakeLine(Joined({key, "=", valueText}));
  // The name keeps the bytes the file has for it: a name read from bytes
  // that are not valid text reads as replacement characters, which the
  // encoding may not be able to hold, but its own bytes read the same again.
  Line line = MakeLine(Joined({"=", valueText}));
  line.bytes.insert(0, *storedName);
  line.text.insert(0, key);
  return line;
}

void IniDocument::AddLine(size_t at, Line line) {
  // The line before it may be the file's last one, without a line end.
  if (at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = kNewLineEnd;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::vector<IniDocument::Range> IniDocument::Sections() const {
  std::vector<Range> sections;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (Classify(lines_[i].text).kind != LineMeaning::kHeader) continue;
    if (!sections.empty()) sections.back().end = i;
    sections.push_back({i, lines_.size()});
  }
  return sections;
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view section) const {
  section = Trim(section);
  // One pass up to the end of the section found, with nothing allocated:
  // a conversion looks up every section of its file several times.
  std::optional<Range> found;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const LineMeaning meaning = Classify(lines_[i].text);
    if (meaning.kind != LineMeaning::kHeader) continue;
    if (found) {
      found->end = i;
      return found;
    }
    if (SameName(meaning.name, section)) found = Range{i, lines_.size()};
  }
  return found;
}

std::optional<size_t> IniDocument::FindKey(const Range& range, std::string_view key) const {
  key = Trim(key);
  for (size_t i = range.header + 1; i < range.end; ++i) {
    const LineMeaning meaning = Classify(lines_[i].text);
    if ((meaning.kind == LineMeaning::kEntry || meaning.kind == LineMeaning::kBareKey) &&
        SameName(meaning.name, key))
      return i;
  }
  return std::nullopt;
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const Range& range : Sections()) {
    const std::string_view name = Classify(lines_[range.header].text).name;
    if (!name.empty()) names.emplace_back(name);
  }
  return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  const std::optional<Range> range = FindSection(section);
  if (!range) return names;
  for (size_t i = range->header + 1; i < range->end; ++i) {
    const LineMeaning meaning = Classify(lines_[i].text);
    if (IsListedKey(meaning)) names.emplace_back(meaning.name);
  }
  return names;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  const std::optional<Range> range = FindSection(section);
  if (!range) return std::nullopt;
  // The first line of that name counts, even one without "=" that reads as
  // no value at all.
  const std::optional<size_t> index = FindKey(*range, key);
  if (!index) return std::nullopt;
  const LineMeaning meaning = Classify(lines_[*index].text);
  if (meaning.kind != LineMeaning::kEntry) return std::nullopt;
  return std::string(WithoutQuotes(meaning.value));
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
  return Find(section, key).value_or(std::string(fallback));
}

void IniDocument::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  CheckEntry(section, key, value);
  section = Trim(section), key = Trim(key);

  const std::optional<Range> range = FindSection(section);
  if (!range) {
    // Both lines are made before anything changes: making one may throw.
    Line header = MakeLine(Joined({"[", section, "]"}));
    Line entry = MakeEntry(key, value, nullptr);
    AddLine(lines_.size(), std::move(header));
    AddLine(lines_.size(), std::move(entry));
    return;
  }
  if (const std::optional<size_t> index = FindKey(*range, key)) {
    const LineMeaning meaning = Classify(lines_[*index].text);
    // A line that reads as this value already stays as it is, bytes and all.
    if (meaning.kind == LineMeaning::kEntry && WithoutQuotes(meaning.value) == value) return;
    // The key keeps the spelling it has in the file, the line its line end.
    const std::string storedName = StoredName(lines_[*index].bytes);
    Line line = MakeEntry(meaning.name, value, &storedName);
    line.end = lines_[*index].end;
    lines_[*index] = std::move(line);
    return;
  }
  // After the section's last line that is not blank, so that the blank
  // lines before the next section stay there.
  size_t at = range->end;
  while (at > range->header + 1 && Classify(lines_[at - 1].text).kind == LineMeaning::kBlank) --at;
  AddLine(at, MakeEntry(key, value, nullptr));
}

void IniDocument::CheckEntry(std::string_view section, std::string_view key,
                             std::string_view value) {
  section = Trim(section);
  if (section.empty()) throw Error("A settings section name cannot be empty");
  if (section.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
    throw Error("A settings entry cannot hold a line break");
  CheckIniKeyName(key, value);
}

void IniDocument::EraseSection(std::string_view section) {
  if (const std::optional<Range> range = FindSection(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(range->end));
  }
}

void IniDocument::ReplaceSection(std::string_view section,
                                 const std::vector<std::pair<std::string, std::string>>& entries) {
  for (const auto& [key, value] : entries) CheckEntry(section, key, value);
  // The names the sections hold now, with their bytes, first occurrence
  // first: a name that is written again keeps them.
  std::vector<std::pair<std::string, std::string>> storedNames;
  IniDocument replaced = *this;
  while (const std::optional<Range> range = replaced.FindSection(section)) {
    for (size_t i = range->header + 1; i < range->end; ++i) {
      const LineMeaning meaning = Classify(replaced.lines_[i].text);
      if (meaning.kind == LineMeaning::kEntry || meaning.kind == LineMeaning::kBareKey)
        storedNames.emplace_back(meaning.name, StoredName(replaced.lines_[i].bytes));
    }
    replaced.EraseSection(section);
  }
  for (const auto& [key, value] : entries) {
    const std::string_view name = Trim(key);
    const auto stored = std::find_if(storedNames.begin(), storedNames.end(),
                                     [&](const auto& pair) { return pair.first == name; });
    const std::optional<Range> range = replaced.FindSection(section);
    if (range && replaced.FindKey(*range, name)) {
      replaced.WriteString(section, name, value);  // a repeated name: one key
      continue;
    }
    if (!range)
      replaced.AddLine(replaced.lines_.size(),
                       replaced.MakeLine(Joined({"[", Trim(section), "]"})));
    replaced.AddLine(
        replaced.lines_.size(),
        replaced.MakeEntry(name, value, stored == storedNames.end() ? nullptr : &stored->second));
  }
  *this = std::move(replaced);
}

IniDocument IniFile::Load() const {
  try {
    return IniDocument::Parse(ReadWholeFile(path_));
  } catch (const FileError&) {
    return {};
  }
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  return Load().ReadString(section, key, fallback);
}

std::vector<std::string> IniFile::ReadSectionNames() const {
  return Load().SectionNames();
}

std::vector<std::string> IniFile::ReadKeyNames(std::string_view section) const {
  return Load().KeyNames(section);
}

void IniFile::WriteString(std::string_view section, std::string_view key,
                          std::string_view value) const {
  Update([&](IniDocument& document) { document.WriteString(section, key, value); });
}

void IniFile::EraseSection(std::string_view section) const {
  Update([&](IniDocument& document) { document.EraseSection(section); });
}

void IniFile::Update(const std::function<void(IniDocument&)>& change) const {
  const auto refused = [&] { return FileError("Unable to write to " + path_); };
  IniDocument document;
  try {
    document = IniDocument::Parse(ReadWholeFile(path_));
  } catch (const FileError&) {
    // A file that is there but cannot be read must not be replaced by what
    // little this change would write.
    if (PathExists(path_)) throw refused();
  }
  change(document);
  try {
    WriteFileAtomically(path_, document.ToBytes());
  } catch (const FileError&) {
    throw refused();
  }
}

}  // namespace tav
