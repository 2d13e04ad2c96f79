// A protected scheme made with the text cipher loads with its password, and
// the ways a wrong or damaged cipher text fails without touching the file.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "actions/TextCipher.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "storage/SchemeFile.h"

namespace tav {
namespace {

class ProtectedSchemeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() /
                 (std::string("tavrelin-protected-") +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(directory_);
    path_ = (directory_ / "hotkey.xml").string();
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  // Writes a protected scheme whose entries are (key, action, hint, category).
  void WriteProtected(const std::string& password,
                      const std::vector<std::array<std::string, 4>>& entries) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora><set><password>" +
                      DigestText(password) + "</password></set><hotkeylist>";
    for (const auto& entry : entries) {
      xml += "<hotkeyset><hotkey>" + EncryptText(password, entry[0]) + "</hotkey><action>" +
             EncryptText(password, entry[1]) + "</action><hint>" + EncryptText(password, entry[2]) +
             "</hint><sort>" + EncryptText(password, entry[3]) + "</sort></hotkeyset>";
    }
    xml += "</hotkeylist></velmora>\r\n";
    std::ofstream(path_, std::ios::binary) << Utf8ToCp936(xml);
  }

  std::vector<HotkeyListItem> Load(const std::string& password, EntryTable& table) {
    std::vector<HotkeyListItem> items;
    ResetSlots(table);
    LoadEntries(
        path_, [&](const std::string& text) { return DecryptText(password, text); }, table, items);
    return items;
  }

  std::filesystem::path directory_;
  std::string path_;
};

TEST_F(ProtectedSchemeTest, LoadsWithTheRightPassword) {
  WriteProtected("密码",
                 {{"6+65", "记事本.exe", "", "常用"}, {"3+112", "PasteLine:你好", "提示", ""}});
  EXPECT_EQ(ReadSchemeDigest(path_), DigestText("密码"));

  EntryTable table;
  const std::vector<HotkeyListItem> items = Load("密码", table);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].caption, "Ctrl + Shift + A");
  EXPECT_EQ(table[0].action, "记事本.exe");
  EXPECT_EQ(table[0].hint, "") << "an empty text stays empty";
  EXPECT_EQ(table[0].category, "常用");
  EXPECT_EQ(table[1].modifiers, 3);
  EXPECT_EQ(table[1].virtualKey, 112);
  EXPECT_EQ(table[1].action, "PasteLine:你好");
}

TEST_F(ProtectedSchemeTest, DamagedCipherTextStopsTheLoadAndLeavesTheFile) {
  WriteProtected("pw", {{"6+65", "notepad.exe", "", ""}});
  // Cut the first cipher text short: a whole block is missing.
  std::string xml = Cp936ToUtf8(ReadWholeFile(path_));
  const size_t start = xml.find("<action>") + 8;
  xml.erase(start + 8, 32);
  std::ofstream(path_, std::ios::binary) << Utf8ToCp936(xml);
  const std::string before = ReadWholeFile(path_);

  EntryTable table;
  try {
    Load("pw", table);
    FAIL() << "a damaged cipher text loaded";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "Invalid buffer size for decryption");
  }
  EXPECT_EQ(ReadWholeFile(path_), before);
}

// Entry texts written by hand in place of cipher texts: the conversion
// error quotes the piece that is not hexadecimal, as whole characters.
TEST_F(ProtectedSchemeTest, HandWrittenEntryTextFailsWithAValidMessage) {
  const struct {
    std::string action;
    std::string message;
  } cases[] = {
      {"中文", "'0x中' is not a valid integer value"},
      {"A中", "'0xA中' is not a valid integer value"},
      {"00记事本", "'0x记' is not a valid integer value"},
      {"0😀", "'0x0😀' is not a valid integer value"},
  };
  for (const auto& [action, message] : cases) {
    WriteProtected("pw", {{"6+65", "notepad.exe", "", ""}});
    std::string xml = Cp936ToUtf8(ReadWholeFile(path_));
    const size_t start = xml.find("<action>") + 8;
    xml.replace(start, xml.find("</action>") - start, action);
    std::ofstream(path_, std::ios::binary) << Utf8ToCp936(xml, Unencodable::kXmlReference);
    EntryTable table;
    try {
      Load("pw", table);
      ADD_FAILURE() << action << " loaded";
    } catch (const ConversionError& error) {
      EXPECT_EQ(error.what(), message);
      EXPECT_NO_THROW(Utf8ToUtf16(error.what())) << "not valid UTF-8";
    }
  }
}

}  // namespace
}  // namespace tav
