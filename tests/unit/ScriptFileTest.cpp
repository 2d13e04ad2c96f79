#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "editor/ScriptFile.h"

namespace tav {
namespace {

using Lines = std::vector<std::string>;

class ScriptFileSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tavrelin-script-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  std::filesystem::path dir_;
};

TEST(ScriptLines, SplitAtEveryKindOfLineBreak) {
  const std::vector<std::pair<std::string, Lines>> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\n\r\n", {"a", ""}},
      {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
      {"\r\n", {""}},
      {"a\n\rb", {"a", "", "b"}},
  };
  for (const auto& [text, lines] : cases) EXPECT_EQ(SplitTextLines(text), lines) << text;
}

TEST_F(ScriptFileSaveTest, WritesCodePage936WithCrLfAndReadsItBack) {
  const Lines lines = {"$$/按住", "Key_Down~:Ctrl", "", "Delay_ms~:200"};
  const std::string path = PathOf("a.tsc");
  WriteScriptLines(path, lines);
  EXPECT_EQ(ReadWholeFile(path), "$$/\xB0\xB4\xD7\xA1\r\nKey_Down~:Ctrl\r\n\r\nDelay_ms~:200\r\n");
  EXPECT_EQ(ReadScriptLines(path), lines);
  WriteScriptLines(path, {});
  EXPECT_EQ(ReadWholeFile(path), "");
}

TEST_F(ScriptFileSaveTest, UnencodableCharacterIsRefusedNamingItsLineAndOldFileStays) {
  const std::string path = PathOf("keep.tsc");
  WriteScriptLines(path, {"old"});
  try {
    WriteScriptLines(path, {"ok", "再见", "emoji \xF0\x9F\x98\x80 here"});
    FAIL() << "no error";
  } catch (const EncodingError& error) {
    EXPECT_NE(std::string(error.what()).find("第 3 行"), std::string::npos) << error.what();
  }
  EXPECT_EQ(ReadWholeFile(path), "old\r\n");
}

TEST_F(ScriptFileSaveTest, ReadErrorsAreReported) {
  EXPECT_THROW(ReadScriptLines(PathOf("missing.tsc")), FileError);
  const std::string path = PathOf("bad.tsc");
  WriteFileAtomically(path, "a\r\n\x81");
  EXPECT_THROW(ReadScriptLines(path), EncodingError);
}

TEST(ScriptSaveName, TscExtensionInAnyCaseStaysOtherwiseAppended) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"C:\\Script\\a.TSC", "C:\\Script\\a.TSC"},
      {"C:\\Script\\a.tsc", "C:\\Script\\a.tsc"},
      {"C:\\Script\\a.txt", "C:\\Script\\a.txt.tsc"},
      {"C:\\Script\\a", "C:\\Script\\a.tsc"},
      {"C:\\my.dir\\a", "C:\\my.dir\\a.tsc"},
      {"C:\\Script\\a.tsc.bak", "C:\\Script\\a.tsc.bak.tsc"},
  };
  for (const auto& [chosen, saved] : cases) EXPECT_EQ(ScriptSaveName(chosen), saved) << chosen;
}

}  // namespace
}  // namespace tav
