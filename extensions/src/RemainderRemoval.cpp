#include "RemainderRemoval.h"

#include <set>

#include "engine/RemainderSearch.h"
#include "engine/Removal.h"
#include "engine/SafetyPolicy.h"
#include "engine/SearchRoots.h"
#include "engine/SearchVariant.h"

namespace vimbrel::extensions {

std::vector<std::string> searchAndRemove(ApplicationItem& record, const FileSystem& fileSystem,
                                         const SettingsStore& store) {
  const SearchVariant variant = SearchVariant::bundleRemoval();
  const SearchRoots roots = SearchRoots::resolve(store, variant.homeGrantKey);
  RemainderSearch(fileSystem, variant).run(record, roots);
  // The removal reports a location only when it is still there after its own
  // deletion attempt: entries that went, and headers, are never failures.
  const SafetyPolicy policy(roots);
  std::vector<std::string> survivors;
  Removal(fileSystem, policy).remove(record.files, record.url, survivors);
  // A plug-in can find itself again in its own folder (address-book plug-ins
  // are searched for there); a location that stayed is reported once.
  std::set<std::string> seen;
  std::erase_if(survivors, [&](const std::string& path) { return !seen.insert(path).second; });
  return survivors;
}

void reportSurvivors(WorkflowState& state, std::vector<std::string> survivors) {
  if (survivors.empty()) return;
  state.set_remainder_urls(std::move(survivors));
}

}  // namespace vimbrel::extensions
