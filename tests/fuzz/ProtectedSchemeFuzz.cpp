// Scheme file bytes of a protected scheme: the entry texts go through the
// decryptor with a fixed password before the key text is converted. What
// decrypts encrypts back to cipher text that decrypts to the same plain text.
#include "SchemeProperties.h"
#include "actions/TextCipher.h"

namespace {

constexpr std::string_view kPassword = "fuzz密码";

std::string Decrypt(const std::string& text) {
  return tav::DecryptText(kPassword, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using tav::fuzz::Check;
  tav::SchemeDocument document;
  if (!tav::fuzz::CheckSchemeBytes(tav::fuzz::Bytes(data, size), Decrypt, document)) return 0;
  for (int i = 0; i < document.EntryCount(); ++i) {
    const tav::SchemeEntry entry = document.Entry(i);
    for (const std::string* text : {&entry.hotkey, &entry.action, &entry.hint, &entry.sort}) {
      std::string plain;
      try {
        plain = Decrypt(*text);
      } catch (const tav::Error&) {
        continue;
      }
      const std::string cipher = tav::EncryptText(kPassword, plain);
      Check(tav::DecryptText(kPassword, cipher) == plain, "re-encrypted text decrypts the same",
            plain);
    }
  }
  return 0;
}
