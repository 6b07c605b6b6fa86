#include "VendorCipher.h"

#include <openssl/evp.h>

#include <array>
#include <memory>

namespace vimbrel::vendor::cipher {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::optional<std::string> run(const std::string& input, bool encrypt, bool padding) {
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                      &EVP_CIPHER_CTX_free);
  const std::array<unsigned char, 16> iv{};
  if (!ctx || EVP_CipherInit_ex2(ctx.get(), EVP_aes_256_cbc(),
                                 reinterpret_cast<const unsigned char*>(kSharedKey), iv.data(),
                                 encrypt ? 1 : 0, nullptr) != 1) {
    return std::nullopt;
  }
  EVP_CIPHER_CTX_set_padding(ctx.get(), padding ? 1 : 0);
  std::string output(input.size() + 16, '\0');
  auto* out = reinterpret_cast<unsigned char*>(output.data());
  int written = 0;
  int last = 0;
  if (EVP_CipherUpdate(ctx.get(), out, &written,
                       reinterpret_cast<const unsigned char*>(input.data()),
                       static_cast<int>(input.size())) != 1 ||
      EVP_CipherFinal_ex(ctx.get(), out + written, &last) != 1) {
    return std::nullopt;
  }
  output.resize(static_cast<std::size_t>(written + last));
  return output;
}

int sextet(char c) {
  for (int i = 0; i < 64; ++i) {
    if (kAlphabet[i] == c) return i;
  }
  return -1;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> decryptArgument(const std::string& base64) {
  return run(base64Decode(base64), false, true);
}

std::string encryptAnswer(const std::string& text) {
  std::string padded = text;
  padded.resize((text.size() + 15) / 16 * 16, '\0');
  return base64Encode(run(padded, true, false).value_or(std::string()));
}

std::string base64Encode(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = bytes.size() - i;
    unsigned chunk = static_cast<unsigned char>(bytes[i]) << 16;
    if (left > 1) chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (left > 2) chunk |= static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[(chunk >> 18) & 63];
    out += kAlphabet[(chunk >> 12) & 63];
    out += left > 1 ? kAlphabet[(chunk >> 6) & 63] : '=';
    out += left > 2 ? kAlphabet[chunk & 63] : '=';
  }
  return out;
}

std::string base64Decode(const std::string& text) {
  std::string out;
  unsigned chunk = 0;
  int bits = 0;
  for (const char c : text) {
    const int value = sextet(c);
    if (value < 0) continue;
    chunk = (chunk << 6) | static_cast<unsigned>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((chunk >> bits) & 0xFF);
    }
  }
  return out;
}

std::string percentDecode(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
               hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace vimbrel::vendor::cipher
