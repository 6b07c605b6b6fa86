#pragma once

#include <string>
#include <vector>

#include "engine/SearchRoots.h"
#include "platform/FileSystem.h"

namespace vimbrel::spider {

// Finds whether an application that arrived in the Trash is still installed
// elsewhere: updaters move the old copy to the Trash after installing the new
// one, and users drag a duplicate away or keep a copy in a folder of their
// own. Cleaning would then delete the settings of an application in use.

// Where copies are looked for: each granted Applications folder (the granted
// one, the home's "Applications" and, while system folders are enabled, the
// volume's "Applications") at any depth, and the home's top-level folders
// other than Library (the home itself included) and one folder below them.
// Bundles are never looked into, links never followed, and nothing in a
// Trash counts.
struct CopyPlace {
  std::string folder;
  bool anyDepth;  // otherwise the folder's entries and one folder below
};
std::vector<CopyPlace> copyPlaces(const SearchRoots& roots);

// What the trashed application is known by.
struct TrashedApplication {
  std::string identifier;
  std::string folderName;  // "Tool.app"
  std::string executable;  // CFBundleExecutable; may be empty
};

struct InstalledCopy {
  enum class Verdict {
    None,        // no copy anywhere
    Installed,   // a bundle with the same identifier (ASCII case ignored)
    Unreadable,  // a bundle with the same folder name or executable whose identifier
                 // cannot be read (an Info.plist truncated during an update)
  };
  Verdict verdict = Verdict::None;
  std::string path;  // the bundle found, for Installed and Unreadable
};

// The first installed copy found (an Installed one before an Unreadable one).
InstalledCopy findInstalledCopy(const FileSystem& fileSystem, const SearchRoots& roots,
                                const TrashedApplication& trashed);

}  // namespace vimbrel::spider
