#include "app/GeneralPreferences.h"

#include "engine/SettingsKeys.h"

namespace vimbrel {

GeneralPreferences::GeneralPreferences(SettingsStore& appSettings) : appSettings_(appSettings) {}

void GeneralPreferences::onLoad() {
  if (appSettings_.integer(keys::kIncludeDefaultApps) == 1) defaultAppsOn_ = true;
  if (appSettings_.integer(keys::kIncludeUtilities) == 1) utilitiesOn_ = true;
}

void GeneralPreferences::includeDefaultApps(bool on) {
  defaultAppsOn_ = on;
  appSettings_.setInteger(keys::kIncludeDefaultApps, on ? 1 : 0);
  appSettings_.synchronize();
}

void GeneralPreferences::IncludeUtilities(bool on) {
  utilitiesOn_ = on;
  appSettings_.setInteger(keys::kIncludeUtilities, on ? 1 : 0);
  appSettings_.synchronize();
}

}  // namespace vimbrel
