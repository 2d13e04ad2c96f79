#include "storage/IniFile.h"

#include <filesystem>
#include <initializer_list>

#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"

namespace tav {

namespace {

constexpr std::string_view kBlanks = " \t\v\f\r";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  return EqualsIgnoringAsciiCase(a, b);
}

// What one line of text means.
struct LineMeaning {
  enum Kind { kBlank, kHeader, kComment, kEntry } kind;
  std::string_view name;   // section name or key name
  std::string_view value;  // entries only
};

LineMeaning Classify(std::string_view line) {
  const std::string_view text = Trim(line);
  if (text.empty()) return {LineMeaning::kBlank, {}, {}};
  if (text.front() == '[') {
    // "[name]" is a header; "[name]=value" is a key whose name has brackets,
    // so that such a key cannot cut its section in two.
    const size_t close = text.rfind(']');
    if (close != std::string_view::npos && text.find('=', close) == std::string_view::npos)
      return {LineMeaning::kHeader, Trim(text.substr(1, close - 1)), {}};
  }
  if (text.front() == ';') return {LineMeaning::kComment, {}, {}};
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos) return {LineMeaning::kEntry, text, {}};
  return {LineMeaning::kEntry, Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
}

std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// Splits at LF and drops the CR before it; a final line end ends the last
// line rather than starting an empty one.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string Joined(std::initializer_list<std::string_view> parts) {
  std::string joined;
  for (std::string_view part : parts) joined += part;
  return joined;
}

std::optional<std::string> DecodeCp936(std::string_view bytes) {
  try {
    return Cp936ToUtf8(bytes);
  } catch (const EncodingError&) {
    return std::nullopt;
  }
}

std::optional<std::string> CheckUtf8(std::string_view bytes) {
  try {
    Utf8ToUtf16(bytes);
    return std::string(bytes);
  } catch (const EncodingError&) {
    return std::nullopt;
  }
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument document;
  if (bytes.starts_with(kUtf16LeBom)) {
    document.encoding_ = Encoding::kUtf16LeBom;
    bytes.remove_prefix(kUtf16LeBom.size());
    std::u16string utf16(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < utf16.size(); ++i) {
      utf16[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                       static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    }
    const std::string text = Utf16ToUtf8(utf16);
    for (std::string_view line : SplitLines(text))
      document.lines_.push_back({{}, std::string(line)});
    return document;
  }
  if (bytes.starts_with(kUtf8Bom)) {
    document.encoding_ = Encoding::kUtf8Bom;
    bytes.remove_prefix(kUtf8Bom.size());
  }
  for (std::string_view line : SplitLines(bytes)) {
    document.lines_.push_back({std::string(line), document.encoding_ == Encoding::kCp936
                                                      ? DecodeCp936(line)
                                                      : CheckUtf8(line)});
  }
  return document;
}

std::string IniDocument::ToBytes() const {
  if (encoding_ == Encoding::kUtf16LeBom) {
    std::string text;
    for (const Line& line : lines_) text += *line.text + "\r\n";
    std::string bytes(kUtf16LeBom);
    for (char16_t unit : Utf8ToUtf16(text)) {
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
  }
  std::string bytes(encoding_ == Encoding::kUtf8Bom ? kUtf8Bom : std::string_view{});
  for (const Line& line : lines_) bytes += line.bytes + "\r\n";
  return bytes;
}

IniDocument::Line IniDocument::MakeLine(std::string text) const {
  switch (encoding_) {
    case Encoding::kCp936:
      return {Utf8ToCp936(text), std::move(text)};
    case Encoding::kUtf8Bom:
      Utf8ToUtf16(text);  // throws on invalid UTF-8
      return {text, std::move(text)};
    case Encoding::kUtf16LeBom:
      Utf8ToUtf16(text);
      return {{}, std::move(text)};
  }
  return {};
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view section,
                                                           size_t from) const {
  std::optional<Range> found;
  for (size_t i = from; i < lines_.size(); ++i) {
    if (!lines_[i].text) continue;
    const LineMeaning meaning = Classify(*lines_[i].text);
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
  for (size_t i = range.header + 1; i < range.end; ++i) {
    if (!lines_[i].text) continue;
    const LineMeaning meaning = Classify(*lines_[i].text);
    if (meaning.kind == LineMeaning::kEntry && SameName(meaning.name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  const std::optional<Range> range = FindSection(Trim(section));
  if (!range) return std::nullopt;
  const std::optional<size_t> index = FindKey(*range, Trim(key));
  if (!index) return std::nullopt;
  return std::string(WithoutQuotes(Classify(*lines_[*index].text).value));
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
  return Find(section, key).value_or(std::string(fallback));
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  const std::optional<Range> range = FindSection(Trim(section));
  if (!range) return names;
  for (size_t i = range->header + 1; i < range->end; ++i) {
    if (!lines_[i].text) continue;
    const LineMeaning meaning = Classify(*lines_[i].text);
    if (meaning.kind != LineMeaning::kEntry || meaning.name.empty()) continue;
    bool seen = false;
    for (const std::string& name : names) seen = seen || SameName(name, meaning.name);
    if (!seen) names.emplace_back(meaning.name);
  }
  return names;
}

void IniDocument::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  section = Trim(section), key = Trim(key), value = Trim(value);
  if (section.empty() || key.empty()) throw Error("A settings section or key name cannot be empty");
  for (std::string_view text : {section, key, value}) {
    if (text.find_first_of("\r\n") != std::string_view::npos)
      throw Error("A settings entry cannot hold a line break");
  }

  const std::optional<Range> range = FindSection(section);
  if (!range) {
    // Both lines are made before anything changes: making one may throw.
    Line header = MakeLine(Joined({"[", section, "]"}));
    Line entry = MakeLine(Joined({key, "=", value}));
    if (!lines_.empty() && Classify(lines_.back().text.value_or("x")).kind != LineMeaning::kBlank)
      lines_.push_back(MakeLine(""));
    lines_.push_back(std::move(header));
    lines_.push_back(std::move(entry));
    return;
  }
  if (const std::optional<size_t> index = FindKey(*range, key)) {
    // The key keeps the spelling it has in the file.
    const std::string name(Classify(*lines_[*index].text).name);
    lines_[*index] = MakeLine(Joined({name, "=", value}));
    return;
  }
  // After the section's last line that is not blank, so that the blank
  // lines before the next section stay there.
  size_t at = range->end;
  while (at > range->header + 1 && lines_[at - 1].text &&
         Classify(*lines_[at - 1].text).kind == LineMeaning::kBlank)
    --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                MakeLine(Joined({key, "=", value})));
}

void IniDocument::EraseSection(std::string_view section) {
  section = Trim(section);
  for (std::optional<Range> range = FindSection(section); range; range = FindSection(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(range->end));
  }
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
    std::error_code error;
    if (std::filesystem::exists(PathFromUtf8(path_), error)) throw refused();
  }
  change(document);
  try {
    WriteFileAtomically(path_, document.ToBytes());
  } catch (const FileError&) {
    throw refused();
  }
}

}  // namespace tav
