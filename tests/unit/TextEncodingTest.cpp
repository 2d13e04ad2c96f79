#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/IntegerText.h"
#include "base/TextEncoding.h"

namespace tav {
namespace {

TEST(TextEncoding, ChineseRoundTripsThroughCodePage936) {
  const std::string text = "默认设置 Tavrelin停止/开始工作";
  const std::string bytes = Utf8ToCp936(text);
  // 默 is C4 AC in GB2312.
  EXPECT_EQ(bytes.substr(0, 2), "\xC4\xAC");
  EXPECT_EQ(Cp936ToUtf8(bytes), text);
}

TEST(TextEncoding, AsciiPassesUnchanged) {
  EXPECT_EQ(Utf8ToCp936("6+65 notepad.exe"), "6+65 notepad.exe");
  EXPECT_EQ(Cp936ToUtf8("6+65"), "6+65");
}

TEST(TextEncoding, CharactersOutsideCodePage936) {
  const std::string text =
      "a\xF0\x9F\x98\x80"
      "b";  // a, U+1F600, b
  EXPECT_THROW(Utf8ToCp936(text), EncodingError);
  EXPECT_EQ(Utf8ToCp936(text, Unencodable::kXmlReference), "a&#x1F600;b");
}

TEST(TextEncoding, InvalidInputIsRefused) {
  EXPECT_THROW(Utf8ToCp936("\xC3"), EncodingError);      // cut short
  EXPECT_THROW(Utf8ToCp936("\xC0\xAF"), EncodingError);  // overlong
  EXPECT_THROW(Cp936ToUtf8("\x81"), EncodingError);      // lead byte alone
}

TEST(TextEncoding, Gb18030HoldsEveryCharacter) {
  // 中 as in GB2312, the euro sign at its GB18030 place (code page 936 has
  // it at 80), and U+1F600 as four bytes.
  const std::string text = "中€\xF0\x9F\x98\x80";
  const std::string bytes = Utf8ToGb18030(text);
  EXPECT_EQ(bytes, "\xD6\xD0\xA2\xE3\x94\x39\xFC\x36");
  EXPECT_EQ(Gb18030ToUtf8(bytes), text);
  EXPECT_THROW(Gb18030ToUtf8("\x94\x39"), EncodingError);  // cut short
  EXPECT_TRUE(IsUtf8(text));
  EXPECT_FALSE(IsUtf8(bytes));
}

TEST(TextEncoding, Utf16RoundTrip) {
  const std::string text = "热键\xF0\x9F\x98\x80";
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide.size(), 4u);  // two characters and a surrogate pair
  EXPECT_EQ(Utf16ToUtf8(wide), text);
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(StrToInt, AcceptsDecimalAndHexadecimalForms) {
  EXPECT_EQ(StrToInt("200"), 200);
  EXPECT_EQ(StrToInt(" 200"), 200);
  EXPECT_EQ(StrToInt("-5"), -5);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("x1f"), 31);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
}

TEST(StrToInt, RefusesWithTheConversionMessage) {
  for (const char* bad :
       {"", " ", "+", "0x", "$", "12a", "200 ", "2147483648", "$100000000", "1.5"}) {
    try {
      StrToInt(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const ConversionError& error) {
      EXPECT_EQ(error.what(), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace tav
