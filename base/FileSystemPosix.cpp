#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "base/FileSystem.h"

namespace tav {

namespace {

// The status of what `path` names, following symbolic links.
bool StatusOf(const std::string& path, struct stat& status) {
  return stat(path.c_str(), &status) == 0;
}

struct DirectoryCloser {
  void operator()(DIR* directory) const { closedir(directory); }
};

}  // namespace

bool PathExists(const std::string& path) {
  struct stat status;
  return StatusOf(path, status);
}

bool IsRegularFile(const std::string& path) {
  struct stat status;
  return StatusOf(path, status) && S_ISREG(status.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat status;
  return StatusOf(path, status) && S_ISDIR(status.st_mode);
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  const std::unique_ptr<DIR, DirectoryCloser> directory(opendir(folder.c_str()));
  if (!directory) return entries;
  while (const dirent* entry = readdir(directory.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat status;
    const bool known = StatusOf(JoinPath(folder, name), status);
    entries.push_back({name, known && S_ISDIR(status.st_mode), known && S_ISREG(status.st_mode)});
  }
  return entries;
}

bool MakeOneFolder(const std::string& path) {
  return mkdir(path.c_str(), 0777) == 0;
}

RemoveResult RemovePath(const std::string& path) {
  if (std::remove(path.c_str()) == 0) return RemoveResult::kRemoved;
  return errno == ENOENT ? RemoveResult::kNotFound : RemoveResult::kFailed;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

}  // namespace tav
