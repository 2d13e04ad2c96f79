#include "storage/XmlCharacters.h"

#include <gtest/gtest.h>

#include <string>

namespace tav {
namespace {

TEST(XmlCharactersTest, FindsTheFirstCharacterXmlForbids) {
  const struct {
    std::string xml;
    std::optional<size_t> found;
  } kCases[] = {
      {"<a>plain 中文 &amp; &#x4E2D; &#20013;</a>", std::nullopt},
      {"<a>&#9;&#xA;&#13;&#32;&#xD7FF;&#xE000;&#xFFFD;&#x10000;&#x10FFFF;</a>", std::nullopt},
      {"<a>&#0;</a>", 3},
      {"<a>x&#x0000;</a>", 4},
      {"<a>&#8;</a>", 3},
      {"<a>&#xB;</a>", 3},
      {"<a>&#xD800;</a>", 3},
      {"<a>&#xDFFF;</a>", 3},
      {"<a>&#xFFFE;</a>", 3},
      {"<a>&#65535;</a>", 3},
      {"<a>&#x110000;</a>", 3},
      {"<a>&#99999999999999999999999;</a>", 3},  // too large, never wraps to a character
      {"<a b=\"&#1;\"/>", 6},                    // attributes hold references too
      {std::string("<a>\x01</a>"), 3},
      {std::string("<a>\t\r\n</a>"), std::nullopt},
      {std::string("<!--\x1F-->"), 4},        // a raw control is refused anywhere
      {"<a>\xEF\xBF\xBF</a>", 3},             // U+FFFF
      {"<a>\xEF\xBF\xBD</a>", std::nullopt},  // U+FFFD
      {std::string("<a>x\0</a>", 9), 4},
      // A reference is only text in comments, CDATA sections and instructions.
      {"<!-- &#0; --><![CDATA[&#1;]]><?p &#2;?><a/>", std::nullopt},
      {"<![CDATA[&#1;]]>&#1;", 16},
      {"<!-- unclosed &#0;", std::nullopt},
      // Not references: the parser reports those itself.
      {"<a>&#;&#x;&#12a;&#12</a>", std::nullopt},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(FindCharacterXmlForbids(c.xml), c.found) << c.xml;
  }
}

TEST(XmlCharactersTest, TextsLoseOnlyTheCharactersXmlForbids) {
  EXPECT_EQ(WithoutCharactersXmlForbids(std::string("a\x01\x1F\0b", 5)), "ab");
  EXPECT_EQ(WithoutCharactersXmlForbids("\t中\r\n\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD"),
            "\t中\r\n\xEF\xBF\xBD");
  EXPECT_EQ(WithoutCharactersXmlForbids("\U0010FFFF😀"), "\U0010FFFF😀");
}

}  // namespace
}  // namespace tav
