#include "spider/AppDelegate.h"

#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "engine/SettingsKeys.h"
#include "platform/Grant.h"
#include "platform/HomeFolderRule.h"
#include "platform/Paths.h"
#include "spider/SApplication.h"

namespace vimbrel::spider {

namespace {

bool fresh(const ResolvedGrant& grant, std::string_view lastComponent) {
  return grant.location && !grant.stale && !lastComponent.empty() &&
         paths::lastComponent(*grant.location) == lastComponent;
}

}  // namespace

AppDelegate::AppDelegate(AgentServices services) : services_(std::move(services)) {
  // Several applications trashed at once are cleaned at the same time.
  cleaningQueue_.setMaxThreadCount(std::max(4, QThread::idealThreadCount()));
}

AppDelegate::~AppDelegate() {
  watcher_.reset();
  cleaningQueue_.waitForDone();
  services_.notifications.setDelegate(nullptr);
}

void AppDelegate::applicationDidFinishLaunching() {
  services_.notifications.setDelegate(this);
  std::string home;
  if (grantsValid(home)) {
    startWatching(home);
  } else {
    services_.windows.showSandbox();
  }
}

bool AppDelegate::grantsValid(std::string& home) const {
  const ResolvedGrant homeGrant = resolve_grant(services_.app_settings, keys::kHomeAccess);
  const ResolvedGrant applications = resolve_grant(services_.app_settings, keys::kApplications);
  // Without the Applications folder the agent could not tell an application
  // being uninstalled from an old copy an updater put away, so it needs both.
  const bool homeValid = homeGrant.location && !homeGrant.stale &&
                         isHomeFolder(*homeGrant.location, services_.loginName);
  if (!homeValid || !fresh(applications, "Applications")) {
    return false;
  }
  home = *homeGrant.location;
  return true;
}

void AppDelegate::startWatching(const std::string& home) {
  trash_ = paths::append(home, ".Trash");
  known_ = trashEntries();
  watcher_ = TarnDirectoryWatcher::directoryWatcherAtPath(trash_, [this] { trashDidSettle(); });
  // A Trash that cannot be watched leaves the agent idle and silent.
  if (!watcher_) {
    std::fprintf(stderr, "vimbrel-spider: cannot watch %s; not cleaning\n", trash_.c_str());
  }
}

std::vector<std::string> AppDelegate::trashEntries() const {
  std::vector<std::string> entries;
  services_.fileSystem.listShallow(trash_, [&](const DirEntry& entry) {
    entries.emplace_back(entry.path);
    return Visit::Continue;
  });
  return entries;
}

void AppDelegate::trashDidSettle() {
  std::vector<std::string> current = trashEntries();
  for (const std::string& entry : current) {
    if (std::find(known_.begin(), known_.end(), entry) != known_.end()) continue;
    // Exactly "app": "Tool.APP" is not an application to clean.
    if (paths::extension(entry) != "app") continue;
    ++cleaningsStarted_;
    cleaningQueue_.start([this, entry] {
      CleanerServices cleaner{services_.fileSystem, services_.app_settings,
                              services_.app_settings_shared, services_.notifications, workflow_};
      SApplication(services_.fileSystem, services_.app_settings)
          .application(entry)
          .spider_files_wrapper(cleaner);
    });
  }
  known_ = std::move(current);
}

void AppDelegate::waitForCleanings() { cleaningQueue_.waitForDone(); }

void AppDelegate::showWholeVolumeWindow() { services_.windows.showSpiderOptional(); }

void AppDelegate::didDeliverNotification(NotificationId id, const UserNotification&) {
  const std::int64_t count = services_.app_settings.integer(keys::kRemoveAppCount);
  // A count of 0 is a multiple of ten too, but nothing was cleaned yet.
  if (count > 0 && count % 10 == 0 && services_.app_settings.integer(keys::kAppIsRate) != 1) {
    services_.windows.showLikeApp();
  }
  if (services_.app_settings_shared.integer(keys::kDisabelRemoveNotification) != 1) {
    QTimer::singleShot(kWithdrawAfterMs, &context_,
                       [this, id] { services_.notifications.removeDeliveredNotification(id); });
  }
}

void AppDelegate::didActivateNotification(NotificationId, const UserNotification&) {
  const std::vector<std::string> locations = workflow_.remainder_urls();
  if (!locations.empty()) services_.fileViewer.reveal(locations);
}

}  // namespace vimbrel::spider
