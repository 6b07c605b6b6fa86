#pragma once

#include <string>
#include <vector>

namespace vimbrel {

// A location that could not be removed, and why: the system's error text, or
// "mount point", "outside the granted folders", "changed during removal".
struct Survivor {
  std::string path;
  std::string reason;
  bool operator==(const Survivor&) const = default;
};

// The paths of `survivors`, in their order.
std::vector<std::string> survivorPaths(const std::vector<Survivor>& survivors);

}  // namespace vimbrel
