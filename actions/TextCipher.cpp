#include "actions/TextCipher.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "actions/ElAES.h"
#include "actions/Md5.h"
#include "base/Errors.h"
#include "base/IntegerText.h"
#include "base/TextEncoding.h"

namespace tav {

namespace {

constexpr size_t kLengthFieldSize = 4;

bool IsContinuationByte(char c) {
  return (static_cast<uint8_t>(c) & 0xC0) == 0x80;
}

// The bytes [start, start + count) of UTF-8 text, widened to the characters
// they belong to.
std::string_view WholeCharacters(std::string_view text, size_t start, size_t count) {
  size_t end = start + count;
  while (start > 0 && IsContinuationByte(text[start])) --start;
  while (end < text.size() && IsContinuationByte(text[end])) ++end;
  return text.substr(start, end - start);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The first 16 bytes of the password's code page 936 bytes, zero-filled.
AesKey128 KeyBlockOf(std::string_view password) {
  const std::string bytes = Utf8ToCp936(password);
  AesKey128 key{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), key.size()), key.begin());
  return key;
}

}  // namespace

std::string DigestText(std::string_view text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  const Md5Digest digest = Md5Of(Utf8ToCp936(text));
  std::string hex;
  hex.reserve(2 * digest.size());
  for (uint8_t b : digest) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return hex;
}

std::string EncryptText(std::string_view password, std::string_view plain) {
  if (plain.empty()) return {};
  const std::string bytes = Utf8ToCp936(plain);
  // The length field has 32 bits; a longer text could not be given back whole.
  if (bytes.size() > std::numeric_limits<uint32_t>::max())
    throw Error("The text is too long to encrypt");
  std::string cipher;
  for (size_t i = 0; i < kLengthFieldSize; ++i)
    cipher += static_cast<char>(static_cast<uint64_t>(bytes.size()) >> (8 * i));
  cipher += EncryptAesStreamEcb(bytes, ExpandAesKeyForEncryption(KeyBlockOf(password)));
  return BytesToHex(cipher);
}

std::string DecryptText(std::string_view password, std::string_view cipherText) {
  if (cipherText.empty()) return {};
  const std::string bytes = HexToBytes(cipherText);
  if (bytes.size() < kLengthFieldSize) throw Error("Stream read error");
  uint32_t length = 0;
  for (size_t i = 0; i < kLengthFieldSize; ++i)
    length |= uint32_t{static_cast<uint8_t>(bytes[i])} << (8 * i);

  const AesExpandedKey128 key = ExpandAesKeyForDecryption(KeyBlockOf(password));
  std::string plain = DecryptAesStreamEcb(std::string_view(bytes).substr(kLengthFieldSize), key);
  // The length field only ever shortens what was decrypted: a field larger
  // than the blocks present keeps them all and allocates nothing more.
  plain.resize(std::min<size_t>(plain.size(), length));
  try {
    return Cp936ToUtf8(plain);
  } catch (const EncodingError&) {
    throw EncodingError("The decrypted text is not valid GB2312 text: the password does not fit");
  }
}

std::string BytesToHex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(2 * bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return hex;
}

std::string HexToBytes(std::string_view hex) {
  std::string bytes;
  bytes.reserve((hex.size() + 1) / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const std::string_view piece = hex.substr(i, 2);
    const int high = HexDigit(piece[0]);
    const int low = piece.size() == 2 ? HexDigit(piece[1]) : 0;
    if (high >= 0 && low >= 0) {
      bytes += static_cast<char>(piece.size() == 2 ? high * 16 + low : high);
      continue;
    }
    // A piece converts as the integer "0x<piece>"; what is not hexadecimal
    // fails with the conversion message quoting it, widened to the whole
    // characters it cuts through so that the message is readable text.
    try {
      bytes += static_cast<char>(StrToInt("0x" + std::string(piece)));
    } catch (const ConversionError&) {
      throw ConversionError("0x" + std::string(WholeCharacters(hex, i, piece.size())));
    }
  }
  return bytes;
}

}  // namespace tav
