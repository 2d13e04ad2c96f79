// Letter case of ASCII text only. Texts on disk are code page 936, whose
// double-byte characters must never be case-folded, so the C library's
// locale-dependent functions are not used.
#pragma once

#include <string_view>

namespace tav {

constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace tav
