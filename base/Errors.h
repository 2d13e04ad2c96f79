// The program's error types. Every message is UTF-8 text meant for the user:
// the error guard shows it as it stands. A message that quotes bytes read
// from a file may hold a broken character; the message is made valid text
// (U+FFFD in place of each broken sequence) when the error is made.
#pragma once

#include <stdexcept>
#include <string>

#include "base/TextEncoding.h"

namespace tav {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(ReplaceInvalidUtf8(message)) {}
  explicit Error(const char* message) : Error(std::string(message)) {}
};

// A text that should hold an integer does not: "'%s' is not a valid integer value".
class ConversionError : public Error {
 public:
  explicit ConversionError(const std::string& text)
      : Error("'" + text + "' is not a valid integer value") {}
};

// Bytes that are not valid in the encoding they are read as, or a character
// that the target encoding cannot hold.
class EncodingError : public Error {
 public:
  using Error::Error;
};

// Reading or writing a file failed.
class FileError : public Error {
 public:
  using Error::Error;
};

}  // namespace tav
