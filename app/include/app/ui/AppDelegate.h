#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/ui/AppServices.h"
#include "app/ui/MainStoryboard.h"
#include "app/ui/MainWindow.h"
#include "engine/WorkflowState.h"
#include "platform/NotificationCenter.h"
#include "platform/SettingsStore.h"

namespace vimbrel {

// The application's delegate: starts everything and holds what the pages
// share for the life of the process (the workflow state, the settings store,
// the notification center and the desktop services).
class AppDelegate {
 public:
  struct Options {
    // Give the analytics framework its keys and start tracking.
    bool startFramework = true;
  };

  AppDelegate(std::unique_ptr<SettingsStore> appSettings, AppServices services, Options options);
  AppDelegate(std::unique_ptr<SettingsStore> appSettings, AppServices services)
      : AppDelegate(std::move(appSettings), std::move(services), Options{}) {}
  ~AppDelegate();
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  // Counts the launch, builds the preferences window, starts the framework,
  // then opens the main window.
  void applicationDidFinishLaunching();
  // Closing the last window quits the application.
  static constexpr bool applicationShouldTerminateAfterLastWindowClosed() { return true; }

  void terminateApp();
  // Asks the framework for the e-mail subscription prompt; the framework's
  // schedule decides whether it shows on this launch.
  void requestEmailPrompt();
  void showPreferences();
  void showAbout();
  // Opens the help: the installed manual page in the desktop's help viewer,
  // else the README. False when neither could be opened.
  bool showHelp();

  SettingsStore& app_settings() { return *appSettings_; }
  WorkflowState& state() { return state_; }
  NotificationCenter& center() { return center_; }
  const AppServices& services() const { return services_; }
  const MainStoryboard& storyboard() const { return storyboard_; }
  MainWindow* window() const { return window_.data(); }
  QWidget* preferences() const { return preferences_.data(); }
  QWidget* about() const { return about_.data(); }

  // The picture of the application under review, kept in memory so that the
  // result page can show it once the bundle is gone.
  const QPixmap& itemPicture() const { return itemPicture_; }
  void setItemPicture(const QPixmap& picture) { itemPicture_ = picture; }

  // The framework's identifiers for this product.
  static constexpr const char* kProductId = "412753";
  static constexpr const char* kVendorId = "286";
  static constexpr const char* kApiKey = "7c1e05b9a3d84f26b0e4c8d1f2a69e37";

 private:
  std::unique_ptr<SettingsStore> appSettings_;
  AppServices services_;
  Options options_;
  WorkflowState state_;
  NotificationCenter center_;
  MainStoryboard storyboard_;
  std::vector<std::shared_ptr<void>> ownedServices_;
  QPointer<MainWindow> window_;
  QPointer<QWidget> preferences_;
  QPointer<QWidget> about_;
  QPixmap itemPicture_;
};

}  // namespace vimbrel
