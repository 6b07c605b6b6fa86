#include "engine/RemovalPlan.h"

#include <algorithm>

#include "engine/RemovalTotal.h"

namespace vimbrel {

RemovalPlan::RemovalPlan(std::vector<RemainderEntry> files, std::vector<SizeEntry> sizes)
    : files_(std::move(files)), sizes_(std::move(sizes)), prepare_(files_) {
  for (RemainderEntry& entry : prepare_) {
    if (entry.isFileLocation() && entry.isClaimed()) entry = RemainderEntry::emptyPlaceholder();
  }
}

bool RemovalPlan::choose(std::size_t row, bool on) {
  if (row >= files_.size()) return false;
  const RemainderEntry& entry = files_[row];
  if (entry.isFileLocation() && !entry.isClaimed()) {
    prepare_[row] = on ? entry : RemainderEntry::emptyPlaceholder();
  }
  return isChosen(row);
}

bool RemovalPlan::isChosen(std::size_t row) const {
  return row < prepare_.size() && prepare_[row].isFileLocation();
}

bool RemovalPlan::anyChosen() const {
  return std::any_of(prepare_.begin(), prepare_.end(),
                     [](const RemainderEntry& entry) { return entry.isFileLocation(); });
}

std::uint64_t RemovalPlan::common_remove_size() const { return chosenTotal(prepare_, sizes_); }

}  // namespace vimbrel
