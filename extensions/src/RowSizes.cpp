#include "extensions/RowSizes.h"

#include "engine/TreeSizes.h"

namespace vimbrel::extensions {

RowSizes::RowSizes(const FileSystem& fileSystem, std::vector<std::string> locations,
                   Arrived arrived)
    : sizes_(locations.size()), arrived_(std::move(arrived)) {
  worker_ =
      std::jthread([this, &fileSystem, moved = std::move(locations)](std::stop_token stop) mutable {
        measure(stop, fileSystem, std::move(moved));
      });
}

RowSizes::~RowSizes() {
  worker_.request_stop();
  if (worker_.joinable()) worker_.join();
}

void RowSizes::measure(std::stop_token stop, const FileSystem& fileSystem,
                       std::vector<std::string> locations) {
  for (std::size_t index = 0; index < locations.size() && !stop.stop_requested(); ++index) {
    const std::string& location = locations[index];
    const std::uint64_t bytes = location.empty() ? 0 : treeSize(fileSystem, location);
    {
      std::lock_guard lock(mutex_);
      sizes_[index] = bytes;
      measured_ = index + 1;
    }
    if (arrived_) arrived_(index);
  }
}

std::optional<std::uint64_t> RowSizes::size(std::size_t index) const {
  std::lock_guard lock(mutex_);
  return index < sizes_.size() ? sizes_[index] : std::nullopt;
}

std::size_t RowSizes::measured() const {
  std::lock_guard lock(mutex_);
  return measured_;
}

}  // namespace vimbrel::extensions
