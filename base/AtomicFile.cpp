#include "base/AtomicFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/Errors.h"
#include "base/TextEncoding.h"

namespace tav {

// The last step of a save, per build: replace `target` by `temporary`.
bool ReplaceFileWith(const std::filesystem::path& temporary, const std::filesystem::path& target);

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

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const std::filesystem::path target = PathFromUtf8(path);
  std::filesystem::path temporary = target;
  temporary += ".tmp~";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) throw FileError("Cannot create file \"" + path + "\"");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      throw FileError("Cannot write file \"" + path + "\"");
    }
  }
  if (!ReplaceFileWith(temporary, target)) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw FileError("Cannot write file \"" + path + "\"");
  }
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) throw FileError("Cannot open file \"" + path + "\"");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw FileError("Cannot read file \"" + path + "\"");
  return bytes;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(PathFromUtf8(path), error);
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace tav
