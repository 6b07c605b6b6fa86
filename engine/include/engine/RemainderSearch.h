#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/ApplicationItem.h"
#include "engine/SearchRoots.h"
#include "engine/SearchVariant.h"
#include "platform/FileSystem.h"

namespace vimbrel {

// Progress of a running search, readable from another thread.
struct SearchProgress {
  std::atomic<std::uint64_t> entriesVisited{0};
  std::atomic<int> step{0};  // the step running now, 1 to 32 (32 = sizes)
};

// Finds the remainders of one record: walks the well-known folders in their
// fixed order and fills `files` with group headers and the locations whose
// names tie them to the record, each with the evidence of its match; decides
// whose each location is among all installed applications, keeping what is
// another's or shared (see OwnershipRule); then
// fills `sizes` (and `net_size`) as the variant asks. Only reads the file
// system. Runs synchronously on the caller's thread.
class RemainderSearch {
 public:
  RemainderSearch(const FileSystem& fileSystem, const SearchVariant& variant);

  void run(ApplicationItem& item, const SearchRoots& roots,
           SearchProgress* progress = nullptr) const;

 private:
  const FileSystem& fileSystem_;
  SearchVariant variant_;
};

}  // namespace vimbrel
