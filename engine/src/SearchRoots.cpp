#include "engine/SearchRoots.h"

#include "engine/SettingsKeys.h"
#include "platform/Grant.h"

namespace vimbrel {

SearchRoots SearchRoots::resolve(const SettingsStore& store, const char* homeGrantKey) {
  SearchRoots roots;
  roots.home = resolve_grant(store, homeGrantKey).location;
  roots.applications = resolve_grant(store, keys::kApplications).location;
  // The whole-disk grant is resolved on every run, whatever "AllowAny" holds.
  ResolvedGrant system = resolve_grant(store, keys::kMacOS);
  roots.system = system.location;
  roots.systemFoldersEnabled =
      store.integer(keys::kAllowAny) == 1 && system.location.has_value() && !system.stale;
  return roots;
}

}  // namespace vimbrel
