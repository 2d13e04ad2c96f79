// The settings file set.ini in the program directory: the digest of the
// access password and the list of categories. Every call reads or writes
// the file itself; nothing is cached.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/IniFile.h"

namespace tav {

// Everything the settings centre stores on OK, written in one save.
struct SettingsChange {
  std::optional<std::string> accessPasswordDigest;  // nullopt: left as it is
  std::optional<bool> restoreClipboard;             // nullopt: left as it is
  std::vector<std::string> categories;              // replaces section Sort
  std::optional<bool> quietInFullScreen{};          // nullopt: left as it is
};

class SettingsFile {
 public:
  // `programDir` is the program directory, with or without its final
  // separator.
  explicit SettingsFile(const std::string& programDir);
  const std::string& path() const { return file_.path(); }

  // System/密码: the access password's digest text; empty when there is none.
  std::string ReadAccessPasswordDigest() const;
  // Stores the digest; an empty one turns the access password off.
  void WriteAccessPasswordDigest(std::string_view digest) const;

  // The key names of section Sort, in file order; a key written twice by
  // hand is listed twice, as the system lists it.
  std::vector<std::string> ReadCategories() const;
  // Replaces section Sort (every section of that name) by one key per
  // category, in list order, each with the value "0", in one save. Texts that differ only in ASCII
  // case or in blanks around them are one key; empty texts are left out.
  void WriteCategories(const std::vector<std::string>& categories) const;

  // System/RestoreClipboard: whether a paste puts the clipboard's earlier
  // content back. Off when missing; other copies of the program ignore it.
  bool ReadRestoreClipboard() const;

  // System/QuietInFullScreen: whether hotkeys pass through while the shell
  // reports a full-screen program. Off when missing; other copies ignore it.
  bool ReadQuietInFullScreen() const;

  // The whole change in one save: it lands completely or not at all.
  void Write(const SettingsChange& change) const;

 private:
  IniFile file_;
};

std::string ReadAccessPasswordDigest(const std::string& programDir);
void WriteAccessPasswordDigest(const std::string& programDir, std::string_view digest);
std::vector<std::string> ReadCategories(const std::string& programDir);
void WriteCategories(const std::string& programDir, const std::vector<std::string>& categories);

}  // namespace tav
