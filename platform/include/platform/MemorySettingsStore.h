#pragma once

#include <map>
#include <mutex>

#include "platform/SettingsStore.h"

namespace vimbrel {

// A settings store held in memory for one run. With a fallback store, keys it
// does not hold are read from the fallback, and writes stay in memory: a
// command-line run can grant folders for itself without storing them.
class MemorySettingsStore final : public SettingsStore {
 public:
  MemorySettingsStore() = default;
  explicit MemorySettingsStore(const SettingsStore& fallback) : fallback_(&fallback) {}

  std::int64_t integer(const std::string& key) const override;
  void setInteger(const std::string& key, std::int64_t value) override;
  std::optional<Blob> blob(const std::string& key) const override;
  void setBlob(const std::string& key, const Blob& value) override;
  bool synchronize() override { return true; }

 private:
  const SettingsStore* fallback_ = nullptr;
  mutable std::mutex mutex_;
  std::map<std::string, std::int64_t> integers_;
  std::map<std::string, Blob> blobs_;
};

}  // namespace vimbrel
