// Integer conversion of texts typed by people: key texts, delay arguments,
// hexadecimal pieces of cipher texts.
#pragma once

#include <cstdint>
#include <string_view>

namespace tav {

// Converts a signed 32-bit integer: optional leading blanks, an optional
// sign, then decimal digits, or hexadecimal digits after "$", "x" or "0x"
// (hexadecimal may use all 32 bits: $FFFFFFFF is -1). Anything else, the
// empty text included, throws ConversionError quoting the text.
int32_t StrToInt(std::string_view text);

}  // namespace tav
