#pragma once

#include <cstdint>
#include <string>

namespace vimbrel {

// The platform's byte-count text in its file style: decimal units, "Zero KB"
// for 0, "1 byte", "999 bytes", "2 KB" for 1500, "1.2 MB", "2.34 GB"; rounding
// half to even; a value that would round to 1,000 of a unit is shown in the next.
std::string formatByteCount(std::int64_t bytes);

}  // namespace vimbrel
