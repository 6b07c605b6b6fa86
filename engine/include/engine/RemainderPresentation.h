#pragma once

#include <string>

#include "engine/RemainderEntry.h"

namespace vimbrel {

// How the review shows a remainder list: the label of each group header and
// the name shown for each location.
const char* groupLabel(RemainderGroup group);

// The name shown for a location: its last component, except that cookie files
// and help caches are shown as "Cookie files" and "Help files".
std::string shownName(const std::string& path);

}  // namespace vimbrel
