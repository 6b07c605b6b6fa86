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

// The note under a claimed entry's name: "Also used by Tool Pro" (labels
// joined by ", "); empty for an entry no other application claims.
std::string alsoUsedBy(const RemainderEntry& entry);

// Whose the entry is and on what evidence: "shared by \"Google\" (vendor
// google); Google Drive: vendor google"; empty when it was not judged.
std::string ownershipDescription(const RemainderEntry& entry);

// Why the search listed an entry, in one line (the review's tool tip):
// "step 2, bundle identifier com.example.Tool (contains)"; empty when the
// search recorded nothing.
std::string matchDescription(const RemainderEntry& entry);

}  // namespace vimbrel
