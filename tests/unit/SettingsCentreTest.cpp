// The settings centre's decisions: the password change, the category list,
// and what OK stores (in one save) or leaves alone.
#include "dialogs/model/SettingsCentre.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "actions/TextCipher.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "platform/RecordingPlatform.h"
#include "storage/SettingsFile.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Strings = std::vector<std::string>;

class SettingsCentreTest : public ::testing::Test {
 protected:
  SettingsCentreTest() {
    fs::create_directories(dir_);
    platform_.SetRunValue(std::string());
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string ProgramDir() const { return dir_.string() + "/"; }
  std::string IniPath() const { return (dir_ / "set.ini").string(); }
  std::string IniBytes() const { return FileExists(IniPath()) ? ReadWholeFile(IniPath()) : ""; }
  void WriteIni(const std::string& utf8) const {
    WriteFileAtomically(IniPath(), Utf8ToCp936(utf8));
  }

  // OK pressed; the main menu's check mark is recorded.
  bool Confirm(const SettingsForm& form) {
    return centre_.Confirm(form, [&](bool checked) { menuChecks_.push_back(checked); });
  }

  const fs::path dir_ =
      fs::temp_directory_path() / ("tav-centre-" + std::to_string(std::random_device()()));
  RecordingPlatform platform_;
  SettingsCentre centre_{platform_, dir_.string() + "/"};
  std::vector<bool> menuChecks_;
};

TEST_F(SettingsCentreTest, PasswordChanges) {
  const std::string abc = DigestText("abc");
  const struct {
    const char* name;
    std::string stored;
    bool change;
    std::string oldPassword, newPassword, confirm;
    const char* refusal;  // nullptr: accepted
    std::string digestAfter;
  } kCases[] = {
      {"first password", "", true, "", "abc", "abc", nullptr, abc},
      {"removed", abc, true, "abc", "", "", nullptr, ""},
      {"changed", abc, true, "abc", "新口令", "新口令", nullptr, DigestText("新口令")},
      {"confirmation differs", abc, true, "abc", "x", "y", "两次新密码不一致，请重新输入", abc},
      {"wrong old password", abc, true, "abd", "x", "x", "老密码输入不正确，请重新输入", abc},
      {"old password typed when none is set", "", true, "abc", "x", "x",
       "老密码输入不正确，请重新输入", ""},
      {"not ticked: fields ignored", abc, false, "junk", "a", "b", nullptr, abc},
  };
  for (const auto& c : kCases) {
    WriteIni("[System]\r\n密码=" + c.stored + "\r\n[Sort]\r\n工作=0\r\n");
    const std::string before = IniBytes();
    platform_.ClearCalls();
    menuChecks_.clear();
    SettingsForm form = centre_.Load();
    form.changePassword = c.change;
    form.oldPassword = c.oldPassword, form.newPassword = c.newPassword;
    form.confirmPassword = c.confirm;
    form.autoRun = true;
    form.categories = {"娱乐"};

    EXPECT_EQ(Confirm(form), c.refusal == nullptr) << c.name;
    EXPECT_EQ(ReadAccessPasswordDigest(ProgramDir()), c.digestAfter) << c.name;
    if (c.refusal) {
      // Nothing at all is stored: not the categories, not start at log-on.
      EXPECT_EQ(IniBytes(), before) << c.name;
      EXPECT_THAT(platform_.Calls(), ElementsAre("ReadRunValue(tarnu_hotkey)",
                                                 "MessageBox(" + std::string(c.refusal) + "||64)"))
          << c.name;
      EXPECT_TRUE(menuChecks_.empty()) << c.name;
    } else {
      EXPECT_EQ(ReadCategories(ProgramDir()), Strings{"娱乐"}) << c.name;
      EXPECT_EQ(platform_.RunValue(), "\"C:\\Tavrelin\\tavrelin.exe\"") << c.name;
      EXPECT_THAT(menuChecks_, ElementsAre(true)) << c.name;
    }
  }
}

TEST_F(SettingsCentreTest, OkWritesPasswordAndCategoriesInOneSave) {
  WriteIni("; 设置\r\n[Sort]\r\n旧=0\r\n");
  SettingsForm form = centre_.Load();
  form.changePassword = true;
  form.newPassword = form.confirmPassword = "a";
  form.categories = {"工作", "娱乐", "工作"};
  ASSERT_TRUE(Confirm(form));
  EXPECT_EQ(IniBytes(), Utf8ToCp936("; 设置\r\n[System]\r\n密码=" + DigestText("a") +
                                    "\r\n[Sort]\r\n工作=0\r\n娱乐=0\r\n"));

  // A save that cannot replace the file stores nothing, the registry neither.
  const std::string before = IniBytes();
  fs::create_directory(dir_ / "set.ini.tmp~");
  platform_.ClearCalls();
  form.oldPassword = "a";
  form.newPassword = form.confirmPassword = "b";
  form.autoRun = true;
  EXPECT_THROW(Confirm(form), FileError);
  EXPECT_EQ(IniBytes(), before);
  EXPECT_EQ(platform_.RunValue(), "");

  // A password GB2312 cannot hold is refused before anything is stored.
  fs::remove(dir_ / "set.ini.tmp~");
  form.newPassword = form.confirmPassword = "口令😀";
  EXPECT_THROW(Confirm(form), EncodingError);
  EXPECT_EQ(IniBytes(), before);
  EXPECT_EQ(platform_.RunValue(), "");
}

TEST_F(SettingsCentreTest, CategoryListIsTrimmedSortedAndRefusesBrokenNames) {
  WriteIni("[Sort]\r\n娱乐=0\r\nGames=0\r\n工作=0\r\n");
  SettingsForm form = centre_.Load();
  EXPECT_EQ(form.categories, (Strings{"Games", "工作", "娱乐"}));

  EXPECT_FALSE(SettingsCentre::CanAddCategory(" \t "));
  EXPECT_TRUE(SettingsCentre::CanAddCategory(" 工作 "));
  EXPECT_TRUE(centre_.AddCategory(form.categories, "  工作  "));
  EXPECT_TRUE(centre_.AddCategory(form.categories, "办公"));
  EXPECT_EQ(form.categories, (Strings{"Games", "办公", "工作", "工作", "娱乐"}));
  EXPECT_EQ(platform_.Calls(),
            (Strings{"ReadRunValue(tarnu_hotkey)", "ReadRunValue(HKCU,tarnu_hotkey)"}))
      << "only Load's registry reads";

  for (const char* bad : {"a=b", ";注释", "[常用]", "笑脸😀"}) {
    platform_.ClearCalls();
    EXPECT_FALSE(centre_.AddCategory(form.categories, bad)) << bad;
    EXPECT_THAT(platform_.Calls(), ElementsAre(HasSubstr("不能保存"))) << bad;
  }
  EXPECT_EQ(form.categories.size(), 5u);

  // Until OK nothing is stored: Cancel leaves set.ini as it was.
  EXPECT_EQ(IniBytes(), Utf8ToCp936("[Sort]\r\n娱乐=0\r\nGames=0\r\n工作=0\r\n"));
  form.categories.clear();
  ASSERT_TRUE(Confirm(form));
  EXPECT_EQ(ReadCategories(ProgramDir()), Strings{});
}

TEST_F(SettingsCentreTest, SwitchesLiveInSystemAndAreOffByDefault) {
  const struct {
    bool SettingsForm::*field;
    const char* line;
  } switches[] = {{&SettingsForm::restoreClipboard, "RestoreClipboard"},
                  {&SettingsForm::quietInFullScreen, "QuietInFullScreen"}};
  for (const auto& s : switches) {
    SCOPED_TRACE(s.line);
    std::filesystem::remove(ProgramDir() + "set.ini");
    SettingsForm form = centre_.Load();
    EXPECT_FALSE(form.*s.field);
    ASSERT_TRUE(Confirm(form));
    EXPECT_EQ(IniBytes(), "") << "an untouched setting adds nothing";

    form.*s.field = true;
    ASSERT_TRUE(Confirm(form));
    EXPECT_EQ(IniBytes(), std::string("[System]\r\n") + s.line + "=1\r\n");
    EXPECT_TRUE(centre_.Load().*s.field);
    form.*s.field = false;
    ASSERT_TRUE(Confirm(form));
    EXPECT_FALSE(centre_.Load().*s.field);
  }
}

TEST_F(SettingsCentreTest, ShowingWritesNothingEvenForAStaleRunValue) {
  for (RunKey key : {RunKey::kMachine, RunKey::kCurrentUser}) {
    platform_.SetRunValue(std::nullopt);
    platform_.SetRunValue("D:\\Old\\tavrelin.exe", key);
    platform_.ClearCalls();
    EXPECT_TRUE(centre_.Load().autoRun);
    EXPECT_EQ(platform_.RunValue(key), "D:\\Old\\tavrelin.exe");
    for (const std::string& call : platform_.Calls())
      EXPECT_THAT(call, ::testing::StartsWith("ReadRunValue(")) << call;
    EXPECT_FALSE(FileExists(IniPath()));
  }
}

TEST_F(SettingsCentreTest, MenuCheckFollowsWhatTheRegistryHolds) {
  SettingsForm form = centre_.Load();
  form.autoRun = true;
  // A standard user cannot write the machine-wide key: the current user's
  // key takes the value, and the mark shows it is on.
  platform_.SetRunValue(std::nullopt);
  ASSERT_TRUE(Confirm(form));
  EXPECT_EQ(platform_.RunValue(RunKey::kCurrentUser), "\"" + platform_.ProgramFileName() + "\"");
  // Neither key can be written: the mark stays off.
  platform_.SetRunValue(std::nullopt, RunKey::kCurrentUser);
  ASSERT_TRUE(Confirm(form));
  // Off removes the value wherever it is.
  form.autoRun = false;
  platform_.SetRunValue("C:\\Tavrelin\\tavrelin.exe");
  platform_.SetRunValue("C:\\Tavrelin\\tavrelin.exe", RunKey::kCurrentUser);
  ASSERT_TRUE(Confirm(form));
  EXPECT_THAT(menuChecks_, ElementsAre(true, false, false));
  EXPECT_EQ(platform_.RunValue(), "");
  EXPECT_EQ(platform_.RunValue(RunKey::kCurrentUser), "");
}

}  // namespace
}  // namespace tav
