// A new scheme made from the "新建方案" input: the name check, the Data
// folder, the overwrite question and what the scheme menus are told.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "base/AtomicFile.h"
#include "dialogs/model/SchemeCreation.h"
#include "platform/RecordingPlatform.h"
#include "storage/SchemeFile.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(SchemeNameTest, NamesThatWouldLeaveDataOrCannotBeFilesAreRefused) {
  const std::pair<std::string, const char*> refused[] = {
      {"", "请输入方案的名称"},
      {"  \t", "请输入方案的名称"},
      {"..\\hotkey", "不能有"},
      {"a/b", "不能有"},
      {"C:工作", "不能有"},
      {"a*b", "不能有"},
      {"a?b", "不能有"},
      {"a\"b", "不能有"},
      {"a<b>", "不能有"},
      {"a|b", "不能有"},
      {"a\x01"
       "b",
       "不能有"},
      {".", "只由"},
      {"..", "只由"},
      {". .", "只由"},
      {"CON", "保留的设备名"},
      {"con", "保留的设备名"},
      {"Nul.txt", "保留的设备名"},
      {"COM1", "保留的设备名"},
      {"lpt9", "保留的设备名"},
      {"AUX ", "保留的设备名"},
      {std::string(252, 'a'), "太长"},
  };
  for (const auto& [name, problem] : refused) {
    SCOPED_TRACE(name);
    const std::optional<std::string> found = SchemeNameProblem(name);
    ASSERT_TRUE(found.has_value());
    EXPECT_THAT(*found, HasSubstr(problem));
  }
  for (const std::string& name : std::vector<std::string>{"工作", "my scheme", "a.b", "CONSOLE",
                                                          "COM10", "...a", std::string(251, 'a')}) {
    EXPECT_EQ(SchemeNameProblem(name), std::nullopt) << name;
  }
}

class NewSchemeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("tavrelin-newscheme-" + std::to_string(random()));
    fs::create_directories(dir_);
    menus_.hasItem = [this](const std::string& name) {
      calls_.push_back("hasItem " + name);
      return std::find(items_.begin(), items_.end(), name) != items_.end();
    };
    menus_.addItem = [this](const std::string& name) {
      calls_.push_back("addItem " + name);
      items_.push_back(name);
    };
    menus_.openScheme = [this](const std::string& path, const std::string& name) {
      calls_.push_back("openScheme " + FileNameOf(path) + " " + name);
    };
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string ProgramDirectory() const { return dir_.string() + "/"; }
  std::string DataPath(const std::string& name) const { return (dir_ / "Data" / name).string(); }

  fs::path dir_;
  RecordingPlatform platform_;
  SchemeMenuCallbacks menus_;
  std::vector<std::string> items_;
  std::vector<std::string> calls_;
};

TEST_F(NewSchemeTest, MissingDataFolderIsCreatedAndTheSchemeOpened) {
  ASSERT_TRUE(CreateNamedScheme(platform_, ProgramDirectory(), "工作", menus_));
  SchemeDocument document;
  document.Load(DataPath("工作.xml"));
  EXPECT_EQ(document.EntryCount(), 0);
  EXPECT_EQ(document.Password(), "");
  EXPECT_THAT(calls_,
              ElementsAre("hasItem 工作.xml", "addItem 工作.xml", "openScheme 工作.xml 工作.xml"));
  EXPECT_THAT(platform_.Calls(), IsEmpty());
}

TEST_F(NewSchemeTest, OverwrittenSchemeKeepsItsOneMenuItem) {
  ASSERT_TRUE(CreateNamedScheme(platform_, ProgramDirectory(), "工作", menus_));
  std::ofstream(DataPath("工作.xml"), std::ios::binary | std::ios::app) << "<!-- changed -->";
  const std::string changed = ReadWholeFile(DataPath("工作.xml"));
  calls_.clear();

  platform_.QueueMessageBoxAnswer(mb::kIdNo);
  EXPECT_FALSE(CreateNamedScheme(platform_, ProgramDirectory(), "工作", menus_));
  EXPECT_EQ(ReadWholeFile(DataPath("工作.xml")), changed);
  EXPECT_THAT(calls_, IsEmpty());

  platform_.QueueMessageBoxAnswer(mb::kIdYes);
  EXPECT_TRUE(CreateNamedScheme(platform_, ProgramDirectory(), "工作", menus_));
  EXPECT_NE(ReadWholeFile(DataPath("工作.xml")), changed);
  // The scheme is opened again (also when it was the active one); no second item.
  EXPECT_THAT(calls_, ElementsAre("hasItem 工作.xml", "openScheme 工作.xml 工作.xml"));
  EXPECT_THAT(items_, ElementsAre("工作.xml"));
}

TEST_F(NewSchemeTest, RefusedNameIsToldAndNothingIsCreated) {
  EXPECT_FALSE(CreateNamedScheme(platform_, ProgramDirectory(), "..\\..\\evil", menus_));
  ASSERT_EQ(platform_.Calls().size(), 1u);
  EXPECT_THAT(platform_.Calls()[0], HasSubstr("|Tavrelin 4.6.0 Final|64)"));
  EXPECT_FALSE(fs::exists(dir_ / "Data"));
  EXPECT_THAT(calls_, IsEmpty());
}

}  // namespace
}  // namespace tav
