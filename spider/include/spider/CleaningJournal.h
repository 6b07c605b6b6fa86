#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/ApplicationItem.h"
#include "platform/FileSystem.h"

namespace vimbrel::spider {

// One cleaning that was started: the trashed bundle's identity and where it
// lay, and the record values its search needs, so that the search can run
// again even after the Trash was emptied. Never a list of paths: a resumed
// cleaning finds its remainders afresh with every check.
struct CleaningRecord {
  FileIdentity identity;
  std::string url;
  std::string label, label_name, bundle_name_info, executable_info;
  std::optional<std::string> bundle, bundle_name, company_name;

  static CleaningRecord of(const ApplicationItem& item, FileIdentity identity);
  // The application record the search runs on.
  ApplicationItem item() const;
};

// The cleanings under way, one small file each in a folder of the agent's
// settings: written before a cleaning deletes anything, removed when it
// ended. A cleaning cut short (the agent killed) leaves its file, which the
// next start finds. Thread-safe.
class CleaningJournal {
 public:
  explicit CleaningJournal(std::string folder);

  bool record(const CleaningRecord& cleaning);
  void remove(const FileIdentity& identity);
  // Every readable record; unreadable files are dropped.
  std::vector<CleaningRecord> pending() const;
  const std::string& folder() const { return folder_; }

 private:
  std::string fileFor(const FileIdentity& identity) const;
  std::string folder_;
  mutable std::mutex mutex_;
};

}  // namespace vimbrel::spider
