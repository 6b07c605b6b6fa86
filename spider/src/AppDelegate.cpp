#include "spider/AppDelegate.h"

#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "engine/SafetyPolicy.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"
#include "platform/HomeFolderRule.h"
#include "platform/Paths.h"
#include "platform/ThreadPriority.h"
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
  if (!services_.settingsFolder.empty()) {
    journal_ = std::make_unique<CleaningJournal>(
        paths::append(services_.settingsFolder, "vimbrel-spider-cleanings"));
  }
  // The Trash may be deleted, renamed away, recreated or mounted over while
  // the agent runs, or be missing at start: the keeper says when to look again.
  keeper_ = std::make_unique<TrashKeeper>(home, [this] { armTrash(); });
  armTrash();
  resumeRecordedCleanings();
}

void AppDelegate::armTrash() {
  const std::optional<FileIdentity> identity = identifyFolder(trash_);
  if (identity && watcher_ && identity == trashIdentity_) return;
  const bool wasWatching = watcher_ != nullptr;
  watcher_.reset();
  trashIdentity_.reset();
  if (!identity) {
    if (wasWatching || !reportedMissingTrash_) {
      std::fprintf(stderr, "vimbrel-spider: %s is gone; watching for it to come back\n",
                   trash_.c_str());
    }
    reportedMissingTrash_ = true;
    return;
  }
  // What a new Trash already holds was not thrown away while watching.
  known_ = trashEntries();
  watcher_ = TarnDirectoryWatcher::directoryWatcherAtPath(trash_, [this] { trashDidSettle(); });
  if (!watcher_) {
    std::fprintf(stderr, "vimbrel-spider: cannot watch %s; not cleaning\n", trash_.c_str());
    return;
  }
  trashIdentity_ = identity;
  if (keeper_) keeper_->followTrash();
  if (wasWatching || reportedMissingTrash_) {
    std::fprintf(stderr, "vimbrel-spider: %s was replaced; watching the new one\n", trash_.c_str());
  }
  reportedMissingTrash_ = false;
}

std::vector<std::string> AppDelegate::trashEntries() const {
  std::vector<std::string> entries;
  services_.fileSystem.listShallow(trash_, [&](const DirEntry& entry) {
    entries.emplace_back(entry.path);
    return Visit::Continue;
  });
  return entries;
}

CleanerServices AppDelegate::cleanerServices() {
  return {services_.fileSystem,
          services_.app_settings,
          services_.app_settings_shared,
          services_.notifications,
          workflow_,
          services_.settingsFolder.empty()
              ? std::string()
              : paths::append(services_.settingsFolder, "remove_app_count.lock"),
          journal_.get(),
          beforeDeleting_};
}

void AppDelegate::startCleaning(std::function<void(const CleanerServices&)> task) {
  ++cleaningsStarted_;
  cleaningQueue_.start([task = std::move(task), services = cleanerServices()] {
    // A cleaning never slows what the user is doing; its search threads
    // inherit the priority.
    enterBackgroundPriority();
    task(services);
  });
}

void AppDelegate::trashDidSettle() {
  std::vector<std::string> current = trashEntries();
  for (const std::string& entry : current) {
    if (std::find(known_.begin(), known_.end(), entry) != known_.end()) continue;
    // Exactly "app": "Tool.APP" is not an application to clean.
    if (paths::extension(entry) != "app") continue;
    // Only a bundle folder was thrown away: a link to an application kept
    // elsewhere, or a file, FIFO or device named like one, is not.
    const std::optional<FileIdentity> arrived = bundleFolderIdentity(entry);
    if (!arrived) continue;
    startCleaning([this, entry, arrived](const CleanerServices& cleaner) {
      SApplication(services_.fileSystem, services_.app_settings)
          .application(entry)
          .spider_files_wrapper(cleaner, arrived);
    });
  }
  known_ = std::move(current);
}

void AppDelegate::resumeRecordedCleanings() {
  if (!journal_) return;
  for (const CleaningRecord& record : journal_->pending()) {
    // The bundle where it was, or elsewhere in the Trash under another name.
    std::optional<std::string> inTrash;
    if (bundleFolderIdentity(record.url) == record.identity && isInTrash(record.url)) {
      inTrash = record.url;
    } else {
      for (const std::string& entry : trashEntries()) {
        if (bundleFolderIdentity(entry) == record.identity) inTrash = entry;
      }
    }
    std::fprintf(stderr, "vimbrel-spider: finishing the cleaning of %s\n", record.url.c_str());
    if (inTrash) {
      startCleaning([this, path = *inTrash, identity = record.identity](const CleanerServices& c) {
        SApplication(services_.fileSystem, services_.app_settings)
            .application(path)
            .spider_files_wrapper(c, identity);
      });
    } else if (!services_.fileSystem.exists(record.url)) {
      // Gone with the Trash, or found installed again by the cleaner's own
      // check, which then drops the record.
      startCleaning([record](const CleanerServices& c) {
        SApplicationItem(record.item()).resumeAfterTrashEmptied(c, record.identity);
      });
    } else {
      // Something else stands at its place now: the bundle left the Trash.
      journal_->remove(record.identity);
    }
  }
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

void AppDelegate::didActivateNotification(NotificationId, const UserNotification& notification) {
  if (notification.reviewBundle) {
    services_.reviewOpener.openReview(*notification.reviewBundle);
    return;
  }
  const std::vector<std::string> locations = workflow_.remainder_urls();
  if (!locations.empty()) services_.fileViewer.reveal(locations);
}

}  // namespace vimbrel::spider
