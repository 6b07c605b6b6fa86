#pragma once

#include <string>
#include <vector>

#include "engine/SearchRoots.h"
#include "platform/FileSystem.h"

namespace vimbrel {

// An installed application as the claim rule sees it: its label, where its
// bundle lies, and the values its files are named with.
struct InstalledApplication {
  std::string label;
  std::string url;  // the bundle, normalized
  // Bundle identifier, label, CFBundleName, the identifier's last component,
  // executable and company, as the catalog derives them; absent and generic
  // values left out (see isGenericValue).
  std::vector<std::string> values;
};

// Every application bundle the catalog finds in the granted Applications
// folder, in the Applications folder of the granted disk and in the home's
// Applications folder, without the list's filters: the Utilities folder and
// the platform's own applications are included. Each bundle once.
std::vector<InstalledApplication> installedApplications(const FileSystem& fileSystem,
                                                        const SearchRoots& roots);

}  // namespace vimbrel
