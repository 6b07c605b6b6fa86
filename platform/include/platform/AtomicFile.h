#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Status.h"

// File writes that never leave a half-written file behind.
namespace vimbrel::atomicfile {

// Replaces `path` with `bytes`: writes <path>.tmp.<pid> (never following a
// link at that name), fsyncs it, renames it over `path` and fsyncs the folder.
// On failure the old file is untouched and the temporary file is removed.
// First removes the temporary files of `path` that writers which no longer
// run left behind (killed between creating and renaming them).
// Concurrent writers of one path must serialize themselves (a lock file): the
// temporary name is only unique per process.
Status replaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes, mode_t mode);

// Creates `folder` and any missing parents with `mode`; an existing folder is fine.
Status makeFolders(const std::string& folder, mode_t mode);

// Creates `folder` and any missing parents with `mode`, opening every
// component from "/" without following a link: a link anywhere on the way
// fails with ELOOP (or ENOTDIR) instead of creating folders at its target.
Status makeFoldersWithoutLinks(const std::string& folder, mode_t mode);

// Renames `from` to `to` unless `to` exists; never replaces anything.
// Fails with EEXIST when `to` is taken.
Status renameWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace vimbrel::atomicfile
