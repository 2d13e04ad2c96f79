// Damaged input of every kind the program reads from disk: each ends in a
// clear message or in the outcome written beside it, never in a crash, and
// the file is never changed by reading it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "actions/TextCipher.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "storage/SchemeFile.h"
#include "storage/SettingsFile.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

const std::string kHead = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n";

std::string Entry(const std::string& key, const std::string& action) {
  return "<hotkeyset><hotkey>" + key + "</hotkey><action>" + action +
         "</action><hint></hint><sort></sort></hotkeyset>";
}

std::string Scheme(const std::string& entries, const std::string& password = "") {
  return kHead + "<velmora><set><password>" + password + "</password></set><hotkeylist>" + entries +
         "</hotkeylist></velmora>\r\n";
}

std::string ProtectedScheme(const std::string& cipherAction) {
  return Scheme(Entry(EncryptText("pw", "6+65"), cipherAction), DigestText("pw"));
}

std::string Repeated(int count, const std::string& piece) {
  std::string all;
  for (int i = 0; i < count; ++i) all += piece;
  return all;
}

// What loading a damaged scheme came to: "error: <message>" or "loaded N".
struct SchemeCase {
  const char* kind;
  std::string bytes;
  bool isProtected;
  const char* outcome;  // the start of what the load came to
};

class MalformedInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tav-malformed-" + std::to_string(std::random_device()()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  fs::path dir_;
};

std::string LoadOutcome(const std::string& path, bool isProtected) {
  EntryTable table;
  std::vector<HotkeyListItem> items;
  ResetSlots(table);
  TextDecryptor decrypt;
  if (isProtected) decrypt = [](const std::string& text) { return DecryptText("pw", text); };
  try {
    LoadEntries(path, decrypt, table, items);
    return "loaded " + std::to_string(items.size());
  } catch (const Error& error) {
    return std::string("error: ") + error.what();
  }
}

TEST_F(MalformedInputTest, DamagedSchemesFailClearlyAndStayUntouched) {
  const std::string valid = Scheme(Entry("6+65", "notepad.exe") + Entry("3+112", "calc.exe"));
  const std::string cipher = EncryptText("pw", "notepad.exe");
  const SchemeCase cases[] = {
      {"empty file", "", false, "error: "},
      {"NUL bytes", valid.substr(0, 60) + std::string(3, '\0') + valid.substr(60), false,
       "error: "},
      {"truncated file", valid.substr(0, valid.size() / 2), false, "error: "},
      {"wrong root, no children", kHead + "<html/>", false, "error: "},
      {"missing list element", kHead + "<velmora><set><password/></set></velmora>", false,
       "error: "},
      {"bad key text", Scheme(Entry("6+x", "notepad.exe")), false, "error: 'x'"},
      {"key text without plus", Scheme(Entry("665", "notepad.exe")), false, "error: ''"},
      {"huge number", Scheme(Entry("6+99999999999999999999", "a")), false,
       "error: '99999999999999999999'"},
      {"150 entries", Scheme(Repeated(150, Entry("6+65", "a"))), false, "error: "},
      {"101 entries, the most that load", Scheme(Repeated(101, Entry("6+65", "a"))), false,
       "loaded 101"},
      // The byte order mark wins over the declaration, as the system's DOM reads it.
      {"UTF-8 with a byte order mark while GB2312 is declared",
       "\xEF\xBB\xBF" + Scheme(Entry("6+65", "记事本.exe")), false, "loaded 1"},
      {"cipher text not hexadecimal", Utf8ToCp936(ProtectedScheme("记事本")), true,
       "error: '0x记'"},
      {"cipher text of odd length", ProtectedScheme(cipher + "0"), true,
       "error: Invalid buffer size for decryption"},
      {"cipher text with a huge length field", ProtectedScheme("FFFFFFFF" + cipher.substr(8)), true,
       "loaded 1"},
      {"cipher text too short", ProtectedScheme("0102"), true, "error: Stream read error"},
      {"wrong password",
       Scheme(Entry(EncryptText("other", "6+65"), EncryptText("other", "C:\\x.exe")),
              DigestText("other")),
       true, "error: "},
      {"text GB2312 lacks, written as a reference", Scheme(Entry("6+65", "&#x1F600;")), false,
       "loaded 1"},
      {"deeply nested elements",
       Scheme(Entry("6+65", Repeated(20000, "<a>") + Repeated(20000, "</a>"))), false, "loaded 1"},
      // Read as the text it is, like any other unknown reference.
      {"undefined entity", Scheme(Entry("6+65", "&bomb;")), false, "loaded 1"},
      {"bytes that are not GB2312", Scheme(Entry("6+65", "\x81\x20")), false, "error: "},
  };
  for (const SchemeCase& c : cases) {
    const std::string path = Write("hotkey.xml", c.bytes);
    const std::string outcome = LoadOutcome(path, c.isProtected);
    EXPECT_EQ(outcome.rfind(c.outcome, 0), 0u) << c.kind << ": " << outcome;
    EXPECT_NO_THROW(Utf8ToUtf16(outcome)) << c.kind << ": message is not valid text";
    EXPECT_TRUE(ReadWholeFile(path) == c.bytes) << c.kind << ": file changed";
  }
}

TEST_F(MalformedInputTest, RandomSettingsFilesReadWithoutFailingAndStayUntouched) {
  std::mt19937 random(12);
  const std::string programDir = dir_.string() + "/";
  for (int round = 0; round < 200; ++round) {
    std::string bytes(random() % 600, '\0');
    for (char& b : bytes) {
      // Mostly the bytes a profile file is made of, some of anything.
      const char kMaterial[] = "[]=;\r\n \"'SystemSort密码\xC3\xDC";
      b = random() % 4 ? kMaterial[random() % (sizeof kMaterial - 1)] : static_cast<char>(random());
    }
    if (round % 10 == 0) bytes = "\xFF\xFE" + bytes;  // an odd-length UTF-16 file now and then
    const std::string path = Write("set.ini", bytes);
    EXPECT_NO_THROW(ReadAccessPasswordDigest(programDir)) << round;
    EXPECT_NO_THROW(ReadCategories(programDir)) << round;
    EXPECT_TRUE(ReadWholeFile(path) == bytes) << round;
  }
}

TEST_F(MalformedInputTest, SchemeNamesWithPathPartsAreRefused) {
  fs::create_directories(dir_ / "Data");
  Write("hotkey.xml", Scheme(""));
  const std::string programDir = dir_.string() + "/";
  for (const char* name : {"..\\hotkey.xml", "../hotkey.xml", "sub\\a.xml", "C:\\a.xml", ""}) {
    EXPECT_THROW(DeleteUserScheme(programDir, name), Error) << name;
  }
  EXPECT_TRUE(FileExists((dir_ / "hotkey.xml").string()));
}

TEST_F(MalformedInputTest, MissingDataFolderListsNoSchemes) {
  EXPECT_TRUE(ListUserSchemes(dir_.string() + "/").empty());
}

}  // namespace
}  // namespace tav
