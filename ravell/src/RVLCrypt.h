#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vimbrel {

// AES-256-CBC with a zero IV and the digests the framework needs. The key is the
// UTF-8 form of a key string, cut to 32 bytes and zero-filled to 32.
namespace rvlcrypt {

// The key compiled into the framework for the vendor API's encrypted traffic.
inline constexpr char kBuiltInKey[] = "r7Tbr7Tbr7Tbr7Tbr7Tbr7Tbr7Tbr7Tb";

// Encrypts with PKCS#7 padding (a whole block of padding when already aligned).
std::optional<QByteArray> aes256Encrypt(const QByteArray& plain, const QString& key);
// Decrypts without removing padding: the result has the input's length. Input
// whose length is not a multiple of 16 fails.
std::optional<QByteArray> aes256Decrypt(const QByteArray& cipher, const QString& key);

// The string forms: UTF-8, encrypt, single-line Base64; and Base64 (decoder A),
// decrypt, UTF-8, every NUL character removed. Invalid UTF-8 fails.
std::optional<QString> aes256EncryptString(const QString& plain, const QString& key);
std::optional<QString> aes256DecryptString(const QString& base64, const QString& key);

// Lowercase hexadecimal digests.
QString md5Hex(const QByteArray& bytes);
QString sha256Hex(const QByteArray& bytes);

}  // namespace rvlcrypt
}  // namespace vimbrel
