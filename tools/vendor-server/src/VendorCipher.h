#pragma once

#include <optional>
#include <string>

namespace vimbrel::vendor {

// The vendor side of the encrypted request format: AES-256-CBC with the key
// shared with the framework and a zero IV, carried as Base64.
namespace cipher {

inline constexpr char kSharedKey[] = "r7Tbr7Tbr7Tbr7Tbr7Tbr7Tbr7Tbr7Tb";

// Decrypts a request's "arg" (standard Base64, PKCS#7 padding removed).
std::optional<std::string> decryptArgument(const std::string& base64);
// Encrypts an answer: NUL bytes pad it to whole blocks, so the client's NUL
// stripping gives back exactly the text; single-line Base64.
std::string encryptAnswer(const std::string& text);

std::string base64Encode(const std::string& bytes);
// Ignores characters outside the alphabet (line breaks included).
std::string base64Decode(const std::string& text);
// Decodes %XX escapes (and "+" as a space) of a form field.
std::string percentDecode(const std::string& text);

}  // namespace cipher
}  // namespace vimbrel::vendor
