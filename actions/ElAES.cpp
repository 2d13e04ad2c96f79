#include "actions/ElAES.h"

#include <algorithm>
#include <cstring>

namespace tav {

namespace {

// Arithmetic in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
constexpr uint8_t Xtime(uint8_t a) {
  return static_cast<uint8_t>((a << 1) ^ ((a & 0x80) ? 0x1b : 0));
}

constexpr uint8_t Multiply(uint8_t a, uint8_t b) {
  uint8_t product = 0;
  for (; b != 0; b >>= 1, a = Xtime(a))
    if (b & 1) product ^= a;
  return product;
}

// The multiplicative inverse is a^254; zero maps to zero.
constexpr uint8_t Inverse(uint8_t a) {
  uint8_t result = 1;
  uint8_t power = a;
  for (unsigned exponent = 254; exponent != 0; exponent >>= 1, power = Multiply(power, power))
    if (exponent & 1) result = Multiply(result, power);
  return a == 0 ? 0 : result;
}

constexpr uint8_t RotateByte(uint8_t b, int n) {
  return static_cast<uint8_t>((b << n) | (b >> (8 - n)));
}

constexpr uint32_t RotateWord(uint32_t x, int n) {
  return n == 0 ? x : (x << n) | (x >> (32 - n));
}

// A state column is a 32-bit word with row 0 in the low byte, which is the
// order the bytes stand in a block.
constexpr uint32_t Pack(uint8_t row0, uint8_t row1, uint8_t row2, uint8_t row3) {
  return uint32_t{row0} | uint32_t{row1} << 8 | uint32_t{row2} << 16 | uint32_t{row3} << 24;
}

constexpr uint8_t Row(uint32_t column, int row) {
  return static_cast<uint8_t>(column >> (8 * row));
}

// S-boxes and the round tables, derived at compile time from the field
// arithmetic. encrypt[r][x] is the column that MixColumns makes of S(x)
// standing in row r; decrypt[r][x] likewise for InvMixColumns of S^-1(x).
struct Tables {
  uint8_t sbox[256];
  uint8_t inverseSbox[256];
  uint32_t encrypt[4][256];
  uint32_t decrypt[4][256];
};

constexpr Tables MakeTables() {
  Tables t{};
  for (int i = 0; i < 256; ++i) {
    const uint8_t b = Inverse(static_cast<uint8_t>(i));
    const auto s = static_cast<uint8_t>(b ^ RotateByte(b, 1) ^ RotateByte(b, 2) ^ RotateByte(b, 3) ^
                                        RotateByte(b, 4) ^ 0x63);
    t.sbox[i] = s;
    t.inverseSbox[s] = static_cast<uint8_t>(i);
  }
  for (int i = 0; i < 256; ++i) {
    const uint8_t s = t.sbox[i];
    const uint8_t v = t.inverseSbox[i];
    const uint32_t mix = Pack(Multiply(s, 2), s, s, Multiply(s, 3));
    const uint32_t inverseMix =
        Pack(Multiply(v, 14), Multiply(v, 9), Multiply(v, 13), Multiply(v, 11));
    for (int r = 0; r < 4; ++r) {
      t.encrypt[r][i] = RotateWord(mix, 8 * r);
      t.decrypt[r][i] = RotateWord(inverseMix, 8 * r);
    }
  }
  return t;
}

constexpr Tables kTables = MakeTables();
static_assert(kTables.sbox[0x00] == 0x63 && kTables.sbox[0x53] == 0xed);

constexpr int kRounds = 10;

uint32_t SubWord(uint32_t w) {
  return Pack(kTables.sbox[Row(w, 0)], kTables.sbox[Row(w, 1)], kTables.sbox[Row(w, 2)],
              kTables.sbox[Row(w, 3)]);
}

uint32_t InverseMixColumn(uint32_t w) {
  // The decryption tables apply S^-1 first; feeding them S(x) cancels it.
  return kTables.decrypt[0][kTables.sbox[Row(w, 0)]] ^ kTables.decrypt[1][kTables.sbox[Row(w, 1)]] ^
         kTables.decrypt[2][kTables.sbox[Row(w, 2)]] ^ kTables.decrypt[3][kTables.sbox[Row(w, 3)]];
}

void LoadBlock(const AesBlock& block, uint32_t (&state)[4]) {
  for (int c = 0; c < 4; ++c)
    state[c] = Pack(block[4 * c], block[4 * c + 1], block[4 * c + 2], block[4 * c + 3]);
}

// One column of a full round: row r taken from the r-th argument, through
// the round table of that row.
inline uint32_t Lookup(const uint32_t (&table)[4][256], uint32_t row0, uint32_t row1, uint32_t row2,
                       uint32_t row3) {
  return table[0][Row(row0, 0)] ^ table[1][Row(row1, 1)] ^ table[2][Row(row2, 2)] ^
         table[3][Row(row3, 3)];
}

// One column of the last round, which has no column mixing.
inline uint32_t Substitute(const uint8_t (&box)[256], uint32_t row0, uint32_t row1, uint32_t row2,
                           uint32_t row3) {
  return Pack(box[Row(row0, 0)], box[Row(row1, 1)], box[Row(row2, 2)], box[Row(row3, 3)]);
}

void StoreBlock(const uint32_t (&state)[4], AesBlock& block) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) block[4 * c + r] = Row(state[c], r);
}

}  // namespace

AesExpandedKey128 ExpandAesKeyForEncryption(const AesKey128& key) {
  AesExpandedKey128 expanded;
  auto& w = expanded.words;
  for (int i = 0; i < 4; ++i)
    w[i] = Pack(key[4 * i], key[4 * i + 1], key[4 * i + 2], key[4 * i + 3]);
  uint8_t roundConstant = 1;
  for (size_t i = 4; i < w.size(); ++i) {
    uint32_t temp = w[i - 1];
    if (i % 4 == 0) {
      // RotWord moves row 1 to row 0: a right rotation of the packed word.
      temp = SubWord(RotateWord(temp, 24)) ^ roundConstant;
      roundConstant = Xtime(roundConstant);
    }
    w[i] = w[i - 4] ^ temp;
  }
  return expanded;
}

AesExpandedKey128 ExpandAesKeyForDecryption(const AesKey128& key) {
  const AesExpandedKey128 forward = ExpandAesKeyForEncryption(key);
  AesExpandedKey128 expanded;
  for (int round = 0; round <= kRounds; ++round) {
    for (int c = 0; c < 4; ++c) {
      const uint32_t w = forward.words[4 * (kRounds - round) + c];
      const bool inner = round != 0 && round != kRounds;
      expanded.words[4 * round + c] = inner ? InverseMixColumn(w) : w;
    }
  }
  return expanded;
}

void EncryptAes(const AesExpandedKey128& key, AesBlock& block) {
  const uint32_t* k = key.words.data();
  uint32_t s[4];
  LoadBlock(block, s);
  for (int c = 0; c < 4; ++c) s[c] ^= k[c];
  // ShiftRows moves row r of column c + r into column c.
  const auto& e = kTables.encrypt;
  for (int round = 1; round < kRounds; ++round) {
    k += 4;
    const uint32_t t0 = Lookup(e, s[0], s[1], s[2], s[3]) ^ k[0];
    const uint32_t t1 = Lookup(e, s[1], s[2], s[3], s[0]) ^ k[1];
    const uint32_t t2 = Lookup(e, s[2], s[3], s[0], s[1]) ^ k[2];
    const uint32_t t3 = Lookup(e, s[3], s[0], s[1], s[2]) ^ k[3];
    s[0] = t0, s[1] = t1, s[2] = t2, s[3] = t3;
  }
  k += 4;
  const auto& box = kTables.sbox;
  const uint32_t out[4] = {Substitute(box, s[0], s[1], s[2], s[3]) ^ k[0],
                           Substitute(box, s[1], s[2], s[3], s[0]) ^ k[1],
                           Substitute(box, s[2], s[3], s[0], s[1]) ^ k[2],
                           Substitute(box, s[3], s[0], s[1], s[2]) ^ k[3]};
  StoreBlock(out, block);
}

void DecryptAes(const AesExpandedKey128& key, AesBlock& block) {
  const uint32_t* k = key.words.data();
  uint32_t s[4];
  LoadBlock(block, s);
  for (int c = 0; c < 4; ++c) s[c] ^= k[c];
  // InvShiftRows moves row r of column c - r into column c.
  const auto& d = kTables.decrypt;
  for (int round = 1; round < kRounds; ++round) {
    k += 4;
    const uint32_t t0 = Lookup(d, s[0], s[3], s[2], s[1]) ^ k[0];
    const uint32_t t1 = Lookup(d, s[1], s[0], s[3], s[2]) ^ k[1];
    const uint32_t t2 = Lookup(d, s[2], s[1], s[0], s[3]) ^ k[2];
    const uint32_t t3 = Lookup(d, s[3], s[2], s[1], s[0]) ^ k[3];
    s[0] = t0, s[1] = t1, s[2] = t2, s[3] = t3;
  }
  k += 4;
  const auto& box = kTables.inverseSbox;
  const uint32_t out[4] = {Substitute(box, s[0], s[3], s[2], s[1]) ^ k[0],
                           Substitute(box, s[1], s[0], s[3], s[2]) ^ k[1],
                           Substitute(box, s[2], s[1], s[0], s[3]) ^ k[2],
                           Substitute(box, s[3], s[2], s[1], s[0]) ^ k[3]};
  StoreBlock(out, block);
}

std::string EncryptAesStreamEcb(std::string_view plain, const AesExpandedKey128& key) {
  constexpr size_t kBlock = sizeof(AesBlock);
  std::string cipher;
  cipher.reserve((plain.size() + kBlock - 1) / kBlock * kBlock);
  for (size_t offset = 0; offset < plain.size(); offset += kBlock) {
    AesBlock block{};  // a short last block stays filled up with zeros
    const size_t take = std::min(kBlock, plain.size() - offset);
    std::memcpy(block.data(), plain.data() + offset, take);
    EncryptAes(key, block);
    cipher.append(reinterpret_cast<const char*>(block.data()), kBlock);
  }
  return cipher;
}

std::string DecryptAesStreamEcb(std::string_view cipher, const AesExpandedKey128& key) {
  constexpr size_t kBlock = sizeof(AesBlock);
  if (cipher.empty() || cipher.size() % kBlock != 0)
    throw EAESError("Invalid buffer size for decryption");
  std::string plain;
  plain.reserve(cipher.size());
  for (size_t offset = 0; offset < cipher.size(); offset += kBlock) {
    AesBlock block;
    std::memcpy(block.data(), cipher.data() + offset, kBlock);
    DecryptAes(key, block);
    plain.append(reinterpret_cast<const char*>(block.data()), kBlock);
  }
  return plain;
}

}  // namespace tav
