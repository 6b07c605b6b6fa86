#include "platform/ByteCount.h"

#include <array>
#include <cstdint>
#include <string>

namespace vimbrel {
namespace {

constexpr std::array<const char*, 7> kUnitNames = {"bytes", "KB", "MB", "GB", "TB", "PB", "EB"};
constexpr int kLargestUnit = 6;

constexpr std::uint64_t powerOfTen(int exponent) {
  std::uint64_t value = 1;
  for (int i = 0; i < exponent; ++i) value *= 10;
  return value;
}

// Adaptive precision: whole kilobytes, one digit of megabytes, two beyond.
constexpr int fractionDigitsFor(int unit) { return unit <= 1 ? 0 : unit == 2 ? 1 : 2; }

// The magnitude in the unit's hundredths, tenths or ones, rounded half to even on the
// exact integer value so no binary fraction can tip a tie either way.
std::uint64_t roundedCount(std::uint64_t magnitude, int unit) {
  const std::uint64_t divisor = powerOfTen(3 * unit - fractionDigitsFor(unit));
  const std::uint64_t quotient = magnitude / divisor;
  const std::uint64_t remainder = magnitude % divisor;
  const std::uint64_t half = divisor / 2;  // Every divisor here is a positive power of ten.
  const bool roundUp = remainder > half || (remainder == half && quotient % 2 == 1);
  return roundUp ? quotient + 1 : quotient;
}

// Digits with a comma between each group of three, as en_US writes them.
std::string groupedDigits(std::uint64_t value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  grouped.reserve(digits.size() + digits.size() / 3);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

// "12.30" with two fraction digits prints as "12.3"; "1.00" as "1".
std::string decimalText(std::uint64_t scaledCount, int fractionDigits) {
  const std::uint64_t scale = powerOfTen(fractionDigits);
  std::string text = groupedDigits(scaledCount / scale);
  std::uint64_t fraction = scaledCount % scale;
  if (fraction == 0) return text;
  int digits = fractionDigits;
  while (fraction % 10 == 0) {
    fraction /= 10;
    --digits;
  }
  std::string fractionText = std::to_string(fraction);
  text += '.';
  text.append(static_cast<std::size_t>(digits) - fractionText.size(), '0');
  text += fractionText;
  return text;
}

}  // namespace

std::string formatByteCount(std::int64_t bytes) {
  if (bytes == 0) return "Zero KB";
  // Unsigned negation keeps INT64_MIN representable.
  const std::uint64_t magnitude = bytes < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(bytes)
                                            : static_cast<std::uint64_t>(bytes);
  const std::string sign = bytes < 0 ? "-" : "";
  if (magnitude < 1000) {
    return sign + std::to_string(magnitude) + (magnitude == 1 ? " byte" : " bytes");
  }

  int unit = 1;
  while (unit < kLargestUnit && magnitude / powerOfTen(3 * unit) >= 1000) ++unit;
  std::uint64_t count = roundedCount(magnitude, unit);
  // A count that rounds up to 1,000 of its unit reads as 1 of the next one.
  if (unit < kLargestUnit && count >= 1000 * powerOfTen(fractionDigitsFor(unit))) {
    ++unit;
    count = roundedCount(magnitude, unit);
  }
  return sign + decimalText(count, fractionDigitsFor(unit)) + ' ' +
         kUnitNames[static_cast<std::size_t>(unit)];
}

}  // namespace vimbrel
