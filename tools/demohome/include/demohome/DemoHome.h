#pragma once

#include <cstddef>
#include <string>

#include "platform/Status.h"

namespace vimbrel::demo {

struct DemoHomeOptions {
  // The login name whose home is written under Users/.
  std::string loginName;
  // Adds about scale × 100,000 more entries for benchmarks; 0 for none.
  int scale = 0;
  // Extra entries added on top of `scale` (tests use it for a small load).
  std::size_t extraEntries = 0;
};

// The number of entries that one unit of `scale` adds.
inline constexpr std::size_t kEntriesPerScale = 100000;

// The file at the root of every generated tree. Its presence is what allows a
// later generation to clear the folder and write it anew.
inline constexpr const char* kDemoMarkerName = ".vimbrel-demo";

// What a folder chosen as the root of a demo tree holds now.
enum class DemoRootState {
  Missing,      // nothing there yet: it will be created
  Empty,        // an empty folder
  EarlierDemo,  // a folder that carries the marker of an earlier generation
  Foreign,      // a folder with other contents: never written into
  NotAFolder,   // a file or another kind of entry
};

DemoRootState inspectDemoRoot(const std::string& root);

// Writes a deterministic macOS-layout tree into `root` (created if missing):
// Applications/, Users/<login> with Library and Desktop, and the system side
// (Library/, Users/Shared/, var/). The same options always give the same tree.
// An earlier demo tree in `root` is removed first; a folder that is neither
// empty nor an earlier demo tree is refused and left untouched.
Status generateDemoHome(const std::string& root, const DemoHomeOptions& options);

// Removes what an earlier generation wrote into `root` (the top-level folders
// of the tree and the marker), never following a symbolic link. Refuses a
// folder without the marker.
Status clearDemoTree(const std::string& root);

// The paths of the generated tree that the programs are granted.
std::string demoHomeFolder(const std::string& root, const std::string& loginName);
std::string demoApplicationsFolder(const std::string& root);

}  // namespace vimbrel::demo
