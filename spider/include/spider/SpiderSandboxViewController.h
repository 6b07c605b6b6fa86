#pragma once

#include <string>

#include "platform/FolderChooser.h"
#include "platform/SettingsStore.h"

namespace vimbrel::spider {

// The logic of the agent's access window "Sandbox": it asks for the home
// folder (stored under "HomeAccess") and the Applications folder (under
// "Applications") in the agent's own store. The agent watches only with both:
// without the Applications folder it could not tell an application being
// uninstalled from an old copy that an updater put away. A disabled button
// marks a grant already held; once both are held the window asks to close.
// The grants take effect at the agent's next start.
class SpiderSandboxViewController {
 public:
  // `loginName` is the name the home folder must carry; `homeFolder` is where
  // the home panel starts.
  SpiderSandboxViewController(SettingsStore& app_settings, std::string loginName,
                              std::string homeFolder);

  void onLoad();
  void accessHome(FolderChooser& chooser);
  void accessApplications(FolderChooser& chooser);

  bool allowHomeButtonEnabled() const { return allowHomeButtonEnabled_; }
  bool allowApplicationsButtonEnabled() const { return allowApplicationsButtonEnabled_; }
  bool closeRequested() const { return closeRequested_; }

  static constexpr const char* kApplicationsFolder = "/Applications";

 private:
  void refresh();

  SettingsStore& app_settings_;
  std::string loginName_;
  std::string homeFolder_;
  bool allowHomeButtonEnabled_ = true;
  bool allowApplicationsButtonEnabled_ = true;
  bool closeRequested_ = false;
};

}  // namespace vimbrel::spider
