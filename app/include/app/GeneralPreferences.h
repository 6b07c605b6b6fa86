#pragma once

#include "platform/SettingsStore.h"

namespace vimbrel {

// The logic of the "General" preferences page: the two switches that widen
// the applications list. The list reads the keys each time it is built, so a
// change shows the next time the Applications page opens.
class GeneralPreferences {
 public:
  static constexpr const char* kIdentifier = "PreferencesMain";
  static constexpr const char* kToolbarItemLabel = "General";

  explicit GeneralPreferences(SettingsStore& appSettings);

  // Turns on each switch whose key is 1; the others keep their states.
  void onLoad();
  // The user flipped a switch: stores 1 for on, 0 for off.
  void includeDefaultApps(bool on);
  void IncludeUtilities(bool on);

  bool defaultAppsOn() const { return defaultAppsOn_; }
  bool utilitiesOn() const { return utilitiesOn_; }

 private:
  SettingsStore& appSettings_;
  bool defaultAppsOn_ = false;
  bool utilitiesOn_ = false;
};

}  // namespace vimbrel
