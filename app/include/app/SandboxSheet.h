#pragma once

#include <string>

#include "platform/FolderChooser.h"
#include "platform/SettingsStore.h"

namespace vimbrel {

// The logic of the access sheet that asks for the home and Applications
// folders. The window shows two switches whose enabled state this drives: a
// disabled switch marks a grant already held. Once both folders are granted
// the sheet asks to be dismissed. A chosen folder that fails the check is not
// stored; the sheet says why under its switch. Leaving without the grants
// (the exit button) is the window's business.
class SandboxSheet {
 public:
  // `loginName` is the name the home folder must carry; `homeFolder` is where
  // the home panel starts.
  SandboxSheet(SettingsStore& appSettings, std::string loginName, std::string homeFolder);
  // The current user's login name and home folder.
  explicit SandboxSheet(SettingsStore& appSettings);

  // Disables the switch of the grant that is already valid, the home grant first.
  void onLoad();
  // Asks for the home folder and stores its grant under "home".
  void allowHome(FolderChooser& chooser);
  // Asks for the Applications folder and stores its grant under "Applications".
  void allowApplication(FolderChooser& chooser);

  bool homeSwitchEnabled() const { return homeSwitchEnabled_; }
  bool applicationsSwitchEnabled() const { return applicationsSwitchEnabled_; }
  bool dismissRequested() const { return dismissRequested_; }
  // Why the last folder chosen for a switch was refused; empty when it was not.
  const std::string& homeProblem() const { return homeProblem_; }
  const std::string& applicationsProblem() const { return applicationsProblem_; }

  // Where the Applications panel starts: the system's Applications folder.
  static constexpr const char* kApplicationsFolder = "/Applications";

 private:
  SettingsStore& appSettings_;
  std::string loginName_;
  std::string homeFolder_;
  bool homeSwitchEnabled_ = true;
  bool applicationsSwitchEnabled_ = true;
  bool dismissRequested_ = false;
  std::string homeProblem_;
  std::string applicationsProblem_;
};

}  // namespace vimbrel
