#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "platform/FolderChooser.h"
#include "platform/SettingsStore.h"
#include "platform/ui/UrlOpener.h"
#include "spider/AgentWindows.h"

namespace vimbrel::spider {

// The agent's three windows as small Qt windows, each built anew when it is
// opened and brought to the front if it is open already. Their logic lives in
// the view controllers; the windows only show it and pass the clicks on.
class QtAgentWindows final : public AgentWindows {
 public:
  QtAgentWindows(SettingsStore& app_settings, std::string loginName, std::string homeFolder,
                 FolderChooser& chooser, UrlOpener& urlOpener);
  ~QtAgentWindows() override;

  void showSandbox() override;
  void showSpiderOptional() override;
  void showLikeApp() override;

  // The open windows (nothing when closed).
  QWidget* windowcontrollerS() const { return windowcontrollerS_; }
  QWidget* windowcontrollerU() const { return windowcontrollerU_; }
  QWidget* windowcontrollerL() const { return windowcontrollerL_; }

 private:
  SettingsStore& app_settings_;
  std::string loginName_;
  std::string homeFolder_;
  FolderChooser& chooser_;
  UrlOpener& urlOpener_;
  QPointer<QWidget> windowcontrollerS_;
  QPointer<QWidget> windowcontrollerU_;
  QPointer<QWidget> windowcontrollerL_;
};

}  // namespace vimbrel::spider
