#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <cerrno>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "FakeBundles.h"
#include "TempTree.h"
#include "engine/SettingsKeys.h"
#include "platform/FileSystem.h"
#include "platform/Grant.h"
#include "platform/SettingsStore.h"
#include "platform/ui/FileViewer.h"
#include "spider/AgentWindows.h"
#include "spider/ReviewOpener.h"
#include "spider/UserNotificationCenter.h"

namespace vimbrel::spider::testing {

using vimbrel::testing::BundleInfo;
using vimbrel::testing::TempTree;
using vimbrel::testing::writeBundle;

inline bool runLoopUntil(const std::function<bool()>& condition, int milliseconds = 10000) {
  QDeadlineTimer deadline(milliseconds);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

inline void runLoop(int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Keeps every notification delivered to it, from any thread.
class RecordingNotificationCenter final : public UserNotificationCenter {
 public:
  void setDelegate(UserNotificationCenterDelegate* delegate) override { delegate_ = delegate; }
  void deliverNotification(const UserNotification& notification) override {
    std::lock_guard lock(mutex_);
    delivered_.push_back(notification);
  }
  void removeDeliveredNotification(NotificationId id) override { removed.push_back(id); }
  std::vector<UserNotification> delivered() const {
    std::lock_guard lock(mutex_);
    return delivered_;
  }
  std::vector<std::string> titles() const {
    std::vector<std::string> result;
    for (const auto& n : delivered()) result.push_back(n.title);
    return result;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    delivered_.clear();
  }
  UserNotificationCenterDelegate* delegate_ = nullptr;
  std::vector<NotificationId> removed;

 private:
  mutable std::mutex mutex_;
  std::vector<UserNotification> delivered_;
};

class RecordingFileViewer final : public FileViewer {
 public:
  void reveal(const std::vector<std::string>& paths) override { revealed.push_back(paths); }
  std::vector<std::vector<std::string>> revealed;
};

class RecordingWindows final : public AgentWindows {
 public:
  void showSandbox() override { ++sandbox; }
  void showSpiderOptional() override { ++optional; }
  void showLikeApp() override { ++likeApp; }
  int sandbox = 0, optional = 0, likeApp = 0;
};

class RecordingReviewOpener final : public ReviewOpener {
 public:
  void openReview(const std::string& bundle) override { opened.push_back(bundle); }
  std::vector<std::string> opened;
};

// A file system whose removal of chosen paths fails, as it would for files of
// another owner when the tests run as root.
class FailingRemovals final : public ForwardingFileSystem {
 public:
  explicit FailingRemovals(const FileSystem& target) : ForwardingFileSystem(target) {}
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override {
    if (failing.count(path)) return Status::fromErrno(EACCES, "injected");
    return ForwardingFileSystem::removeBelow(anchor, path);
  }
  std::set<std::string> failing;
};

// A macOS-layout tree with the home of "alice", her Trash, the Applications
// folder, and the agent's grants for both in its own store.
class AgentTree {
 public:
  AgentTree() {
    tree.folder("Users/alice/.Trash");
    tree.folder("Users/alice/Library/Preferences");
    tree.folder("Applications");
    agentStore->setBlob(keys::kHomeAccess, createGrant(home));
    agentStore->setBlob(keys::kApplications, createGrant(tree.path("Applications")));
  }
  // Writes an application bundle into the Trash.
  std::string trashed(const std::string& name, const BundleInfo& info) const {
    return writeBundle(tree, "Users/alice/.Trash/" + name, info);
  }
  std::string inHome(const std::string& relative) const { return home + "/" + relative; }

  TempTree tree;
  std::string home = tree.folder("Users/alice");
  std::string config = tree.folder("config");
  std::unique_ptr<SettingsStore> agentStore =
      openPlistSettingsStore(config + "/vimbrel", domains::kAgent);
  std::unique_ptr<SettingsStore> sharedStore =
      openPlistSettingsStore(config + "/vimbrel", domains::kShared);
};

inline BundleInfo toolInfo() { return {"com.example.Tool", "Tool", "Tool", std::nullopt}; }

}  // namespace vimbrel::spider::testing
