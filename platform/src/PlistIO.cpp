#include "PlistIO.h"

#include "platform/PlistReader.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace vimbrel::plistio {

PlistPtr parse(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size == 0 || size > std::numeric_limits<std::uint32_t>::max()) {
    return nullptr;
  }
  return PlistPtr(plistreader::parse(data, size));
}

std::optional<std::vector<std::uint8_t>> toBinary(plist_t node) {
  if (node == nullptr) return std::nullopt;
  char* bytes = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(node, &bytes, &length);
  if (bytes == nullptr) return std::nullopt;
  std::vector<std::uint8_t> out(reinterpret_cast<const std::uint8_t*>(bytes),
                                reinterpret_cast<const std::uint8_t*>(bytes) + length);
  plist_to_bin_free(bytes);
  return out;
}

bool isDictionary(plist_t node) {
  return node != nullptr && plist_get_node_type(node) == PLIST_DICT;
}

std::int64_t leadingInteger(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  // Accumulate as a negative number so that the minimum value fits exactly.
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  bool saturated = false;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    const int digit = text[at] - '0';
    if (value < (kMin + digit) / 10) {
      saturated = true;
      break;
    }
    value = value * 10 - digit;
  }
  if (saturated) return negative ? kMin : std::numeric_limits<std::int64_t>::max();
  if (negative) return value;
  return value == kMin ? std::numeric_limits<std::int64_t>::max() : -value;
}

namespace {

std::int64_t floorToInteger(double value) {
  if (std::isnan(value)) return 0;
  const double floored = std::floor(value);
  // 2^63 is exactly representable; anything at or above it saturates.
  constexpr double kLimit = 9223372036854775808.0;
  if (floored >= kLimit) return std::numeric_limits<std::int64_t>::max();
  if (floored < -kLimit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(floored);
}

}  // namespace

std::int64_t coerceInteger(plist_t node) {
  if (node == nullptr) return 0;
  switch (plist_get_node_type(node)) {
    case PLIST_UINT: {
      // Binary property lists keep signed 64-bit integers; libplist hands
      // them out as unsigned, so the bits carry negative values through.
      std::uint64_t value = 0;
      plist_get_uint_val(node, &value);
      return static_cast<std::int64_t>(value);
    }
    case PLIST_BOOLEAN: {
      std::uint8_t value = 0;
      plist_get_bool_val(node, &value);
      return value != 0 ? 1 : 0;
    }
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return floorToInteger(value);
    }
    case PLIST_STRING: {
      auto text = stringValue(node);
      return text ? leadingInteger(*text) : 0;
    }
    default:
      return 0;
  }
}

std::optional<std::string> stringValue(plist_t node) {
  if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
  std::uint64_t length = 0;
  const char* text = plist_get_string_ptr(node, &length);
  if (text == nullptr) return std::string();
  return std::string(text, length);
}

std::optional<std::vector<std::uint8_t>> dataValue(plist_t node) {
  if (node == nullptr || plist_get_node_type(node) != PLIST_DATA) return std::nullopt;
  std::uint64_t length = 0;
  const char* bytes = plist_get_data_ptr(node, &length);
  if (bytes == nullptr || length == 0) return std::vector<std::uint8_t>();
  const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes);
  return std::vector<std::uint8_t>(begin, begin + length);
}

std::optional<std::uint64_t> unsignedValue(plist_t node) {
  if (node == nullptr || plist_get_node_type(node) != PLIST_UINT) return std::nullopt;
  std::uint64_t value = 0;
  plist_get_uint_val(node, &value);
  return value;
}

}  // namespace vimbrel::plistio
