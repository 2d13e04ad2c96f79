// Digest and text cipher: published test vectors, an independent
// implementation on random inputs, and the cipher-text format.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "actions/ElAES.h"
#include "actions/Md5.h"
#include "actions/TextCipher.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "tests/unit/ReferenceCrypto.h"

namespace tav {
namespace {

// Digests and blocks as byte strings, for comparisons and messages.
std::string Bytes(const std::array<uint8_t, 16>& b) {
  return std::string(b.begin(), b.end());
}

AesBlock BlockFromHex(std::string_view hex) {
  const std::string bytes = HexToBytes(hex);
  AesBlock block;
  std::copy_n(bytes.begin(), block.size(), block.begin());
  return block;
}

std::string RandomBytes(std::mt19937& random, size_t size) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(byte(random));
  return out;
}

// A UTF-8 text of `count` characters drawn from ASCII and GB2312 Chinese.
std::string RandomText(std::mt19937& random, size_t count) {
  static const char* const kPieces[] = {"a",  "Z",  "0",  " ",  ".",  "\\", "记", "事",
                                        "本", "密", "码", "测", "试", "快", "捷", "键"};
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  std::string out;
  for (size_t i = 0; i < count; ++i) out += kPieces[pick(random)];
  return out;
}

// The cipher text built from the format with the independent AES.
std::string ReferenceCipherText(std::string_view password, std::string_view plain) {
  std::string key = Utf8ToCp936(password).substr(0, 16);
  key.resize(16, '\0');
  std::string bytes = Utf8ToCp936(plain);
  const uint32_t n = static_cast<uint32_t>(bytes.size());
  bytes.resize((bytes.size() + 15) / 16 * 16, '\0');
  std::string cipher = {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
                        static_cast<char>(n >> 24)};
  cipher += reference::AesEcb(key).Encrypt(bytes);
  return BytesToHex(cipher);
}

TEST(CipherMd5, Rfc1321TestSuite) {
  const struct {
    const char* text;
    const char* digest;
  } kSuite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"1234567890123456789012345678901234567890"
       "1234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& entry : kSuite)
    EXPECT_EQ(DigestText(entry.text), entry.digest) << '"' << entry.text << '"';
}

TEST(CipherMd5, MatchesReferenceOnRandomInputsAndSplits) {
  std::mt19937 random(1321);
  // Every length around the padding boundaries, then some longer ones.
  for (size_t size = 0; size < 300; size += (size < 140 ? 1 : 37)) {
    const std::string bytes = RandomBytes(random, size);
    const std::string expected = Bytes(reference::Md5(bytes));
    EXPECT_EQ(Bytes(Md5Of(bytes)), expected) << size << " bytes";

    // Fed in two uneven pieces, the digest is the same.
    const size_t cut = size == 0 ? 0 : random() % size;
    Md5 md5;
    md5.Update(std::string_view(bytes).substr(0, cut));
    md5.Update(std::string_view(bytes).substr(cut));
    EXPECT_EQ(Bytes(md5.Finish()), expected) << size << " bytes cut at " << cut;
  }
}

TEST(CipherMd5, DigestTextHashesCodePage936Bytes) {
  const std::string digest = DigestText("密码");
  const auto raw = reference::Md5("\xC3\xDC\xC2\xEB");
  EXPECT_EQ(HexToBytes(digest), Bytes(raw));
  EXPECT_EQ(digest, [&] {  // lowercase: the same text as upper-case hex, folded
    std::string lower = BytesToHex(Bytes(raw));
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    return lower;
  }());
  EXPECT_THROW(DigestText("密码😀"), EncodingError);
}

TEST(CipherAes, Fips197Examples) {
  const struct {
    const char* key;
    const char* plain;
    const char* cipher;
  } kExamples[] = {
      // Appendix B, the cipher example.
      {"2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734",
       "3925841d02dc09fbdc118597196a0b32"},
      // Appendix C.1, AES-128.
      {"000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
       "69c4e0d86a7b0430d8cdb78070b4c55a"},
  };
  for (const auto& example : kExamples) {
    const AesKey128 key = BlockFromHex(example.key);
    AesBlock block = BlockFromHex(example.plain);
    EncryptAes(ExpandAesKeyForEncryption(key), block);
    EXPECT_EQ(Bytes(block), HexToBytes(example.cipher)) << example.key;
    DecryptAes(ExpandAesKeyForDecryption(key), block);
    EXPECT_EQ(Bytes(block), HexToBytes(example.plain)) << example.key;
  }
}

TEST(CipherAes, MatchesReferenceOnRandomKeysAndBlocks) {
  std::mt19937 random(197);
  for (int i = 0; i < 200; ++i) {
    const std::string keyBytes = RandomBytes(random, 16);
    AesKey128 key;
    std::copy_n(keyBytes.begin(), 16, key.begin());
    const std::string plain = RandomBytes(random, 16 * (1 + i % 4));

    reference::AesEcb library(keyBytes);
    const std::string cipher = EncryptAesStreamEcb(plain, ExpandAesKeyForEncryption(key));
    ASSERT_EQ(cipher, library.Encrypt(plain)) << "case " << i;
    // Decrypt something the library made, not only our own output.
    const std::string other = RandomBytes(random, 16);
    EXPECT_EQ(DecryptAesStreamEcb(other, ExpandAesKeyForDecryption(key)), library.Decrypt(other));
    EXPECT_EQ(DecryptAesStreamEcb(cipher, ExpandAesKeyForDecryption(key)), plain);
  }
}

TEST(CipherText, PinnedCipherTextFromTheFormat) {
  // Computed outside this program: length 18 as 12000000, then AES-128-ECB
  // under the key C3DCC2EB000000000000000000000000 ("密码") of the GB2312
  // bytes of the text, zero-filled to two blocks.
  const std::string kCipher =
      "12000000"
      "8AFFFDB91E03A67DAF3B713CA7A060354427E14385F2C083899748F7F464E2E2";
  EXPECT_EQ(EncryptText("密码", "记事本 notepad.exe"), kCipher);
  EXPECT_EQ(DecryptText("密码", kCipher), "记事本 notepad.exe");
}

TEST(CipherText, MatchesReferenceFormatOnRandomTexts) {
  std::mt19937 random(936);
  for (int i = 0; i < 100; ++i) {
    const std::string password = RandomText(random, random() % 12);
    const std::string plain = RandomText(random, 1 + random() % 40);
    const std::string cipher = EncryptText(password, plain);
    ASSERT_EQ(cipher, ReferenceCipherText(password, plain)) << password << " / " << plain;
    EXPECT_EQ(DecryptText(password, cipher), plain);
  }
}

TEST(CipherText, LengthOfCipherText) {
  const struct {
    size_t bytes;
    size_t hexChars;
  } kLengths[] = {{1, 40}, {15, 40}, {16, 40}, {17, 72}, {32, 72}, {33, 104}};
  for (const auto& length : kLengths) {
    const std::string cipher = EncryptText("key", std::string(length.bytes, 'x'));
    EXPECT_EQ(cipher.size(), length.hexChars) << length.bytes << " bytes";
    EXPECT_EQ(cipher.find_first_not_of("0123456789ABCDEF"), std::string::npos) << cipher;
  }
  // Chinese characters count as their two GB2312 bytes: 8 of them are 16 bytes.
  EXPECT_EQ(EncryptText("key", "快捷键快捷键快捷").size(), 40u);
  EXPECT_EQ(EncryptText("key", "快捷键快捷键快捷键").size(), 72u);
  EXPECT_EQ(EncryptText("key", ""), "");
  EXPECT_EQ(DecryptText("key", ""), "");
}

TEST(CipherText, RoundTripsKeepTrailingZeroBytes) {
  for (const std::string& plain : {std::string("ab\0\0", 4), std::string(16, '\0'),
                                   std::string("密码\0", 7), std::string(17, '\0')}) {
    EXPECT_EQ(DecryptText("pw", EncryptText("pw", plain)), plain) << plain.size() << " bytes";
  }
}

TEST(CipherText, KeyIsTheFirstSixteenBytesZeroFilled) {
  const std::string plain = "C:\\Windows\\notepad.exe";
  EXPECT_EQ(EncryptText("0123456789abcdefWXYZ", plain), EncryptText("0123456789abcdef", plain));
  EXPECT_NE(EncryptText("0123456789abcde", plain), EncryptText("0123456789abcdef", plain));
  // Eight Chinese characters fill the block; a ninth is cut off.
  EXPECT_EQ(EncryptText("快捷键快捷键快捷键", plain), EncryptText("快捷键快捷键快捷", plain));
  // An empty password is sixteen zero bytes.
  EXPECT_EQ(EncryptText("", plain), EncryptText(std::string(3, '\0'), plain));
}

TEST(CipherText, EqualBlocksEncryptAlike) {
  const std::string cipher = EncryptText("pw", std::string(32, 'A'));
  EXPECT_EQ(cipher.substr(8, 32), cipher.substr(40, 32));
}

TEST(CipherText, LowercaseHexDecodes) {
  std::string cipher = EncryptText("密码", "备注");
  std::transform(cipher.begin(), cipher.end(), cipher.begin(), ::tolower);
  EXPECT_EQ(DecryptText("密码", cipher), "备注");
}

TEST(CipherText, LengthFieldOnlyShortensTheAnswer) {
  const std::string plain = "0123456789ABCDEF";
  const std::string blocks = EncryptText("pw", plain).substr(8);
  // A length beyond the blocks present answers every decrypted byte.
  EXPECT_EQ(DecryptText("pw", "FFFFFFFF" + blocks), plain);
  EXPECT_EQ(DecryptText("pw", "01000000" + blocks), "0");
  EXPECT_EQ(DecryptText("pw", "00000000" + blocks), "");
}

TEST(CipherText, DecryptionFailures) {
  const std::string valid = EncryptText("pw", "text");  // 40 characters
  const struct {
    std::string cipher;
    const char* message;
  } kFailures[] = {
      {"1", "Stream read error"},
      {"12", "Stream read error"},
      {"123456", "Stream read error"},
      {"1234567", "Invalid buffer size for decryption"},  // 3 bytes and an odd digit
      {"12345678", "Invalid buffer size for decryption"},
      {"123456789", "Invalid buffer size for decryption"},
      {valid.substr(0, 38), "Invalid buffer size for decryption"},
      {valid + "0", "Invalid buffer size for decryption"},  // odd last digit
      {valid + valid.substr(8, 30), "Invalid buffer size for decryption"},
      {"0000000G" + valid.substr(8), "'0x0G' is not a valid integer value"},
      {valid + "Z", "'0xZ' is not a valid integer value"},
      {" 1000000" + valid.substr(8), "'0x 1' is not a valid integer value"},
      {"-1000000" + valid.substr(8), "'0x-1' is not a valid integer value"},
      // A piece that cuts through a character quotes the whole character,
      // so that the message stays readable text.
      {"0中00000" + valid.substr(8), "'0x0中' is not a valid integer value"},
      {"00中0000" + valid.substr(8), "'0x中' is not a valid integer value"},
      {"0000000é" + valid.substr(9), "'0x0é' is not a valid integer value"},
  };
  for (const auto& failure : kFailures) {
    try {
      DecryptText("pw", failure.cipher);
      ADD_FAILURE() << failure.cipher << " decrypted";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), failure.message) << failure.cipher;
    }
  }
  EXPECT_THROW(DecryptText("pw", "12345678"), EAESError);
  EXPECT_THROW(DecryptText("pw", "0G"), ConversionError);
}

TEST(CipherText, UnencodableOrUndecodableTextFailsClearly) {
  EXPECT_THROW(EncryptText("pw😀", "text"), EncodingError);
  EXPECT_THROW(EncryptText("pw", "text😀"), EncodingError);
  // Under a wrong password these bytes decrypt to something that is not
  // GB2312 text; that is reported rather than answered as garbage.
  EXPECT_THROW(DecryptText("wrong", EncryptText("right", "C:\\Program Files\\x.exe")),
               EncodingError);
}

}  // namespace
}  // namespace tav
