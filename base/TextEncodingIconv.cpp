// Code page 936 and GB18030 conversions of the native build, through iconv.
#include <iconv.h>

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

namespace {

class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (valid()) iconv_close(handle_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `input`; nullopt when a byte sequence cannot be converted.
  std::optional<std::string> Convert(std::string_view input) {
    if (!valid()) return std::nullopt;
    std::string out(input.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    if (iconv(handle_, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
      return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
  }

 private:
  iconv_t handle_;
};

const char* IconvName(unsigned codePage) {
  return codePage == 936 ? "CP936" : "GB18030";
}

}  // namespace

std::optional<std::string> EncodeCodePoint(unsigned codePage, char32_t codePoint) {
  thread_local IconvHandle cp936("CP936", "UTF-32LE");
  thread_local IconvHandle gb18030("GB18030", "UTF-32LE");
  IconvHandle& converter = codePage == 936 ? cp936 : gb18030;
  const char bytes[4] = {
      static_cast<char>(codePoint & 0xFF), static_cast<char>((codePoint >> 8) & 0xFF),
      static_cast<char>((codePoint >> 16) & 0xFF), static_cast<char>((codePoint >> 24) & 0xFF)};
  return converter.Convert(std::string_view(bytes, 4));
}

std::optional<std::u16string> DecodeToUtf16(unsigned codePage, std::string_view bytes) {
  IconvHandle converter("UTF-16LE", IconvName(codePage));
  std::optional<std::string> raw = converter.Convert(bytes);
  if (!raw) return std::nullopt;
  std::u16string out(raw->size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>((*raw)[2 * i]) |
                                   (static_cast<unsigned char>((*raw)[2 * i + 1]) << 8));
  }
  return out;
}

// Character by character: a lead byte with its trail byte when the pair is
// valid, else the single byte when it is, else one U+FFFD for the byte.
std::u16string DecodeCp936ToUtf16Lenient(std::string_view bytes) {
  std::u16string out;
  for (size_t i = 0; i < bytes.size();) {
    std::optional<std::u16string> decoded;
    size_t used = 1;
    if (i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i]) >= 0x81) {
      decoded = DecodeToUtf16(936, bytes.substr(i, 2));
      used = 2;
    }
    if (!decoded) {
      decoded = DecodeToUtf16(936, bytes.substr(i, 1));
      used = 1;
    }
    out += decoded ? *decoded : std::u16string(1, u'\xFFFD');
    i += used;
  }
  return out;
}

}  // namespace tav
