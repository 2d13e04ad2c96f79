// The program's file-system calls on a Windows file system: both
// separators, drives, Chinese names, hidden and read-only files.
#include "platform/win32/WinApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/FileSystem.h"
#include "base/TextEncoding.h"

namespace tav::test {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

// A fresh folder under the temporary folder, its path ending in "\".
std::string NewTemporaryFolder(const std::string& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::string dir = Utf16ToUtf8(reinterpret_cast<const char16_t*>(temp)) + name + "-" +
                          std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryW(Wide(dir).c_str(), nullptr);
  return dir;
}

TEST(FileSystemWin32Test, JoiningKeepsDrivesAndEitherSeparator) {
  const struct {
    const char* folder;
    const char* name;
    const char* joined;
  } cases[] = {
      {"C:\\Data", "a.xml", "C:\\Data\\a.xml"}, {"C:\\Data\\", "a.xml", "C:\\Data\\a.xml"},
      {"C:/Data/", "a.xml", "C:/Data/a.xml"},   {"C:", "a.xml", "C:a.xml"},
      {"C:\\", "a.xml", "C:\\a.xml"},           {"\\\\server\\share", "a", "\\\\server\\share\\a"},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinPath(c.folder, c.name), c.joined) << c.folder;
}

TEST(FileSystemWin32Test, FoldersFilesAndRemovalOnARealDisk) {
  const std::string dir = NewTemporaryFolder("tav-文件");
  ASSERT_TRUE(IsDirectory(dir));
  EXPECT_TRUE(IsDirectory("C:\\"));

  // Both separators, a doubled one and one at the end.
  EXPECT_TRUE(CreateFolders(dir + "方案/Data\\\\深/"));
  EXPECT_TRUE(IsDirectory(dir + "方案\\Data\\深"));
  WriteFileAtomically(dir + "方案\\热键.xml", "x");
  WriteFileAtomically(dir + "方案\\隐藏.xml", "y");
  SetFileAttributesW(Wide(dir + "方案\\隐藏.xml").c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(CreateFolders(dir + "方案\\热键.xml\\sub"));

  std::vector<FolderEntry> entries = ListFolder(dir + "方案");
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "Data");
  EXPECT_TRUE(entries[0].isDirectory);
  EXPECT_FALSE(entries[0].isRegularFile);
  EXPECT_EQ(entries[1].name, "热键.xml");
  EXPECT_TRUE(entries[1].isRegularFile);
  EXPECT_EQ(entries[2].name, "隐藏.xml");  // hidden files are listed too
  EXPECT_TRUE(entries[2].isRegularFile);

  // A read-only file is refused, not reported missing.
  SetFileAttributesW(Wide(dir + "方案\\热键.xml").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(RemovePath(dir + "方案\\热键.xml"), RemoveResult::kFailed);
  EXPECT_TRUE(IsRegularFile(dir + "方案\\热键.xml"));
  SetFileAttributesW(Wide(dir + "方案\\热键.xml").c_str(), FILE_ATTRIBUTE_NORMAL);

  EXPECT_EQ(RemovePath(dir + "方案\\Data"), RemoveResult::kFailed);  // not empty
  const struct {
    const char* path;
    RemoveResult result;
  } removals[] = {
      {"方案\\热键.xml", RemoveResult::kRemoved}, {"方案\\热键.xml", RemoveResult::kNotFound},
      {"方案\\隐藏.xml", RemoveResult::kRemoved}, {"方案\\Data\\深", RemoveResult::kRemoved},
      {"方案\\Data", RemoveResult::kRemoved},     {"无\\x", RemoveResult::kNotFound},
      {"方案", RemoveResult::kRemoved},
  };
  for (const auto& r : removals) EXPECT_EQ(RemovePath(dir + r.path), r.result) << r.path;
  EXPECT_EQ(RemovePath(dir), RemoveResult::kRemoved);
}

}  // namespace
}  // namespace tav::test
