#include "spider/SApplicationItem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "engine/CertainEvidence.h"
#include "engine/RemainderSearch.h"
#include "engine/Removal.h"
#include "engine/RemovalTotal.h"
#include "engine/SafetyPolicy.h"
#include "engine/SearchVariant.h"
#include "engine/SettingsKeys.h"
#include "platform/ByteCount.h"
#include "platform/Paths.h"
#include "spider/AgentLocks.h"
#include "spider/InstalledCopies.h"

namespace vimbrel::spider {

namespace {

// Notifications are dated 14 seconds ahead, as the agent always has.
UserNotification makeNotification(std::string title, std::string text) {
  UserNotification notification;
  notification.title = std::move(title);
  notification.informativeText = std::move(text);
  notification.defaultSound = true;
  notification.deliveryDate = std::chrono::system_clock::now() + std::chrono::seconds(14);
  return notification;
}

bool outcomeNotificationsOn(const CleanerServices& services) {
  return services.app_settings_shared.integer(keys::kDisableNotification) != 1;
}

// A link on the Desktop that stood for the trashed bundle: its target ends
// in the bundle's folder name, and it either leads nowhere now or leads to
// the trashed bundle itself (same device and inode).
bool isLinkToTrashedBundle(const std::string& link, const std::string& folderName,
                           const FileIdentity& bundle) {
  struct stat own {};
  if (::lstat(link.c_str(), &own) != 0 || !S_ISLNK(own.st_mode)) return false;
  std::string target(4096, '\0');
  const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
  if (length <= 0) return false;
  target.resize(static_cast<std::size_t>(length));
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  if (paths::lastComponent(target) != folderName) return false;
  struct stat resolved {};
  if (::stat(link.c_str(), &resolved) != 0) return true;  // leads nowhere
  return FileIdentity{static_cast<std::uint64_t>(resolved.st_dev),
                      static_cast<std::uint64_t>(resolved.st_ino)} == bundle;
}

}  // namespace

std::optional<FileIdentity> bundleFolderIdentity(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

SApplicationItem::Outcome SApplicationItem::spider_files_wrapper(
    const CleanerServices& services, std::optional<FileIdentity> arrived) {
  // Only a bundle folder still in the Trash, and still the one that arrived.
  const std::optional<FileIdentity> identity = bundleFolderIdentity(url);
  if (!identity || !isInTrash(url) || (arrived && *arrived != *identity)) {
    std::fprintf(stderr, "vimbrel-spider: %s is no longer in the Trash; not cleaning\n",
                 url.c_str());
    return Outcome::NotCleaned;
  }
  return clean(services, *identity, false);
}

SApplicationItem::Outcome SApplicationItem::resumeAfterTrashEmptied(const CleanerServices& services,
                                                                    FileIdentity identity) {
  return clean(services, identity, true);
}

SApplicationItem::Outcome SApplicationItem::clean(const CleanerServices& services,
                                                  FileIdentity identity, bool bundleGone) {
  const SearchVariant variant = SearchVariant::agentCleaner();
  const SearchRoots roots = SearchRoots::resolve(services.app_settings, variant.homeGrantKey);

  // Without an identifier nothing can tell this application's files, or an
  // installed copy, from anyone else's.
  if (!bundle || bundle->empty()) {
    std::fprintf(stderr, "vimbrel-spider: %s has no readable bundle identifier; not cleaning\n",
                 url.c_str());
    if (outcomeNotificationsOn(services)) {
      services.notifications.deliverNotification(makeNotification(
          label + " was not cleaned.", "Spider cannot read the application's identifier."));
    }
    return Outcome::NotCleaned;
  }
  const TrashedApplication trashed{*bundle, std::string(paths::lastComponent(url)),
                                   executable_info == "empty_string" ? "" : executable_info};

  // An application that is still installed elsewhere, or may be, is not
  // being uninstalled: its settings stay. Nothing is counted.
  auto stillInstalled = [&]() -> bool {
    const InstalledCopy copy = findInstalledCopy(services.fileSystem, roots, trashed);
    if (copy.verdict == InstalledCopy::Verdict::None) return false;
    installedCopy_ = copy.path;
    if (!outcomeNotificationsOn(services)) return true;
    if (copy.verdict == InstalledCopy::Verdict::Installed) {
      services.notifications.deliverNotification(
          makeNotification("App " + label + " is still installed.",
                           "Spider removed nothing: another copy is in " + copy.path + "."));
    } else {
      services.notifications.deliverNotification(makeNotification(
          "Cannot tell whether " + label + " is still installed.",
          "Spider removed nothing: the application at " + copy.path + " cannot be read."));
    }
    return true;
  };
  if (stillInstalled()) {
    if (services.journal) services.journal->remove(identity);
    return Outcome::StillInstalled;
  }

  // Recorded before anything is deleted, so that a cleaning cut short is
  // found again at the next start.
  if (services.journal) services.journal->record(CleaningRecord::of(*this, identity));

  // 1. Search, with the agent's grants and its variant of the search.
  net_size = 0;
  RemainderSearch(services.fileSystem, variant).run(*this, roots);

  // 2. Decide what is certain. Everything else stays for the user's review.
  const std::string home = roots.home.value_or("");
  const std::string desktop = roots.home ? paths::append(home, "Desktop") : "";
  std::vector<RemainderEntry> plan = files;
  leftForReview_.clear();
  for (RemainderEntry& entry : plan) {
    if (!entry.isFileLocation() || entry.isClaimed()) continue;
    const std::string& path = entry.text();
    bool certain;
    if (roots.home && isInUsersOwnFolder(home, path)) {
      certain = paths::parent(path) == desktop &&
                isLinkToTrashedBundle(path, trashed.folderName, identity);
    } else {
      certain = hasCertainName(*this, entry);
    }
    if (!certain) {
      leftForReview_.push_back(path);
      entry = RemainderEntry::emptyPlaceholder();
    }
  }
  // Links on the Desktop to the bundle, whatever they are called ("Tool.app"
  // is not listed by the name tests, which skip names with an extension).
  if (roots.home) {
    std::vector<std::string> links;
    services.fileSystem.listShallow(desktop, [&](const DirEntry& entry) {
      const std::string path(entry.path);
      if (entry.type == EntryType::Symlink &&
          std::find(files.begin(), files.end(), RemainderEntry::fileLocation(path)) ==
              files.end() &&
          isLinkToTrashedBundle(path, trashed.folderName, identity)) {
        links.push_back(path);
      }
      return Visit::Continue;
    });
    if (!links.empty()) {
      const RemainderEntry header = RemainderEntry::header(RemainderGroup::Desktop);
      if (std::find(files.begin(), files.end(), header) == files.end()) {
        files.push_back(header);
        sizes.emplace_back(header);
        plan.push_back(header);
      }
      for (const std::string& link : links) {
        files.push_back(RemainderEntry::fileLocation(link));
        const std::uint64_t size = services.fileSystem.fileSize(link).value_or(0);
        sizes.emplace_back(size);
        plan.push_back(files.back());
        net_size += size;
      }
    }
  }

  // 3. The last checks, right before deleting: the bundle is still the one
  // in the Trash (or, resuming after the Trash was emptied, still gone), and
  // no copy has been installed meanwhile. Otherwise nothing happens.
  if (services.beforeDeleting) services.beforeDeleting();
  const std::optional<FileIdentity> now = bundleFolderIdentity(url);
  const bool inPlace =
      bundleGone ? !services.fileSystem.exists(url) : (now && *now == identity && isInTrash(url));
  if (!inPlace) {
    std::fprintf(stderr, "vimbrel-spider: %s left the Trash before cleaning; nothing removed\n",
                 url.c_str());
    if (services.journal) services.journal->remove(identity);
    return Outcome::NotCleaned;
  }
  if (stillInstalled()) {
    if (services.journal) services.journal->remove(identity);
    return Outcome::StillInstalled;
  }

  // 4. Count, also when nothing was found.
  raiseRemoveCount(services.app_settings, services.counterLock);

  // 5. Delete what is certain. Claimed entries and folders holding them are
  // kept by the removal itself.
  const SafetyPolicy policy(roots);
  std::vector<Survivor> survivors;
  Removal(services.fileSystem, policy).remove(plan, /*chosenBundle=*/"", survivors);
  const std::vector<std::string> left = survivorPaths(survivors);
  if (services.journal) services.journal->remove(identity);

  // 6. Report what could not be removed; this does not depend on the switch.
  if (!survivors.empty()) {
    services.workflow.set_remainder_survivors(std::move(survivors));
    UserNotification notification =
        makeNotification("File can\u2019t be removed.",
                         "Required root privileges.Show files in finder to remove manually.");
    notification.actionButtonTitle = "Show in Files";
    services.notifications.deliverNotification(notification);
  }

  // 7. What was left for review is named, whatever the switch: the user
  // decides about it in Vimbrel.
  const std::uint64_t cleaned = removedTotal(plan, sizes, left);
  std::fprintf(stderr, "vimbrel-spider: cleaned %s (%s): %s freed, %zu left for review\n",
               label.c_str(), url.c_str(),
               formatByteCount(static_cast<std::int64_t>(cleaned)).c_str(), leftForReview_.size());
  for (const std::string& path : leftForReview_) {
    std::fprintf(stderr, "vimbrel-spider:   left for review: %s\n", path.c_str());
  }
  if (!leftForReview_.empty()) {
    const std::size_t count = leftForReview_.size();
    UserNotification notification = makeNotification(
        label + " partly removed",
        "Spider cleaned " + formatByteCount(static_cast<std::int64_t>(cleaned)) + ". " +
            std::to_string(count) + (count == 1 ? " item" : " items") + " may still belong to " +
            label + ": review " + (count == 1 ? "it" : "them") + " in Vimbrel.");
    notification.actionButtonTitle = "Review";
    notification.reviewBundle = url;
    services.notifications.deliverNotification(notification);
    return Outcome::Cleaned;
  }

  // 8. Report the outcome, unless outcome notifications are switched off.
  if (!outcomeNotificationsOn(services)) return Outcome::Cleaned;
  if (!files.empty() && net_size != 0) {
    // The bytes actually freed: what survived its deletion was not cleaned.
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
