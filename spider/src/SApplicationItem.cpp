#include "spider/SApplicationItem.h"

#include <chrono>
#include <mutex>

#include "engine/RemainderSearch.h"
#include "engine/Removal.h"
#include "engine/RemovalTotal.h"
#include "engine/SafetyPolicy.h"
#include "engine/SearchVariant.h"
#include "engine/SettingsKeys.h"
#include "platform/ByteCount.h"
#include "spider/InstalledCopies.h"

namespace vimbrel::spider {

namespace {

// Overlapping cleanings each count: the read and the write of the counter
// happen under this one lock.
std::mutex counterLock;

// Notifications are dated 14 seconds ahead, as the agent always has.
UserNotification makeNotification(std::string title, std::string text) {
  UserNotification notification;
  notification.title = std::move(title);
  notification.informativeText = std::move(text);
  notification.defaultSound = true;
  notification.deliveryDate = std::chrono::system_clock::now() + std::chrono::seconds(14);
  return notification;
}

void raiseRemoveCount(SettingsStore& store) {
  std::lock_guard lock(counterLock);
  store.setInteger(keys::kRemoveAppCount, store.integer(keys::kRemoveAppCount) + 1);
  store.synchronize();
}

}  // namespace

SApplicationItem::Outcome SApplicationItem::spider_files_wrapper(const CleanerServices& services) {
  const SearchVariant variant = SearchVariant::agentCleaner();
  const SearchRoots roots = SearchRoots::resolve(services.app_settings, variant.homeGrantKey);

  // An application that is still installed elsewhere is not being
  // uninstalled: its settings stay.
  if (bundle) {
    if (auto copy = findInstalledCopy(services.fileSystem, applicationFolders(roots), *bundle)) {
      installedCopy_ = *copy;
      if (services.app_settings_shared.integer(keys::kDisableNotification) != 1) {
        services.notifications.deliverNotification(
            makeNotification("App " + label + " is still installed.",
                             "Spider removed nothing: another copy is in " + *copy + "."));
      }
      return Outcome::StillInstalled;
    }
  }

  // 1. Search, with the agent's grants and its variant of the search.
  net_size = 0;
  RemainderSearch(services.fileSystem, variant).run(*this, roots);

  // 2. Count, also when nothing was found.
  raiseRemoveCount(services.app_settings);

  // 3. Delete every entry that may be deleted. Entries another installed
  // application claims are kept, and so is any folder holding one. Left are
  // exactly the locations that still exist after their deletion attempt: a
  // deleted or kept entry, a header, or one that was never there is not
  // reported.
  const SafetyPolicy policy(roots);
  std::vector<Survivor> survivors;
  Removal(services.fileSystem, policy).remove(files, /*chosenBundle=*/"", survivors);
  const std::vector<std::string> left = survivorPaths(survivors);

  // 4. Report what remains; this does not depend on the notification switch.
  // The removal decided what survived relative to each parent folder; a
  // path test here could miss a survivor in a folder that cannot be searched.
  if (!survivors.empty()) {
    services.workflow.set_remainder_survivors(std::move(survivors));
    UserNotification notification =
        makeNotification("File can\u2019t be removed.",
                         "Required root privileges.Show files in finder to remove manually.");
    notification.actionButtonTitle = "Show in Files";
    services.notifications.deliverNotification(notification);
  }

  // 5. Report the outcome, unless outcome notifications are switched off.
  if (services.app_settings_shared.integer(keys::kDisableNotification) == 1) {
    return Outcome::Cleaned;
  }
  if (!files.empty() && net_size != 0) {
    // The bytes actually freed: what survived its deletion was not cleaned.
    const std::uint64_t cleaned = removedTotal(files, sizes, left);
    services.notifications.deliverNotification(makeNotification(
        label + " removed completely.",
        "Spider cleaned " + formatByteCount(static_cast<std::int64_t>(cleaned)) + "."));
  } else {
    services.notifications.deliverNotification(
        makeNotification("App " + label + " is clean.", label + " don't have support files."));
  }
  return Outcome::Cleaned;
}

}  // namespace vimbrel::spider
