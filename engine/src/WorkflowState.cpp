#include "engine/WorkflowState.h"

namespace vimbrel {

std::shared_ptr<ApplicationItem> WorkflowState::item() const {
  std::lock_guard lock(mutex_);
  return item_;
}

void WorkflowState::set_item(std::shared_ptr<ApplicationItem> item) {
  std::lock_guard lock(mutex_);
  item_ = std::move(item);
}

std::uint64_t WorkflowState::common_remove_size() const {
  std::lock_guard lock(mutex_);
  return commonRemoveSize_;
}

void WorkflowState::set_common_remove_size(std::uint64_t bytes) {
  std::lock_guard lock(mutex_);
  commonRemoveSize_ = bytes;
}

std::vector<std::string> WorkflowState::remainder_urls() const {
  std::lock_guard lock(mutex_);
  return remainderUrls_;
}

void WorkflowState::set_remainder_urls(std::vector<std::string> locations) {
  std::lock_guard lock(mutex_);
  // Locations given without reasons keep the two lists in step.
  remainderSurvivors_.clear();
  for (const std::string& location : locations) remainderSurvivors_.push_back({location, ""});
  remainderUrls_ = std::move(locations);
}

void WorkflowState::append_remainder_urls(const std::vector<std::string>& locations) {
  std::lock_guard lock(mutex_);
  remainderUrls_.insert(remainderUrls_.end(), locations.begin(), locations.end());
  for (const std::string& location : locations) remainderSurvivors_.push_back({location, ""});
}

std::vector<Survivor> WorkflowState::remainder_survivors() const {
  std::lock_guard lock(mutex_);
  return remainderSurvivors_;
}

void WorkflowState::set_remainder_survivors(std::vector<Survivor> survivors) {
  std::lock_guard lock(mutex_);
  remainderUrls_ = survivorPaths(survivors);
  remainderSurvivors_ = std::move(survivors);
}

}  // namespace vimbrel
