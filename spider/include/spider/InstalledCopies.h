#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/SearchRoots.h"
#include "platform/FileSystem.h"

namespace vimbrel::spider {

// Finds whether an application that arrived in the Trash is still installed
// elsewhere: updaters move the old copy to the Trash after installing the new
// one, and users drag a duplicate away. Cleaning would then delete the
// settings of an application still in use.
//
// The folders looked at: the granted Applications folder, the home's
// "Applications" and, while the whole-volume grant is in use, the volume's
// "Applications" (each once).
std::vector<std::string> applicationFolders(const SearchRoots& roots);

// The first application bundle whose identifier equals `identifier` (without
// regard to ASCII case) in `folders`, at the catalog's depths (directly, and
// up to two folder levels below, three below "Utilities"), never looking into
// a bundle. Anything in a Trash is not a copy. Nothing when there is none.
std::optional<std::string> findInstalledCopy(const FileSystem& fileSystem,
                                             const std::vector<std::string>& folders,
                                             const std::string& identifier);

}  // namespace vimbrel::spider
