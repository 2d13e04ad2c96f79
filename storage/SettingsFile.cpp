#include "storage/SettingsFile.h"

namespace tav {

namespace {

constexpr std::string_view kFileName = "set.ini";
constexpr std::string_view kSystemSection = "System";
constexpr std::string_view kPasswordKey = "密码";
constexpr std::string_view kCategorySection = "Sort";
constexpr std::string_view kCategoryValue = "0";
constexpr std::string_view kRestoreClipboardKey = "RestoreClipboard";
constexpr std::string_view kQuietInFullScreenKey = "QuietInFullScreen";

// Writes an on/off key only when it changes, so that files of users who
// never turn it on keep only what every copy of the program knows.
void WriteSwitch(IniDocument& document, std::string_view key, const std::optional<bool>& value) {
  if (value && *value != (document.ReadString(kSystemSection, key) == "1"))
    document.WriteString(kSystemSection, key, *value ? "1" : "0");
}

void ReplaceCategories(IniDocument& document, const std::vector<std::string>& categories) {
  // Repeated categories end as one key; a category read from the file keeps
  // its bytes, so a list read back from a damaged line still saves.
  std::vector<std::pair<std::string, std::string>> entries;
  for (const std::string& category : categories) {
    if (category.find_first_not_of(" \t\v\f\r") != std::string::npos)
      entries.emplace_back(category, kCategoryValue);
  }
  document.ReplaceSection(kCategorySection, entries);
}

std::string SettingsPath(const std::string& programDir) {
  std::string path = programDir;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') {
#ifdef _WIN32
    path += '\\';
#else
    path += '/';
#endif
  }
  return path + std::string(kFileName);
}

}  // namespace

SettingsFile::SettingsFile(const std::string& programDir) : file_(SettingsPath(programDir)) {}

std::string SettingsFile::ReadAccessPasswordDigest() const {
  return file_.ReadString(kSystemSection, kPasswordKey);
}

void SettingsFile::WriteAccessPasswordDigest(std::string_view digest) const {
  file_.WriteString(kSystemSection, kPasswordKey, digest);
}

std::vector<std::string> SettingsFile::ReadCategories() const {
  return file_.ReadKeyNames(kCategorySection);
}

void SettingsFile::WriteCategories(const std::vector<std::string>& categories) const {
  file_.Update([&](IniDocument& document) { ReplaceCategories(document, categories); });
}

bool SettingsFile::ReadRestoreClipboard() const {
  return file_.ReadString(kSystemSection, kRestoreClipboardKey) == "1";
}

bool SettingsFile::ReadQuietInFullScreen() const {
  return file_.ReadString(kSystemSection, kQuietInFullScreenKey) == "1";
}

void SettingsFile::Write(const SettingsChange& change) const {
  file_.Update([&](IniDocument& document) {
    if (change.accessPasswordDigest)
      document.WriteString(kSystemSection, kPasswordKey, *change.accessPasswordDigest);
    WriteSwitch(document, kRestoreClipboardKey, change.restoreClipboard);
    WriteSwitch(document, kQuietInFullScreenKey, change.quietInFullScreen);
    ReplaceCategories(document, change.categories);
  });
}

std::string ReadAccessPasswordDigest(const std::string& programDir) {
  return SettingsFile(programDir).ReadAccessPasswordDigest();
}

void WriteAccessPasswordDigest(const std::string& programDir, std::string_view digest) {
  SettingsFile(programDir).WriteAccessPasswordDigest(digest);
}

std::vector<std::string> ReadCategories(const std::string& programDir) {
  return SettingsFile(programDir).ReadCategories();
}

void WriteCategories(const std::string& programDir, const std::vector<std::string>& categories) {
  SettingsFile(programDir).WriteCategories(categories);
}

}  // namespace tav
