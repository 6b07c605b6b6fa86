#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

namespace vimbrel {

// The framework's two Base64 families. Both encode with the standard alphabet and
// "=" padding; they differ in where they break lines and in how forgiving their
// decoders are, and callers rely on each difference.
namespace rvlbase64 {

// Encoder of the byte category: a CR LF pair after every `lineLength` output
// characters (none after the last line); 0 means one single line.
QString encodingWithLineLength(const QByteArray& bytes, int lineLength = 0);

// Decoder A: skips every character outside the alphabet; the first "=" ends the
// input. A trailing group of one or two characters yields one byte, of three two.
QByteArray decodeA(const QString& text);

// Encoder of the string category: a CR LF pair after every 64 output characters
// when `separateLines` is set.
QString encodedString(const QByteArray& bytes, bool separateLines = true);

// Decoder B: skips every character outside the alphabet, "=" and line breaks
// included; a trailing group of n characters yields n - 1 bytes.
QByteArray decodeB(const QString& text);

// The free-function forms over raw buffers: the string category's encoder
// (CR LF after every 64 characters when `separateLines`), and decoder B over
// `length` characters, or up to the first NUL when `length` is negative. The
// result's size is the output length.
QByteArray NewBase64Encode(const void* buffer, std::size_t length, bool separateLines);
QByteArray NewBase64Decode(const char* input, std::ptrdiff_t length);

bool hasPrefixBytes(const QByteArray& bytes, const QByteArray& prefix);
bool hasSuffixBytes(const QByteArray& bytes, const QByteArray& suffix);

}  // namespace rvlbase64
}  // namespace vimbrel
