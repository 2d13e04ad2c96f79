// An independent MD5 and AES-128 (libgcrypt) that our own code is checked
// and measured against. Test and benchmark code only.
#pragma once

#include <gcrypt.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tav::reference {

inline void InitGcrypt() {
  static const bool ready = [] {
    if (!gcry_check_version(GCRYPT_VERSION)) throw std::runtime_error("libgcrypt version mismatch");
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    return true;
  }();
  (void)ready;
}

inline std::array<uint8_t, 16> Md5(std::string_view bytes) {
  InitGcrypt();
  std::array<uint8_t, 16> digest;
  gcry_md_hash_buffer(GCRY_MD_MD5, digest.data(), bytes.data(), bytes.size());
  return digest;
}

// AES-128 in ECB mode over whole blocks, one cipher handle per key.
class AesEcb {
 public:
  explicit AesEcb(std::string_view key16) {
    InitGcrypt();
    Check(gcry_cipher_open(&handle_, GCRY_CIPHER_AES128, GCRY_CIPHER_MODE_ECB, 0));
    Check(gcry_cipher_setkey(handle_, key16.data(), key16.size()));
  }
  ~AesEcb() { gcry_cipher_close(handle_); }
  AesEcb(const AesEcb&) = delete;
  AesEcb& operator=(const AesEcb&) = delete;

  std::string Encrypt(std::string_view blocks) {
    std::string out(blocks.size(), '\0');
    Check(gcry_cipher_encrypt(handle_, out.data(), out.size(), blocks.data(), blocks.size()));
    return out;
  }
  std::string Decrypt(std::string_view blocks) {
    std::string out(blocks.size(), '\0');
    Check(gcry_cipher_decrypt(handle_, out.data(), out.size(), blocks.data(), blocks.size()));
    return out;
  }

 private:
  static void Check(gcry_error_t error) {
    if (error) throw std::runtime_error(gcry_strerror(error));
  }
  gcry_cipher_hd_t handle_ = nullptr;
};

}  // namespace tav::reference
