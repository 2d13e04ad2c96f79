// The one place where text changes encoding. Inside the program text is
// UTF-8; files on disk are code page 936 (GB2312 and its superset GBK); the
// Win32 API takes UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// What to do with a character that code page 936 cannot hold.
enum class Unencodable {
  kFail,          // throw EncodingError naming the character
  kXmlReference,  // write it as an XML character reference, &#x1F600;
};

// Code page 936 bytes to UTF-8. Throws EncodingError on bytes that are not
// valid code page 936.
std::string Cp936ToUtf8(std::string_view bytes);

// The same for text that must be read whatever it holds: byte sequences that
// are not valid code page 936 become replacement characters (on Windows the
// system's own, as its profile functions read them; U+FFFD elsewhere).
std::string Cp936ToUtf8Lenient(std::string_view bytes);

// UTF-8 text with every invalid sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

// UTF-8 to code page 936 bytes. Throws EncodingError on invalid UTF-8, and on
// characters code page 936 lacks unless they become XML references.
std::string Utf8ToCp936(std::string_view utf8, Unencodable handling = Unencodable::kFail);

// The same for GB18030, the superset of code page 936 that holds every
// Unicode character (Windows code page 54936).
std::string Gb18030ToUtf8(std::string_view bytes);
std::string Utf8ToGb18030(std::string_view utf8);

// Whether the bytes are valid UTF-8.
bool IsUtf8(std::string_view bytes);

// UTF-8 to UTF-16 and back. Invalid UTF-8 throws EncodingError; unpaired
// surrogates in UTF-16 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace tav
