// Cipher texts of protected entries, and the cipher both ways. Input:
// "password\ntext", or the text alone under a fixed password. The text is
// decrypted as cipher text (refused only with the program's own errors);
// what decrypts re-encrypts to cipher text that decrypts the same. The text
// is also encrypted as plain text and must decrypt to itself.
#include <string>

#include "FuzzSupport.h"
#include "actions/TextCipher.h"

namespace {

using tav::fuzz::Check;

bool IsUpperHex(std::string_view text) {
  return text.find_first_not_of("0123456789ABCDEF") == std::string_view::npos;
}

void CheckCipherText(std::string_view password, std::string_view cipher, std::string_view plain) {
  Check(IsUpperHex(cipher), "cipher text is uppercase hexadecimal", cipher);
  // Four bytes of length, then whole 16-byte blocks.
  Check(cipher.size() >= 8 + 32 && (cipher.size() - 8) % 32 == 0, "cipher text length", cipher);
  Check(tav::DecryptText(password, cipher) == plain, "decrypt of encrypt is the identity", plain);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const tav::fuzz::HeadedInput input = tav::fuzz::SplitHead(tav::fuzz::Bytes(data, size), 1);
  const std::string password = input.body.data() == reinterpret_cast<const char*>(data)
                                   ? std::string("fuzz密码")
                                   : input.head[0];
  const std::string_view text = input.body;

  // Hexadecimal text to bytes and back.
  const std::string hex = tav::BytesToHex(text);
  Check(IsUpperHex(hex) && hex.size() == 2 * text.size(), "bytes to hexadecimal");
  Check(tav::HexToBytes(hex) == text, "hexadecimal to bytes and back");

  // The text as cipher text.
  std::string plain;
  bool decrypted = false;
  try {
    plain = tav::DecryptText(password, text);
    decrypted = true;
  } catch (const tav::Error& error) {
    // Texts come in as UTF-8; a message quoting them must stay UTF-8.
    if (tav::fuzz::IsUtf8(text) && tav::fuzz::IsUtf8(password))
      Check(tav::fuzz::IsUtf8(error.what()), "an error message is UTF-8", error.what());
  }
  if (decrypted) {
    Check(tav::fuzz::IsUtf8(plain), "decrypted text is UTF-8", plain);
    if (!plain.empty()) CheckCipherText(password, tav::EncryptText(password, plain), plain);
  }

  // The text as plain text.
  std::string cipher;
  try {
    cipher = tav::EncryptText(password, text);
  } catch (const tav::EncodingError&) {
    return 0;  // not UTF-8, or a character GB2312 lacks
  }
  if (text.empty()) {
    Check(cipher.empty(), "an empty text encrypts to nothing");
  } else {
    CheckCipherText(password, cipher, text);
  }
  return 0;
}
