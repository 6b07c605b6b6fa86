#pragma once

// The popover shown when a removal left something behind; the extension
// lists share it.
namespace vimbrel::extensions::scenes {
inline constexpr const char* kBundleCantRemove = "BundleCantRemove";
}  // namespace vimbrel::extensions::scenes
