#include <unistd.h>

#include <cstdio>
#include <string>

namespace tav {

bool ReplaceFileWith(const std::string& temporary, const std::string& target) {
  // rename() replaces the target in one step on POSIX file systems.
  return std::rename(temporary.c_str(), target.c_str()) == 0;
}

bool FlushToDisk(std::FILE* file) {
  return fsync(fileno(file)) == 0;
}

}  // namespace tav
