#include "app/GrantChecks.h"

#include "engine/SettingsKeys.h"
#include "platform/HomeFolderRule.h"
#include "platform/Paths.h"
#include "platform/User.h"

namespace vimbrel {

namespace {

bool freshAndNamed(const ResolvedGrant& grant, std::string_view name) {
  return grant.location && !grant.stale && paths::lastComponent(*grant.location) == name;
}

}  // namespace

GrantChecks::GrantChecks(const SettingsStore& store, std::string loginName)
    : GrantChecks(store, std::move(loginName), keys::kHome) {}

GrantChecks::GrantChecks(const SettingsStore& store, std::string loginName, const char* homeKey)
    : store_(store), loginName_(std::move(loginName)), homeKey_(homeKey) {}

GrantChecks::GrantChecks(const SettingsStore& store) : GrantChecks(store, userLoginName()) {}

bool GrantChecks::isHomeGrant(const ResolvedGrant& grant, std::string_view loginName) {
  return grant.location && !grant.stale && isHomeFolder(*grant.location, loginName);
}

bool GrantChecks::isApplicationsGrant(const ResolvedGrant& grant) {
  return freshAndNamed(grant, "Applications");
}

bool GrantChecks::isRootGrant(const ResolvedGrant& grant) { return freshAndNamed(grant, "/"); }

bool GrantChecks::homeValid() const {
  return isHomeGrant(resolve_grant(store_, homeKey_), loginName_);
}

bool GrantChecks::applicationsValid() const {
  return isApplicationsGrant(resolve_grant(store_, keys::kApplications));
}

bool GrantChecks::wholeDiskComplete() const {
  return isRootGrant(resolve_grant(store_, keys::kMacOS));
}

const char* GrantChecks::keyFor(Kind kind) {
  switch (kind) {
    case Kind::Home:
      return keys::kHome;
    case Kind::Applications:
      return keys::kApplications;
    case Kind::WholeDisk:
      return keys::kMacOS;
  }
  return keys::kHome;
}

std::optional<std::string> GrantChecks::folderProblem(Kind kind, const std::string& folder,
                                                      std::string_view loginName) {
  switch (kind) {
    case Kind::Home:
      if (isHomeFolder(folder, loginName)) return std::nullopt;
      return homeFolderRequirement(loginName);
    case Kind::Applications:
      if (paths::lastComponent(folder) == "Applications") return std::nullopt;
      return std::string("the folder must be called \"Applications\"");
    case Kind::WholeDisk:
      // Any folder serves as the volume; only "/" completes the grant.
      return std::nullopt;
  }
  return std::nullopt;
}

GrantChecks::Status GrantChecks::status(Kind kind) const {
  Status result;
  const ResolvedGrant grant = resolve_grant(store_, keyOf(kind));
  result.location = grant.location;
  using State = Status::State;
  if (!grant.location) {
    result.state = State::Missing;
    const auto stored = store_.blob(keyOf(kind));
    result.reason =
        stored && !stored->empty() ? "missing (the folder is gone): grant it again" : "not granted";
    return result;
  }
  if (grant.stale) {
    result.state = State::Stale;
    result.reason = "stale (the folder was moved or replaced): grant it again";
    return result;
  }
  if (kind == Kind::WholeDisk) {
    if (store_.integer(keys::kAllowAny) != 1) {
      result.state = State::Invalid;
      result.reason = "stored, but AllowAny is not 1";
    } else if (paths::lastComponent(*grant.location) != "/") {
      result.state = State::Valid;
      result.reason = "not the root folder \"/\"";
    } else {
      result.state = State::Valid;
    }
    return result;
  }
  if (auto problem = folderProblem(kind, *grant.location, loginName_)) {
    result.state = State::Invalid;
    result.reason = "not valid: " + *problem;
    return result;
  }
  result.state = State::Valid;
  return result;
}

std::optional<std::string> GrantChecks::wholeDiskRoot() const {
  if (store_.integer(keys::kAllowAny) != 1) return std::nullopt;
  ResolvedGrant grant = resolve_grant(store_, keys::kMacOS);
  if (grant.stale) return std::nullopt;
  return grant.location;
}

}  // namespace vimbrel
