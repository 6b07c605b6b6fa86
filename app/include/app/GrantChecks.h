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
  // The three folder grants of the window.
  enum class Kind { Home, Applications, WholeDisk };
  // What a grant is worth now, and why, in the words `vimbrel-cli grants` uses.
  struct Status {
    enum class State { Valid, Stale, Missing, Invalid };
    State state = State::Missing;
    std::optional<std::string> location;
    std::string reason;  // empty when valid
  };

  // `loginName` is the user's short login name, which the home folder must carry.
  GrantChecks(const SettingsStore& store, std::string loginName);
  // The agent keeps its home grant under another key ("HomeAccess").
  GrantChecks(const SettingsStore& store, std::string loginName, const char* homeKey);
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

  // The grant of `kind` as it is now: its folder, whether it counts, and why not.
  Status status(Kind kind) const;
  // The settings key that holds the application's grant of `kind`.
  static const char* keyFor(Kind kind);
  // The key this store's grant of `kind` is kept under.
  const char* keyOf(Kind kind) const { return kind == Kind::Home ? homeKey_ : keyFor(kind); }
  // Why a chosen `folder` cannot serve as the grant of `kind`; nothing when it can.
  static std::optional<std::string> folderProblem(Kind kind, const std::string& folder,
                                                  std::string_view loginName);

  // The same tests on a grant already resolved.
  static bool isHomeGrant(const ResolvedGrant& grant, std::string_view loginName);
  static bool isApplicationsGrant(const ResolvedGrant& grant);
  static bool isRootGrant(const ResolvedGrant& grant);

 private:
  const SettingsStore& store_;
  std::string loginName_;
  const char* homeKey_;
};

}  // namespace vimbrel
