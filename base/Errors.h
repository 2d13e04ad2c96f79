// The program's error types. Every message is UTF-8 text meant for the user:
// the error guard shows it as it stands.
#pragma once

#include <stdexcept>
#include <string>

namespace tav {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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
