// The program's own file-system calls on a real folder: what they report
// for files, folders, links and missing paths, how folders are made and
// removed, and how paths are joined. std::filesystem is the reference the
// tests build their fixtures with.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/FileSystem.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        (fs::temp_directory_path() / ("tav-fs-" + std::to_string(std::random_device()()))).string();
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }

  std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes = "x") const {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }

  std::string dir_;
};

TEST(JoinPathTest, OneSeparatorBetweenFolderAndName) {
  const struct {
    const char* folder;
    const char* name;
    const char* joined;
  } cases[] = {
      {"", "a.xml", "a.xml"},
      {"/data", "a.xml", "/data/a.xml"},
      {"/data/", "a.xml", "/data/a.xml"},
      {"/", "a.xml", "/a.xml"},
      {"rel", "sub", "rel/sub"},
      {"C:", "a", "C:/a"},  // a drive only means something on Windows
      {"数据", "方案.xml", "数据/方案.xml"},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinPath(c.folder, c.name), c.joined) << c.folder;
}

TEST_F(FileSystemTest, KindsOfPathAreToldApart) {
  Write("file.xml");
  fs::create_directory(PathOf("folder"));
  fs::create_symlink(PathOf("file.xml"), PathOf("link-to-file"));
  fs::create_symlink(PathOf("missing"), PathOf("dangling"));
  const struct {
    const char* name;
    bool exists, file, folder;
  } cases[] = {
      {"file.xml", true, true, false},     {"folder", true, false, true},
      {"folder/", true, false, true},      {"missing", false, false, false},
      {"file.xml/x", false, false, false}, {"link-to-file", true, true, false},
      {"dangling", false, false, false},
  };
  for (const auto& c : cases) {
    const std::string path = PathOf(c.name);
    EXPECT_EQ(PathExists(path), c.exists) << c.name;
    EXPECT_EQ(IsRegularFile(path), c.file) << c.name;
    EXPECT_EQ(IsDirectory(path), c.folder) << c.name;
  }
  EXPECT_FALSE(PathExists(""));
}

TEST_F(FileSystemTest, ListingNamesEveryEntryWithItsKind) {
  Write("方案.xml");
  Write(".hidden");
  fs::create_directory(PathOf("sub"));
  Write("sub/inner");  // not listed: only the folder's own entries are
  fs::create_symlink(PathOf("nowhere"), PathOf("dangling"));
  std::vector<FolderEntry> entries = ListFolder(dir_);
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 4u);
  const struct {
    const char* name;
    bool folder, file;
  } expected[] = {{".hidden", false, true},
                  {"dangling", false, false},
                  {"sub", true, false},
                  {"方案.xml", false, true}};
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].name, expected[i].name);
    EXPECT_EQ(entries[i].isDirectory, expected[i].folder) << expected[i].name;
    EXPECT_EQ(entries[i].isRegularFile, expected[i].file) << expected[i].name;
  }
  // The same folder spelt with a separator at the end lists the same.
  EXPECT_EQ(ListFolder(dir_ + "/").size(), 4u);
}

TEST_F(FileSystemTest, FoldersThatCannotBeListedListNothing) {
  Write("file");
  for (const std::string& path : {PathOf("missing"), PathOf("file"), std::string()})
    EXPECT_TRUE(ListFolder(path).empty()) << path;
  fs::create_directory(PathOf("empty"));
  EXPECT_TRUE(ListFolder(PathOf("empty")).empty());
}

TEST_F(FileSystemTest, CreatingFoldersMakesEveryMissingLevelOnce) {
  Write("file");
  const struct {
    const char* path;
    bool made;
  } cases[] = {
      {"a/b/c/", true},     // several levels, separator at the end
      {"a/b/c", true},      // already there
      {"a//d", true},       // a doubled separator
      {"数据/Data", true},  // names that are not ASCII
      {"file/sub", false},  // a file where a folder should be
      {"file", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CreateFolders(PathOf(c.path)), c.made) << c.path;
    EXPECT_EQ(IsDirectory(PathOf(c.path)), c.made) << c.path;
  }
  EXPECT_TRUE(IsRegularFile(PathOf("file")));
  EXPECT_FALSE(CreateFolders(""));
}

TEST_F(FileSystemTest, CreatingFoldersUnderAReadOnlyFolderFails) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  fs::create_directory(PathOf("locked"));
  fs::permissions(PathOf("locked"), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(CreateFolders(PathOf("locked/a/b")));
  EXPECT_FALSE(PathExists(PathOf("locked/a")));
  fs::permissions(PathOf("locked"), fs::perms::owner_all);
}

TEST_F(FileSystemTest, RemovingTellsRemovedFromMissingFromRefused) {
  Write("file");
  fs::create_directory(PathOf("empty"));
  fs::create_directory(PathOf("full"));
  Write("full/x");
  const struct {
    const char* path;
    RemoveResult result;
  } cases[] = {
      {"file", RemoveResult::kRemoved},    {"file", RemoveResult::kNotFound},
      {"empty", RemoveResult::kRemoved},   {"full", RemoveResult::kFailed},
      {"none/x", RemoveResult::kNotFound},
  };
  for (const auto& c : cases) EXPECT_EQ(RemovePath(PathOf(c.path)), c.result) << c.path;
  EXPECT_TRUE(IsRegularFile(PathOf("full/x")));
}

TEST_F(FileSystemTest, OpenedFilesKeepTheirBytesAndNames) {
  const std::string path = PathOf("热键.xml");
  const std::string bytes("a\r\nb\0c", 6);
  std::FILE* out = OpenFile(path, "wb");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
  std::fclose(out);
  std::FILE* in = OpenFile(path, "rb");
  ASSERT_NE(in, nullptr);
  char read[16];
  EXPECT_EQ(std::fread(read, 1, sizeof read, in), bytes.size());
  std::fclose(in);
  EXPECT_EQ(std::string(read, bytes.size()), bytes);
  EXPECT_EQ(OpenFile(PathOf("missing/x"), "wb"), nullptr);
  EXPECT_EQ(OpenFile(PathOf("missing"), "rb"), nullptr);
}

}  // namespace
}  // namespace tav
