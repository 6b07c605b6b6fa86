#include "engine/SearchRoots.h"

#include "engine/SettingsKeys.h"
#include "platform/Grant.h"

namespace vimbrel {

SearchRoots SearchRoots::resolve(const SettingsStore& store, const char* homeGrantKey) {
  SearchRoots roots;
  auto take = [](const ResolvedGrant& grant, std::optional<std::string>& location,
                 std::optional<FileIdentity>& identity, bool& stale) {
    location = grant.location;
    if (grant.location) identity = FileIdentity{grant.device, grant.inode};
    stale = grant.stale;
  };
  take(resolve_grant(store, homeGrantKey), roots.home, roots.homeIdentity, roots.homeStale);
  take(resolve_grant(store, keys::kApplications), roots.applications, roots.applicationsIdentity,
       roots.applicationsStale);
  // The whole-disk grant is resolved on every run, whatever "AllowAny" holds.
  ResolvedGrant system = resolve_grant(store, keys::kMacOS);
  take(system, roots.system, roots.systemIdentity, roots.systemStale);
  roots.systemFoldersEnabled =
      store.integer(keys::kAllowAny) == 1 && system.location.has_value() && !system.stale;
  return roots;
}

}  // namespace vimbrel
