#include "RVLCrypt.h"

#include <openssl/evp.h>

#include <QStringDecoder>
#include <array>
#include <memory>

#include "RVLBase64.h"

namespace vimbrel::rvlcrypt {
namespace {

constexpr int kBlock = 16;

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

std::array<unsigned char, 32> keyBytes(const QString& key) {
  std::array<unsigned char, 32> bytes{};
  const QByteArray utf8 = key.toUtf8();
  for (qsizetype i = 0; i < utf8.size() && i < qsizetype(bytes.size()); ++i) {
    bytes[std::size_t(i)] = static_cast<unsigned char>(utf8[i]);
  }
  return bytes;
}

std::optional<QByteArray> run(const QByteArray& input, const QString& key, bool encrypt) {
  CipherContext ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!ctx) return std::nullopt;
  const auto keyData = keyBytes(key);
  const std::array<unsigned char, kBlock> iv{};
  if (EVP_CipherInit_ex2(ctx.get(), EVP_aes_256_cbc(), keyData.data(), iv.data(), encrypt ? 1 : 0,
                         nullptr) != 1) {
    return std::nullopt;
  }
  // Decryption keeps the padding bytes in its output, as the vendor's format expects.
  EVP_CIPHER_CTX_set_padding(ctx.get(), encrypt ? 1 : 0);
  QByteArray output(input.size() + kBlock, Qt::Uninitialized);
  auto* out = reinterpret_cast<unsigned char*>(output.data());
  int written = 0;
  int finalWritten = 0;
  if (EVP_CipherUpdate(ctx.get(), out, &written,
                       reinterpret_cast<const unsigned char*>(input.constData()),
                       int(input.size())) != 1 ||
      EVP_CipherFinal_ex(ctx.get(), out + written, &finalWritten) != 1) {
    return std::nullopt;
  }
  output.resize(written + finalWritten);
  return output;
}

QString digestHex(const QByteArray& bytes, const EVP_MD* md) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  if (EVP_Digest(bytes.constData(), std::size_t(bytes.size()), digest.data(), &length, md,
                 nullptr) != 1) {
    return {};
  }
  return QString::fromLatin1(
      QByteArray(reinterpret_cast<const char*>(digest.data()), int(length)).toHex());
}

}  // namespace

std::optional<QByteArray> aes256Encrypt(const QByteArray& plain, const QString& key) {
  return run(plain, key, true);
}

std::optional<QByteArray> aes256Decrypt(const QByteArray& cipher, const QString& key) {
  if (cipher.size() % kBlock != 0) return std::nullopt;
  return run(cipher, key, false);
}

std::optional<QString> aes256EncryptString(const QString& plain, const QString& key) {
  const auto cipher = aes256Encrypt(plain.toUtf8(), key);
  if (!cipher) return std::nullopt;
  return rvlbase64::encodingWithLineLength(*cipher, 0);
}

std::optional<QString> aes256DecryptString(const QString& base64, const QString& key) {
  const auto plain = aes256Decrypt(rvlbase64::decodeA(base64), key);
  if (!plain) return std::nullopt;
  QStringDecoder decoder(QStringDecoder::Utf8);
  QString text = decoder(*plain);
  if (decoder.hasError()) return std::nullopt;
  text.remove(QChar(u'\0'));
  return text;
}

QString md5Hex(const QByteArray& bytes) { return digestHex(bytes, EVP_md5()); }

QString sha256Hex(const QByteArray& bytes) { return digestHex(bytes, EVP_sha256()); }

}  // namespace vimbrel::rvlcrypt
