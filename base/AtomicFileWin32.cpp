#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/FileSystem.h"

namespace tav {

namespace {

// Whether the old file may be replaced: a read-only file is the user's way
// of saying no, and one that another program holds open without sharing
// cannot be (ReplaceFileW would fail half-way and leave a file of its own).
bool MayReplace(const std::wstring& target, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) return false;
  HANDLE probe =
      CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);
  return true;
}

}  // namespace

bool ReplaceFileWith(const std::string& temporaryPath, const std::string& targetPath) {
  const std::wstring temporary = WidePath(temporaryPath);
  const std::wstring target = WidePath(targetPath);
  // ReplaceFileW keeps the old file's attributes and security; it needs an
  // old file, so a first save moves the temporary file into place instead.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (!MayReplace(target, attributes)) return false;
    if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
      return true;
    }
  }
  return MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FlushToDisk(std::FILE* file) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

}  // namespace tav
