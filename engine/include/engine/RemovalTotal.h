#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/RemainderEntry.h"

namespace vimbrel {

// The bytes that removing `chosen` frees, for every total shown to the user:
// the size at the same position of `sizes` of each file location of `chosen`
// (headers and switched-off placeholders count nothing), each byte once. A
// location inside another chosen location, or listed twice, is counted with
// the outer one; with the outer one switched off it counts on its own.
// Claimed locations, and the locations holding one, are kept by every
// removal and count nothing. A position `sizes` does not reach counts 0.
std::uint64_t chosenTotal(const std::vector<RemainderEntry>& chosen,
                          const std::vector<SizeEntry>& sizes);

// The bytes a removal of `chosen` freed (the result page's size): as
// chosenTotal, without the locations that survived their deletion.
std::uint64_t removedTotal(const std::vector<RemainderEntry>& chosen,
                           const std::vector<SizeEntry>& sizes,
                           const std::vector<std::string>& survivors);

}  // namespace vimbrel
