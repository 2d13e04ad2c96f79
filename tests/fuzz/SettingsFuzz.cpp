// The settings file set.ini through SettingsFile, on disk: the categories
// and the access password's digest that were read write back unchanged (a
// category listed twice as one), and writing one leaves the other as it was.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "FuzzSupport.h"
#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "storage/SettingsFile.h"

namespace {

using tav::fuzz::Check;

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tavrelin-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

// A category list as it reads after it is written: names that differ only
// in ASCII case or blanks around them are one key, the first spelling kept.
std::vector<std::string> AsWritten(const std::vector<std::string>& categories) {
  constexpr std::string_view kBlanks = " \t\v\f\r\x1A";
  const auto trim = [&](std::string_view s) {
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return std::string_view();
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
  };
  std::vector<std::string> written;
  for (const std::string& category : categories) {
    const std::string_view name = trim(category);
    if (name.empty()) continue;
    const bool repeated = std::any_of(written.begin(), written.end(), [&](const std::string& w) {
      return tav::EqualsIgnoringAsciiCase(w, name);
    });
    if (!repeated) written.emplace_back(name);
  }
  return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const tav::SettingsFile settings(Folder().string());
  std::ofstream(settings.path(), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

  const std::vector<std::string> categories = settings.ReadCategories();
  const std::string digest = settings.ReadAccessPasswordDigest();

  // Only a text holding a carriage return (which the reader keeps inside a
  // line) may be refused; a refused write leaves the file as it was.
  const auto writeBack = [&](const std::function<void()>& write, const std::string& texts) {
    const std::string bytes = tav::ReadWholeFile(settings.path());
    try {
      write();
    } catch (const tav::Error& error) {
      Check(texts.find('\r') != std::string::npos, "what was read can be written back",
            error.what());
      Check(tav::ReadWholeFile(settings.path()) == bytes, "a refused write changes nothing");
    }
    Check(settings.ReadCategories() == AsWritten(categories), "categories write back unchanged");
    Check(settings.ReadAccessPasswordDigest() == digest, "the digest writes back unchanged");
  };
  std::string allCategories;
  for (const std::string& category : categories) allCategories += category;
  writeBack([&] { settings.WriteCategories(categories); }, allCategories);
  writeBack([&] { settings.WriteAccessPasswordDigest(digest); }, digest);
  return 0;
}
