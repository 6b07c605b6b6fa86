#pragma once

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/WorkflowState.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/ui/FileViewer.h"
#include "spider/AgentWindows.h"
#include "spider/CleaningJournal.h"
#include "spider/ReviewOpener.h"
#include "spider/SApplicationItem.h"
#include "spider/TarnDirectoryWatcher.h"
#include "spider/TrashKeeper.h"
#include "spider/UserNotificationCenter.h"

namespace vimbrel::spider {

// What the agent is given by its program: the file system, its own store and
// the suite shared with the application, the desktop services and its
// windows, the login name its home folder must carry, what opens a review in
// Vimbrel, and the agent's settings folder, which keeps the record of
// cleanings under way and the counter's lock (empty: neither).
struct AgentServices {
  const FileSystem& fileSystem;
  SettingsStore& app_settings;
  SettingsStore& app_settings_shared;
  UserNotificationCenter& notifications;
  FileViewer& fileViewer;
  AgentWindows& windows;
  std::string loginName;
  ReviewOpener& reviewOpener;
  std::string settingsFolder;
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
  // Runs in every cleaning right before its last checks (tests).
  void setBeforeDeleting(std::function<void()> hook) { beforeDeleting_ = std::move(hook); }
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
  // Watches the Trash folder now at its path, unless it is the one watched
  // already; without one, waits for it. Says so in one line when it changed.
  void armTrash();
  // The watcher's callback: cleans every application that newly arrived.
  void trashDidSettle();
  std::vector<std::string> trashEntries() const;
  // Finishes the cleanings a previous run recorded but never ended.
  void resumeRecordedCleanings();
  CleanerServices cleanerServices();
  void startCleaning(std::function<void(const CleanerServices&)> task);

  AgentServices services_;
  WorkflowState workflow_;
  QObject context_;  // owns the withdrawal timers
  QThreadPool cleaningQueue_;
  std::atomic<int> cleaningsStarted_{0};
  std::string trash_;
  // The Trash contents seen last time; touched only on the main thread.
  std::vector<std::string> known_;
  std::unique_ptr<TarnDirectoryWatcher> watcher_;
  std::optional<FileIdentity> trashIdentity_;  // of the watched Trash
  bool reportedMissingTrash_ = false;
  std::unique_ptr<TrashKeeper> keeper_;
  std::unique_ptr<CleaningJournal> journal_;
  std::function<void()> beforeDeleting_;
};

}  // namespace vimbrel::spider
