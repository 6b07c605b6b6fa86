#include "IconImage.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

namespace vimbrel::demo {

namespace {

void appendBigEndian32(std::string& out, std::uint32_t value) {
  out += static_cast<char>((value >> 24) & 0xff);
  out += static_cast<char>((value >> 16) & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
  out += static_cast<char>(value & 0xff);
}

std::uint32_t crc32(std::string_view data) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> entries{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320U ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  std::uint32_t crc = 0xffffffffU;
  for (const char byte : data)
    crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xff] ^ (crc >> 8);
  return crc ^ 0xffffffffU;
}

std::uint32_t adler32(std::string_view data) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const char byte : data) {
    a = (a + static_cast<unsigned char>(byte)) % 65521U;
    b = (b + a) % 65521U;
  }
  return (b << 16) | a;
}

void appendChunk(std::string& png, std::string_view type, std::string_view data) {
  appendBigEndian32(png, static_cast<std::uint32_t>(data.size()));
  std::string typed(type);
  typed += data;
  png += typed;
  appendBigEndian32(png, crc32(typed));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string zlibStored(std::string_view raw) {
  std::string out("\x78\x01", 2);
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min<std::size_t>(raw.size() - offset, 65535);
    const bool last = offset + length == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    out += static_cast<char>(length & 0xff);
    out += static_cast<char>((length >> 8) & 0xff);
    out += static_cast<char>(~length & 0xff);
    out += static_cast<char>((~length >> 8) & 0xff);
    out.append(raw.substr(offset, length));
    offset += length;
  } while (offset < raw.size());
  appendBigEndian32(out, adler32(raw));
  return out;
}

// RGBA of one pixel: transparent outside a rounded tile, the base colour
// inside, lightened along one diagonal band.
std::array<unsigned char, 4> pixelAt(std::uint32_t x, std::uint32_t y, std::uint32_t size,
                                     std::uint64_t seed) {
  const auto base = [&](int shift) { return static_cast<int>(64 + ((seed >> shift) & 0x7f)); };
  const int radius = static_cast<int>(size / 5);
  const int last = static_cast<int>(size) - 1;
  const int dx = std::max({radius - static_cast<int>(x), static_cast<int>(x) - (last - radius), 0});
  const int dy = std::max({radius - static_cast<int>(y), static_cast<int>(y) - (last - radius), 0});
  if (dx * dx + dy * dy > radius * radius) return {0, 0, 0, 0};
  const int band =
      std::abs(static_cast<int>(x) - static_cast<int>(y)) < static_cast<int>(size / 6) ? 60 : 0;
  const auto channel = [&](int shift) {
    return static_cast<unsigned char>(std::min(255, base(shift) + band));
  };
  return {channel(0), channel(8), channel(16), 255};
}

}  // namespace

std::string makeIconPng(std::uint64_t seed, std::uint32_t pixels) {
  std::string raw;
  raw.reserve(static_cast<std::size_t>(pixels) * (1 + 4 * pixels));
  for (std::uint32_t y = 0; y < pixels; ++y) {
    raw += '\0';  // filter type None
    for (std::uint32_t x = 0; x < pixels; ++x) {
      for (const unsigned char channel : pixelAt(x, y, pixels, seed))
        raw += static_cast<char>(channel);
    }
  }
  std::string header;
  appendBigEndian32(header, pixels);
  appendBigEndian32(header, pixels);
  // Bit depth 8, colour type 6 (RGBA), deflate, adaptive filtering, no interlace.
  header.append("\x08\x06\x00\x00\x00", 5);
  std::string png("\x89PNG\r\n\x1a\n", 8);
  appendChunk(png, "IHDR", header);
  appendChunk(png, "IDAT", zlibStored(raw));
  appendChunk(png, "IEND", {});
  return png;
}

std::string makeIcns(const std::string& png128) {
  std::string icns("icns");
  appendBigEndian32(icns, static_cast<std::uint32_t>(8 + 8 + png128.size()));
  icns += "ic07";
  appendBigEndian32(icns, static_cast<std::uint32_t>(8 + png128.size()));
  icns += png128;
  return icns;
}

}  // namespace vimbrel::demo
