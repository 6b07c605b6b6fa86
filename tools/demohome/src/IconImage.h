#pragma once

#include <cstdint>
#include <string>

namespace vimbrel::demo {

// A square RGBA PNG image of `pixels` × `pixels`: a rounded tile in a colour
// picked from `seed` with a lighter diagonal band. The image data is stored
// uncompressed, so no compression library is needed and the bytes never vary.
std::string makeIconPng(std::uint64_t seed, std::uint32_t pixels);

// An icon container ('icns' magic, total length) holding one PNG entry of
// the 128 × 128 type ('ic07').
std::string makeIcns(const std::string& png128);

}  // namespace vimbrel::demo
