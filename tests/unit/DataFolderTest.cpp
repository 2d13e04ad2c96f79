// Where the program writes when its own folder cannot be written: the
// user's folder, filled once with the shipped files and never overwriting
// what the user has changed there; the help file follows the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "base/AtomicFile.h"
#include "base/FileSystem.h"
#include "storage/DataFolder.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = (fs::temp_directory_path() / ("tav-data-" + std::to_string(std::random_device()())))
                .string() +
            "/";
    program_ = root_ + "program/";
    user_ = root_ + "user/Tavrelin/";
    for (const char* name : {"hotkey.xml", "set.ini", "帮助.chm", "Data/常用网站.xml",
                             "Script/示例.tsc", "tavrelin.exe"})
      Write(program_ + name, std::string("shipped ") + name);
  }
  void TearDown() override { fs::remove_all(root_); }

  static void Write(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

  std::string root_, program_, user_;
};

TEST_F(DataFolderTest, WritableProgramFolderIsUsedAsItIs) {
  const DataFolder data = ChooseDataFolder(program_, true, user_);
  EXPECT_EQ(data.path, program_);
  EXPECT_FALSE(data.movedToUser);
  EXPECT_FALSE(PathExists(user_));
}

TEST_F(DataFolderTest, UnwritableProgramFolderMovesToTheUsersFolderOnce) {
  const DataFolder first = ChooseDataFolder(program_, false, user_);
  EXPECT_EQ(first.path, user_);
  EXPECT_TRUE(first.movedToUser);
  EXPECT_TRUE(first.firstUse);
  for (const char* name :
       {"hotkey.xml", "set.ini", "帮助.chm", "Data/常用网站.xml", "Script/示例.tsc"})
    EXPECT_EQ(ReadWholeFile(user_ + name), std::string("shipped ") + name) << name;
  EXPECT_FALSE(PathExists(user_ + "tavrelin.exe"));

  // The user's changes stay; a newer program brings its help file along.
  Write(user_ + "hotkey.xml", "the user's scheme");
  Write(program_ + "帮助.chm", "newer help");
  const DataFolder second = ChooseDataFolder(program_, false, user_);
  EXPECT_EQ(second.path, user_);
  EXPECT_FALSE(second.firstUse);
  EXPECT_EQ(ReadWholeFile(user_ + "hotkey.xml"), "the user's scheme");
  EXPECT_EQ(ReadWholeFile(user_ + "帮助.chm"), "newer help");
}

TEST_F(DataFolderTest, UsersFolderThatCannotBeMadeKeepsTheProgramFolder) {
  Write(root_ + "user", "a file where the folder would go");
  const DataFolder data = ChooseDataFolder(program_, false, user_);
  EXPECT_EQ(data.path, program_);
  EXPECT_FALSE(data.movedToUser);
}

TEST_F(DataFolderTest, WritableProbeLeavesNothingBehind) {
  EXPECT_TRUE(FolderIsWritable(program_));
  EXPECT_EQ(std::distance(fs::directory_iterator(program_), fs::directory_iterator()), 6);
  EXPECT_FALSE(FolderIsWritable(root_ + "missing/"));
  EXPECT_FALSE(FolderIsWritable(program_ + "hotkey.xml/"));
}

}  // namespace
}  // namespace tav
