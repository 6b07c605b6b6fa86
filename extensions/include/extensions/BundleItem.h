#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/ApplicationItem.h"
#include "engine/ImageRef.h"
#include "engine/RemainderEntry.h"
#include "engine/WorkflowState.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace vimbrel::extensions {

// The record of one plug-in: the same fields as an application record, in a
// class of its own, because a plug-in is removed in one step without review.
// The catalog fills the description fields; the removal fills `files`;
// nothing fills `sizes` or `net_size`.
class BundleItem {
 public:
  BundleItem() = default;
  BundleItem(const BundleItem& other);
  BundleItem& operator=(const BundleItem& other);

  // Finds the plug-in's remainders with the grants of `store`, deletes the
  // plug-in and everything found, and, when something survived its deletion,
  // replaces the state's remainder_urls with exactly those locations. Then
  // calls `completion(true)` once, on this thread.
  void remove_files(const FileSystem& fileSystem, const SettingsStore& store, WorkflowState& state,
                    const std::function<void(bool)>& completion);

  // The same record as an application record, for the shared search.
  ApplicationItem asApplicationItem() const;

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
  std::atomic<std::uint64_t> net_size{0};
};

}  // namespace vimbrel::extensions
