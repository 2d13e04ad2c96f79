#include "base/AtomicFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>

#include "base/Errors.h"
#include "base/TextEncoding.h"

namespace tav {

// Per build: replace `target` by `temporary` in one step, and put what was
// written to an open file on the disk.
bool ReplaceFileWith(const std::filesystem::path& temporary, const std::filesystem::path& target);
bool FlushToDisk(std::FILE* file);

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

namespace {

constexpr size_t kWriteBlockSize = 4096;

std::mutex g_injectorMutex;
SaveFaultInjector g_injector;

bool InjectedFailure(SaveStep step) {
  std::lock_guard lock(g_injectorMutex);
  return g_injector && g_injector(step);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// The C library's files rather than the C++ streams: the streams would bring
// the locale machinery into the program, a third of its size.
std::FILE* OpenFile(const std::filesystem::path& path, bool forWriting) {
#ifdef _WIN32
  return _wfopen(path.c_str(), forWriting ? L"wb" : L"rb");
#else
  return std::fopen(path.c_str(), forWriting ? "wb" : "rb");
#endif
}

// Writes every byte, flushes them to the disk and closes the file; false
// when any of it failed. The file is closed either way.
bool WriteAndClose(UniqueFile file, std::string_view bytes) {
  for (size_t done = 0; done < bytes.size(); done += kWriteBlockSize) {
    const size_t size = std::min(kWriteBlockSize, bytes.size() - done);
    if (InjectedFailure(SaveStep::kWrite) ||
        std::fwrite(bytes.data() + done, 1, size, file.get()) != size)
      return false;
  }
  // A full disk often shows only here, when the buffered bytes go out.
  if (InjectedFailure(SaveStep::kFlush) || std::fflush(file.get()) != 0 || !FlushToDisk(file.get()))
    return false;
  return std::fclose(file.release()) == 0;
}

}  // namespace

void SetSaveFaultInjector(SaveFaultInjector injector) {
  std::lock_guard lock(g_injectorMutex);
  g_injector = std::move(injector);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const std::filesystem::path target = PathFromUtf8(path);
  std::filesystem::path temporary = target;
  temporary += ".tmp~";
  UniqueFile file(InjectedFailure(SaveStep::kCreate) ? nullptr : OpenFile(temporary, true));
  if (!file) throw FileError("Cannot create file \"" + path + "\"");
  // The old file is replaced only once every byte is on the disk; whatever
  // fails first leaves it as it was and takes the temporary file away.
  if (!WriteAndClose(std::move(file), bytes) || InjectedFailure(SaveStep::kReplace) ||
      !ReplaceFileWith(temporary, target)) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw FileError("Cannot write file \"" + path + "\"");
  }
}

std::string ReadWholeFile(const std::string& path) {
  const UniqueFile file(OpenFile(PathFromUtf8(path), false));
  if (!file) throw FileError("Cannot open file \"" + path + "\"");
  std::string bytes;
  char block[kWriteBlockSize];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) bytes.append(block, got);
  if (std::ferror(file.get())) throw FileError("Cannot read file \"" + path + "\"");
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
