#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Grant.h"
#include "platform/SettingsStore.h"

namespace vimbrel {

// The validity tests of the folder grants kept in one settings store. Each
// test resolves its grant again, so it sees the folder as it is now.
class GrantChecks {
 public:
  // `loginName` is the user's short login name, which the home folder must carry.
  GrantChecks(const SettingsStore& store, std::string loginName);
  // Uses the current user's login name.
  explicit GrantChecks(const SettingsStore& store);

  // The home grant names a folder called like the user, and it is not stale.
  bool homeValid() const;
  // The Applications grant names a folder called "Applications", not stale.
  bool applicationsValid() const;
  // The whole-disk grant names the root folder and is not stale: the
  // whole-disk sheet has nothing left to ask.
  bool wholeDiskComplete() const;
  // The root under which searches reach the system-wide folders: the
  // whole-disk grant's location while "AllowAny" is 1 and the grant is not
  // stale; nothing otherwise.
  std::optional<std::string> wholeDiskRoot() const;

  // The same tests on a grant already resolved.
  static bool isHomeGrant(const ResolvedGrant& grant, std::string_view loginName);
  static bool isApplicationsGrant(const ResolvedGrant& grant);
  static bool isRootGrant(const ResolvedGrant& grant);

 private:
  const SettingsStore& store_;
  std::string loginName_;
};

}  // namespace vimbrel
