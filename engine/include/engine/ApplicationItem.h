#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/ImageRef.h"
#include "engine/RemainderEntry.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace vimbrel {

// The one description of an application (or plug-in, preference pane or
// Safari extension) that travels through the system: the catalog fills the
// description fields, the remainder search fills `files` and `sizes`.
// Absent values are std::nullopt and match nothing in the name tests.
class ApplicationItem {
 public:
  ApplicationItem() = default;
  ApplicationItem(const ApplicationItem& other);
  ApplicationItem& operator=(const ApplicationItem& other);
  virtual ~ApplicationItem() = default;

  // Finds this application's remainders with the grants of `store`: replaces
  // `files` and `sizes`, then calls `completion(true)` once, on this thread.
  void getfiles(const FileSystem& fileSystem, const SettingsStore& store,
                const std::function<void(bool)>& completion);

  std::string label;
  std::string label_name;
  std::string url;
  ImageRef icon;
  ImageRef app_icon;
  std::optional<std::string> bundle;
  std::optional<std::string> bundle_name;
  std::string bundle_name_info;
  std::string executable_info;
  std::optional<std::string> company_name;
  std::vector<RemainderEntry> files;
  std::vector<SizeEntry> sizes;
  // The bytes the agent frees: set by the agent's search, each byte once.
  std::atomic<std::uint64_t> net_size{0};
};

}  // namespace vimbrel
