#include "platform/MemorySettingsStore.h"

namespace vimbrel {

std::int64_t MemorySettingsStore::integer(const std::string& key) const {
  {
    std::lock_guard lock(mutex_);
    if (auto found = integers_.find(key); found != integers_.end()) return found->second;
  }
  return fallback_ ? fallback_->integer(key) : 0;
}

void MemorySettingsStore::setInteger(const std::string& key, std::int64_t value) {
  std::lock_guard lock(mutex_);
  integers_[key] = value;
}

std::optional<Blob> MemorySettingsStore::blob(const std::string& key) const {
  {
    std::lock_guard lock(mutex_);
    if (auto found = blobs_.find(key); found != blobs_.end()) return found->second;
  }
  return fallback_ ? fallback_->blob(key) : std::nullopt;
}

void MemorySettingsStore::setBlob(const std::string& key, const Blob& value) {
  std::lock_guard lock(mutex_);
  blobs_[key] = value;
}

}  // namespace vimbrel
