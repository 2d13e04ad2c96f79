// Code page 936 and GB18030 (54936) conversions of the Windows build, through the system's
// converters. The code page is named explicitly, so the result does not
// depend on the system locale.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace tav {

std::optional<std::string> EncodeCodePoint(unsigned codePage, char32_t codePoint) {
  wchar_t units[2];
  int unitCount = 1;
  if (codePoint >= 0x10000) {
    units[0] = static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
    units[1] = static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    unitCount = 2;
  } else {
    units[0] = static_cast<wchar_t>(codePoint);
  }
  char bytes[8];
  // GB18030 holds every character and takes neither flags nor a default
  // character; code page 936 must not map a character to a look-alike.
  const bool gb18030 = codePage != 936;
  BOOL usedDefault = FALSE;
  const int length =
      WideCharToMultiByte(codePage, gb18030 ? 0 : WC_NO_BEST_FIT_CHARS, units, unitCount, bytes,
                          sizeof bytes, nullptr, gb18030 ? nullptr : &usedDefault);
  if (length <= 0 || usedDefault) return std::nullopt;
  return std::string(bytes, static_cast<size_t>(length));
}

std::optional<std::u16string> DecodeToUtf16(unsigned codePage, std::string_view bytes) {
  if (bytes.empty()) return std::u16string();
  const int inLength = static_cast<int>(bytes.size());
  const int length =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLength, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::u16string out(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLength,
                      reinterpret_cast<wchar_t*>(out.data()), length);
  return out;
}

std::u16string DecodeCp936ToUtf16Lenient(std::string_view bytes) {
  if (bytes.empty()) return std::u16string();
  const int inLength = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(936, 0, bytes.data(), inLength, nullptr, 0);
  if (length <= 0) return std::u16string();
  std::u16string out(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(936, 0, bytes.data(), inLength, reinterpret_cast<wchar_t*>(out.data()),
                      length);
  return out;
}

}  // namespace tav
