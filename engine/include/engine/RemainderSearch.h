#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/ApplicationItem.h"
#include "engine/SearchPool.h"
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
// system. Returns when the record is complete; its listings and size walks
// run on up to `jobs` threads (the caller's among them), and the record comes
// out the same for every count. With one job, everything runs on the caller's
// thread, one step after the other.
class RemainderSearch {
 public:
  RemainderSearch(const FileSystem& fileSystem, const SearchVariant& variant,
                  int jobs = SearchPool::defaultJobs());

  void run(ApplicationItem& item, const SearchRoots& roots,
           SearchProgress* progress = nullptr) const;

 private:
  const FileSystem& fileSystem_;
  SearchVariant variant_;
  SearchPool pool_;
};

}  // namespace vimbrel
