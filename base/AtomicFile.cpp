#include "base/AtomicFile.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>

#include "base/Errors.h"
#include "base/FileSystem.h"

namespace tav {

// Per build: replace `target` by `temporary` in one step, and put what was
// written to an open file on the disk.
bool ReplaceFileWith(const std::string& temporary, const std::string& target);
bool FlushToDisk(std::FILE* file);

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
  const std::string temporary = path + ".tmp~";
  UniqueFile file(InjectedFailure(SaveStep::kCreate) ? nullptr : OpenFile(temporary, "wb"));
  if (!file) throw FileError("Cannot create file \"" + path + "\"");
  // The old file is replaced only once every byte is on the disk; whatever
  // fails first leaves it as it was and takes the temporary file away.
  if (!WriteAndClose(std::move(file), bytes) || InjectedFailure(SaveStep::kReplace) ||
      !ReplaceFileWith(temporary, path)) {
    RemovePath(temporary);
    throw FileError("Cannot write file \"" + path + "\"");
  }
}

std::string ReadWholeFile(const std::string& path) {
  const UniqueFile file(OpenFile(path, "rb"));
  if (!file) throw FileError("Cannot open file \"" + path + "\"");
  std::string bytes;
  char block[kWriteBlockSize];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) bytes.append(block, got);
  if (std::ferror(file.get())) throw FileError("Cannot read file \"" + path + "\"");
  return bytes;
}

bool FileExists(const std::string& path) {
  return IsRegularFile(path);
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace tav
