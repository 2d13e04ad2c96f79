// The settings file set.ini through SettingsFile, on disk: the categories
// and the access password's digest that were read write back unchanged, and
// writing one leaves the other as it was.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "FuzzSupport.h"
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
    Check(settings.ReadCategories() == categories, "categories write back unchanged");
    Check(settings.ReadAccessPasswordDigest() == digest, "the digest writes back unchanged");
  };
  std::string allCategories;
  for (const std::string& category : categories) allCategories += category;
  writeBack([&] { settings.WriteCategories(categories); }, allCategories);
  writeBack([&] { settings.WriteAccessPasswordDigest(digest); }, digest);
  return 0;
}
