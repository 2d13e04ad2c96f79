// The text conversions both ways. Bytes read as code page 936 convert to
// UTF-8 that converts back to the same bytes; UTF-8 that code page 936 can
// hold converts there and back unchanged, and with character references
// any UTF-8 converts; UTF-8 and UTF-16 convert into each other unchanged.
#include <string>

#include "FuzzSupport.h"

namespace {

using tav::fuzz::Check;

// Replaces every "&#xHEX;" by its character.
std::string ResolveReferences(std::string_view text) {
  std::string out;
  while (!text.empty()) {
    const size_t start = text.find("&#x");
    const size_t end = text.find(';', start);
    if (start == std::string_view::npos || end == std::string_view::npos) break;
    out += text.substr(0, start);
    const std::string digits(text.substr(start + 3, end - start - 3));
    const char32_t code = static_cast<char32_t>(std::stoul(digits, nullptr, 16));
    out += tav::Utf16ToUtf8(code < 0x10000
                                ? std::u16string(1, static_cast<char16_t>(code))
                                : std::u16string{static_cast<char16_t>(0xD7C0 + (code >> 10)),
                                                 static_cast<char16_t>(0xDC00 | (code & 0x3FF))});
    text.remove_prefix(end + 1);
  }
  return out + std::string(text);
}

void CheckAsCp936(std::string_view bytes) {
  std::string utf8;
  try {
    utf8 = tav::Cp936ToUtf8(bytes);
  } catch (const tav::EncodingError&) {
    return;
  }
  Check(tav::fuzz::IsUtf8(utf8), "code page 936 converts to UTF-8", utf8);
  Check(tav::Utf8ToCp936(utf8) == bytes, "code page 936 converts back to the same bytes", utf8);
}

void CheckAsUtf8(std::string_view utf8) {
  std::u16string utf16;
  try {
    utf16 = tav::Utf8ToUtf16(utf8);
  } catch (const tav::EncodingError&) {
    return;
  }
  Check(tav::Utf16ToUtf8(utf16) == utf8, "UTF-8 to UTF-16 and back is the identity");

  const std::string withReferences = tav::Utf8ToCp936(utf8, tav::Unencodable::kXmlReference);
  const std::string decoded = tav::Cp936ToUtf8(withReferences);
  if (utf8.find('&') == std::string_view::npos)
    Check(ResolveReferences(decoded) == utf8, "character references stand for the characters",
          utf8);
  try {
    const std::string bytes = tav::Utf8ToCp936(utf8);
    Check(bytes == withReferences, "references only where code page 936 lacks a character");
    Check(tav::Cp936ToUtf8(bytes) == utf8, "UTF-8 to code page 936 and back is the identity", utf8);
  } catch (const tav::EncodingError& error) {
    Check(tav::fuzz::IsUtf8(error.what()), "an error message is UTF-8", error.what());
  }
}

void CheckAsUtf16(std::string_view bytes) {
  std::u16string utf16(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < utf16.size(); ++i) {
    utf16[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                     static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  }
  const std::string utf8 = tav::Utf16ToUtf8(utf16);
  // Unpaired surrogates become U+FFFD; everything else comes back.
  const std::u16string back = tav::Utf8ToUtf16(utf8);
  Check(back.size() == utf16.size(), "UTF-16 to UTF-8 and back keeps the length");
  for (size_t i = 0; i < back.size(); ++i)
    Check(back[i] == utf16[i] || back[i] == u'\xFFFD', "UTF-16 to UTF-8 and back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = tav::fuzz::Bytes(data, size);
  CheckAsCp936(bytes);
  CheckAsUtf8(bytes);
  CheckAsUtf16(bytes);
  return 0;
}
