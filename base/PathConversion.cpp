#include "base/PathConversion.h"

#include "base/TextEncoding.h"

namespace tav {

std::filesystem::path PathFromUtf8(const std::string& path) {
  const std::u16string utf16 = Utf8ToUtf16(path);
#ifdef _WIN32
  return std::filesystem::path(std::wstring(utf16.begin(), utf16.end()));
#else
  return std::filesystem::path(path);
#endif
}

std::string PathToUtf8(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::wstring& wide = path.native();
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
#else
  return path.string();
#endif
}

}  // namespace tav
