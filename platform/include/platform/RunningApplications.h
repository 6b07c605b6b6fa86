#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vimbrel {

// A process of the current user whose executable lies inside an application
// bundle (".../X.app/Contents/MacOS/<executable>").
struct RunningApplication {
  int pid = 0;
  std::string bundlePath;
  std::optional<std::string> bundleIdentifier;
};

// The user's running applications, one per bundle (the lowest process id),
// read from /proc. Processes that cannot be inspected are left out.
std::vector<RunningApplication> runningApplications();

// The bundle that holds an executable path, when it is ".../X.app/Contents/MacOS/...".
std::optional<std::string> bundleOfExecutable(const std::string& executablePath);

// True when a running application's identifier contains `identifier`.
// An empty identifier matches nothing.
bool isApplicationRunning(const std::string& identifier);

}  // namespace vimbrel
