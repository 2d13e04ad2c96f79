#include "base/TextEncoding.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "base/Errors.h"

namespace tav {

// Implemented per build: the system's converter on Windows, iconv elsewhere.
// `codePage` is 936 or 54936 (GB18030).
std::optional<std::string> EncodeCodePoint(unsigned codePage, char32_t codePoint);
std::optional<std::u16string> DecodeToUtf16(unsigned codePage, std::string_view bytes);
std::u16string DecodeCp936ToUtf16Lenient(std::string_view bytes);

namespace {
constexpr unsigned kCp936 = 936;
constexpr unsigned kGb18030 = 54936;
}  // namespace

namespace {

std::vector<char32_t> DecodeUtf8(std::string_view utf8) {
  std::vector<char32_t> out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<uint8_t>(utf8[i]);
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, cp = lead & 0x07;
    } else {
      throw EncodingError("Invalid UTF-8 text");
    }
    if (i + extra >= utf8.size()) throw EncodingError("Invalid UTF-8 text");
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) throw EncodingError("Invalid UTF-8 text");
      cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      throw EncodingError("Invalid UTF-8 text");
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string XmlReference(char32_t cp) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "&#x%X;", static_cast<unsigned>(cp));
  return buffer;
}

}  // namespace

namespace {

std::string MultiByteToUtf8(unsigned codePage, std::string_view bytes) {
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<uint8_t>(c) < 0x80;
  if (ascii) return std::string(bytes);
  const std::optional<std::u16string> utf16 = DecodeToUtf16(codePage, bytes);
  if (!utf16) {
    throw EncodingError(codePage == kCp936 ? "The text is not valid GB2312 (code page 936)"
                                           : "The text is not valid GB18030");
  }
  return Utf16ToUtf8(*utf16);
}

std::string Utf8ToMultiByte(unsigned codePage, std::string_view utf8, Unencodable handling) {
  std::string out;
  out.reserve(utf8.size());
  for (char32_t cp : DecodeUtf8(utf8)) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    if (std::optional<std::string> encoded = EncodeCodePoint(codePage, cp)) {
      out += *encoded;
    } else if (handling == Unencodable::kXmlReference) {
      out += XmlReference(cp);
    } else {
      std::string character;
      AppendUtf8(character, cp);
      throw EncodingError("The character '" + character + "' (U+" + XmlReference(cp).substr(3) +
                          ") cannot be stored as " + (codePage == kCp936 ? "GB2312" : "GB18030") +
                          " text");
    }
  }
  return out;
}

}  // namespace

std::string Cp936ToUtf8(std::string_view bytes) {
  return MultiByteToUtf8(kCp936, bytes);
}

std::string Utf8ToCp936(std::string_view utf8, Unencodable handling) {
  return Utf8ToMultiByte(kCp936, utf8, handling);
}

std::string Gb18030ToUtf8(std::string_view bytes) {
  return MultiByteToUtf8(kGb18030, bytes);
}

std::string Utf8ToGb18030(std::string_view utf8) {
  return Utf8ToMultiByte(kGb18030, utf8, Unencodable::kFail);
}

bool IsUtf8(std::string_view bytes) {
  try {
    DecodeUtf8(bytes);
    return true;
  } catch (const EncodingError&) {
    return false;
  }
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (char32_t cp : DecodeUtf8(utf8)) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 3);
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::string Cp936ToUtf8Lenient(std::string_view bytes) {
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<uint8_t>(c) < 0x80;
  if (ascii) return std::string(bytes);
  return Utf16ToUtf8(DecodeCp936ToUtf16Lenient(bytes));
}

std::string SanitizeUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::string_view sequence = bytes.substr(i, length);
    bool valid = lead < 0x80;
    if (!valid) {
      try {
        valid = DecodeUtf8(sequence).size() == 1;
      } catch (const EncodingError&) {
      }
    }
    if (valid) {
      out += sequence;
      i += length;
    } else {
      AppendUtf8(out, 0xFFFD);
      ++i;
    }
  }
  return out;
}


}  // namespace tav
