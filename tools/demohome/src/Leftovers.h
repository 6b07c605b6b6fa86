#pragma once

#include <string>

#include "TreeWriter.h"

namespace vimbrel::demo {

// Writes the leftovers of every demo application into the home (`home` is
// relative to the tree's root, "Users/<login>") and the system side, the
// special cases that exercise single matching rules, and the files of other
// vendors that no demo application may match.
void writeLeftovers(TreeWriter& writer, const std::string& home);

}  // namespace vimbrel::demo
