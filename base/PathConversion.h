// UTF-8 paths as std::filesystem paths and back, for code that works with
// the C++ library's file system (the tests); the program itself uses
// base/FileSystem.h.
#pragma once

#include <filesystem>
#include <string>

namespace tav {

std::filesystem::path PathFromUtf8(const std::string& path);
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace tav
