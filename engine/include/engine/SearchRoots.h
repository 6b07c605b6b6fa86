#pragma once

#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace vimbrel {

// The granted folders one search or removal works in, resolved afresh each run.
struct SearchRoots {
  std::optional<std::string> home;          // the home-folder grant, stale or not
  std::optional<std::string> applications;  // the Applications grant
  std::optional<std::string> system;        // the whole-disk grant
  // "AllowAny" reads exactly 1 and the whole-disk grant resolved without being stale.
  bool systemFoldersEnabled = false;
  // The folders that were granted, for removal to check that each root is
  // still the same folder. A root without one is taken as it is when the
  // removal's policy is made; a stale grant's root never deletes.
  std::optional<FileIdentity> homeIdentity, applicationsIdentity, systemIdentity;
  bool homeStale = false, applicationsStale = false, systemStale = false;

  // Resolves the grants of `store`, taking the home folder from `homeGrantKey`.
  static SearchRoots resolve(const SettingsStore& store, const char* homeGrantKey);
};

}  // namespace vimbrel
