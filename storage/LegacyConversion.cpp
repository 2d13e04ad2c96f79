#include "storage/LegacyConversion.h"

#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "base/FileSystem.h"
#include "storage/IniFile.h"

namespace tav {

namespace {

constexpr std::string_view kActionKey = "执行操作";
constexpr std::string_view kHintKey = "提示";
constexpr std::string_view kCategoryKey = "类别";

// The position of the extension's dot in the final component, if any.
size_t ExtensionDot(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t separator = path.find_last_of("\\/");
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
    return std::string::npos;
  return dot;
}

bool HasIniExtension(const std::string& name) {
  return name.size() > 4 &&
         EqualsIgnoringAsciiCase(std::string_view(name).substr(name.size() - 4), ".ini");
}

}  // namespace

std::string LegacySchemePath(const std::string& iniPath) {
  return iniPath.substr(0, ExtensionDot(iniPath)) + ".xml";
}

std::string DefaultLegacyPath(const std::string& programDirectory) {
  const std::string scheme = DefaultSchemePath(programDirectory);
  return scheme.substr(0, ExtensionDot(scheme)) + ".ini";
}

std::vector<std::string> ListLegacyFiles(const std::string& programDirectory) {
  std::vector<std::string> names;
  for (FolderEntry& entry : ListFolder(UserSchemePath(programDirectory, ""))) {
    if (entry.isRegularFile && HasIniExtension(entry.name)) names.push_back(std::move(entry.name));
  }
  return names;
}

std::vector<SchemeEntry> ReadLegacyEntries(const std::string& iniPath) {
  return LegacyEntriesFromBytes(ReadWholeFile(iniPath));
}

std::vector<SchemeEntry> LegacyEntriesFromBytes(std::string_view bytes) {
  const IniDocument document = IniDocument::Parse(bytes);
  std::vector<SchemeEntry> entries;
  // A section name that occurs twice reads the first section's keys both
  // times, as the profile functions read it.
  for (const std::string& section : document.SectionNames()) {
    entries.push_back({section, document.ReadString(section, kActionKey),
                       document.ReadString(section, kHintKey),
                       document.ReadString(section, kCategoryKey)});
  }
  return entries;
}

SchemeDocument LegacyScheme(const std::vector<SchemeEntry>& entries,
                            LegacyConversionResult& result) {
  SchemeDocument scheme;
  scheme.LoadTemplate();
  result = {};
  result.sectionCount = static_cast<int>(entries.size());
  for (const SchemeEntry& entry : entries) {
    if (result.convertedCount == kMaxSchemeEntries) break;
    scheme.AppendEntry(entry);
    ++result.convertedCount;
  }
  return scheme;
}

LegacyConversionResult ConvertLegacyFile(const std::string& iniPath) {
  LegacyConversionResult result;
  LegacyScheme(ReadLegacyEntries(iniPath), result).Save(LegacySchemePath(iniPath));
  return result;
}

}  // namespace tav
