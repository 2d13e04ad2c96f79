// Profile file bytes (set.ini, legacy INI files) through the project's own
// INI module. Input: "section\tkey\tvalue\n" then the file's bytes.
// - Saving what was parsed is stable and reads the same everywhere.
// - Writing back every value that was read changes no value.
// - Writing the fuzzed key either is refused, leaving the file as it was, or
//   reads back exactly the value written while every other key keeps its
//   value.
#include <map>
#include <string>
#include <utility>

#include "FuzzSupport.h"
#include "storage/IniFile.h"

namespace {

using tav::fuzz::Check;
using Values = std::map<std::pair<std::string, std::string>, std::string>;

// Ctrl-Z is a blank to the system's profile reader too.
constexpr std::string_view kBlanks = " \t\v\f\r\x1A";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// Section names that the file may hold: the text between "[" and the last
// "]" of each line, in any encoding the file may have. Names are UTF-8 text
// for the module, so only those are asked for.
std::vector<std::string> CandidateSections(std::string_view bytes,
                                           const tav::fuzz::HeadedInput& in) {
  std::vector<std::string> names;
  if (tav::fuzz::IsUtf8(in.head[0])) names.push_back(in.head[0]);
  std::string text(bytes);
  try {
    text += "\n" + tav::Cp936ToUtf8(bytes);
  } catch (const tav::EncodingError&) {
  }
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
    const size_t close = line.rfind(']');
    if (line.starts_with('[') && close != std::string_view::npos &&
        tav::fuzz::IsUtf8(line.substr(1, close - 1)))
      names.emplace_back(Trim(line.substr(1, close - 1)));
    start = end + 1;
  }
  return names;
}

// Every value the document reads in those sections.
Values ReadAll(const tav::IniDocument& document, const std::vector<std::string>& sections) {
  Values values;
  for (const std::string& section : sections) {
    for (const std::string& key : document.KeyNames(section)) {
      // A key listed from a line without "=" has no value to read.
      const std::optional<std::string> value = document.Find(section, key);
      if (value) values.emplace(std::make_pair(section, key), *value);
    }
  }
  return values;
}

bool HasCarriageReturn(std::string_view text) {
  return text.find('\r') != std::string_view::npos;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const tav::fuzz::HeadedInput input = tav::fuzz::SplitHead(tav::fuzz::Bytes(data, size), 3);
  const std::vector<std::string> sections = CandidateSections(input.body, input);

  const tav::IniDocument parsed = tav::IniDocument::Parse(input.body);
  const Values values = ReadAll(parsed, sections);
  const std::string saved = parsed.ToBytes();
  const tav::IniDocument reparsed = tav::IniDocument::Parse(saved);
  Check(reparsed.ToBytes() == saved, "saving a profile is stable");
  Check(ReadAll(reparsed, sections) == values, "a saved profile reads the same");

  // A write of what was read changes nothing that is read. Only an empty
  // section name or a text holding a carriage return (which the reader keeps
  // inside a line) may be refused, and a refused write changes nothing.
  tav::IniDocument rewritten = parsed;
  for (const auto& [name, value] : values) {
    const std::string before = rewritten.ToBytes();
    try {
      rewritten.WriteString(name.first, name.second, value);
    } catch (const tav::Error& error) {
      Check(Trim(name.first).empty() || HasCarriageReturn(name.first + name.second + value),
            "a value that was read can be written back", error.what());
      Check(rewritten.ToBytes() == before, "a refused write leaves the file as it was");
    }
  }
  Check(ReadAll(tav::IniDocument::Parse(rewritten.ToBytes()), sections) == values,
        "writing back what was read changes nothing", saved);

  // The fuzzed write.
  const std::string& section = input.head[0];
  const std::string& key = input.head[1];
  const std::string& value = input.head[2];
  tav::IniDocument written = parsed;
  try {
    written.WriteString(section, key, value);
  } catch (const tav::Error&) {
    Check(written.ToBytes() == saved, "a refused write leaves the file as it was");
    return 0;
  }
  const tav::IniDocument after = tav::IniDocument::Parse(written.ToBytes());
  Check(after.Find(section, key) == value, "a written value reads back exactly", key);
  Values expected = values;
  for (auto& [name, old] : expected) {
    if (SameName(Trim(name.first), Trim(section)) && SameName(name.second, Trim(key))) old = value;
  }
  Values now = ReadAll(after, sections);
  for (auto it = now.begin(); it != now.end();) {
    // The written key itself, new in its section, is the one value more.
    const bool isNew = !expected.contains(it->first) &&
                       SameName(Trim(it->first.first), Trim(section)) &&
                       SameName(it->first.second, Trim(key));
    it = isNew ? now.erase(it) : std::next(it);
  }
  Check(now == expected, "a write changes no other key", key);
  return 0;
}
