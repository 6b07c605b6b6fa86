#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/SearchRoots.h"

namespace vimbrel {

// The well-known folders a search walks, built from the roots once per run.
// A folder whose root is not granted is absent; system folders are absent
// unless they are enabled.
struct SearchFolders {
  using Folder = std::optional<std::string>;
  Folder library, preferences, applicationSupport, applicationScripts, containers, caches, cookies,
      launchAgents, logs, csxs, crashReporter, savedApplicationState, addressBookPlugIns, helpd,
      groupContainers, services, webKit, desktop;
  Folder shared, var, varDb, varFolders, varRun, systemLibrary, systemApplicationSupport,
      systemLogs, systemLaunchAgents, systemLaunchDaemons, privilegedTools;

  explicit SearchFolders(const SearchRoots& roots);
  // Every folder of the table that is present.
  std::vector<std::string> all() const;
  // Makes every folder for which `reachable` is false absent.
  void keepOnly(const std::function<bool(const std::string&)>& reachable);

 private:
  std::vector<const Folder*> members() const;
};

}  // namespace vimbrel
