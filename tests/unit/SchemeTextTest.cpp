// Scheme files read as other copies of the program read them: an element's
// whole text with the XML white space at its ends trimmed, the password
// digest from the settings element alone, and the encoding the file declares
// (or its byte order mark), kept when the file is saved again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "storage/SchemeFile.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// A scheme document whose entries are given as raw markup between the tags
// of their four elements.
std::string SchemeXml(const std::vector<std::array<std::string, 4>>& entries,
                      const std::string& passwordMarkup = "",
                      const std::string& encoding = "GB2312") {
  std::string xml = "<?xml version=\"1.0\" encoding=\"" + encoding +
                    "\"?>\r\n<velmora>\r\n\t<set>\r\n\t\t<password>" + passwordMarkup +
                    "</password>\r\n\t</set>\r\n\t<hotkeylist>\r\n";
  for (const auto& e : entries) {
    xml += "\t\t<hotkeyset>\r\n\t\t\t<hotkey>" + e[0] + "</hotkey>\r\n\t\t\t<action>" + e[1] +
           "</action>\r\n\t\t\t<hint>" + e[2] + "</hint>\r\n\t\t\t<sort>" + e[3] +
           "</sort>\r\n\t\t</hotkeyset>\r\n";
  }
  return xml + "\t</hotkeylist>\r\n</velmora>\r\n";
}

class SchemeTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("tavrelin-scheme-text-" + std::to_string(random()));
    fs::create_directories(dir_);
    path_ = (dir_ / "hotkey.xml").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }

  std::vector<SchemeEntry> Entries() {
    SchemeDocument document;
    document.Load(path_);
    std::vector<SchemeEntry> entries;
    for (int i = 0; i < document.EntryCount(); ++i) entries.push_back(document.Entry(i));
    return entries;
  }

  fs::path dir_;
  std::string path_;
};

// --- Texts -------------------------------------------------------------------

TEST_F(SchemeTextTest, TextsAreTrimmedOfXmlWhiteSpaceAtTheirEnds) {
  Write(Utf8ToCp936(SchemeXml({{" 6+65 ", "notepad.exe \t", "\r\n\t\t\t记事本\r\n\t\t\t", " 工具"},
                               {"\t3+78\r\n", "a  b\tc", "　全角空格　", "x\r\ny"}},
                              "\r\n\t\t\t900150983cd24fb0d6963f7d28e17f72 ")));
  const std::vector<SchemeEntry> entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (SchemeEntry{"6+65", "notepad.exe", "记事本", "工具"}));
  // Inner white space stays; U+3000 is not XML white space.
  EXPECT_EQ(entries[1], (SchemeEntry{"3+78", "a  b\tc", "　全角空格　", "x\ny"}));
  EXPECT_EQ(ReadSchemeDigest(path_), "900150983cd24fb0d6963f7d28e17f72");

  EntryTable table;
  std::vector<HotkeyListItem> items;
  LoadEntries(path_, {}, table, items);
  EXPECT_EQ(table[0].modifiers, 6);
  EXPECT_EQ(table[0].virtualKey, 65);
  EXPECT_EQ(table[0].action, "notepad.exe");
  EXPECT_EQ(table[1].virtualKey, 78);

  // xml:space="preserve" keeps every space, on the element or inherited.
  std::string xml = SchemeXml({{"6+65", " a <!---->\t", " b ", " c "}});
  xml.replace(xml.find("<action>"), 8, "<action xml:space=\"preserve\">");
  xml.replace(xml.find("<hotkeyset>"), 11, "<hotkeyset xml:space='preserve'>");
  xml.replace(xml.find("<sort>"), 6, "<sort xml:space=\"default\">");
  Write(xml);
  EXPECT_EQ(Entries()[0], (SchemeEntry{"6+65", " a \t", " b ", "c"}));
}

TEST_F(SchemeTextTest, AnElementsTextIsAllOfItsTextPieces) {
  struct Case {
    const char* markup;
    const char* text;
  };
  const Case cases[] = {
      {"notepad.exe <!-- old --> C:\\todo.txt", "notepad.exe  C:\\todo.txt"},
      {"6+<!---->65", "6+65"},
      {"calc<?note x?>.exe", "calc.exe"},
      {"<![CDATA[a<b>&c]]>.exe", "a<b>&c.exe"},
      {"run <b>this</b> now", "run this now"},
      {"&#x4E2D;&amp;&lt;<!--x-->文", "中&<文"},
      {"<!-- only a comment -->", ""},
      // A piece of white space only is one space; CDATA keeps its spaces.
      {"x<!--1-->\r\n\t<!--2-->y", "x y"},
      {" \t<![CDATA[ x ]]>\r\n", " x "},
      {"<![CDATA[a]]> <![CDATA[b]]><![CDATA[c]]><i> </i><![CDATA[d]]>", "abc d"},
  };
  for (const Case& c : cases) {
    Write(Utf8ToCp936(SchemeXml({{"6+65", c.markup, c.markup, ""}})));
    const std::vector<SchemeEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 1u) << c.markup;
    EXPECT_EQ(entries[0].action, c.text) << c.markup;
    EXPECT_EQ(entries[0].hint, c.text) << c.markup;
  }

  // A key text split by a comment is the key it reads as, not an error.
  Write(Utf8ToCp936(SchemeXml({{"6+<!---->65", "a.exe", "", ""}})));
  EntryTable table;
  std::vector<HotkeyListItem> items;
  LoadEntries(path_, {}, table, items);
  EXPECT_EQ(table[0].virtualKey, 65);
}

TEST_F(SchemeTextTest, WhatIsSavedIsWhatWasRead) {
  Write(Utf8ToCp936(SchemeXml({{"6+65", "notepad.exe <!-- old --> C:\\todo.txt", "", ""},
                               {"6+66", "b.exe", "", ""},
                               {"6+<!---->67", "<![CDATA[ c ]]>", "x<b>y</b>", ""}})));
  const std::vector<SchemeEntry> before = Entries();
  {
    SchemeDocument document;
    document.Load(path_);
    document.SetEntryText(1, EntryField::kAction, "new.exe");
    document.Save(path_);
  }
  std::vector<SchemeEntry> after = Entries();
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after[1].action, "new.exe");
  after[1].action = before[1].action;
  EXPECT_EQ(after, before);

  // Setting the text of an element of several pieces replaces all of them.
  SchemeDocument document;
  document.Load(path_);
  document.SetEntryText(0, EntryField::kAction, "one.exe");
  document.SetEntryText(2, EntryField::kHint, "");
  // Spaces at the ends are kept; U+1F600 becomes a reference in GB2312.
  document.SetEntryText(2, EntryField::kSort, " 分类\xF0\x9F\x98\x80\t");
  EXPECT_EQ(document.Entry(0).action, "one.exe");
  EXPECT_EQ(document.Entry(2).hint, "");
  document.Save(path_);
  EXPECT_EQ(Entries()[2].sort, " 分类\xF0\x9F\x98\x80\t");
}

// --- The password digest -----------------------------------------------------

TEST_F(SchemeTextTest, DigestNeedsOnlyTheSettingsElement) {
  const std::string digest = "900150983cd24fb0d6963f7d28e17f72";
  struct Case {
    std::string xml;
    SchemeProtection protection;
    std::string digest;
  };
  const std::string head = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";
  const Case cases[] = {
      {head + "<velmora><set><password/></set><hotkeylist/></velmora>", SchemeProtection::kOpen,
       ""},
      {head + "<velmora><set><password> </password></set></velmora>", SchemeProtection::kOpen, ""},
      // The list is damaged or missing: the digest still counts.
      {head + "<velmora><set><password>" + digest + "</password></set></velmora>",
       SchemeProtection::kProtected, digest},
      {head + "<velmora><set><password>" + digest + "</password></set><x>1</x></velmora>",
       SchemeProtection::kProtected, digest},
      // No password element to read: never taken as an open scheme.
      {head + "<velmora><set/><hotkeylist/></velmora>", SchemeProtection::kDamaged, ""},
      {head + "<velmora/>", SchemeProtection::kDamaged, ""},
      {head + "<velmora><set><password>" + digest + "</password>", SchemeProtection::kDamaged, ""},
      {"", SchemeProtection::kDamaged, ""},
  };
  for (const Case& c : cases) {
    Write(c.xml);
    const SchemeLock lock = ReadSchemeLock(path_);
    EXPECT_EQ(lock.protection, c.protection) << c.xml;
    EXPECT_EQ(lock.digest, c.digest) << c.xml;
    if (c.protection == SchemeProtection::kDamaged) {
      EXPECT_THROW(ReadSchemeDigest(path_), Error) << c.xml;
    } else {
      EXPECT_EQ(ReadSchemeDigest(path_), c.digest) << c.xml;
    }
  }
  fs::remove(path_);
  EXPECT_EQ(ReadSchemeLock(path_).protection, SchemeProtection::kUnreadable);
}

// --- Encodings ---------------------------------------------------------------

TEST_F(SchemeTextTest, DeclaredEncodingIsHonouredAndKeptOnSave) {
  const SchemeEntry entry{"6+65", "记事本.exe", "笔记", "工具"};
  struct Case {
    std::string prefix;  // byte order mark, if any
    std::string declared;
    std::string (*encode)(std::string_view);
  };
  const auto cp936 = [](std::string_view text) { return Utf8ToCp936(text); };
  const auto utf8 = [](std::string_view text) { return std::string(text); };
  const auto gb18030 = [](std::string_view text) { return Utf8ToGb18030(text); };
  const auto utf16 = [](std::string_view text) {  // little-endian
    std::string bytes;
    for (char16_t unit : Utf8ToUtf16(text)) bytes += {char(unit & 0xFF), char(unit >> 8)};
    return bytes;
  };
  const Case cases[] = {
      {"", "GB2312", cp936},         {"", "gbk", cp936},        {"", "GB18030", gb18030},
      {"", "UTF-8", utf8},           {kUtf8Bom, "UTF-8", utf8}, {kUtf8Bom, "utf-8", utf8},
      {"\xFF\xFE", "UTF-16", utf16},
  };
  for (const Case& c : cases) {
    const std::string label = c.declared + (c.prefix.empty() ? "" : " with BOM");
    const std::string head =
        c.prefix + c.encode("<?xml version=\"1.0\" encoding=\"" + c.declared + "\"?>");
    Write(c.prefix + c.encode(SchemeXml({{entry.hotkey, entry.action, entry.hint, entry.sort}}, "",
                                        c.declared)));
    SchemeDocument document;
    document.Load(path_);
    EXPECT_EQ(document.Entry(0), entry) << label;

    document.AppendEntry({"6+66", "新.exe", "", "分类"});
    document.Save(path_);
    const std::string saved = ReadWholeFile(path_);
    EXPECT_THAT(saved, StartsWith(head)) << label;
    EXPECT_THAT(saved, HasSubstr(c.encode("<action>新.exe</action>"))) << label;
    EXPECT_EQ(Entries().back(), (SchemeEntry{"6+66", "新.exe", "", "分类"})) << label;
  }
}

TEST_F(SchemeTextTest, ByteOrderMarkWinsOverTheDeclaration) {
  Write(kUtf8Bom + SchemeXml({{"6+65", "记事本.exe", "", ""}}, "", "GB2312"));
  EXPECT_EQ(Entries()[0].action, "记事本.exe");
  SchemeDocument document;
  document.Load(path_);
  document.Save(path_);
  const std::string saved = ReadWholeFile(path_);
  EXPECT_THAT(saved,
              StartsWith(std::string(kUtf8Bom) + "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
  EXPECT_THAT(saved, HasSubstr("记事本.exe"));
}

TEST_F(SchemeTextTest, UndeclaredFilesAndWrongBytes) {
  // No declaration: UTF-8 when the bytes are UTF-8, else code page 936.
  Write(
      "<velmora><set><password/></set><hotkeylist><hotkeyset><hotkey>6+65</hotkey>"
      "<action>记事本</action></hotkeyset></hotkeylist></velmora>");
  EXPECT_EQ(Entries()[0].action, "记事本");
  Write(
      Utf8ToCp936("<velmora><set><password/></set><hotkeylist><hotkeyset><hotkey>6+65</hotkey>"
                  "<action>记事本</action></hotkeyset></hotkeylist></velmora>"));
  EXPECT_EQ(Entries()[0].action, "记事本");

  const std::string refused[] = {
      SchemeXml({{"6+65", "\xFF\xFF", "", ""}}, "", "UTF-8"),  // not UTF-8
      SchemeXml({{"6+65", "\x81", "", ""}}, "", "GB2312"),     // a lead byte alone
      SchemeXml({{"6+65", "x", "", ""}}, "", "ISO-8859-7"),    // not one of ours
  };
  for (const std::string& bytes : refused) {
    Write(bytes);
    EXPECT_THROW(SchemeDocument().Load(path_), Error) << bytes;
    EXPECT_EQ(ReadWholeFile(path_), bytes);
  }
}

TEST_F(SchemeTextTest, ChangingOneEntryKeepsTheOthersTextsInBothEncodings) {
  const std::vector<std::array<std::string, 4>> markup = {
      {"6+65", " notepad.exe <!-- old --> C:\\todo.txt ", "提示 &amp; 说明", "常用"},
      {"3+78", "calc.exe", "", ""},
      {"3+80", "PasteLine:你好，世界　", "a&#x1F600;b", "<![CDATA[ <x> ]]>"},
  };
  for (const std::string encoding : {"GB2312", "UTF-8"}) {
    const std::string xml = SchemeXml(markup, "", encoding);
    Write(encoding == "UTF-8" ? xml : Utf8ToCp936(xml));
    const std::vector<SchemeEntry> before = Entries();
    SchemeDocument document;
    document.Load(path_);
    document.SetEntryText(1, EntryField::kHint, "改过");
    document.Save(path_);
    const std::vector<SchemeEntry> after = Entries();
    ASSERT_EQ(after.size(), 3u) << encoding;
    EXPECT_EQ(after[0], before[0]) << encoding;
    EXPECT_EQ(after[2], before[2]) << encoding;
    EXPECT_EQ(after[1].hint, "改过") << encoding;
  }
}

}  // namespace
}  // namespace tav
