#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/ApplicationItem.h"
#include "engine/WorkflowState.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "spider/CleaningJournal.h"
#include "spider/UserNotificationCenter.h"

namespace vimbrel::spider {

// What one cleaning works with: the file system, the agent's own store (its
// grants and counter), the suite shared with the application (the
// notification switch), where notifications go, and the delegate's
// workflow state, whose `remainder_urls` the cleaning sets. `counterLock` is
// the file locked while the counter is raised (empty: this process only);
// `journal`, when given, records the cleaning while it runs;
// `beforeDeleting`, when given, runs just before the last checks (tests use
// it to change the world at the worst moment).
struct CleanerServices {
  const FileSystem& fileSystem;
  SettingsStore& app_settings;
  const SettingsStore& app_settings_shared;
  UserNotificationCenter& notifications;
  WorkflowState& workflow;
  std::string counterLock;
  CleaningJournal* journal;
  std::function<void()> beforeDeleting;
};

// The agent's application record: the application record with the cleaner
// that searches, deletes and reports in one call.
class SApplicationItem : public ApplicationItem {
 public:
  SApplicationItem() = default;
  explicit SApplicationItem(const ApplicationItem& item) : ApplicationItem(item) {}

  enum class Outcome {
    Cleaned,         // searched, counted, deleted what is certain, reported
    StillInstalled,  // another copy is installed, or may be: nothing deleted, not counted
    NotCleaned,      // no identifier, or the bundle left the Trash: nothing deleted
  };

  // Cleans up after this application, which lies in the Trash, without a
  // person's review, so it deletes only what is certainly the application's:
  // entries no other installed application claims whose names are certain
  // (see hasCertainName), and nothing in the user's own folders but a link
  // on the Desktop to the trashed bundle. What else the search found is left
  // and counted in a "‹label› partly removed" notification whose action opens
  // the review of the bundle. Nothing is done for a bundle without an
  // identifier or while a copy is, or may be, installed. Right before
  // deleting it checks again that the bundle is still in the Trash as the
  // same folder and that no copy is installed. Counts the cleaning in
  // "remove_app_count" and reports as before. The bundle itself is never
  // touched. Runs on a worker thread; several may run at once.
  // `arrived` is the bundle's identity when it was seen arriving; a bundle
  // that is no longer that folder is not cleaned.
  Outcome spider_files_wrapper(const CleanerServices& services,
                               std::optional<FileIdentity> arrived = std::nullopt);

  // Runs a recorded cleaning again after its bundle was deleted with the
  // Trash: searches afresh with every check, as long as nothing appears at
  // the bundle's place and no copy is installed.
  Outcome resumeAfterTrashEmptied(const CleanerServices& services, FileIdentity identity);

  // Where the copy that kept the cleaning from running was found.
  const std::string& installedCopy() const { return installedCopy_; }
  // The entries found but left for the user's review.
  const std::vector<std::string>& leftForReview() const { return leftForReview_; }

 private:
  Outcome clean(const CleanerServices& services, FileIdentity identity, bool bundleGone);

  std::string installedCopy_;
  std::vector<std::string> leftForReview_;
};

// The identity of a bundle folder, without following a link; nothing for a
// link, a file or a missing path.
std::optional<FileIdentity> bundleFolderIdentity(const std::string& path);

}  // namespace vimbrel::spider
