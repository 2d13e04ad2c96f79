// The few file-system operations the program needs, on UTF-8 paths: the
// Win32 wide-character calls on Windows, POSIX elsewhere. The C++ library's
// std::filesystem would do the same but brings its path classes, file
// streams and the locale machinery into the executable, several hundred
// kilobytes for a handful of calls.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tav {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Whether `c` separates the components of a path ("\" and "/" on Windows,
// "/" elsewhere).
bool IsPathSeparator(char c);

// Whether anything (a file or a folder) is at `path`.
bool PathExists(const std::string& path);
// Whether a file that is not a folder is at `path`.
bool IsRegularFile(const std::string& path);
// Whether a folder is at `path`.
bool IsDirectory(const std::string& path);

// `name` inside `folder`: one separator between them unless the folder
// already ends with one (or is empty, or a bare drive such as "C:").
std::string JoinPath(const std::string& folder, const std::string& name);

struct FolderEntry {
  std::string name;
  bool isDirectory = false;
  bool isRegularFile = false;  // neither a folder nor a device, link or socket
};

// The entries of a folder in the order the system gives them, without "."
// and "..", hidden ones included. Empty when the folder cannot be read.
std::vector<FolderEntry> ListFolder(const std::string& folder);

// Creates the folder and every missing folder above it; true when the folder
// is there afterwards (also when it already was).
bool CreateFolders(const std::string& path);

enum class RemoveResult { kRemoved, kNotFound, kFailed };

// Removes the file, or the empty folder, at `path`.
RemoveResult RemovePath(const std::string& path);

#ifdef _WIN32
// The path as the Win32 wide-character calls take it: made full and given
// the extended-length prefix ("\\?\C:\...", "\\?\UNC\server\share\..."), so
// that paths longer than MAX_PATH work; throws EncodingError when `path` is
// not valid UTF-8.
std::wstring WidePath(const std::string& path);
#endif

// Opens a file with a C library mode ("rb", "wb"); null when it cannot. The
// C library's files rather than the C++ streams, which would bring the
// locale machinery along.
std::FILE* OpenFile(const std::string& path, const char* mode);

}  // namespace tav
