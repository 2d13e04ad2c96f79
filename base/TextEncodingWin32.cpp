// Code page 936 conversions of the Windows build, through the system's
// converters. The code page is named explicitly, so the result does not
// depend on the system locale.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace tav {

namespace {
constexpr UINT kCodePage936 = 936;
}

std::optional<std::string> EncodeCodePointCp936(char32_t codePoint) {
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
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(kCodePage936, WC_NO_BEST_FIT_CHARS, units, unitCount,
                                         bytes, sizeof bytes, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return std::nullopt;
  return std::string(bytes, static_cast<size_t>(length));
}

std::optional<std::u16string> DecodeCp936ToUtf16(std::string_view bytes) {
  if (bytes.empty()) return std::u16string();
  const int inLength = static_cast<int>(bytes.size());
  const int length =
      MultiByteToWideChar(kCodePage936, MB_ERR_INVALID_CHARS, bytes.data(), inLength, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::u16string out(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(kCodePage936, MB_ERR_INVALID_CHARS, bytes.data(), inLength,
                      reinterpret_cast<wchar_t*>(out.data()), length);
  return out;
}

std::u16string DecodeCp936ToUtf16Lenient(std::string_view bytes) {
  if (bytes.empty()) return std::u16string();
  const int inLength = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(kCodePage936, 0, bytes.data(), inLength, nullptr, 0);
  if (length <= 0) return std::u16string();
  std::u16string out(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(kCodePage936, 0, bytes.data(), inLength,
                      reinterpret_cast<wchar_t*>(out.data()), length);
  return out;
}

}  // namespace tav
