// MD5 message digest (RFC 1321). Used only to store passwords as digest
// texts, never for security beyond that.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tav {

using Md5Digest = std::array<uint8_t, 16>;

// Incremental MD5: feed bytes with Update, then take the digest with Finish.
class Md5 {
 public:
  Md5();

  void Update(std::string_view bytes);
  // Pads the message and answers the digest; the object is then spent.
  Md5Digest Finish();

 private:
  void Compress(const uint8_t* block);

  std::array<uint32_t, 4> state_;
  std::array<uint8_t, 64> buffer_{};
  size_t buffered_ = 0;
  uint64_t length_ = 0;  // message length in bytes
};

// The digest of `bytes` in one call.
Md5Digest Md5Of(std::string_view bytes);

}  // namespace tav
