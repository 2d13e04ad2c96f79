// The characters XML allows in a document: the system's XML reader refuses a
// file that holds any other, raw or as a character reference.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tav {

// Whether XML allows the code point: tab, line feed, carriage return,
// U+0020 to U+D7FF, U+E000 to U+FFFD and U+10000 to U+10FFFF.
bool IsXmlCharacter(unsigned long codePoint);

// The byte offset of the first character of the UTF-8 markup that XML does
// not allow, written raw anywhere or as a character reference ("&#0;",
// "&#xFFFE;") outside comments, CDATA sections and processing instructions,
// where a reference is only text. Nothing when every character is allowed.
std::optional<size_t> FindCharacterXmlForbids(std::string_view xml);

// The UTF-8 text without the raw characters XML does not allow, so that it
// can be stored in a document every reader takes.
std::string WithoutCharactersXmlForbids(std::string_view text);

}  // namespace tav
