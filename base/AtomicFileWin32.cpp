#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/FileSystem.h"

namespace tav {

namespace {

// How long a replace that another program blocks for a moment (a virus
// scanner, the search indexer, a backup tool opening the new file) is tried
// again before the save is given up.
constexpr DWORD kReplaceRetryMs = 1000;
constexpr DWORD kReplaceRetryStepMs = 50;

// What the old file carried that users rely on and that the new one takes
// over: a hidden or system scheme stays so, and one kept out of the index
// stays out. Read-only is not carried: such a file is never replaced.
constexpr DWORD kCarriedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Errors that say another program holds the file for now.
bool IsPassingHold(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION;
}

// Whether the old file may be deleted now: one held open without
// delete sharing cannot be renamed over.
bool TargetFree(const std::wstring& target) {
  HANDLE probe =
      CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  CloseHandle(probe);
  return true;
}

// One rename of the temporary file over the target: a reader opens either
// the old file or the new one, never nothing.
bool RenameOver(const std::wstring& temporary, const std::wstring& target) {
  return TargetFree(target) && MoveFileExW(temporary.c_str(), target.c_str(),
                                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

bool ReplaceFileWith(const std::string& temporaryPath, const std::string& targetPath) {
  const std::wstring temporary = WidePath(temporaryPath);
  const std::wstring target = WidePath(targetPath);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // A read-only file is the user's way of saying no.
    if (attributes & FILE_ATTRIBUTE_READONLY) return false;
    if ((attributes & kCarriedAttributes) &&
        !SetFileAttributesW(temporary.c_str(), attributes & kCarriedAttributes)) {
      return false;
    }
  }
  const DWORD start = GetTickCount();
  while (!RenameOver(temporary, target)) {
    if (!IsPassingHold(GetLastError()) || GetTickCount() - start >= kReplaceRetryMs) return false;
    Sleep(kReplaceRetryStepMs);
  }
  return true;
}

bool FlushToDisk(std::FILE* file) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

}  // namespace tav
