#pragma once

#include <QString>
#include <optional>

namespace vimbrel {

// Where the framework keeps its files. On Linux the per-user data folder
// ($XDG_DATA_HOME, default ~/.local/share) stands for Application Support.
namespace directorylocations {

// The host's executable name (the last component of its path).
QString executableName();

// `<data folder>/<executable name>`, created with its parents when missing.
// Logs and returns nothing when it cannot be found or created.
std::optional<QString> applicationSupportDirectory();

// The per-user data folder itself, without a sub-folder.
QString libraryDirectory();
QString homeDirectory();

// `<base>/<component>` (component optional), created when missing.
std::optional<QString> findOrCreateDirectory(const QString& base, const QString& component,
                                             QString* error);

}  // namespace directorylocations
}  // namespace vimbrel
