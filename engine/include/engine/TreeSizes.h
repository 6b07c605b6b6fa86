#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace vimbrel {

// The byte count of each location: a folder counts every non-hidden file and
// link inside it (packages entered, links never followed, each link its own
// size, never entering another mount); anything else counts its own size; a
// missing location, or one with another file system mounted on it, counts 0.
// Locations nested inside other listed folders are summed during the outer
// folder's walk, so no subtree is walked twice. A file with several hard
// links counts its bytes once, at the first link met, in all the sizes of
// one call together. The walks of separate folders run on up to `jobs`
// threads (see SearchPool); the sizes do not depend on it.
std::vector<std::uint64_t> treeSizes(const FileSystem& fileSystem,
                                     const std::vector<std::string>& locations, int jobs = 1);

// What the size walk of a list of locations found, position by position.
struct TreeContents {
  std::vector<std::uint64_t> sizes;  // as treeSizes
  // The application bundles at any depth inside each folder (the outermost of
  // nested ones), met by the same walk.
  std::vector<std::vector<std::string>> bundles;
};
TreeContents treeContents(const FileSystem& fileSystem, const std::vector<std::string>& locations,
                          int jobs = 1);

// The byte count of one location, by the same rule.
std::uint64_t treeSize(const FileSystem& fileSystem, const std::string& location);

}  // namespace vimbrel
