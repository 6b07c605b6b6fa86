#pragma once

#include <string>
#include <vector>

#include "engine/RemainderEntry.h"
#include "engine/SafetyPolicy.h"
#include "platform/FileSystem.h"

namespace vimbrel {

// Deletes the file locations of a remainder list, entry by entry, in order,
// and appends to `survivors` exactly the locations that still exist after
// their deletion attempt. Headers and placeholders never reach the file
// system. A location the safety policy does not allow is not deleted; if it
// exists it is reported. `chosenBundle`, when given, may be deleted even
// outside the granted roots: it is the bundle the user picked. Nothing
// follows a symbolic link. A claimed location (one that belongs to another
// installed application) is never deleted, nor is any location that holds
// one; such locations are kept, not reported.
class Removal {
 public:
  Removal(const FileSystem& fileSystem, const SafetyPolicy& policy);

  void remove(const std::vector<RemainderEntry>& entries, const std::string& chosenBundle,
              std::vector<std::string>& survivors) const;
  // Deletes one location; true when it is gone afterwards.
  bool removeOne(const std::string& location, const std::string& chosenBundle) const;

 private:
  const FileSystem& fileSystem_;
  const SafetyPolicy& policy_;
};

}  // namespace vimbrel
