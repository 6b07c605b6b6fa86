#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BundleWriter.h"
#include "TreeWriter.h"

namespace vimbrel::demo {

// The kinds of leftovers an application leaves, one bit each; each bit names
// the place of the conventional layout where LeftoverWriter puts them.
enum Leftover : std::uint32_t {
  kPreferences = 1U << 0,
  kApplicationSupport = 1U << 1,
  kCaches = 1U << 2,
  kContainers = 1U << 3,
  kSavedState = 1U << 4,
  kCookies = 1U << 5,
  kScripts = 1U << 6,
  kGroupContainer = 1U << 7,
  kLaunchAgent = 1U << 8,
  kLogs = 1U << 9,
  kCrashReport = 1U << 10,
  kDiagnosticReport = 1U << 11,
  kWebKit = 1U << 12,
  kHelpIndex = 1U << 13,
  kDesktopFolder = 1U << 14,
  kShared = 1U << 15,
  kSystemSupport = 1U << 16,
  kSystemLaunchAgent = 1U << 17,
  kSystemDaemon = 1U << 18,
  kPrivilegedTool = 1U << 19,
  kSystemLogs = 1U << 20,
  kVarFolders = 1U << 21,
  kVarRun = 1U << 22,
  kVarDb = 1U << 23,
};

// The usual leftovers of a sandboxed application and of one with helpers.
inline constexpr std::uint32_t kUsualHome =
    kPreferences | kApplicationSupport | kCaches | kSavedState | kLogs;
inline constexpr std::uint32_t kUsualSystem = kShared | kSystemSupport | kVarFolders;

struct DemoApp {
  std::string location;  // relative to the Applications folder, "Tool.app"
  BundleSpec bundle;
  std::uint32_t leftovers = 0;

  // The display name: the bundle's file name without ".app".
  std::string label() const;
  // The name its folders carry: CFBundleName, else the label.
  std::string folderName() const;
};

// Every application of the demo tree, in writing order.
const std::vector<DemoApp>& demoApplications();

// Writes the bundles into Applications/ (with the login items some carry).
void writeApplications(TreeWriter& writer);

// The folder below the tree's root where var/folders keeps per-user data.
inline constexpr const char* kVarFoldersUser = "var/folders/zz/zyxvpxvq6csfxvn_n0000000000000";

}  // namespace vimbrel::demo
