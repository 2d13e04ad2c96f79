// AES block cipher with a 128-bit key (FIPS-197), and the ECB stream
// operations the protected-scheme texts are encrypted with.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Errors.h"

namespace tav {

// A failure of the block cipher's stream operations.
class EAESError : public Error {
 public:
  using Error::Error;
};

using AesKey128 = std::array<uint8_t, 16>;
using AesBlock = std::array<uint8_t, 16>;

// The round keys of AES-128: 11 round keys of four 32-bit columns each. The
// decryption schedule is the one of the equivalent inverse cipher (FIPS-197
// 5.3.5), so it only fits DecryptAes.
struct AesExpandedKey128 {
  std::array<uint32_t, 44> words;
};

AesExpandedKey128 ExpandAesKeyForEncryption(const AesKey128& key);
AesExpandedKey128 ExpandAesKeyForDecryption(const AesKey128& key);

// One block, in place.
void EncryptAes(const AesExpandedKey128& key, AesBlock& block);
void DecryptAes(const AesExpandedKey128& key, AesBlock& block);

// ECB over a byte stream: every 16-byte block on its own with the same key,
// no chaining. Encryption fills a short last block up with zero bytes, so
// the answer is `plain` rounded up to whole blocks.
std::string EncryptAesStreamEcb(std::string_view plain, const AesExpandedKey128& key);
// Decryption takes whole blocks only: an empty input or one that is not a
// multiple of 16 bytes throws EAESError "Invalid buffer size for decryption".
std::string DecryptAesStreamEcb(std::string_view cipher, const AesExpandedKey128& key);

}  // namespace tav
