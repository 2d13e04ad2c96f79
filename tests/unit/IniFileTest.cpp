// The profile-file module: how files read, what writes leave behind, and the
// names a writer must refuse because they would not read back.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "storage/IniFile.h"

namespace tav {
namespace {

using Strings = std::vector<std::string>;
using namespace std::string_literals;

IniDocument FromText(const std::string& utf8) {
  return IniDocument::Parse(Utf8ToCp936(utf8));
}

TEST(IniDocumentTest, ReadingFollowsTheSystemRules) {
  const struct {
    const char* name;
    std::string file;
    Strings sections;
    std::string section;
    Strings keys;
    std::string key;
    std::optional<std::string> value;
  } kCases[] = {
      {"key without = neither listed nor read",
       "[a]\r\nk\r\nj=1\r\n",
       {"a"},
       "a",
       {"j"},
       "k",
       std::nullopt},
      {"unclosed header is a key line of the section above",
       "[a]\r\n[b\r\nk=1\r\n",
       {"a"},
       "a",
       {"k"},
       "k",
       "1"},
      {"duplicate keys listed each time, first value wins",
       "[a]\r\nk=1\r\nK=2\r\nk=3\r\n",
       {"a"},
       "a",
       {"k", "K", "k"},
       "k",
       "1"},
      {"lone CR ends a line", "[a]\rk=1\r[b]\rm=2\r", {"a", "b"}, "b", {"m"}, "m", "2"},
      {"mixed line ends", "[a]\n\rk=1\r\n\n[b]\rm=2", {"a", "b"}, "a", {"k"}, "k", "1"},
      {"text after the last ] of a header ignored",
       "[x]=y\r\nk=1\r\n",
       {"x"},
       "x",
       {"k"},
       "k",
       "1"},
      {"header name up to the last ]", "[a]b] c\r\nk=1\r\n", {"a]b"}, "a]b", {"k"}, "k", "1"},
      {"NUL ends the text of its line",
       "[a]\r\nk=1\0junk\r\nm\0=2\r\n"s,
       {"a"},
       "a",
       {"k"},
       "k",
       "1"},
      {"a header's ] is found past a NUL, its name ends at the NUL",
       "[a]\r\nk=1\r\n[b\0c]\r\nm=2\r\n"s,
       {"a", "b"},
       "b",
       {"m"},
       "m",
       "2"},
      {"Ctrl-Z is white space", "\x1A[a]\x1A\r\nk\x1A=\x1A 1\x1A\r\n", {"a"}, "a", {"k"}, "k", "1"},
      {"comment key found but not listed", "[a]\r\n;c=1\r\nk=2\r\n", {"a"}, "a", {"k"}, ";c", "1"},
      {"keys before the first header belong to no section",
       "k=0\r\n[]\r\nk=1\r\n",
       {},
       "",
       {"k"},
       "k",
       "1"},
      {"quotes around a value dropped, mismatched kept",
       "[a]\r\nk='v'\r\nm=\"v'\r\n",
       {"a"},
       "a",
       {"k", "m"},
       "m",
       "\"v'"},
      {"only ASCII letters compare without case",
       "[ΑΒ]\r\nＫ=1\r\n[Ab]\r\nK=2\r\n",
       {"ΑΒ", "Ab"},
       "αβ",
       {},
       "ｋ",
       std::nullopt},
      {"ASCII case ignored",
       "[ΑΒ]\r\nＫ=1\r\n[Ab]\r\nK=2\r\n",
       {"ΑΒ", "Ab"},
       "aB",
       {"K"},
       "k",
       "2"},
      {"first of two sections",
       "[a]\r\nk=1\r\n[A]\r\nk=2\r\nm=3\r\n",
       {"a", "A"},
       "A",
       {"k"},
       "m",
       std::nullopt},
  };
  for (const auto& c : kCases) {
    const IniDocument document = FromText(c.file);
    EXPECT_EQ(document.SectionNames(), c.sections) << c.name;
    EXPECT_EQ(document.KeyNames(c.section), c.keys) << c.name;
    EXPECT_EQ(document.Find(c.section, c.key), c.value) << c.name;
  }
}

TEST(IniDocumentTest, LinesThatAreNotValidTextStillCount) {
  // A stray byte in the password line or in a header must not hide them.
  const std::string file = Utf8ToCp936("[System]\r\n密码=abc") + "\x81\r\n[Sort\xFF]\r\nk=0\r\n";
  IniDocument document = IniDocument::Parse(file);
  ASSERT_EQ(document.SectionNames().size(), 2u);
  EXPECT_EQ(document.KeyNames("System"), Strings{"密码"});
  EXPECT_TRUE(document.Find("System", "密码")->starts_with("abc"));

  // Writing the password replaces that line instead of adding a second one,
  // and the other bad line keeps its bytes.
  document.WriteString("System", "密码", "new");
  EXPECT_EQ(document.ToBytes(), Utf8ToCp936("[System]\r\n密码=new\r\n") + "[Sort\xFF]\r\nk=0\r\n");
}

TEST(IniDocumentTest, WritesKeepEveryOtherByte) {
  IniDocument document = IniDocument::Parse("junk\0 before\r[a]\nk = 1\r\n\r\n[b]"s);
  document.WriteString("a", "K", "2");
  document.WriteString("a", "new", "3");
  document.WriteString("c", "x", "");
  EXPECT_EQ(document.ToBytes(), "junk\0 before\r[a]\nk=2\r\nnew=3\r\n\r\n[b]\r\n[c]\r\nx=\r\n"s);
}

TEST(IniDocumentTest, ErasingASectionTakesTheFirstOnly) {
  IniDocument document = FromText("[s]\r\na=1\r\n[t]\r\n[S]\r\nb=2\r\n");
  document.EraseSection("S");
  EXPECT_EQ(document.ToBytes(), "[t]\r\n[S]\r\nb=2\r\n");
  EXPECT_EQ(document.Find("s", "b"), "2");
}

TEST(IniDocumentTest, WriterRefusesKeysThatWouldReadBackDifferently) {
  const struct {
    const char* key;
    const char* value;
  } kRefused[] = {
      {"a=b", "0"},     // would read as key "a"
      {";note", "0"},   // would read as a comment
      {"[常用]", "0"},  // would read as a header
      {"[a", "x]"},     // the value's "]" closes a header
      {"two\nlines", "0"}, {"k", "two\r\nlines"}, {"", "0"},
  };
  for (const auto& c : kRefused) {
    IniDocument document = FromText("[Sort]\r\n工作=0\r\n");
    const std::string before = document.ToBytes();
    EXPECT_THROW(document.WriteString("Sort", c.key, c.value), Error) << c.key;
    EXPECT_EQ(document.ToBytes(), before) << c.key;
    EXPECT_THROW(CheckIniKeyName(c.key, c.value), Error) << c.key;
  }
  for (const char* key : {"工作", "a;b", "a[b]", "[a", "x y", "常用]"}) {
    IniDocument document;
    document.WriteString("Sort", key, "0");
    EXPECT_EQ(document.KeyNames("Sort"), Strings{key}) << key;
    EXPECT_EQ(document.Find("Sort", key), "0") << key;
  }
}

TEST(IniDocumentTest, TextThatCodePage936LacksIsRefused) {
  IniDocument document = FromText("[a]\r\nk=1\r\n");
  EXPECT_THROW(document.WriteString("a", "k", "😀"), EncodingError);
  EXPECT_EQ(document.Find("a", "k"), "1");
}

TEST(IniDocumentTest, ValuesReadBackExactlyAsWritten) {
  // Blanks at either end and a pair of quotes around the value would be
  // dropped by the reader, so such values are written inside quotes.
  const struct {
    const char* value;
    const char* line;
  } kCases[] = {
      {"plain", "k=plain"},     {"a b", "k=a b"},       {"", "k="},
      {" x ", "k=\" x \""},     {"x ", "k=\"x \""},     {"\tx", "k=\"\tx\""},
      {"\x1Ax", "k=\"\x1Ax\""}, {"   ", "k=\"   \""},   {"\"q\"", "k=\"\"q\"\""},
      {"'q'", "k=\"'q'\""},     {"\"\"", "k=\"\"\"\""}, {"\"q'", "k=\"q'"},
      {"\"", "k=\""},           {"q\"", "k=q\""},       {"a\"b\"", "k=a\"b\""},
  };
  for (const auto& c : kCases) {
    IniDocument document = FromText("[a]\r\nk=old\r\n");
    document.WriteString("a", "k", c.value);
    EXPECT_EQ(document.ToBytes(), "[a]\r\n"s + c.line + "\r\n") << c.value;
    EXPECT_EQ(IniDocument::Parse(document.ToBytes()).Find("a", "k"), c.value) << c.value;
    // A new key and a new section are written the same way.
    IniDocument fresh;
    fresh.WriteString("b", "n", c.value);
    EXPECT_EQ(IniDocument::Parse(fresh.ToBytes()).Find("b", "n"), c.value) << c.value;
  }
  // What a file holds in quotes writes back as it reads.
  IniDocument quoted = FromText("[m]\r\nk=\" x \"\r\n");
  quoted.WriteString("m", "k", *quoted.Find("m", "k"));
  EXPECT_EQ(IniDocument::Parse(quoted.ToBytes()).Find("m", "k"), " x ");
}

TEST(IniDocumentTest, BytesThatAreNotTextNeverStopAWriteBack) {
  // A byte 0xFF is not code page 936: they read as U+FFFD, which the
  // code page cannot hold, so such lines keep the bytes they have.
  const std::string file = "[e]\r\n\xFF=1\r\nk=a\xFF\r\n bare\xFF \r\n"s;
  IniDocument document = IniDocument::Parse(file);
  const std::string badName = "\xEF\xBF\xBD";
  ASSERT_EQ(document.KeyNames("e"), (Strings{badName, "k"}));

  // Writing back what was read changes nothing.
  for (const std::string& key : document.KeyNames("e"))
    document.WriteString("e", key, *document.Find("e", key));
  EXPECT_EQ(document.ToBytes(), file);

  // A new value keeps the name's bytes; so does a value given to a line
  // without "=".
  document.WriteString("e", badName, "2");
  document.WriteString("e", "bare" + badName, "3");
  EXPECT_EQ(document.ToBytes(), "[e]\r\n\xFF=2\r\nk=a\xFF\r\nbare\xFF=3\r\n"s);
  EXPECT_EQ(document.Find("e", badName), "2");
  EXPECT_EQ(document.Find("e", "bare" + badName), "3");

  // A new text the code page cannot hold is still refused.
  EXPECT_THROW(document.WriteString("e", "k", "x" + badName), EncodingError);
}

TEST(IniDocumentTest, ReplacingASectionReplacesEveryOccurrence) {
  // The reader reads the first of two sections of one name; a replaced
  // section must not let the second one come to light.
  const struct {
    const char* name;
    std::string file;
    std::vector<std::pair<std::string, std::string>> entries;
    std::string expected;
  } kCases[] = {
      {"twice",
       "[Sort]\r\na=0\r\n[x]\r\ny=1\r\n[sort]\r\nb=0\r\n",
       {{"a", "0"}, {"c", "0"}},
       "[x]\r\ny=1\r\n[Sort]\r\na=0\r\nc=0\r\n"},
      {"emptied", "[Sort]\r\na=0\r\n[SORT]\r\nb=0\r\n[x]\r\n", {}, "[x]\r\n"},
      {"missing", "[x]\r\ny=1", {{"k", " v "}}, "[x]\r\ny=1\r\n[Sort]\r\nk=\" v \"\r\n"},
      {"repeated keys end as one", "", {{"a", "1"}, {"A", "2"}}, "[Sort]\r\na=2\r\n"},
      {"bad bytes in a kept name",
       "[Sort]\r\n\xFF=0\r\n[Sort]\r\n\xFE=0\r\n",
       {{"\xEF\xBF\xBD", "0"}},
       "[Sort]\r\n\xFF=0\r\n"},
  };
  for (const auto& c : kCases) {
    IniDocument document = IniDocument::Parse(c.file);
    document.ReplaceSection("Sort", c.entries);
    EXPECT_EQ(document.ToBytes(), c.expected) << c.name;
  }
  // A refused entry leaves the document as it was.
  IniDocument document = FromText("[Sort]\r\na=0\r\n[Sort]\r\nb=0\r\n");
  const std::string before = document.ToBytes();
  EXPECT_THROW(document.ReplaceSection("Sort", {{"c", "0"}, {"a=b", "0"}}), Error);
  EXPECT_THROW(document.ReplaceSection("Sort", {{"😀", "0"}}), EncodingError);
  EXPECT_EQ(document.ToBytes(), before);
}

}  // namespace
}  // namespace tav
