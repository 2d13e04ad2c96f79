// Setting, changing and removing a scheme password on a three-entry scheme:
// the exact file written, the program-wide state after it, and the file and
// state left alone when anything on the way fails.
#include "dialogs/model/SetPassword.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <random>

#include "actions/TextCipher.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "platform/RecordingPlatform.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using Texts = std::array<std::string, 4>;

const std::vector<Texts> kEntries = {
    {"3+78", "notepad.exe", "记事本", "常用程序"},
    {"6+65", "PasteLine:你好", "", ""},  // empty texts stay empty in every form
    {"0+112", "http://www.example.com/", "打开网页", "网络"},
};

// The scheme file exactly as the writer lays it out, each text encrypted
// with `password` unless it is empty.
std::string SchemeFile(const std::string& password) {
  const auto element = [](const std::string& indent, const char* name, const std::string& text) {
    return indent + "<" + name + (text.empty() ? " />" : ">" + text + "</" + name + ">") + "\r\n";
  };
  std::string xml = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora>\r\n\t<set>\r\n" +
                    element("\t\t", "password", password.empty() ? "" : DigestText(password)) +
                    "\t</set>\r\n\t<hotkeylist>\r\n";
  const char* names[] = {"hotkey", "action", "hint", "sort"};
  for (const Texts& entry : kEntries) {
    xml += "\t\t<hotkeyset>\r\n";
    for (int i = 0; i < 4; ++i) {
      xml += element("\t\t\t", names[i],
                     password.empty() ? entry[i] : EncryptText(password, entry[i]));
    }
    xml += "\t\t</hotkeyset>\r\n";
  }
  return Utf8ToCp936(xml + "\t</hotkeylist>\r\n</velmora>\r\n");
}

class SetPasswordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("tavrelin-set-password-" + std::to_string(random()));
    fs::create_directories(dir_);
    state_.activePath = (dir_ / "hotkey.xml").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The active scheme protected with `password` (none when empty), opened
  // with it as the program would.
  void OpenScheme(const std::string& password) {
    std::ofstream(state_.activePath, std::ios::binary) << SchemeFile(password);
    state_.isProtected = !password.empty();
    state_.rememberedPassword = password;
  }

  std::string File() const { return ReadWholeFile(state_.activePath); }

  fs::path dir_;
  SchemePasswordState state_;
  RecordingPlatform platform_;
};

TEST_F(SetPasswordTest, FourWaysOfSettingThePassword) {
  struct Case {
    const char* label;
    std::string before;  // the scheme's password when it was opened
    std::string typed;   // typed in both edits
    bool protectedAfter;
    std::string rememberedAfter;
  };
  const Case cases[] = {
      {"none to set", "", "新口令", true, "新口令"},
      {"change", "旧口令", "新口令", true, "新口令"},
      {"same", "旧口令", "旧口令", true, "旧口令"},
      {"remove", "旧口令", "", false, "旧口令"},  // the remembered password stays
      {"none to none", "", "", false, ""},
  };
  for (const Case& c : cases) {
    OpenScheme(c.before);
    EXPECT_EQ(ApplySchemePassword(platform_, c.typed, c.typed, state_), SetPasswordOutcome::kSaved)
        << c.label;
    EXPECT_EQ(File(), SchemeFile(c.typed)) << c.label;
    EXPECT_EQ(state_.isProtected, c.protectedAfter) << c.label;
    EXPECT_EQ(state_.rememberedPassword, c.rememberedAfter) << c.label;
  }
  EXPECT_TRUE(platform_.Calls().empty());
}

TEST_F(SetPasswordTest, DifferentTextsChangeNothing) {
  OpenScheme("旧口令");
  const std::string before = File();
  EXPECT_EQ(ApplySchemePassword(platform_, "新口令", "新口令 ", state_),
            SetPasswordOutcome::kMismatch);
  EXPECT_THAT(platform_.Calls(), ElementsAre("MessageBox(两次的口令不相同！|提示|49)"));
  EXPECT_EQ(File(), before);
  EXPECT_TRUE(state_.isProtected);
  EXPECT_EQ(state_.rememberedPassword, "旧口令");
}

TEST_F(SetPasswordTest, AFailureOnTheWayLeavesFileAndState) {
  const auto expectUnchanged = [&](const std::string& before, const char* label) {
    EXPECT_EQ(File(), before) << label;
    EXPECT_TRUE(state_.isProtected) << label;
    EXPECT_EQ(state_.rememberedPassword, "旧口令") << label;
  };

  // The last entry's text is not cipher text: found after the first two
  // entries were re-encrypted in memory, before anything is written.
  OpenScheme("旧口令");
  std::string damaged = File();
  damaged.replace(damaged.rfind("<sort>") + 6, 2, "ZZ");
  std::ofstream(state_.activePath, std::ios::binary) << damaged;
  EXPECT_THROW(ApplySchemePassword(platform_, "新口令", "新口令", state_), Error);
  expectUnchanged(damaged, "damaged cipher text");

  // The save fails: a directory stands where the temporary file goes.
  OpenScheme("旧口令");
  fs::create_directory(state_.activePath + ".tmp~");
  EXPECT_THROW(ApplySchemePassword(platform_, "", "", state_), FileError);
  expectUnchanged(SchemeFile("旧口令"), "failed save");
  fs::remove(state_.activePath + ".tmp~");

  // Another copy set another password since the scheme was opened: its
  // texts cannot be decrypted with the remembered one.
  OpenScheme("旧口令");
  std::ofstream(state_.activePath, std::ios::binary) << SchemeFile("别的口令");
  EXPECT_THROW(ApplySchemePassword(platform_, "新口令", "新口令", state_), Error);
  expectUnchanged(SchemeFile("别的口令"), "digest of another password");

  // Or protected a scheme that was opened unprotected.
  OpenScheme("");
  std::ofstream(state_.activePath, std::ios::binary) << SchemeFile("别的口令");
  EXPECT_THROW(ApplySchemePassword(platform_, "新口令", "新口令", state_), Error);
  EXPECT_EQ(File(), SchemeFile("别的口令"));
  EXPECT_FALSE(state_.isProtected);
}

TEST_F(SetPasswordTest, LockImagesFollowTheCheckedItems) {
  const std::vector<SchemeMenuItem> menu = {
      {"工作.xml", false}, {"家.xml", true}, {"x.xml", false}};
  EXPECT_THAT(MarkCheckedItems(menu, true), ElementsAre(LockImageChange{1, "家.xml", true}));
  EXPECT_THAT(MarkCheckedItems(menu, false), ElementsAre(LockImageChange{1, "家.xml", false}));
  EXPECT_TRUE(MarkCheckedItems({{"a.xml", false}}, true).empty());
  EXPECT_TRUE(MarkCheckedItems({}, true).empty());
}

}  // namespace
}  // namespace tav
