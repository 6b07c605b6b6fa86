#pragma once

#include <cstddef>
#include <string>

#include "TreeWriter.h"

namespace vimbrel::demo {

// Adds exactly `entries` files and folders for benchmarks: deep trees of
// folders holding tens to hundreds of entries in Application Support, Logs and
// var/folders, and many entries directly in the flat Preferences and Caches
// folders. Nearly all names belong to made-up vendors; a few carry a demo
// application's name so that a search has something to find among them.
void writeScaleEntries(TreeWriter& writer, const std::string& home, std::size_t entries);

}  // namespace vimbrel::demo
