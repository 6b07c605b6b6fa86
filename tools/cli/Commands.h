#pragma once

#include "CliOptions.h"
#include "engine/ApplicationItem.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace vimbrel::cli {

enum ExitCode { kDone = 0, kNotAllRemoved = 1, kBadInput = 2 };

// Runs one parsed command against the given file system and settings (the
// application's own store, with the folders granted for this run on top).
int runCommand(const CliOptions& options, const FileSystem& fileSystem, SettingsStore& store);

// Searches the remainders of `item` and removes them with it, honouring
// `options.keep` and `options.yes` (without it, shows the plan and removes
// nothing). Refuses while the application runs.
int removeApplication(ApplicationItem item, const CliOptions& options, const FileSystem& fileSystem,
                      const SettingsStore& store);

}  // namespace vimbrel::cli
