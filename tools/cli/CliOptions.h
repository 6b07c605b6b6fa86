#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/SearchPool.h"

namespace vimbrel::cli {

enum class Command {
  Apps,
  Scan,
  Remove,
  Plugins,
  PrefPanes,
  SafariExtensions,
  RemoveExtension,
  Help,
  Version
};

struct CliOptions {
  Command command = Command::Help;
  std::string application;  // a bundle path or a label from `apps`
  // A plug-in, preference pane or Safari extension: a path or a bundle identifier.
  std::string extension;
  bool json = false;
  bool yes = false;
  // Show why each location was listed (scan and remove, text output).
  bool why = false;
  // Remove what belongs to another installed application too.
  bool includeClaimed = false;
  // Remove these kept locations all the same (and what lies inside them).
  std::vector<std::string> includeClaimedPaths;
  std::vector<std::string> keep;
  // Threads for the search (scan and remove); 1 walks one folder after the other.
  int jobs = SearchPool::defaultJobs();
  // Folders granted for this run only.
  std::optional<std::string> home;
  std::optional<std::string> applications;
  std::optional<std::string> root;
};

// Parses the arguments after the program name; on bad input returns nothing
// and sets `error` to one line that says what is wrong.
std::optional<CliOptions> parseOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kUsage;

}  // namespace vimbrel::cli
