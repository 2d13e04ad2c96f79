// Converting legacy INI hotkey lists into schemes, alone and as the menu
// command that asks, reports and names the new schemes for the menus.
#include "storage/LegacyConversion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "dialogs/model/LegacyUpdate.h"
#include "platform/RecordingPlatform.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Strings = std::vector<std::string>;

class LegacyConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tav-legacy-" + std::to_string(std::random_device()()));
    fs::create_directories(dir_ / "Data");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string ProgramDirectory() const { return dir_.string() + "/"; }
  std::string DataPath(const std::string& name) const { return (dir_ / "Data" / name).string(); }
  std::string DefaultIni() const { return (dir_ / "hotkey.ini").string(); }
  std::string DefaultXml() const { return (dir_ / "hotkey.xml").string(); }

  // Writes UTF-8 text as GB2312.
  static void WriteText(const std::string& path, const std::string& utf8) {
    WriteFileAtomically(path, Utf8ToCp936(utf8));
  }

  static std::vector<SchemeEntry> SchemeEntries(const std::string& path) {
    SchemeDocument document;
    document.Load(path);
    std::vector<SchemeEntry> entries;
    for (int i = 0; i < document.EntryCount(); ++i) entries.push_back(document.Entry(i));
    EXPECT_EQ(document.Password(), "");
    return entries;
  }

  // Runs the command, collecting the scheme names handed to the menus.
  Strings Update() {
    Strings added;
    UpdateLegacyFiles(platform_, ProgramDirectory(),
                      [&](const std::string& name) { added.push_back(name); });
    return added;
  }

  fs::path dir_;
  RecordingPlatform platform_;
};

TEST_F(LegacyConversionTest, SectionsBecomeEntriesInFileOrder) {
  const std::vector<SchemeEntry> expected = {
      {"3+65", "notepad.exe", "", ""}, {"6+66", "calc.exe", "计算器", "工具"},
      {"7+67", "", "只有提示", ""},    {"abc", "", "", "类别"},  // key text copied as it stands
      {"1+112", "", "", ""},                                     // no keys at all
  };
  const std::string body =
      "[3+65]|执行操作=notepad.exe|[6+66]|类别=工具|提示=计算器|执行操作=calc.exe|其他=忽略|"
      "[7+67]|提示=只有提示|[abc]|类别=类别|[1+112]|";
  const struct {
    const char* name;
    const char* end;
  } kLineEnds[] = {{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}};
  for (const auto& lineEnd : kLineEnds) {
    std::string text = body;
    for (size_t at = text.find('|'); at != std::string::npos; at = text.find('|', at))
      text.replace(at, 1, lineEnd.end);
    const std::string ini = DataPath("工作.ini");
    WriteText(ini, text);
    const std::string bytes = ReadWholeFile(ini);

    const LegacyConversionResult result = ConvertLegacyFile(ini);
    EXPECT_EQ(result.sectionCount, 5) << lineEnd.name;
    EXPECT_EQ(result.convertedCount, 5) << lineEnd.name;
    EXPECT_EQ(SchemeEntries(DataPath("工作.xml")), expected) << lineEnd.name;
    EXPECT_EQ(ReadWholeFile(ini), bytes) << "the INI file is left as it was";
  }
}

TEST_F(LegacyConversionTest, ByteOrderMarkAndBadBytesStillConvert) {
  WriteFileAtomically(DataPath("a.INI"), "\xEF\xBB\xBF[3+65]\r\n执行操作=记事本\r\n");
  ConvertLegacyFile(DataPath("a.INI"));
  EXPECT_EQ(SchemeEntries(DataPath("a.xml")),
            (std::vector<SchemeEntry>{{"3+65", "记事本", "", ""}}));

  // A stray byte in one value does not lose the entry or the ones after it.
  WriteFileAtomically(DataPath("b.ini"), Utf8ToCp936("[3+65]\r\n提示=坏") + "\x81" +
                                             Utf8ToCp936("\r\n[3+66]\r\n执行操作=x\r\n"));
  const std::vector<SchemeEntry> entries =
      (ConvertLegacyFile(DataPath("b.ini")), SchemeEntries(DataPath("b.xml")));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_THAT(entries[0].hint, HasSubstr("坏"));
  EXPECT_EQ(entries[1], (SchemeEntry{"3+66", "x", "", ""}));
}

TEST_F(LegacyConversionTest, OnlyTheFirstHundredSectionsFitAScheme) {
  std::string text;
  for (int i = 1; i <= 150; ++i)
    text += "[2+" + std::to_string(i) + "]\r\n执行操作=程序" + std::to_string(i) + "\r\n";
  WriteText(DataPath("多.ini"), text);
  const LegacyConversionResult result = ConvertLegacyFile(DataPath("多.ini"));
  EXPECT_EQ(result.sectionCount, 150);
  EXPECT_EQ(result.convertedCount, 100);
  const std::vector<SchemeEntry> entries = SchemeEntries(DataPath("多.xml"));
  ASSERT_EQ(entries.size(), 100u);
  EXPECT_EQ(entries.back(), (SchemeEntry{"2+100", "程序100", "", ""}));

  // The command tells the user what was left out and that the INI file stays.
  fs::remove(DataPath("多.xml"));
  EXPECT_THAT(Update(), ElementsAre("多.xml"));
  ASSERT_EQ(platform_.Calls().size(), 1u);
  EXPECT_THAT(platform_.Calls()[0], HasSubstr("“多.ini”有 150 个热键"));
  EXPECT_THAT(platform_.Calls()[0], HasSubstr("其余 50 个没有转换；该 INI 文件保持不变"));
  EXPECT_THAT(platform_.Calls()[0], HasSubstr("|Tavrelin"));
}

TEST_F(LegacyConversionTest, CommandConvertsEveryFileAndNamesOnlyNewUserSchemes) {
  EXPECT_THAT(Update(), ElementsAre()) << "no legacy files: nothing happens";
  EXPECT_TRUE(platform_.Calls().empty());

  WriteText(DefaultIni(), "[3+65]\r\n执行操作=notepad.exe\r\n");
  WriteText(DataPath("工作.ini"), "[3+66]\r\n执行操作=calc.exe\r\n");
  WriteText(DataPath("旧.ini"), "[3+67]\r\n执行操作=mspaint.exe\r\n");
  WriteText(DataPath("说明.txt"), "[3+68]\r\n");
  WriteFileAtomically(DataPath("旧.xml"), "old");  // its menu items exist already
  platform_.QueueMessageBoxAnswer(mb::kIdYes);

  // The default scheme gets no menu item, the overwritten one none again.
  EXPECT_THAT(Update(), ElementsAre("工作.xml"));
  EXPECT_EQ(SchemeEntries(DefaultXml()),
            (std::vector<SchemeEntry>{{"3+65", "notepad.exe", "", ""}}));
  EXPECT_EQ(SchemeEntries(DataPath("工作.xml")),
            (std::vector<SchemeEntry>{{"3+66", "calc.exe", "", ""}}));
  EXPECT_EQ(SchemeEntries(DataPath("旧.xml")),
            (std::vector<SchemeEntry>{{"3+67", "mspaint.exe", "", ""}}));
  EXPECT_THAT(platform_.Calls(), ElementsAre("MessageBox(热键配制方案“旧.xml”已经存在，\r"
                                             "你是否要覆盖该热键配制方案吗？||36)"));
  EXPECT_FALSE(fs::exists(DataPath("说明.xml")));
}

TEST_F(LegacyConversionTest, DecliningTheOverwriteQuestionLeavesTheScheme) {
  WriteText(DefaultIni(), "[3+65]\r\n执行操作=notepad.exe\r\n");
  WriteFileAtomically(DefaultXml(), "mine");
  WriteText(DataPath("工作.ini"), "[3+66]\r\n");
  WriteFileAtomically(DataPath("工作.xml"), "mine too");
  platform_.QueueMessageBoxAnswer(mb::kIdNo);
  platform_.QueueMessageBoxAnswer(mb::kIdNo);

  EXPECT_THAT(Update(), ElementsAre());
  EXPECT_EQ(ReadWholeFile(DefaultXml()), "mine");
  EXPECT_EQ(ReadWholeFile(DataPath("工作.xml")), "mine too");
  EXPECT_THAT(platform_.Calls(),
              ElementsAre(HasSubstr("“hotkey.xml”已经存在"), HasSubstr("“工作.xml”已经存在")));
}

TEST_F(LegacyConversionTest, AFailedUserFileIsReportedAndTheNextOneConverted) {
  // A folder where the scheme should go: the save cannot replace it.
  WriteText(DataPath("坏.ini"), "[3+65]\r\n");
  fs::create_directory(DataPath("坏.xml"));
  WriteText(DataPath("好.ini"), "[3+66]\r\n");

  const Strings added = Update();
  EXPECT_THAT(added, ElementsAre("好.xml"));
  EXPECT_THAT(platform_.Calls(), ElementsAre("MessageBox(热键配置文件“坏.ini”转换失败||48)"));
  EXPECT_EQ(SchemeEntries(DataPath("好.xml")).size(), 1u);
}

TEST_F(LegacyConversionTest, AFailedDefaultFileEndsTheCommand) {
  WriteText(DefaultIni(), "[3+65]\r\n");
  fs::create_directory(DefaultXml());
  WriteText(DataPath("工作.ini"), "[3+66]\r\n");
  EXPECT_THROW(Update(), Error);
  EXPECT_FALSE(fs::exists(DataPath("工作.xml")));
}

}  // namespace
}  // namespace tav
