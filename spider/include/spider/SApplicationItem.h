#pragma once

#include <string>
#include <vector>

#include "engine/ApplicationItem.h"
#include "engine/WorkflowState.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "spider/UserNotificationCenter.h"

namespace vimbrel::spider {

// What one cleaning works with: the file system, the agent's own store (its
// grants and counter), the suite shared with the application (the
// notification switch), where notifications go, and the delegate's
// workflow state, whose `remainder_urls` the cleaning sets.
struct CleanerServices {
  const FileSystem& fileSystem;
  SettingsStore& app_settings;
  const SettingsStore& app_settings_shared;
  UserNotificationCenter& notifications;
  WorkflowState& workflow;
};

// The agent's application record: the application record with the cleaner
// that searches, deletes and reports in one call.
class SApplicationItem : public ApplicationItem {
 public:
  SApplicationItem() = default;
  explicit SApplicationItem(const ApplicationItem& item) : ApplicationItem(item) {}

  enum class Outcome {
    Cleaned,         // searched, counted, deleted what could be deleted, reported
    StillInstalled,  // another copy is installed: nothing deleted, not counted
  };

  // Cleans up after this application, which lies in the Trash: finds its
  // remainders with the agent's grants, counts the cleaning in
  // "remove_app_count", deletes every remainder that no other installed
  // application claims (the search marks those, and the removal keeps them
  // and whatever holds them, without reporting them), and reports in notifications: what could not
  // be removed, and the outcome unless the user switched outcome notifications off. The bundle
  // itself is never touched. When a copy with the same bundle identifier is still installed,
  // nothing is deleted or counted and one notification says so. Runs on a worker thread; several
  // may run at once.
  Outcome spider_files_wrapper(const CleanerServices& services);

  // Where the copy that kept the cleaning from running was found.
  const std::string& installedCopy() const { return installedCopy_; }

 private:
  std::string installedCopy_;
};

}  // namespace vimbrel::spider
