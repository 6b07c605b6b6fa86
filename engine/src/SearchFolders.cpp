#include "engine/SearchFolders.h"

#include "platform/Paths.h"

namespace vimbrel {

namespace {

using Folder = SearchFolders::Folder;

Folder below(const Folder& base, const char* component) {
  if (!base) return std::nullopt;
  return paths::append(*base, component);
}

}  // namespace

SearchFolders::SearchFolders(const SearchRoots& roots) {
  library = below(roots.home, "Library");
  preferences = below(library, "Preferences");
  applicationSupport = below(library, "Application Support");
  applicationScripts = below(library, "Application Scripts");
  containers = below(library, "Containers");
  caches = below(library, "Caches");
  cookies = below(library, "Cookies");
  launchAgents = below(library, "LaunchAgents");
  logs = below(library, "Logs");
  csxs = below(logs, "CSXS");
  crashReporter = below(applicationSupport, "CrashReporter");
  savedApplicationState = below(library, "Saved Application State");
  addressBookPlugIns = below(library, "Address Book Plug-Ins");
  helpd = below(caches, "com.apple.helpd");
  groupContainers = below(library, "Group Containers");
  services = below(library, "Services");
  webKit = below(library, "WebKit");
  desktop = below(roots.home, "Desktop");

  const Folder system = roots.systemFoldersEnabled ? roots.system : std::nullopt;
  shared = below(system, "Users/Shared");
  var = below(system, "var");
  varDb = below(var, "db");
  varFolders = below(var, "folders");
  varRun = below(var, "run");
  systemLibrary = below(system, "Library");
  systemApplicationSupport = below(systemLibrary, "Application Support");
  systemLogs = below(systemLibrary, "Logs");
  systemLaunchAgents = below(systemLibrary, "LaunchAgents");
  systemLaunchDaemons = below(systemLibrary, "LaunchDaemons");
  privilegedTools = below(systemLibrary, "PrivilegedHelperTools");
}

std::vector<std::string> SearchFolders::all() const {
  std::vector<std::string> result;
  for (const Folder* folder : members()) {
    if (*folder) result.push_back(**folder);
  }
  return result;
}

void SearchFolders::keepOnly(const std::function<bool(const std::string&)>& reachable) {
  for (const Folder* member : members()) {
    auto* folder = const_cast<Folder*>(member);
    if (*folder && !reachable(**folder)) folder->reset();
  }
}

std::vector<const SearchFolders::Folder*> SearchFolders::members() const {
  return {&library,
          &preferences,
          &applicationSupport,
          &applicationScripts,
          &containers,
          &caches,
          &cookies,
          &launchAgents,
          &logs,
          &csxs,
          &crashReporter,
          &savedApplicationState,
          &addressBookPlugIns,
          &helpd,
          &groupContainers,
          &services,
          &webKit,
          &desktop,
          &shared,
          &var,
          &varDb,
          &varFolders,
          &varRun,
          &systemLibrary,
          &systemApplicationSupport,
          &systemLogs,
          &systemLaunchAgents,
          &systemLaunchDaemons,
          &privilegedTools};
}

}  // namespace vimbrel
