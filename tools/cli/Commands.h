#pragma once

#include "CliOptions.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace vimbrel::cli {

enum ExitCode { kDone = 0, kNotAllRemoved = 1, kBadInput = 2 };

// Runs one parsed command against the given file system and settings (the
// application's own store, with the folders granted for this run on top).
int runCommand(const CliOptions& options, const FileSystem& fileSystem, SettingsStore& store);

}  // namespace vimbrel::cli
