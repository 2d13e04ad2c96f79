#include <windows.h>

#include <filesystem>

namespace tav {

bool ReplaceFileWith(const std::filesystem::path& temporary, const std::filesystem::path& target) {
  // ReplaceFileW keeps the old file's attributes and security; it needs an
  // old file, so a first save moves the temporary file into place instead.
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES &&
      ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                   nullptr, nullptr)) {
    return true;
  }
  return MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace tav
