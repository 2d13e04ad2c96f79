// Saving a file so that it is never left truncated or half-written: the
// bytes go to a temporary file in the same folder, which is flushed and then
// replaces the old file in one step. A failed save leaves the old file as it
// was and throws FileError.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tav {

// Writes `bytes` to the file at `path` (UTF-8) atomically.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The steps of a save, in order; the bytes are written in blocks, one write
// step each, and the flush puts them on the disk before the replace.
enum class SaveStep { kCreate, kWrite, kFlush, kReplace };

// A seam for tests: while set, called before every step of every save on
// any thread; answering true makes that step fail as the system's call
// would (a full disk, a file held open). An empty function removes it.
using SaveFaultInjector = std::function<bool(SaveStep step)>;
void SetSaveFaultInjector(SaveFaultInjector injector);

// Reads a whole file; throws FileError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

// Whether a regular file exists at `path`.
bool FileExists(const std::string& path);

// The final component of a path, after the last "\" or "/".
std::string FileNameOf(const std::string& path);

}  // namespace tav
