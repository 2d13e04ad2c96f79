// Throughput of the digest and the text cipher, each beside the same
// operation built on libgcrypt's MD5 and AES, so the two can be compared in
// one run. The text operations include the GB2312 conversion and the
// hexadecimal text on both sides; the *Primitive cases compare MD5 and
// AES-ECB alone on raw bytes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "actions/ElAES.h"
#include "actions/Md5.h"
#include "actions/TextCipher.h"
#include "base/TextEncoding.h"
#include "tests/unit/ReferenceCrypto.h"

namespace tav {
namespace {

constexpr char kPassword[] = "快捷键密码";

// A UTF-8 text of about `bytes` GB2312 bytes: paths and Chinese remarks.
std::string SampleText(size_t bytes) {
  static const std::string kPieces[] = {"C:\\Tools\\", "记事本", " notepad.exe ", "快捷键", "备注"};
  std::string text;
  size_t size = 0;
  for (size_t i = 0; size < bytes; ++i) {
    const std::string& piece = kPieces[i % std::size(kPieces)];
    text += piece;
    size += Utf8ToCp936(piece).size();
  }
  return text;
}

std::string KeyBlock(std::string_view password) {
  std::string key = Utf8ToCp936(password).substr(0, 16);
  key.resize(16, '\0');
  return key;
}

std::string LowerHex(const std::array<uint8_t, 16>& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t b : digest) hex += {kDigits[b >> 4], kDigits[b & 15]};
  return hex;
}

// --- The text operations -------------------------------------------------

void DigestText_Ours(benchmark::State& state) {
  const std::string text = SampleText(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(DigestText(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Utf8ToCp936(text).size()));
}

void DigestText_Gcrypt(benchmark::State& state) {
  const std::string text = SampleText(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(LowerHex(reference::Md5(Utf8ToCp936(text))));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Utf8ToCp936(text).size()));
}

void EncryptText_Ours(benchmark::State& state) {
  const std::string text = SampleText(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(EncryptText(kPassword, text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Utf8ToCp936(text).size()));
}

void EncryptText_Gcrypt(benchmark::State& state) {
  const std::string text = SampleText(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    std::string bytes = Utf8ToCp936(text);
    const auto n = static_cast<uint32_t>(bytes.size());
    bytes.resize((bytes.size() + 15) / 16 * 16, '\0');
    std::string cipher = {static_cast<char>(n), static_cast<char>(n >> 8),
                          static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
    cipher += reference::AesEcb(KeyBlock(kPassword)).Encrypt(bytes);
    benchmark::DoNotOptimize(BytesToHex(cipher));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Utf8ToCp936(text).size()));
}

void DecryptText_Ours(benchmark::State& state) {
  const std::string text = SampleText(static_cast<size_t>(state.range(0)));
  const std::string cipher = EncryptText(kPassword, text);
  for (auto _ : state) benchmark::DoNotOptimize(DecryptText(kPassword, cipher));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Utf8ToCp936(text).size()));
}

void DecryptText_Gcrypt(benchmark::State& state) {
  const std::string text = SampleText(static_cast<size_t>(state.range(0)));
  const std::string cipher = EncryptText(kPassword, text);
  for (auto _ : state) {
    const std::string bytes = HexToBytes(cipher);
    uint32_t n = 0;
    for (int i = 0; i < 4; ++i) n |= uint32_t{static_cast<uint8_t>(bytes[i])} << (8 * i);
    std::string plain = reference::AesEcb(KeyBlock(kPassword)).Decrypt(bytes.substr(4));
    plain.resize(std::min<size_t>(plain.size(), n));
    benchmark::DoNotOptimize(Cp936ToUtf8(plain));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Utf8ToCp936(text).size()));
}

// --- The primitives on raw bytes -----------------------------------------

std::string RawBytes(int64_t size) {
  std::string bytes(static_cast<size_t>(size), '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + 7);
  return bytes;
}

void Md5Primitive_Ours(benchmark::State& state) {
  const std::string bytes = RawBytes(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(Md5Of(bytes));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Md5Primitive_Gcrypt(benchmark::State& state) {
  const std::string bytes = RawBytes(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(reference::Md5(bytes));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void AesEcbEncryptPrimitive_Ours(benchmark::State& state) {
  const std::string bytes = RawBytes(state.range(0));
  const AesExpandedKey128 key = ExpandAesKeyForEncryption(AesKey128{1, 2, 3});
  for (auto _ : state) benchmark::DoNotOptimize(EncryptAesStreamEcb(bytes, key));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void AesEcbEncryptPrimitive_Gcrypt(benchmark::State& state) {
  const std::string bytes = RawBytes(state.range(0));
  reference::AesEcb aes(std::string("\1\2\3", 3) + std::string(13, '\0'));
  for (auto _ : state) benchmark::DoNotOptimize(aes.Encrypt(bytes));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void AesEcbDecryptPrimitive_Ours(benchmark::State& state) {
  const std::string bytes = RawBytes(state.range(0));
  const AesExpandedKey128 key = ExpandAesKeyForDecryption(AesKey128{1, 2, 3});
  for (auto _ : state) benchmark::DoNotOptimize(DecryptAesStreamEcb(bytes, key));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void AesEcbDecryptPrimitive_Gcrypt(benchmark::State& state) {
  const std::string bytes = RawBytes(state.range(0));
  reference::AesEcb aes(std::string("\1\2\3", 3) + std::string(13, '\0'));
  for (auto _ : state) benchmark::DoNotOptimize(aes.Decrypt(bytes));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

// Short texts as entries and passwords are, and one of 1 MiB.
void TextSizes(benchmark::internal::Benchmark* b) {
  b->Arg(20)->Arg(64)->Arg(200)->Arg(1 << 20);
}
void BlockSizes(benchmark::internal::Benchmark* b) {
  b->Arg(32)->Arg(208)->Arg(1 << 20);
}

BENCHMARK(DigestText_Ours)->Apply(TextSizes);
BENCHMARK(DigestText_Gcrypt)->Apply(TextSizes);
BENCHMARK(EncryptText_Ours)->Apply(TextSizes);
BENCHMARK(EncryptText_Gcrypt)->Apply(TextSizes);
BENCHMARK(DecryptText_Ours)->Apply(TextSizes);
BENCHMARK(DecryptText_Gcrypt)->Apply(TextSizes);
BENCHMARK(Md5Primitive_Ours)->Apply(BlockSizes);
BENCHMARK(Md5Primitive_Gcrypt)->Apply(BlockSizes);
BENCHMARK(AesEcbEncryptPrimitive_Ours)->Apply(BlockSizes);
BENCHMARK(AesEcbEncryptPrimitive_Gcrypt)->Apply(BlockSizes);
BENCHMARK(AesEcbDecryptPrimitive_Ours)->Apply(BlockSizes);
BENCHMARK(AesEcbDecryptPrimitive_Gcrypt)->Apply(BlockSizes);

}  // namespace
}  // namespace tav

BENCHMARK_MAIN();
