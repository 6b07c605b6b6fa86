#pragma once

#include <vector>

#include "engine/ApplicationItem.h"
#include "engine/InstalledApplications.h"

namespace vimbrel {

// Marks the entries of `item.files` that belong to another installed
// application, so that they are shown but kept:
// - an entry is claimed by an application when one of that application's
//   values is contained in the entry's path below the folder its step listed
//   ("PhotoForge Pro/Settings.plist" is the Pro edition's), and that value is
//   at least as long, in folded characters, as the longest value of `item`
//   contained there; or when the entry is, or holds, that application's bundle;
// - everything listed inside a claimed entry is claimed by the same;
// - a listed folder that holds a claimed entry is kept as well, marked with
//   the claims of what it holds.
// The bundle under review (`item.url`) is never claimed, and `installed` may
// include it.
void markClaims(ApplicationItem& item, const std::vector<InstalledApplication>& installed);

}  // namespace vimbrel
