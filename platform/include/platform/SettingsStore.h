#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vimbrel {

using Blob = std::vector<std::uint8_t>;

// A persistent key-value store of one settings domain. Values are integers
// (an absent key reads 0) and byte blobs (an absent key reads nothing).
// A write changes only its own key and is on disk, visible to other
// processes, when it returns; reads see the latest synchronized state.
// Thread-safety: every method is safe to call from several threads at once.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::int64_t integer(const std::string& key) const = 0;
  virtual void setInteger(const std::string& key, std::int64_t value) = 0;
  virtual std::optional<Blob> blob(const std::string& key) const = 0;
  virtual void setBlob(const std::string& key, const Blob& value) = 0;
  // Flushes pending writes; every write already does, so this only confirms:
  // false when a write since the previous call could not be saved (the
  // warning is on standard error, and the file keeps its old contents).
  virtual bool synchronize() = 0;
};

// The three domains of the system.
namespace domains {
inline constexpr const char* kApplication = "com.Orvik.Seltan.Vimbrel";
inline constexpr const char* kAgent = "com.Orvik.Seltan.Vimbrel-Spider";
inline constexpr const char* kShared = "QJ4WX7RMD2.com.Orvik.Seltan.Vimbrel";
}  // namespace domains

// The folder that holds the settings files: $XDG_CONFIG_HOME/vimbrel
// ($HOME/.config/vimbrel when XDG_CONFIG_HOME is unset or empty).
std::string settingsFolder();

// A store kept as one property-list file, <folder>/<domain>.plist. Writers lock
// <domain>.plist.lock, re-read, merge their one key, write a temporary file,
// fsync and rename. A corrupt file is moved aside (never overwritten) with a
// warning on standard error, and the store starts empty.
std::unique_ptr<SettingsStore> openPlistSettingsStore(const std::string& folder,
                                                      const std::string& domain);

}  // namespace vimbrel
