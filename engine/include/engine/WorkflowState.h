#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/ApplicationItem.h"
#include "engine/Survivor.h"

namespace vimbrel {

// The state the pages of one program share for the life of the process: the
// record under review, the bytes chosen for removal, and the locations that
// survived their deletion. The program owns one and hands it to whatever
// needs it. Background removals report survivors here while a page may read
// them, so every access takes the lock.
class WorkflowState {
 public:
  // The record under review; nothing until a page chooses one.
  std::shared_ptr<ApplicationItem> item() const;
  void set_item(std::shared_ptr<ApplicationItem> item);

  std::uint64_t common_remove_size() const;
  void set_common_remove_size(std::uint64_t bytes);

  // A copy, so that a reader never sees the list change under it.
  std::vector<std::string> remainder_urls() const;
  void set_remainder_urls(std::vector<std::string> locations);
  void append_remainder_urls(const std::vector<std::string>& locations);
  // The survivors with their reasons, for the pages that show what could not
  // be removed; setting them sets remainder_urls to their paths (and setting
  // remainder_urls gives survivors without a reason).
  std::vector<Survivor> remainder_survivors() const;
  void set_remainder_survivors(std::vector<Survivor> survivors);

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<ApplicationItem> item_;
  std::uint64_t commonRemoveSize_ = 0;
  std::vector<std::string> remainderUrls_;
  std::vector<Survivor> remainderSurvivors_;
};

}  // namespace vimbrel
