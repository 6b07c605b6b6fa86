#pragma once

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engine/WorkflowState.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/ui/FileViewer.h"
#include "spider/AgentWindows.h"
#include "spider/TarnDirectoryWatcher.h"
#include "spider/UserNotificationCenter.h"

namespace vimbrel::spider {

// What the agent is given by its program: the file system, its own store and
// the suite shared with the application, the desktop services and its
// windows, and the login name its home folder must carry.
struct AgentServices {
  const FileSystem& fileSystem;
  SettingsStore& app_settings;
  SettingsStore& app_settings_shared;
  UserNotificationCenter& notifications;
  FileViewer& fileViewer;
  AgentWindows& windows;
  std::string loginName;
};

// The agent: checks its grants at start, watches the Trash of the granted
// home, and cleans up after every application that arrives there, each on a
// worker thread of its own. It answers the notifications the cleanings
// deliver: the rating window at every tenth cleaned application, withdrawal
// after 7 seconds unless the user keeps them, and the file viewer on the
// locations that could not be removed.
// Lives on the main thread; the cleanings share only its workflow state.
class AppDelegate final : public UserNotificationCenterDelegate {
 public:
  explicit AppDelegate(AgentServices services);
  // Waits for the cleanings still running.
  ~AppDelegate() override;
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  // Start-up: becomes the notifications' delegate, then watches the Trash
  // when the home and Applications grants are both valid, and otherwise
  // shows the "Sandbox" window. The grants given there take effect at the
  // agent's next start.
  void applicationDidFinishLaunching();

  // The whole-volume access window, as the global shortcut opens it.
  void showWholeVolumeWindow();

  void didDeliverNotification(NotificationId id, const UserNotification& notification) override;
  void didActivateNotification(NotificationId id, const UserNotification& notification) override;

  bool isWatching() const { return watcher_ != nullptr; }
  // The watched Trash; empty while not watching.
  const std::string& trashPath() const { return trash_; }
  WorkflowState& workflow() { return workflow_; }
  // How many cleanings were started, and waiting for them (tests).
  int cleaningsStarted() const { return cleaningsStarted_.load(); }
  void waitForCleanings();

  // How long a delivered notification stays unless the user keeps them.
  static constexpr int kWithdrawAfterMs = 7000;

 private:
  bool grantsValid(std::string& home) const;
  void startWatching(const std::string& home);
  // The watcher's callback: cleans every application that newly arrived.
  void trashDidSettle();
  std::vector<std::string> trashEntries() const;

  AgentServices services_;
  WorkflowState workflow_;
  QObject context_;  // owns the withdrawal timers
  QThreadPool cleaningQueue_;
  std::atomic<int> cleaningsStarted_{0};
  std::string trash_;
  // The Trash contents seen last time; touched only on the main thread.
  std::vector<std::string> known_;
  std::unique_ptr<TarnDirectoryWatcher> watcher_;
};

}  // namespace vimbrel::spider
