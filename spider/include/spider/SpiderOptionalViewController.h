#pragma once

#include "platform/FolderChooser.h"
#include "platform/SettingsStore.h"

namespace vimbrel::spider {

// The logic of the agent's whole-volume access window "SpiderOptional". Any
// folder chosen is stored under "macOS" and switches the system folders on
// ("AllowAny" 1); only the root folder completes the grant and disables the
// button.
class SpiderOptionalViewController {
 public:
  explicit SpiderOptionalViewController(SettingsStore& app_settings);

  void onLoad();
  void macOSAllow(FolderChooser& chooser);

  bool macOSButtonEnabled() const { return macOSButtonEnabled_; }

 private:
  SettingsStore& app_settings_;
  bool macOSButtonEnabled_ = true;
};

}  // namespace vimbrel::spider
