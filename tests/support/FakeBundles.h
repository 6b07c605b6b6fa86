#pragma once

#include <optional>
#include <string>

#include "TempTree.h"

namespace vimbrel::testing {

// What goes into a fake application's Info.plist; absent keys are left out.
struct BundleInfo {
  std::optional<std::string> identifier;
  std::optional<std::string> name;
  std::optional<std::string> executable;
  std::optional<std::string> iconFile;
};

// An XML information dictionary with the given string values.
std::string xmlInfoPlist(const BundleInfo& info);

// Writes `relative` (e.g. "Applications/Tool.app") as a bundle with an
// Info.plist and an executable, and returns its absolute path.
std::string writeBundle(const TempTree& tree, const std::string& relative, const BundleInfo& info);

}  // namespace vimbrel::testing
