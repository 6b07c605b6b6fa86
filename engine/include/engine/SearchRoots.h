#pragma once

#include <optional>
#include <string>

#include "platform/SettingsStore.h"

namespace vimbrel {

// The granted folders one search or removal works in, resolved afresh each run.
struct SearchRoots {
  std::optional<std::string> home;          // the home-folder grant, stale or not
  std::optional<std::string> applications;  // the Applications grant
  std::optional<std::string> system;        // the whole-disk grant
  // "AllowAny" reads exactly 1 and the whole-disk grant resolved without being stale.
  bool systemFoldersEnabled = false;

  // Resolves the grants of `store`, taking the home folder from `homeGrantKey`.
  static SearchRoots resolve(const SettingsStore& store, const char* homeGrantKey);
};

}  // namespace vimbrel
