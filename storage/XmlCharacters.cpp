#include "storage/XmlCharacters.h"

namespace tav {

namespace {

// The code point of the character reference at `at` ("&#" digits ";" or
// "&#x" hex digits ";"), or nothing when there is none there. A number too
// large for any character counts as past U+10FFFF.
std::optional<unsigned long> ReferenceAt(std::string_view xml, size_t at) {
  if (xml.compare(at, 2, "&#") != 0) return std::nullopt;
  size_t i = at + 2;
  const bool hex = i < xml.size() && xml[i] == 'x';
  if (hex) ++i;
  const size_t digitsBegin = i;
  unsigned long value = 0;
  for (; i < xml.size() && xml[i] != ';'; ++i) {
    const char c = xml[i];
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0x10FFFF) value = 0x110000;  // stays too large, never wraps
  }
  if (i == digitsBegin || i == xml.size()) return std::nullopt;
  return value;
}

// Where the piece that starts at `at` ends when its contents are only text
// ("<!--" comment, "<![CDATA[" section, "<?" instruction), else `at`.
size_t SkipLiteralPiece(std::string_view xml, size_t at) {
  struct Piece {
    std::string_view open, close;
  };
  for (const Piece piece : {Piece{"<!--", "-->"}, Piece{"<![CDATA[", "]]>"}, Piece{"<?", "?>"}}) {
    if (xml.compare(at, piece.open.size(), piece.open) == 0) {
      const size_t close = xml.find(piece.close, at + piece.open.size());
      return close == std::string_view::npos ? xml.size() : close + piece.close.size();
    }
  }
  return at;
}

// Raw characters XML does not allow: C0 controls other than tab, line feed
// and carriage return, and U+FFFE and U+FFFF (EF BF BE, EF BF BF).
bool IsForbiddenRawAt(std::string_view xml, size_t at) {
  const auto byte = static_cast<unsigned char>(xml[at]);
  if (byte < 0x20) return byte != '\t' && byte != '\n' && byte != '\r';
  return byte == 0xEF && xml.compare(at, 2, "\xEF\xBF") == 0 && at + 2 < xml.size() &&
         (xml[at + 2] == '\xBE' || xml[at + 2] == '\xBF');
}

}  // namespace

bool IsXmlCharacter(unsigned long codePoint) {
  return codePoint == 0x9 || codePoint == 0xA || codePoint == 0xD ||
         (codePoint >= 0x20 && codePoint <= 0xD7FF) ||
         (codePoint >= 0xE000 && codePoint <= 0xFFFD) ||
         (codePoint >= 0x10000 && codePoint <= 0x10FFFF);
}

std::optional<size_t> FindCharacterXmlForbids(std::string_view xml) {
  // Raw characters first: they are not allowed anywhere.
  for (size_t i = 0; i < xml.size(); ++i) {
    if (IsForbiddenRawAt(xml, i)) return i;
  }
  for (size_t i = 0; i < xml.size();) {
    if (xml[i] == '<') {
      const size_t after = SkipLiteralPiece(xml, i);
      i = after > i ? after : i + 1;
      continue;
    }
    if (xml[i] == '&') {
      const std::optional<unsigned long> reference = ReferenceAt(xml, i);
      if (reference && !IsXmlCharacter(*reference)) return i;
    }
    ++i;
  }
  return std::nullopt;
}

std::string WithoutCharactersXmlForbids(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsForbiddenRawAt(text, i)) {
      kept += text[i];
    } else if (static_cast<unsigned char>(text[i]) == 0xEF) {
      i += 2;  // the rest of U+FFFE or U+FFFF
    }
  }
  return kept;
}

}  // namespace tav
