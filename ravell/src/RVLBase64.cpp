#include "RVLBase64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace vimbrel::rvlbase64 {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of an alphabet character, or -1 for anything else.
int sextet(char16_t c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

QString encode(const QByteArray& bytes, int lineLength) {
  QString out;
  out.reserve(bytes.size() * 4 / 3 + 4 + (lineLength > 0 ? bytes.size() / lineLength * 2 : 0));
  int column = 0;
  auto put = [&](char c) {
    if (lineLength > 0 && column == lineLength) {
      out += QLatin1String("\r\n");
      column = 0;
    }
    out += QLatin1Char(c);
    ++column;
  };
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
  const qsizetype size = bytes.size();
  for (qsizetype i = 0; i < size; i += 3) {
    const qsizetype left = size - i;
    const std::uint32_t chunk = (std::uint32_t{data[i]} << 16) |
                                (left > 1 ? std::uint32_t{data[i + 1]} << 8 : 0U) |
                                (left > 2 ? std::uint32_t{data[i + 2]} : 0U);
    put(kAlphabet[(chunk >> 18) & 0x3F]);
    put(kAlphabet[(chunk >> 12) & 0x3F]);
    put(left > 1 ? kAlphabet[(chunk >> 6) & 0x3F] : '=');
    put(left > 2 ? kAlphabet[chunk & 0x3F] : '=');
  }
  return out;
}

// Turns a group of `count` sextets (1 to 4) into bytes; `decoderA` says how
// many bytes an incomplete group gives, which is where the two decoders differ.
void flushGroup(QByteArray& out, const std::array<int, 4>& group, int count, bool decoderA) {
  if (count == 0) return;
  const std::uint32_t chunk = (std::uint32_t(group[0]) << 18) | (std::uint32_t(group[1]) << 12) |
                              (std::uint32_t(group[2]) << 6) | std::uint32_t(group[3]);
  int produced = 3;
  if (count < 4) produced = decoderA ? (count == 3 ? 2 : 1) : count - 1;
  for (int i = 0; i < produced; ++i) out += char((chunk >> (16 - 8 * i)) & 0xFF);
}

QByteArray decode(const QString& text, bool decoderA) {
  QByteArray out;
  out.reserve(text.size() * 3 / 4 + 3);
  std::array<int, 4> group{};
  int count = 0;
  for (const QChar ch : text) {
    if (decoderA && ch == QLatin1Char('=')) break;
    const int value = sextet(ch.unicode());
    if (value < 0) continue;
    group[count++] = value;
    if (count == 4) {
      flushGroup(out, group, 4, decoderA);
      group = {};
      count = 0;
    }
  }
  flushGroup(out, group, count, decoderA);
  return out;
}

}  // namespace

QString encodingWithLineLength(const QByteArray& bytes, int lineLength) {
  return encode(bytes, lineLength > 0 ? lineLength : 0);
}

QByteArray decodeA(const QString& text) { return decode(text, true); }

QString encodedString(const QByteArray& bytes, bool separateLines) {
  return encode(bytes, separateLines ? 64 : 0);
}

QByteArray decodeB(const QString& text) { return decode(text, false); }

QByteArray NewBase64Encode(const void* buffer, std::size_t length, bool separateLines) {
  if (!buffer || length == 0) return {};
  const QByteArray bytes(static_cast<const char*>(buffer), qsizetype(length));
  return encodedString(bytes, separateLines).toLatin1();
}

QByteArray NewBase64Decode(const char* input, std::ptrdiff_t length) {
  if (!input) return {};
  const qsizetype size = length < 0 ? qsizetype(std::strlen(input)) : qsizetype(length);
  return decodeB(QString::fromLatin1(input, size));
}

bool hasPrefixBytes(const QByteArray& bytes, const QByteArray& prefix) {
  return bytes.startsWith(prefix);
}

bool hasSuffixBytes(const QByteArray& bytes, const QByteArray& suffix) {
  return bytes.endsWith(suffix);
}

}  // namespace vimbrel::rvlbase64
