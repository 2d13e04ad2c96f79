#include "actions/Md5.h"

#include <algorithm>
#include <cstring>

namespace tav {

namespace {

// Per-step shift amounts and the sine-derived constants of RFC 1321 (3.4).
constexpr uint8_t kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,  //
                                5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,  //
                                4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,  //
                                6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr uint32_t RotateLeft(uint32_t x, unsigned n) {
  return (x << n) | (x >> (32 - n));
}

uint32_t LoadLittleEndian(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

void Md5::Compress(const uint8_t* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian(block + 4 * i);

  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  // One step of round `i`; the four rounds differ in their mixing function
  // and in the order they take the message words. Written as four loops
  // without branches so that the compiler unrolls each.
  const auto step = [&](int i, uint32_t f, int k) {
    const uint32_t rotated = RotateLeft(a + f + kSine[i] + x[k], kShift[i]);
    a = d, d = c, c = b, b = b + rotated;
  };
  for (int i = 0; i < 16; ++i) step(i, (b & c) | (~b & d), i);
  for (int i = 16; i < 32; ++i) step(i, (d & b) | (~d & c), (5 * i + 1) % 16);
  for (int i = 32; i < 48; ++i) step(i, b ^ c ^ d, (3 * i + 5) % 16);
  for (int i = 48; i < 64; ++i) step(i, c ^ (b | ~d), (7 * i) % 16);
  state_[0] += a, state_[1] += b, state_[2] += c, state_[3] += d;
}

void Md5::Update(std::string_view bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t size = bytes.size();
  length_ += size;
  if (buffered_ > 0) {
    const size_t take = std::min(size, buffer_.size() - buffered_);
    std::memcpy(buffer_.data() + buffered_, data, take);
    buffered_ += take, data += take, size -= take;
    if (buffered_ < buffer_.size()) return;
    Compress(buffer_.data());
    buffered_ = 0;
  }
  for (; size >= 64; data += 64, size -= 64) Compress(data);
  if (size > 0) std::memcpy(buffer_.data(), data, size);
  buffered_ = size;
}

Md5Digest Md5::Finish() {
  // Padding: one 1 bit, zeros up to 56 bytes modulo 64, then the message
  // length in bits as 64-bit little-endian.
  const uint64_t bitLength = length_ * 8;
  uint8_t padding[72] = {0x80};
  const size_t padSize = buffered_ < 56 ? 56 - buffered_ : 120 - buffered_;
  for (int i = 0; i < 8; ++i) padding[padSize + i] = static_cast<uint8_t>(bitLength >> (8 * i));
  Update(std::string_view(reinterpret_cast<const char*>(padding), padSize + 8));

  Md5Digest digest;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(state_[i] >> (8 * j));
  return digest;
}

Md5Digest Md5Of(std::string_view bytes) {
  Md5 md5;
  md5.Update(bytes);
  return md5.Finish();
}

}  // namespace tav
