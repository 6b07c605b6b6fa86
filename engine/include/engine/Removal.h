#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/RemainderEntry.h"
#include "engine/SafetyPolicy.h"
#include "engine/Survivor.h"
#include "platform/FileSystem.h"

namespace vimbrel {

// Deletes the file locations of a remainder list and appends to `survivors`
// exactly the locations that were neither deleted nor confirmed absent, in
// list order. Headers and placeholders never reach the file system. A location
// the safety policy does not allow is not deleted; if it exists it is
// reported. `chosenBundle`, when given, may be deleted even outside the
// granted roots: it is the bundle the user picked. The bundle, and any listed
// folder that holds it, are deleted after everything else, so that a removal
// cut short can be run again. Nothing follows a symbolic link. A claimed
// location (one that belongs to another installed application) is never
// deleted, nor is any location that holds one; such locations are kept, not
// reported.
class Removal {
 public:
  Removal(const FileSystem& fileSystem, const SafetyPolicy& policy);

  void remove(const std::vector<RemainderEntry>& entries, const std::string& chosenBundle,
              std::vector<Survivor>& survivors) const;
  // Deletes one location; nothing when it is gone, otherwise why it stayed.
  std::optional<std::string> removeOne(const std::string& location,
                                       const std::string& chosenBundle) const;

 private:
  const FileSystem& fileSystem_;
  const SafetyPolicy& policy_;
};

}  // namespace vimbrel
