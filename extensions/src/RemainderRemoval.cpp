#include "RemainderRemoval.h"

#include <set>

#include "engine/RemainderSearch.h"
#include "engine/Removal.h"
#include "engine/SafetyPolicy.h"
#include "engine/SearchRoots.h"
#include "engine/SearchVariant.h"

namespace vimbrel::extensions {

std::vector<Survivor> searchAndRemove(ApplicationItem& record, const FileSystem& fileSystem,
                                      const SettingsStore& store) {
  const SearchVariant variant = SearchVariant::bundleRemoval();
  const SearchRoots roots = SearchRoots::resolve(store, variant.homeGrantKey);
  RemainderSearch(fileSystem, variant).run(record, roots);
  // The removal reports a location only when it was neither deleted nor
  // confirmed absent: entries that went, and headers, are never failures.
  const SafetyPolicy policy(roots);
  std::vector<Survivor> survivors;
  Removal(fileSystem, policy).remove(record.files, record.url, survivors);
  // A plug-in can find itself again in its own folder (address-book plug-ins
  // are searched for there); a location that stayed is reported once.
  std::set<std::string> seen;
  std::erase_if(survivors,
                [&](const Survivor& survivor) { return !seen.insert(survivor.path).second; });
  return survivors;
}

void reportSurvivors(WorkflowState& state, std::vector<Survivor> survivors) {
  if (survivors.empty()) return;
  state.set_remainder_survivors(std::move(survivors));
}

}  // namespace vimbrel::extensions
