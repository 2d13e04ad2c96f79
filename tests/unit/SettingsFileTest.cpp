// The settings file and the profile-file rules it is read and written by.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "storage/SettingsFile.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class SettingsFileTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tav-settings-" + std::to_string(std::random_device()()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string ProgramDir() const { return dir_.string() + "/"; }
  fs::path IniPath() const { return dir_ / "set.ini"; }

  // The file's bytes, and the file written from UTF-8 text as GB2312.
  std::string FileBytes() const {
    std::ifstream in(IniPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void WriteFileBytes(const std::string& bytes) const {
    std::ofstream(IniPath(), std::ios::binary) << bytes;
  }
  void WriteFileText(const std::string& utf8) const { WriteFileBytes(Utf8ToCp936(utf8)); }

  fs::path dir_;
};

TEST_F(SettingsFileTest, MissingFileGivesDefaultsAndEveryReadIsFresh) {
  const SettingsFile settings(ProgramDir());
  EXPECT_EQ(settings.ReadAccessPasswordDigest(), "");
  EXPECT_EQ(settings.ReadCategories(), Strings{});
  EXPECT_FALSE(fs::exists(IniPath()));

  WriteFileText("[System]\r\n密码=abc\r\n[Sort]\r\n工作=0\r\n");
  EXPECT_EQ(settings.ReadAccessPasswordDigest(), "abc");
  EXPECT_EQ(settings.ReadCategories(), Strings{"工作"});
}

TEST_F(SettingsFileTest, PasswordDigestWrittenAndCleared) {
  const std::string digest = "0cc175b9c0f1b6a831c399e269772661";
  WriteAccessPasswordDigest(ProgramDir(), digest);
  EXPECT_EQ(FileBytes(), Utf8ToCp936("[System]\r\n密码=" + digest + "\r\n"));
  EXPECT_EQ(ReadAccessPasswordDigest(ProgramDir()), digest);

  WriteAccessPasswordDigest(ProgramDir(), "");
  EXPECT_EQ(FileBytes(), Utf8ToCp936("[System]\r\n密码=\r\n"));
  EXPECT_EQ(ReadAccessPasswordDigest(ProgramDir()), "");
}

TEST_F(SettingsFileTest, CategoriesRoundTripInListOrder) {
  WriteAccessPasswordDigest(ProgramDir(), "abc");
  const Strings categories = {"工作", "娱乐", "Games", "常用]", "a[b]", "系统 工具"};
  WriteCategories(ProgramDir(), categories);
  EXPECT_EQ(ReadCategories(ProgramDir()), categories);
  EXPECT_EQ(ReadAccessPasswordDigest(ProgramDir()), "abc");
  EXPECT_NE(FileBytes().find("\r\n\xB9\xA4\xD7\xF7=0\r\n"), std::string::npos)
      << "工作 stored as GB2312";

  // A second rewrite replaces the list instead of adding to it.
  WriteCategories(ProgramDir(), {"娱乐"});
  EXPECT_EQ(ReadCategories(ProgramDir()), Strings{"娱乐"});
}

TEST_F(SettingsFileTest, RepeatedCategoriesCollapseAndEmptyOnesAreLeftOut) {
  WriteCategories(ProgramDir(), {"工作", "games", "工作", " 工作 ", "Games", "", "  "});
  EXPECT_EQ(ReadCategories(ProgramDir()), (Strings{"工作", "games"}));
}

TEST_F(SettingsFileTest, CategoriesThatWouldNotReadBackWriteNothing) {
  WriteFileText("[Sort]\r\n工作=0\r\n");
  const std::string before = FileBytes();
  for (const char* bad : {"a=b", ";注释", "[常用]"}) {
    EXPECT_THROW(WriteCategories(ProgramDir(), {"娱乐", bad}), Error) << bad;
    EXPECT_EQ(FileBytes(), before) << bad;
  }
}

TEST_F(SettingsFileTest, ErasingEveryCategoryRemovesTheSection) {
  WriteFileText("[Sort]\r\na=0\r\n[System]\r\n密码=abc\r\n");
  WriteCategories(ProgramDir(), {});
  EXPECT_EQ(ReadCategories(ProgramDir()), Strings{});
  EXPECT_EQ(FileBytes(), Utf8ToCp936("[System]\r\n密码=abc\r\n"));

  // The reader reads the first of two sections of that name: both go, or
  // the second would become the list that is read.
  WriteFileText("[Sort]\r\na=0\r\n[sort]\r\nb=0\r\n");
  WriteCategories(ProgramDir(), {});
  EXPECT_EQ(ReadCategories(ProgramDir()), Strings{});
  EXPECT_EQ(FileBytes(), "");
}

TEST_F(SettingsFileTest, ListWrittenIsTheListRead) {
  const struct {
    const char* name;
    std::string file;
    Strings readBack;  // after writing back what was read
    Strings written;
  } kCases[] = {
      {"section twice", "[Sort]\r\na=0\r\n[System]\r\n[Sort]\r\nb=0\r\n", {"a"}, {"a", "c"}},
      {"section twice, list kept", "[Sort]\r\na=0\r\n[x]\r\n[SORT]\r\nb=0\r\n", {"a"}, {"a"}},
      {"section twice, the first empty", "[Sort]\r\n[Sort]\r\nb=0\r\n", {}, {"c"}},
      {"bytes that are not text", "[Sort]\r\n\xFF=0\r\nok=0\r\n", {"\xEF\xBF\xBD", "ok"}, {}},
      {"one key twice collapses", "[Sort]\r\nb=0\r\na=0\r\nB=0\r\n", {"b", "a"}, {"x"}},
  };
  for (const auto& c : kCases) {
    WriteFileBytes(c.file);
    WriteCategories(ProgramDir(), ReadCategories(ProgramDir()));
    EXPECT_EQ(ReadCategories(ProgramDir()), c.readBack) << c.name;
    WriteCategories(ProgramDir(), c.written);
    EXPECT_EQ(ReadCategories(ProgramDir()), c.written) << c.name;
  }

  // A category read from bytes that are not GB2312 keeps them when the list
  // is written back, and other settings still save.
  const std::string bad =
      Utf8ToCp936("[System]\r\n密码=d\r\n[Sort]\r\n工作=0\r\n") + "\xFF\xFF=0\r\n";
  WriteFileBytes(bad);
  WriteCategories(ProgramDir(), ReadCategories(ProgramDir()));
  EXPECT_EQ(FileBytes(), bad);
  WriteAccessPasswordDigest(ProgramDir(), "e");
  WriteCategories(ProgramDir(), {"娱乐", ReadCategories(ProgramDir())[1]});
  EXPECT_EQ(FileBytes(),
            Utf8ToCp936("[System]\r\n密码=e\r\n[Sort]\r\n娱乐=0\r\n") + "\xFF\xFF=0\r\n");
}

TEST_F(SettingsFileTest, ReadingFollowsTheProfileRules) {
  const struct {
    const char* name;
    std::string file;
    std::string digest;
    Strings categories;
  } kCases[] = {
      {"names ignore case", "[SYSTEM]\r\n密码=d1\r\n[sort]\r\nA=0\r\n", "d1", {"A"}},
      {"blanks trimmed",
       "  [ System ]  \r\n\t密码 \t=  d2  \r\n[Sort]\r\n  工 作  = 0\r\n",
       "d2",
       {"工 作"}},
      {"first key wins", "[System]\r\n密码=first\r\n密码=second\r\n", "first", {}},
      {"first section wins", "[System]\r\nx=1\r\n[System]\r\n密码=later\r\n", "", {}},
      {"repeated key listed each time", "[Sort]\r\nb=0\r\na=0\r\nB=1\r\n", "", {"b", "a", "B"}},
      {"comments, blank lines, key without value",
       "; settings\r\n\r\n[Sort]\r\n;工作=0\r\n\r\n娱乐\r\n=0\r\n游戏=0\r\n",
       "",
       {"游戏"}},
      {"quotes dropped", "[System]\r\n密码=\"d3\"\r\n", "d3", {}},
      {"single quotes dropped", "[System]\r\n密码='d6'\r\n", "d6", {}},
      {"mismatched quotes kept", "[System]\r\n密码=\"d7'\r\n", "\"d7'", {}},
      {"mismatched quotes kept the other way", "[System]\r\n密码='d8\"\r\n", "'d8\"", {}},
      {"one quote alone kept", "[System]\r\n密码=\"\r\n", "\"", {}},
      {"quotes around nothing", "[System]\r\n密码=''\r\n", "", {}},
      {"LF line ends, no final line end", "[System]\n密码=d4\n[Sort]\n甲=0", "d4", {"甲"}},
      {"keys before any section ignored", "密码=d5\r\n[Sort]\r\n", "", {}},
      {"bracketed key line is a header",
       "[Sort]\r\n前面=0\r\n[常用]=0\r\n后面=0\r\n",
       "",
       {"前面"}},
  };
  for (const auto& c : kCases) {
    WriteFileText(c.file);
    EXPECT_EQ(ReadAccessPasswordDigest(ProgramDir()), c.digest) << c.name;
    EXPECT_EQ(ReadCategories(ProgramDir()), c.categories) << c.name;
  }
}

TEST_F(SettingsFileTest, WritingChangesOnlyItsOwnLine) {
  // Other sections, comments, odd spacing and a line that is not valid GB2312
  // all keep their bytes.
  const std::string before =
      Utf8ToCp936(
          "; 设置\r\n[Other]\r\nk = v\r\n[system]\r\n other=1\r\n 密码 = old\r\n\r\n[Sort]\r\n") +
      "\x81\x20 bad\r\n";
  WriteFileBytes(before);
  WriteAccessPasswordDigest(ProgramDir(), "new");
  EXPECT_EQ(FileBytes(), Utf8ToCp936("; 设置\r\n[Other]\r\nk = v\r\n[system]\r\n other=1\r\n"
                                     "密码=new\r\n\r\n[Sort]\r\n") +
                             "\x81\x20 bad\r\n");

  // A new key goes after the section's last line, before the blank lines.
  WriteFileText("[System]\r\nother=1\r\n\r\n[Sort]\r\n");
  WriteAccessPasswordDigest(ProgramDir(), "d");
  EXPECT_EQ(FileBytes(), Utf8ToCp936("[System]\r\nother=1\r\n密码=d\r\n\r\n[Sort]\r\n"));

  // A new section goes at the end.
  WriteFileText("[Sort]\r\na=0");
  WriteAccessPasswordDigest(ProgramDir(), "d");
  EXPECT_EQ(FileBytes(), Utf8ToCp936("[Sort]\r\na=0\r\n[System]\r\n密码=d\r\n"));
}

TEST_F(SettingsFileTest, TextGb2312CannotHoldWritesNothing) {
  WriteFileText("[Sort]\r\n工作=0\r\n");
  const std::string before = FileBytes();
  EXPECT_THROW(WriteCategories(ProgramDir(), {"娱乐", "笑脸😀"}), EncodingError);
  EXPECT_EQ(FileBytes(), before);
  EXPECT_THROW(WriteCategories(ProgramDir(), {"two\r\nlines"}), Error);
  EXPECT_EQ(FileBytes(), before);
}

TEST_F(SettingsFileTest, ByteOrderMarkedFilesKeepTheirEncoding) {
  // UTF-16LE with its mark: "[Sort]\r\n😀=0\r\n", a category GB2312 lacks.
  const std::u16string text = u"[Sort]\r\n\U0001F600=0\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text)
    bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  WriteFileBytes(bytes);
  EXPECT_EQ(ReadCategories(ProgramDir()), Strings{"😀"});
  WriteCategories(ProgramDir(), {"😀", "工作"});
  EXPECT_EQ(FileBytes().substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(ReadCategories(ProgramDir()), (Strings{"😀", "工作"}));

  WriteFileBytes("\xEF\xBB\xBF[System]\r\n密码=d\r\n");
  EXPECT_EQ(ReadAccessPasswordDigest(ProgramDir()), "d");
}

TEST_F(SettingsFileTest, RefusedWriteReportsTheFileAndKeepsIt) {
  // The program directory is gone.
  const std::string missing = ProgramDir() + "gone/";
  try {
    WriteAccessPasswordDigest(missing, "d");
    ADD_FAILURE() << "write into a missing directory succeeded";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + missing + "set.ini");
  }

  // The save cannot put its new file in place (as root, permissions would
  // not stop it: a directory where the save writes its temporary file does).
  WriteFileText("[System]\r\n密码=old\r\n");
  const std::string before = FileBytes();
  fs::create_directory(dir_ / "set.ini.tmp~");
  EXPECT_THROW(WriteAccessPasswordDigest(ProgramDir(), "new"), FileError);
  EXPECT_THROW(WriteCategories(ProgramDir(), {"工作"}), FileError);
  EXPECT_EQ(FileBytes(), before);
}

}  // namespace
}  // namespace tav
