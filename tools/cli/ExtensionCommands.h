#pragma once

#include "CliOptions.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

// The commands for plug-ins, preference panes and Safari extensions.
namespace vimbrel::cli {

// Each list shows label, bundle identifier, size and location, sorted by label.
int listPlugins(const FileSystem& fileSystem, const SettingsStore& store);
int listPrefPanes(const FileSystem& fileSystem, const SettingsStore& store);
int listSafariExtensions(const FileSystem& fileSystem, const SettingsStore& store);

// Removes the plug-in, preference pane or Safari extension named by
// `options.extension` (a path or a bundle identifier) with its remainders;
// without `options.yes` shows what would be removed and removes nothing.
// A preference pane goes through the application removal; a Safari extension
// is refused while Safari runs.
int removeExtension(const CliOptions& options, const FileSystem& fileSystem,
                    const SettingsStore& store);

}  // namespace vimbrel::cli
