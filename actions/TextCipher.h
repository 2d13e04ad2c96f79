// The password digest and the text cipher of protected schemes.
//
// Texts come in and go out as UTF-8; the digest and the cipher work on their
// code page 936 (GB2312) bytes, so that digests and cipher texts made by any
// copy of the program stay valid. Cipher text format, for a plaintext of
// n >= 1 bytes: n as 4 little-endian bytes, then the plaintext encrypted
// with AES-128 in ECB mode, the last block filled up with zero bytes; all of
// it written as uppercase hexadecimal. The key block is the first 16 bytes
// of the password, filled up with zero bytes.
//
// All functions are pure and may run on any thread.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// MD5 of the text's code page 936 bytes as 32 lowercase hexadecimal digits.
// Throws EncodingError when the text holds a character GB2312 lacks.
std::string DigestText(std::string_view text);

// The cipher text of `plain` under `password`; empty for an empty plaintext.
// Throws EncodingError when either holds a character GB2312 lacks.
std::string EncryptText(std::string_view password, std::string_view plain);

// The plaintext of `cipherText` under `password`; empty for an empty text.
// Throws Error "Stream read error" when it has fewer than 4 bytes,
// EAESError "Invalid buffer size for decryption" when the rest is not whole
// blocks, ConversionError for a piece that is not hexadecimal, and
// EncodingError when the decrypted bytes are not GB2312 text (the usual
// outcome of a wrong password).
std::string DecryptText(std::string_view password, std::string_view cipherText);

// Bytes as two uppercase hexadecimal digits each.
std::string BytesToHex(std::string_view bytes);

// Hexadecimal text to bytes, two digits a byte, a last odd digit alone;
// upper or lower case. A piece that is not hexadecimal throws
// ConversionError "'0x<piece>' is not a valid integer value".
std::string HexToBytes(std::string_view hex);

}  // namespace tav
