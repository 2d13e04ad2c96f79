#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "base/TextEncoding.h"
#include "editor/ScriptScanner.h"

namespace tav {
namespace {

struct Token {
  std::string text;
  int kind;
  bool operator==(const Token&) const = default;
};

void PrintTo(const Token& token, std::ostream* out) {
  *out << "{\"" << token.text << "\", " << token.kind << "}";
}

constexpr int kComment = 0, kIdent = 1, kKey = 2, kNull = 3, kSpace = 4, kString = 5, kOther = 7;

// The tokens of one line, the closing end-of-line token included.
std::vector<Token> Scan(ScriptHighlighter& scanner, const std::string& line) {
  std::vector<Token> tokens;
  scanner.SetLine(line.c_str(), 0);
  for (;;) {
    tokens.push_back({std::string(scanner.GetToken()), static_cast<int>(scanner.GetTokenKind())});
    if (scanner.GetEol()) break;
    scanner.Next();
  }
  return tokens;
}

std::vector<Token> ScanFresh(const std::string& line) {
  ScriptHighlighter scanner;
  return Scan(scanner, line);
}

struct LineCase {
  const char* line;
  std::vector<Token> tokens;
};

TEST(ScriptScanner, TokenStreamsOfSingleLines) {
  const std::vector<LineCase> cases = {
      {"", {{"", kNull}}},
      {"$$/打开文件", {{"$$/打开文件", kComment}, {"", kNull}}},
      {"PasteLine:abc $$/note",
       {{"PasteLine", kIdent},
        {":", kOther},
        {"abc", kIdent},
        {" ", kSpace},
        {"$$/note", kComment},
        {"", kNull}}},
      {"$$/a$$/Hello", {{"$$/a$$/", kComment}, {"Hello", kKey}, {"", kNull}}},
      {"$$/$$/x", {{"$$/$$/", kComment}, {"x", kIdent}, {"", kNull}}},
      {"$$$/", {{"$", kIdent}, {"$$/", kComment}, {"", kNull}}},
      {"$x", {{"$", kIdent}, {"x", kIdent}, {"", kNull}}},
      {"$", {{"$", kIdent}, {"", kNull}}},
      {"Delay_ms~:200",
       {{"Delay_ms", kIdent},
        {"~", kOther},
        {":", kOther},
        {"2", kOther},
        {"0", kOther},
        {"0", kOther},
        {"", kNull}}},
      {"\"abc\"d", {{"\"abc\"", kString}, {"d", kIdent}, {"", kNull}}},
      {"\"open $$/x", {{"\"open $$/x", kString}, {"", kNull}}},
      {"@x", {{"@", kIdent}, {"x", kIdent}, {"", kNull}}},
      {"@$%c@$%d", {{"@$%c@$%", kComment}, {"d", kIdent}, {"", kNull}}},
      {"@$%@$%", {{"@$%@$%", kComment}, {"", kNull}}},
      {" \t\x01 a", {{" \t\x01 ", kSpace}, {"a", kIdent}, {"", kNull}}},
      {"a\r\nb", {{"a", kIdent}, {"\r\n", kSpace}, {"b", kIdent}, {"", kNull}}},
      {"\n\r", {{"\n", kSpace}, {"\r", kSpace}, {"", kNull}}},
      // Digits are no identifier characters.
      {"a1b", {{"a", kIdent}, {"1", kOther}, {"b", kIdent}, {"", kNull}}},
  };
  for (const LineCase& c : cases) {
    EXPECT_EQ(ScanFresh(c.line), c.tokens) << "line: " << c.line;
  }
}

TEST(ScriptScanner, ReservedWordsIgnoreCaseButNotLength) {
  const std::vector<std::pair<const char*, int>> cases = {
      {"Hello", kKey},
      {"hello", kKey},
      {"HELLO", kKey},
      {"wOrLd", kKey},
      {"World", kKey},
      {"Hello_", kIdent},
      {"Hell", kIdent},
      {"Helo", kIdent},
      // Same hash sum as "Hello" (52) but other letters.
      {"olleH", kIdent},
      {"ZZ", kIdent},
      // A long identifier whose sum runs far past the table.
      {"Key_Press", kIdent},
  };
  for (const auto& [word, kind] : cases) {
    const std::vector<Token> tokens = ScanFresh(word);
    ASSERT_EQ(tokens.size(), 2u) << word;
    EXPECT_EQ(tokens[0], (Token{word, kind}));
  }
}

TEST(ScriptScanner, ChineseOutsideCommentsIsOneTokenPerCharacter) {
  const std::string line = Utf8ToCp936("按键A\"串\"");
  const std::vector<Token> tokens = ScanFresh(line);
  const std::vector<Token> expected = {{Utf8ToCp936("按"), kOther},
                                       {Utf8ToCp936("键"), kOther},
                                       {"A", kIdent},
                                       {Utf8ToCp936("\"串\""), kString},
                                       {"", kNull}};
  EXPECT_EQ(tokens, expected);
  // A trail byte that is a letter ("@" in 丶 is 0x40) belongs to its character.
  const std::string trailAt = "\x81\x40$";
  EXPECT_EQ(ScanFresh(trailAt),
            (std::vector<Token>{{"\x81\x40", kOther}, {"$", kIdent}, {"", kNull}}));
  // A lead byte at the very end does not swallow the terminating zero.
  EXPECT_EQ(ScanFresh("a\xB0"), (std::vector<Token>{{"a", kIdent}, {"\xB0", kOther}, {"", kNull}}));
}

TEST(ScriptScanner, AtCommentRunsAcrossLines) {
  ScriptHighlighter scanner;
  EXPECT_EQ(Scan(scanner, "@$% start"), (std::vector<Token>{{"@$% start", kComment}, {"", kNull}}));
  EXPECT_EQ(scanner.GetRange(), ScanRange::kAtComment);
  EXPECT_EQ(Scan(scanner, ""), (std::vector<Token>{{"", kNull}}));
  EXPECT_EQ(scanner.GetRange(), ScanRange::kAtComment);
  EXPECT_EQ(Scan(scanner, "\"quoted\" Hello\r\n"),
            (std::vector<Token>{{"\"quoted\" Hello", kComment}, {"\r\n", kSpace}, {"", kNull}}));
  EXPECT_EQ(
      Scan(scanner, "end @$% Hello"),
      (std::vector<Token>{{"end @$%", kComment}, {" ", kSpace}, {"Hello", kKey}, {"", kNull}}));
  EXPECT_EQ(scanner.GetRange(), ScanRange::kUnknown);
}

TEST(ScriptScanner, LineCommentsAndStringsEndWithTheirLine) {
  ScriptHighlighter scanner;
  Scan(scanner, "$$/打开文件");
  EXPECT_EQ(scanner.GetRange(), ScanRange::kUnknown);
  EXPECT_EQ(Scan(scanner, "Hello"), (std::vector<Token>{{"Hello", kKey}, {"", kNull}}));
  Scan(scanner, "\"no partner");
  EXPECT_EQ(Scan(scanner, "x\""),
            (std::vector<Token>{{"x", kIdent}, {"\"", kString}, {"", kNull}}));
  // A range handed in for a line comment or string does not carry over.
  scanner.SetRange(ScanRange::kString);
  EXPECT_EQ(Scan(scanner, "a"), (std::vector<Token>{{"a", kIdent}, {"", kNull}}));
  scanner.SetRange(ScanRange::kAtComment);
  scanner.ResetRange();
  EXPECT_EQ(Scan(scanner, "a"), (std::vector<Token>{{"a", kIdent}, {"", kNull}}));
}

TEST(ScriptScanner, AttributesAndFixedValues) {
  ScriptHighlighter scanner;
  EXPECT_EQ(scanner.CommentAttri.Name(), "Comment");
  EXPECT_EQ(scanner.CommentAttri.Style(), kFontItalic);
  EXPECT_EQ(scanner.CommentAttri.Foreground(), MakeRgb(0, 0, 128));
  EXPECT_EQ(scanner.KeyAttri.Name(), "Reserved Word");
  EXPECT_EQ(scanner.KeyAttri.Style(), kFontBold);
  EXPECT_EQ(scanner.StringAttri.Foreground(), MakeRgb(255, 0, 0));
  EXPECT_FALSE(scanner.StringAttri.Background());
  EXPECT_EQ(scanner.TestAttri.Style(), kFontItalic | kFontUnderline);
  EXPECT_EQ(scanner.TestAttri.Background(), MakeRgb(192, 192, 192));

  const std::vector<std::pair<int, const HighlighterAttribute*>> roles = {
      {0, &scanner.CommentAttri},
      {1, &scanner.IdentifierAttri},
      {2, &scanner.KeyAttri},
      {3, &scanner.StringAttri},
      {4, &scanner.SpaceAttri},
      {5, nullptr},
      {-1, nullptr}};
  for (const auto& [role, attribute] : roles) {
    EXPECT_EQ(scanner.GetDefaultAttribute(role), attribute) << role;
  }

  scanner.SetLine("1", 0);
  EXPECT_EQ(scanner.GetTokenAttribute(), &scanner.IdentifierAttri);
  scanner.Next();
  EXPECT_EQ(scanner.GetTokenAttribute(), nullptr);

  int notified = 0;
  scanner.OnAttributeChange([&] { ++notified; });
  scanner.TestAttri.SetForeground(MakeRgb(1, 2, 3));
  scanner.TestAttri.SetForeground(MakeRgb(1, 2, 3));
  scanner.KeyAttri.SetStyle(kFontRegular);
  EXPECT_EQ(notified, 2);
}

// Random lines of the characters that matter: every byte of the line lies
// in exactly one token, tokens follow each other without gaps, only the
// last one is the end-of-line token, and the scanner never reads past the
// terminating zero (AddressSanitizer watches the exact-size buffers).
TEST(ScriptScanner, RandomLinesAreCoveredByTokensWithoutGaps) {
  const std::string alphabet = "$$$@@%%/\"\"aHeloWrd_ 1:~\r\n\t\x81\x40\xB0\xA1\xFE";
  std::mt19937 random(20261208);
  ScriptHighlighter scanner;
  for (int round = 0; round < 20000; ++round) {
    const std::size_t length = random() % 24;
    std::vector<char> line(length + 1, 0);
    for (std::size_t i = 0; i < length; ++i) line[i] = alphabet[random() % alphabet.size()];
    const std::size_t textLength = std::string_view(line.data()).size();
    if (random() % 4 == 0) scanner.SetRange(ScanRange::kAtComment);
    scanner.SetLine(line.data(), round);
    std::size_t covered = 0;
    while (!scanner.GetEol()) {
      ASSERT_EQ(scanner.GetTokenPos(), covered);
      ASSERT_FALSE(scanner.GetToken().empty());
      covered += scanner.GetToken().size();
      ASSERT_LE(covered, textLength);
      scanner.Next();
    }
    EXPECT_EQ(scanner.GetTokenPos(), textLength);
    EXPECT_TRUE(scanner.GetToken().empty());
    EXPECT_TRUE(scanner.GetRange() == ScanRange::kUnknown ||
                scanner.GetRange() == ScanRange::kAtComment);
  }
}

}  // namespace
}  // namespace tav
