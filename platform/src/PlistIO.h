#pragma once

#include <plist/plist.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Small helpers over the libplist C API: an owning handle, parsing and
// serializing without surprises, and typed reads that tolerate other types.
namespace vimbrel::plistio {

struct PlistDeleter {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Parses a binary or XML property list after the reader's structure check.
// Nothing when the bytes are not one (libplist reports failure as a null
// result), fail the check, or are too long for its 32-bit lengths.
PlistPtr parse(const std::uint8_t* data, std::size_t size);

// The binary form of `node`; nothing when libplist cannot serialize it.
std::optional<std::vector<std::uint8_t>> toBinary(plist_t node);

bool isDictionary(plist_t node);

// Reads a value as an integer the way the settings stores do: an integer as
// itself, a boolean as 0 or 1, a real as its floor (clamped to the 64-bit
// range, NaN as 0), a string as the number it starts with; anything else 0.
std::int64_t coerceInteger(plist_t node);

// The text of a string node; nothing for any other type.
std::optional<std::string> stringValue(plist_t node);
// The bytes of a data node; nothing for any other type.
std::optional<std::vector<std::uint8_t>> dataValue(plist_t node);
// The value of an unsigned integer node; nothing for any other type.
std::optional<std::uint64_t> unsignedValue(plist_t node);

// The integer a string starts with: leading white space, an optional sign,
// then decimal digits, saturating at the 64-bit limits; 0 when there are none.
std::int64_t leadingInteger(std::string_view text);

}  // namespace vimbrel::plistio
