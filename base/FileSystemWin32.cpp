#include <windows.h>

#include <memory>

#include "base/FileSystem.h"
#include "base/TextEncoding.h"

namespace tav {

namespace {

std::wstring Wide(const std::string& text) {
  const std::u16string utf16 = Utf8ToUtf16(text);
  return std::wstring(utf16.begin(), utf16.end());
}

DWORD AttributesOf(const std::string& path) {
  return GetFileAttributesW(WidePath(path).c_str());
}

struct FindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};

}  // namespace

std::wstring WidePath(const std::string& path) {
  std::wstring wide = Wide(path);
  if (wide.empty()) return wide;
  // Already in the form the system takes unchanged (\\?\C:\..., \\.\device).
  if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) return wide;
  // The prefixed form is passed on unchanged, so the system no longer turns
  // "/" into "\" nor resolves "." and "..": the full path does that first.
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return wide;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return wide;
  full.resize(length);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  return wide;
}

bool PathExists(const std::string& path) {
  return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  if (folder.empty()) return entries;
  WIN32_FIND_DATAW found{};
  HANDLE first = FindFirstFileW(WidePath(JoinPath(folder, "*")).c_str(), &found);
  if (first == INVALID_HANDLE_VALUE) return entries;
  const std::unique_ptr<void, FindCloser> find(first);
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const bool isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entries.push_back(
        {Utf16ToUtf8(std::u16string(name.begin(), name.end())), isDirectory, !isDirectory});
  } while (FindNextFileW(find.get(), &found));
  return entries;
}

bool MakeOneFolder(const std::string& path) {
  return CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0;
}

RemoveResult RemovePath(const std::string& path) {
  const std::wstring wide = WidePath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? RemoveResult::kNotFound
                                                                          : RemoveResult::kFailed;
  }
  const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(wide.c_str())
                                                               : DeleteFileW(wide.c_str());
  return removed ? RemoveResult::kRemoved : RemoveResult::kFailed;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return _wfopen(WidePath(path).c_str(), Wide(mode).c_str());
}

}  // namespace tav
