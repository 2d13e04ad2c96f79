#include "storage/SchemeFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "dialogs/model/SchemeCreation.h"
#include "platform/RecordingPlatform.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

// The exact bytes a new scheme must have.
constexpr char kTemplate[] =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora>\r\n\t<set>\r\n"
    "\t\t<password></password>\r\n\t</set>\r\n\t<hotkeylist>\r\n\t</hotkeylist>\r\n"
    "</velmora>\r\n";

// A scheme file as an earlier version writes it, GB2312 encoded.
std::string SchemeBytes(const std::vector<SchemeEntry>& entries, const std::string& password = "") {
  std::string xml = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora>\r\n\t<set>\r\n";
  xml += "\t\t<password>" + password + "</password>\r\n\t</set>\r\n\t<hotkeylist>\r\n";
  for (const SchemeEntry& e : entries) {
    xml += "\t\t<hotkeyset>\r\n\t\t\t<hotkey>" + e.hotkey + "</hotkey>\r\n\t\t\t<action>" +
           e.action + "</action>\r\n\t\t\t<hint>" + e.hint + "</hint>\r\n\t\t\t<sort>" + e.sort +
           "</sort>\r\n\t\t</hotkeyset>\r\n";
  }
  return Utf8ToCp936(xml + "\t</hotkeylist>\r\n</velmora>\r\n");
}

class SchemeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("tavrelin-scheme-" + std::to_string(random()));
    fs::create_directories(dir_);
    path_ = (dir_ / "hotkey.xml").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::string ProgramDirectory() const { return dir_.string() + "/"; }

  fs::path dir_;
  std::string path_;
  RecordingPlatform platform_;
};

// --- Creating schemes --------------------------------------------------------

TEST_F(SchemeFileTest, NewSchemeIsTheTemplateAndLoadsEmpty) {
  ASSERT_TRUE(CreateSchemeFile(platform_, path_));
  EXPECT_EQ(ReadWholeFile(path_), kTemplate);
  EXPECT_TRUE(platform_.Calls().empty());  // nothing to ask about

  SchemeDocument document;
  document.Load(path_);
  EXPECT_EQ(document.Password(), "");
  EXPECT_EQ(document.EntryCount(), 0);
  EntryTable table;
  std::vector<HotkeyListItem> items;
  LoadEntries(path_, {}, table, items);
  EXPECT_TRUE(items.empty());
}

TEST_F(SchemeFileTest, OverwriteQuestionAnsweredNoLeavesTheFile) {
  const std::string old = SchemeBytes({{"3+78", "notepad.exe", "", ""}});
  Write(path_, old);
  platform_.QueueMessageBoxAnswer(mb::kIdNo);
  EXPECT_FALSE(CreateSchemeFile(platform_, path_));
  EXPECT_EQ(ReadWholeFile(path_), old);
  EXPECT_THAT(platform_.Calls(), ElementsAre("MessageBox(热键配制方案“hotkey.xml”已经存在，\r"
                                             "你是否要覆盖该热键配制方案吗？||36)"));

  platform_.QueueMessageBoxAnswer(mb::kIdYes);
  EXPECT_TRUE(CreateSchemeFile(platform_, path_));
  EXPECT_EQ(ReadWholeFile(path_), kTemplate);
}

// --- Loading entries ---------------------------------------------------------

TEST_F(SchemeFileTest, EntriesFillSlotsAndItemsInFileOrder) {
  Write(path_, SchemeBytes({{"3+78", "notepad.exe", "记事本", "常用程序"},
                            {"6+65", "calc.exe", "", ""},
                            {"0+112", "http://www.example.com/", "打开网页", "网络"}}));
  EntryTable table;
  std::vector<HotkeyListItem> items;
  LoadEntries(path_, {}, table, items);

  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].caption, "Ctrl + ALT + N");
  EXPECT_EQ(items[1].caption, "Ctrl + Shift + A");
  EXPECT_EQ(items[2].caption, "F1");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(items[i].slot, i);
  EXPECT_EQ(items[2].action, "http://www.example.com/");
  EXPECT_EQ(items[2].category, "网络");
  EXPECT_EQ(table[0].modifiers, 3);
  EXPECT_EQ(table[0].virtualKey, 78);
  EXPECT_EQ(table[0].hint, "记事本");
  EXPECT_EQ(table[0].category, "常用程序");
  EXPECT_EQ(table[1].action, "calc.exe");
  EXPECT_EQ(table[2].virtualKey, 112);
  EXPECT_EQ(table[3].virtualKey, 0);
}

TEST_F(SchemeFileTest, DeletingSlotsZeroAndTwoLeavesTheMiddleEntry) {
  Write(path_, SchemeBytes({{"3+78", "a", "", ""}, {"3+67", "b", "", ""}, {"3+66", "c", "", ""}}));
  SchemeDocument document;
  document.Load(path_);
  document.RemoveEntries({0, 2});
  document.Save(path_);

  EntryTable table;
  std::vector<HotkeyListItem> items;
  ResetSlots(table);
  LoadEntries(path_, {}, table, items);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].slot, 0);
  EXPECT_EQ(table[0].action, "b");
  EXPECT_EQ(table[0].virtualKey, 67);
}

TEST_F(SchemeFileTest, RemovingAnEntryOutOfRangeRemovesNothing) {
  Write(path_, SchemeBytes({{"3+78", "a", "", ""}, {"3+67", "b", "", ""}}));
  SchemeDocument document;
  document.Load(path_);
  EXPECT_THROW(document.RemoveEntries({0, 2}), Error);
  EXPECT_THROW(document.RemoveEntry(-1), Error);
  EXPECT_EQ(document.EntryCount(), 2);
  document.RemoveEntries({1, 1});  // a duplicate removes one entry, not two
  EXPECT_EQ(document.EntryCount(), 1);
}

TEST_F(SchemeFileTest, EmptyListsHoldNoEntries) {
  const char* lists[] = {"<hotkeylist/>", "<hotkeylist></hotkeylist>",
                         "<hotkeylist>\r\n \t\r\n</hotkeylist>", "<hotkeylist>text</hotkeylist>"};
  for (const char* list : lists) {
    Write(path_, std::string("<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora><set>"
                             "<password/></set>") +
                     list + "</velmora>");
    EntryTable table;
    std::vector<HotkeyListItem> items;
    LoadEntries(path_, {}, table, items);
    EXPECT_TRUE(items.empty()) << list;
  }
}

TEST_F(SchemeFileTest, ElementsAreFoundByPositionNotName) {
  Write(path_,
        "<?xml version=\"1.0\" encoding=\"GB2312\"?><root><!-- note --><a><b>abc</b></a>"
        "<!-- note --><c><d><e>2+65</e><f>x.exe</f></d></c></root>");
  SchemeDocument document;
  document.Load(path_);
  EXPECT_EQ(document.Password(), "abc");
  ASSERT_EQ(document.EntryCount(), 1);
  // Missing hint and category elements read as empty texts.
  EXPECT_EQ(document.Entry(0), (SchemeEntry{"2+65", "x.exe", "", ""}));
  document.SetEntryText(0, EntryField::kSort, "其他");
  EXPECT_EQ(document.Entry(0), (SchemeEntry{"2+65", "x.exe", "", "其他"}));
}

TEST_F(SchemeFileTest, MoreEntriesThanSlotsAreRefusedBeforeAnySlotIsWritten) {
  std::vector<SchemeEntry> entries(150, SchemeEntry{"2+65", "x.exe", "", ""});
  Write(path_, SchemeBytes(entries));
  EntryTable table;
  for (HotkeySlot& slot : table) slot = {7, 99, "old", "old", "old"};
  std::vector<HotkeyListItem> items;
  try {
    LoadEntries(path_, {}, table, items);
    FAIL() << "loaded 150 entries";
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), HasSubstr("150"));
  }
  EXPECT_TRUE(items.empty());
  EXPECT_TRUE(std::all_of(table.begin(), table.end(), [](const HotkeySlot& slot) {
    return slot.modifiers == 7 && slot.virtualKey == 99 && slot.action == "old";
  }));

  // 101 entries still fit: the last one goes to slot 100.
  entries.resize(101);
  entries.back().action = "last.exe";
  Write(path_, SchemeBytes(entries));
  LoadEntries(path_, {}, table, items);
  EXPECT_EQ(items.size(), 101u);
  EXPECT_EQ(table[100].action, "last.exe");
}

TEST_F(SchemeFileTest, BadKeyTextStopsTheLoadAfterTheEntriesBeforeIt) {
  Write(path_, SchemeBytes({{"3+78", "a", "", ""},
                            {"3+67", "b", "", ""},
                            {"3+", "c", "", ""},
                            {"3+66", "d", "", ""}}));
  EntryTable table;
  std::vector<HotkeyListItem> items;
  EXPECT_THROW(LoadEntries(path_, {}, table, items), ConversionError);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(table[1].action, "b");
  EXPECT_EQ(table[2].modifiers, 0);  // the bad entry wrote nothing
  EXPECT_EQ(table[2].action, "");
  EXPECT_EQ(table[3].virtualKey, 0);
}

TEST_F(SchemeFileTest, ProtectedEntriesAreDecryptedBeforeConversion) {
  Write(path_, SchemeBytes({{"ENC:6+65", "ENC:calc.exe", "", "ENC:工具"}}, "0123abcd"));
  const TextDecryptor decrypt = [](const std::string& cipher) {
    if (cipher.rfind("ENC:", 0) != 0) throw Error("not a cipher text: " + cipher);
    return cipher.substr(4);
  };
  EntryTable table;
  std::vector<HotkeyListItem> items;
  LoadEntries(path_, decrypt, table, items);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].caption, "Ctrl + Shift + A");
  EXPECT_EQ(table[0].action, "calc.exe");
  EXPECT_EQ(table[0].hint, "");  // an empty text is not passed to the decryptor
  EXPECT_EQ(table[0].category, "工具");
}

// --- Saving ------------------------------------------------------------------

TEST_F(SchemeFileTest, ChineseTextsRoundTripAsGb2312) {
  ASSERT_TRUE(CreateSchemeFile(platform_, path_));
  const SchemeEntry entry{"3+80", "Tavrelin停止/开始工作", "暂停/恢复热键", "常用程序"};
  SchemeDocument document;
  document.Load(path_);
  document.AppendEntry(entry);
  document.AppendEntry({"3+83", "显示Tavrelin", "", ""});
  document.SetPassword("900150983cd24fb0d6963f7d28e17f72");
  document.Save(path_);

  const std::string bytes = ReadWholeFile(path_);
  EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n", 0), 0u);
  EXPECT_THAT(bytes, HasSubstr(Utf8ToCp936("暂停/恢复热键")));

  SchemeDocument reread;
  reread.Load(path_);
  EXPECT_EQ(reread.Password(), "900150983cd24fb0d6963f7d28e17f72");
  ASSERT_EQ(reread.EntryCount(), 2);
  EXPECT_EQ(reread.Entry(0), entry);
  EXPECT_EQ(reread.Entry(1), (SchemeEntry{"3+83", "显示Tavrelin", "", ""}));
}

TEST_F(SchemeFileTest, CharactersOutsideGb2312BecomeReferences) {
  ASSERT_TRUE(CreateSchemeFile(platform_, path_));
  const SchemeEntry entry{"2+65", "\xF0\xA0\x80\x80.exe", "a & b < c \xF0\x9F\x98\x80", "€"};
  SchemeDocument document;
  document.Load(path_);
  document.AppendEntry(entry);
  document.Save(path_);

  const std::string bytes = ReadWholeFile(path_);
  EXPECT_THAT(bytes, HasSubstr("&#x20000;.exe"));
  EXPECT_THAT(bytes, HasSubstr("&#x1F600;"));
  SchemeDocument reread;
  reread.Load(path_);
  EXPECT_EQ(reread.Entry(0), entry);
}

TEST_F(SchemeFileTest, FailedSaveLeavesTheOldFile) {
  const std::string old = SchemeBytes({{"3+78", "notepad.exe", "", ""}});
  Write(path_, old);
  SchemeDocument document;
  document.Load(path_);
  document.RemoveEntry(0);

  EXPECT_THROW(document.Save((dir_ / "missing" / "x.xml").string()), FileError);
  // A directory in the way of the temporary file makes the save fail before
  // the old file is touched (the tests run as root, so permissions would not).
  fs::create_directory(path_ + ".tmp~");
  EXPECT_THROW(document.Save(path_), FileError);
  EXPECT_EQ(ReadWholeFile(path_), old);
}

// --- Broken files ------------------------------------------------------------

TEST_F(SchemeFileTest, MalformedXmlIsReportedWithItsLine) {
  const std::string broken = Utf8ToCp936(
      "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora>\r\n\t<set>\r\n"
      "\t\t<password></pass>\r\n\t</set>\r\n</velmora>\r\n");
  Write(path_, broken);
  try {
    SchemeDocument().Load(path_);
    FAIL() << "a malformed file loaded";
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), HasSubstr("第 4 行"));
    EXPECT_THAT(error.what(), HasSubstr("hotkey.xml"));
  }
  EXPECT_EQ(ReadWholeFile(path_), broken);
  EXPECT_EQ(ReadSchemeLock(path_).protection, SchemeProtection::kDamaged);
  EXPECT_THROW(ReadSchemeDigest(path_), Error);
}

TEST_F(SchemeFileTest, UnreadableOrIncompleteSchemes) {
  EXPECT_THROW(SchemeDocument().Load(path_), FileError);  // no file yet
  EXPECT_EQ(ReadSchemeLock(path_).protection, SchemeProtection::kUnreadable);

  const char* incomplete[] = {
      "<velmora/>",
      "<velmora><set/><hotkeylist/></velmora>",                // no password element
      "<velmora><set><password>x</password></set></velmora>",  // no list
  };
  for (const char* text : incomplete) {
    Write(path_, text);
    EXPECT_THROW(SchemeDocument().Load(path_), Error) << text;
  }

  // A failed load keeps the tree loaded before.
  Write(path_, SchemeBytes({}, "abc"));
  SchemeDocument document;
  document.Load(path_);
  Write(path_, "<velmora>");
  EXPECT_THROW(document.Load(path_), Error);
  EXPECT_EQ(document.Password(), "abc");
}

// Loading from bytes and saving to bytes agree with the file on disk, so a
// caller holding the bytes (a fuzz target, a conversion) sees what the
// program sees.
TEST_F(SchemeFileTest, BytesLoadAndSaveLikeTheFile) {
  const std::string bytes = SchemeBytes(
      {{"6+65", "notepad.exe", "记事本", "程序"}, {"3+13", "calc.exe &#x1F600;", "", ""}}, "abc");
  Write(path_, bytes);
  SchemeDocument fromFile;
  fromFile.Load(path_);
  SchemeDocument fromBytes;
  fromBytes.LoadBytes(bytes, "内存.xml");
  ASSERT_EQ(fromBytes.EntryCount(), 2);
  EXPECT_EQ(fromBytes.Entry(1), fromFile.Entry(1));
  EXPECT_EQ(fromBytes.Entry(1).action, "calc.exe 😀");
  EXPECT_EQ(fromBytes.Password(), "abc");

  fromFile.Save(path_);
  EXPECT_EQ(fromBytes.ToBytes(), ReadWholeFile(path_));

  EntryTable tableFromFile, tableFromBytes;
  std::vector<HotkeyListItem> itemsFromFile, itemsFromBytes;
  LoadEntries(path_, {}, tableFromFile, itemsFromFile);
  LoadEntries(fromBytes, {}, tableFromBytes, itemsFromBytes);
  ASSERT_EQ(itemsFromBytes.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(itemsFromBytes[i].caption, itemsFromFile[i].caption);
    EXPECT_EQ(tableFromBytes[i].action, tableFromFile[i].action);
  }

  // Errors name what the caller named.
  try {
    SchemeDocument().LoadBytes("<velmora>", "内存.xml");
    FAIL() << "a malformed text loaded";
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), HasSubstr("内存.xml"));
  }
}

// A character reference to a number that is no character (past U+10FFFF, or
// half of a UTF-16 pair) makes the file malformed XML: loading it must fail,
// not give a text that no save can write.
TEST_F(SchemeFileTest, ReferencesToNoCharacterAndCharactersXmlForbidsAreMalformed) {
  const struct {
    const char* where;
    std::string bytes;
  } kRefused[] = {
      {"action", SchemeBytes({{"6+78", "a &#x1F6d00; b", "", ""}})},
      {"hint", SchemeBytes({{"6+78", "a", "&#x110000;", ""}})},
      {"category", SchemeBytes({{"6+78", "a", "", "&#xD800;"}})},
      {"low half", SchemeBytes({{"6+78", "&#56320;", "", ""}})},
      {"password", SchemeBytes({}, "&#xDFFF;")},
      {"attribute",
       "<velmora><set><password/></set><hotkeylist>"
       "<hotkeyset x=\"&#x200000;\"/></hotkeylist></velmora>"},
      {"element the program does not read",
       "<velmora><set><password/><y>&#xD834;</y></set>"
       "<hotkeylist/></velmora>"},
      // Characters XML does not allow: the parser would end the text at
      // "&#0;", and the system's reader refuses them all.
      {"reference to NUL", SchemeBytes({{"6+78", "ab&#0;cd", "", ""}})},
      {"hexadecimal reference to NUL", SchemeBytes({{"6+78", "ab&#x00;cd", "", ""}})},
      {"reference to a control character", SchemeBytes({{"6+78", "a", "&#1;", ""}})},
      {"reference to U+FFFF", SchemeBytes({{"6+78", "a", "", "&#xFFFF;"}})},
      {"raw control character", SchemeBytes({{"6+78",
                                              "a\x01"
                                              "b",
                                              "", ""}})},
      {"raw control character in a comment", SchemeBytes({{"6+78", "a<!--\x1F-->", "", ""}})},
      {"raw U+FFFE",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><velmora><set><password/></set>"
       "<hotkeylist/><!-- \xEF\xBF\xBE --></velmora>"},
  };
  for (const auto& c : kRefused) {
    SchemeDocument document;
    document.LoadBytes(SchemeBytes({{"1+65", "kept", "", ""}}), "a.xml");
    try {
      document.LoadBytes(c.bytes, "a.xml");
      ADD_FAILURE() << c.where << ": loaded";
    } catch (const Error& error) {
      EXPECT_THAT(error.what(), HasSubstr("a.xml")) << c.where;
      EXPECT_NO_THROW(Utf8ToUtf16(error.what())) << c.where;
    }
    EXPECT_EQ(document.Entry(0).action, "kept") << c.where;
  }
  // Where the position is given.
  try {
    SchemeDocument document;
    document.LoadBytes(SchemeBytes({{"6+78", "ab&#0;cd", "", ""}}), "a.xml");
    ADD_FAILURE() << "loaded";
  } catch (const Error& error) {
    EXPECT_THAT(error.what(), HasSubstr("XML 不允许的字符（第 9 行，第 14 列）"));
  }
  // In comments, CDATA sections and processing instructions a reference is
  // only text; tab, line feed and carriage return are characters.
  SchemeDocument literal;
  literal.LoadBytes(
      SchemeBytes({{"6+78", "<![CDATA[&#0;]]><!-- &#1; --><?p &#2;?>", "&#9;a&#13;", ""}}),
      "a.xml");
  EXPECT_EQ(literal.Entry(0).action, "&#0;");
  EXPECT_EQ(literal.Entry(0).hint, "a");  // white space at the ends is not part of a text
  // The last character there is, and one outside the first plane, load.
  SchemeDocument document;
  document.LoadBytes(SchemeBytes({{"6+78", "&#x10FFFF;&#x1F600;", "", ""}}), "a.xml");
  EXPECT_EQ(document.Entry(0).action, "\U0010FFFF😀");
  SchemeDocument reloaded;
  reloaded.LoadBytes(document.ToBytes(), "b.xml");
  EXPECT_EQ(reloaded.Entry(0).action, "\U0010FFFF😀");
}

TEST_F(SchemeFileTest, TextsDropCharactersXmlCannotHoldSoTheSavedFileLoads) {
  SchemeDocument document;
  document.LoadTemplate();
  document.AppendEntry({"6+78",
                        std::string("a\x01"
                                    "b\0"
                                    "c",
                                    5),
                        "d\xEF\xBF\xBF"
                        "e\tf",
                        "\x1F"
                        "g"});
  SchemeDocument reloaded;
  reloaded.LoadBytes(document.ToBytes(), "a.xml");
  EXPECT_EQ(reloaded.Entry(0).action, "abc");
  EXPECT_EQ(reloaded.Entry(0).hint, "de\tf");
  EXPECT_EQ(reloaded.Entry(0).sort, "g");
  document.SetEntryText(0, EntryField::kAction,
                        "x\x02"
                        "y");
  reloaded.LoadBytes(document.ToBytes(), "a.xml");
  EXPECT_EQ(reloaded.Entry(0).action, "xy");
}

// --- Scheme directory --------------------------------------------------------

TEST_F(SchemeFileTest, UserSchemesAreTheXmlFilesOfData) {
  EXPECT_TRUE(ListUserSchemes(ProgramDirectory()).empty());  // no Data directory

  fs::create_directories(dir_ / "Data" / "folder.xml");
  for (const char* name : {"工作.xml", "HOME.XML", ".hidden.xml", "notes.txt", "a.xml.bak"})
    Write(UserSchemePath(ProgramDirectory(), name), "x");
  EXPECT_THAT(ListUserSchemes(ProgramDirectory()),
              UnorderedElementsAre("工作.xml", "HOME.XML", ".hidden.xml"));

  EXPECT_TRUE(DeleteUserScheme(ProgramDirectory(), "工作.xml"));
  EXPECT_FALSE(DeleteUserScheme(ProgramDirectory(), "工作.xml"));
  EXPECT_THAT(ListUserSchemes(ProgramDirectory()), UnorderedElementsAre("HOME.XML", ".hidden.xml"));
  Write(path_, "keep");
  EXPECT_THROW(DeleteUserScheme(ProgramDirectory(), "../hotkey.xml"), Error);
  EXPECT_TRUE(FileExists(DefaultSchemePath(ProgramDirectory())));
}

TEST_F(SchemeFileTest, EntryLimitRefusesTheHundredthAddition) {
  EXPECT_TRUE(CanAddEntry(0));
  EXPECT_TRUE(CanAddEntry(99));
  EXPECT_FALSE(CanAddEntry(100));
  EXPECT_FALSE(CanAddEntry(101));
}

TEST_F(SchemeFileTest, ShippedDefaultSchemeLoads) {
  const std::string path = std::string(TAVRELIN_SAMPLE_DIR) + "/hotkey.xml";  // set by CMake
  EXPECT_EQ(ReadSchemeLock(path).protection, SchemeProtection::kOpen);
  EntryTable table;
  std::vector<HotkeyListItem> items;
  LoadEntries(path, {}, table, items);
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].caption, "Ctrl + ALT + N");
  EXPECT_EQ(table[0].hint, "记事本");
  EXPECT_EQ(table[3].action, "Tavrelin停止/开始工作");
}

}  // namespace
}  // namespace tav
