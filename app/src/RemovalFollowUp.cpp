#include "app/RemovalFollowUp.h"

#include "engine/SettingsKeys.h"

namespace vimbrel {

RemovalFollowUp countRemovalAndChooseFollowUp(SettingsStore& settings,
                                              const std::vector<std::string>& survivors,
                                              const FileSystem& fileSystem) {
  const std::int64_t removals = settings.integer(keys::kRemoveAppCount) + 1;
  settings.setInteger(keys::kRemoveAppCount, removals);
  settings.synchronize();
  const std::int64_t rated = settings.integer(keys::kAppIsRate);
  const std::int64_t launches = settings.integer(keys::kAppLaunchCount);
  if (!survivors.empty() && fileSystem.exists(survivors.front())) {
    return RemovalFollowUp::CantRemove;
  }
  if (removals % 10 == 0 && rated != 1) return RemovalFollowUp::RateApp;
  if (rated == 1) return RemovalFollowUp::None;
  if (launches % 10 == 0) return RemovalFollowUp::RateAppCount;
  return RemovalFollowUp::None;
}

}  // namespace vimbrel
