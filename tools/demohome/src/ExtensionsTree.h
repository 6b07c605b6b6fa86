#pragma once

#include <string>

#include "TreeWriter.h"

namespace vimbrel::demo {

// Writes plug-ins and preference panes into the home and system Library
// folders, and Safari's list of installed extensions (a binary property
// list) with the extension archives beside it. `home` is relative to the
// tree's root.
void writeExtensions(TreeWriter& writer, const std::string& home);

}  // namespace vimbrel::demo
