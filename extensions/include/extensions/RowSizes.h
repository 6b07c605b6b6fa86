#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"

namespace vimbrel::extensions {

// The byte counts of a list's locations, each computed once, in list order,
// on a thread of its own, so that a list shows at once and fills its sizes in
// as they arrive. A folder counts every visible file inside it; anything else
// its own size; a missing location or an empty one 0.
class RowSizes {
 public:
  // Called on the worker thread after each size is known.
  using Arrived = std::function<void(std::size_t index)>;

  RowSizes(const FileSystem& fileSystem, std::vector<std::string> locations, Arrived arrived = {});
  // Stops between two locations and waits for the worker.
  ~RowSizes();
  RowSizes(const RowSizes&) = delete;
  RowSizes& operator=(const RowSizes&) = delete;

  // The size of location `index`, once it is known.
  std::optional<std::uint64_t> size(std::size_t index) const;
  // How many locations were measured so far.
  std::size_t measured() const;

 private:
  void measure(std::stop_token stop, const FileSystem& fileSystem,
               std::vector<std::string> locations);

  mutable std::mutex mutex_;
  std::vector<std::optional<std::uint64_t>> sizes_;
  std::size_t measured_ = 0;
  Arrived arrived_;
  // Last, so that it stops before the members it uses go away.
  std::jthread worker_;
};

}  // namespace vimbrel::extensions
