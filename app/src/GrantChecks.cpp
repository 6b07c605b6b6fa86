#include "app/GrantChecks.h"

#include "engine/SettingsKeys.h"
#include "platform/Paths.h"
#include "platform/User.h"

namespace vimbrel {

namespace {

bool freshAndNamed(const ResolvedGrant& grant, std::string_view name) {
  return grant.location && !grant.stale && paths::lastComponent(*grant.location) == name;
}

}  // namespace

GrantChecks::GrantChecks(const SettingsStore& store, std::string loginName)
    : store_(store), loginName_(std::move(loginName)) {}

GrantChecks::GrantChecks(const SettingsStore& store) : GrantChecks(store, userLoginName()) {}

bool GrantChecks::isHomeGrant(const ResolvedGrant& grant, std::string_view loginName) {
  // An unknown login name matches no folder.
  return !loginName.empty() && freshAndNamed(grant, loginName);
}

bool GrantChecks::isApplicationsGrant(const ResolvedGrant& grant) {
  return freshAndNamed(grant, "Applications");
}

bool GrantChecks::isRootGrant(const ResolvedGrant& grant) { return freshAndNamed(grant, "/"); }

bool GrantChecks::homeValid() const {
  return isHomeGrant(resolve_grant(store_, keys::kHome), loginName_);
}

bool GrantChecks::applicationsValid() const {
  return isApplicationsGrant(resolve_grant(store_, keys::kApplications));
}

bool GrantChecks::wholeDiskComplete() const {
  return isRootGrant(resolve_grant(store_, keys::kMacOS));
}

std::optional<std::string> GrantChecks::wholeDiskRoot() const {
  if (store_.integer(keys::kAllowAny) != 1) return std::nullopt;
  ResolvedGrant grant = resolve_grant(store_, keys::kMacOS);
  if (grant.stale) return std::nullopt;
  return grant.location;
}

}  // namespace vimbrel
