// What the file-system operations share on every system; the calls
// themselves are in FileSystemWin32.cpp and FileSystemPosix.cpp.
#include "base/FileSystem.h"

namespace tav {

bool IsPathSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || IsPathSeparator(folder.back())) return folder + name;
#ifdef _WIN32
  // "C:" names the current folder of drive C, and "C:x" a name inside it.
  if (folder.size() == 2 && folder[1] == ':') return folder + name;
#endif
  return folder + kPathSeparator + name;
}

namespace {

// Where the part of `path` above its last component ends, after removing
// separators at the end; 0 when nothing is above it.
size_t ParentEnd(const std::string& path, size_t end) {
  size_t at = end;
  while (at > 0 && !IsPathSeparator(path[at - 1])) --at;
  while (at > 0 && IsPathSeparator(path[at - 1])) --at;
  return at;
}

}  // namespace

// Per build: makes one folder whose parent is there.
bool MakeOneFolder(const std::string& path);

bool CreateFolders(const std::string& path) {
  if (path.empty()) return false;
  if (IsDirectory(path)) return true;
  size_t end = path.size();
  while (end > 0 && IsPathSeparator(path[end - 1])) --end;
  if (end == 0) return false;
  const std::string folder = path.substr(0, end);
  const size_t parentEnd = ParentEnd(folder, end);
  if (parentEnd > 0) {
    const std::string parent = folder.substr(0, parentEnd);
    // A drive ("C:") or the root above it is there or cannot be made.
    if (!IsDirectory(parent) && !CreateFolders(parent)) return false;
  }
  // Another program may make the folder at the same moment: what counts is
  // that it is there.
  return MakeOneFolder(folder) || IsDirectory(folder);
}

}  // namespace tav
