#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace vimbrel {

// What the result page shows after a removal, besides the result itself.
enum class RemovalFollowUp {
  None,
  CantRemove,    // a survivor still exists: offer to show it
  RateApp,       // every tenth removal, until rated: the rating popover
  RateAppCount,  // every tenth launch, until rated: the rating sheet
};

// Counts the removal in "removeAppCount" and picks what follows it: a
// survivor that still exists first, then the rating prompts by their counters.
RemovalFollowUp countRemovalAndChooseFollowUp(SettingsStore& settings,
                                              const std::vector<std::string>& survivors,
                                              const FileSystem& fileSystem);

}  // namespace vimbrel
