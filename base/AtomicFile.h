// Saving a file so that it is never left truncated or half-written: the
// bytes go to a temporary file in the same folder, which is flushed and then
// replaces the old file in one step. A failed save leaves the old file as it
// was and throws FileError.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tav {

// Writes `bytes` to the file at `path` (UTF-8) atomically.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// Reads a whole file; throws FileError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

// Whether a regular file exists at `path`.
bool FileExists(const std::string& path);

// A UTF-8 path as a file-system path, and back.
std::filesystem::path PathFromUtf8(const std::string& path);
std::string PathToUtf8(const std::filesystem::path& path);

// The final component of a path, after the last "\" or "/".
std::string FileNameOf(const std::string& path);

}  // namespace tav
