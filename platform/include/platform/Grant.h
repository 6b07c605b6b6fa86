#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/SettingsStore.h"

namespace vimbrel {

// A folder-access grant: the blob that remembers a folder the user chose, with
// its path and its device and inode, so that a folder replaced or moved later
// is noticed.
Blob createGrant(const std::string& folder);

struct ResolvedGrant {
  std::optional<std::string> location;  // nothing when the grant is not held
  bool stale = false;                   // the folder was moved or replaced since it was chosen
  // The device and inode of the folder that was chosen.
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};

// Reads the grant blob under `key` and resolves it: the same folder at the
// same path is fresh; a folder renamed beside its old place resolves to its new
// path, stale; another folder at the old path resolves to that path, stale; a
// missing folder, an absent key or a corrupt blob gives no location. Starts
// access to the folder (a no-op on Linux), which is never stopped.
ResolvedGrant resolve_grant(const SettingsStore& store, const std::string& key);

// Starting and stopping access to a granted folder. Linux has no sandbox to
// open, so both are no-ops that succeed; callers keep them where access starts.
bool startAccessingGrant(const std::string& location);
void stopAccessingGrant(const std::string& location);

}  // namespace vimbrel
