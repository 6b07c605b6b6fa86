#include "platform/Grant.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>

#include "PlistIO.h"
#include "platform/Paths.h"
#include "platform/User.h"
#include "platform/XdgFolders.h"

namespace vimbrel {

namespace {

using plistio::PlistPtr;

constexpr std::uint64_t kGrantVersion = 1;
// A grant is a few hundred bytes; a larger blob is not one of ours.
constexpr std::size_t kMaximumGrantSize = 64 * 1024;

namespace field {
constexpr const char* kVersion = "version";
constexpr const char* kPath = "path";
constexpr const char* kDevice = "device";
constexpr const char* kInode = "inode";
// The creation time: the birth time where the file system records one,
// otherwise the status-change time, which says nothing about identity.
constexpr const char* kCreatedSeconds = "created";
constexpr const char* kCreatedNanoseconds = "createdNanoseconds";
constexpr const char* kCreatedIsBirth = "createdIsBirthTime";
constexpr const char* kDisplayName = "displayName";
}  // namespace field

struct FolderIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool hasBirthTime = false;
  std::int64_t createdSeconds = 0;
  std::uint32_t createdNanoseconds = 0;
};

// The identity of the folder at `path` (links followed), or nothing when there
// is no folder there. `dirfd` and a relative path look inside an open folder.
std::optional<FolderIdentity> folderIdentity(int dirfd, const char* path, int flags) {
  struct statx info {};
  if (::statx(dirfd, path, flags, STATX_TYPE | STATX_INO | STATX_BTIME | STATX_CTIME, &info) != 0) {
    return std::nullopt;
  }
  if (!S_ISDIR(info.stx_mode)) return std::nullopt;
  FolderIdentity identity;
  identity.device = makedev(info.stx_dev_major, info.stx_dev_minor);  // as stat's st_dev
  identity.inode = info.stx_ino;
  identity.hasBirthTime = (info.stx_mask & STATX_BTIME) != 0;
  const statx_timestamp& created = identity.hasBirthTime ? info.stx_btime : info.stx_ctime;
  identity.createdSeconds = created.tv_sec;
  identity.createdNanoseconds = created.tv_nsec;
  return identity;
}

std::optional<FolderIdentity> folderIdentity(const std::string& path) {
  return folderIdentity(AT_FDCWD, path.c_str(), 0);
}

// The same folder: same device and inode, and, where both sides know the birth
// time, the same birth time, because a deleted folder's inode number is often
// given straight to the next folder made.
bool sameFolder(const FolderIdentity& stored, const FolderIdentity& current) {
  if (stored.device != current.device || stored.inode != current.inode) return false;
  if (stored.hasBirthTime && current.hasBirthTime) {
    return stored.createdSeconds == current.createdSeconds &&
           stored.createdNanoseconds == current.createdNanoseconds;
  }
  return true;
}

struct StoredGrant {
  std::string path;
  FolderIdentity identity;
};

std::optional<StoredGrant> decodeGrant(const Blob& blob) {
  if (blob.empty() || blob.size() > kMaximumGrantSize) return std::nullopt;
  PlistPtr root = plistio::parse(blob.data(), blob.size());
  if (!plistio::isDictionary(root.get())) return std::nullopt;
  const auto get = [&](const char* name) { return plist_dict_get_item(root.get(), name); };

  if (plistio::unsignedValue(get(field::kVersion)) != kGrantVersion) return std::nullopt;
  auto path = plistio::stringValue(get(field::kPath));
  auto device = plistio::unsignedValue(get(field::kDevice));
  auto inode = plistio::unsignedValue(get(field::kInode));
  if (!path || !device || !inode || path->empty() || path->front() != '/' ||
      path->find('\0') != std::string::npos) {
    return std::nullopt;
  }
  StoredGrant grant;
  grant.path = paths::normalize(*path);
  grant.identity.device = *device;
  grant.identity.inode = *inode;
  grant.identity.hasBirthTime = plistio::coerceInteger(get(field::kCreatedIsBirth)) == 1;
  grant.identity.createdSeconds = plistio::coerceInteger(get(field::kCreatedSeconds));
  grant.identity.createdNanoseconds =
      static_cast<std::uint32_t>(plistio::coerceInteger(get(field::kCreatedNanoseconds)));
  return grant;
}

// Finds the folder among the entries of `parent`: a folder renamed beside its
// old place. Linux cannot look a folder up by inode without privileges, so a
// folder moved further away is not followed.
std::optional<std::string> findBeside(const std::string& parent, const FolderIdentity& wanted) {
  DIR* listing = ::opendir(parent.c_str());
  if (listing == nullptr) return std::nullopt;
  std::optional<std::string> found;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    auto identity = folderIdentity(::dirfd(listing), entry->d_name, AT_SYMLINK_NOFOLLOW);
    if (identity && sameFolder(wanted, *identity)) {
      found = paths::append(parent, name);
      break;
    }
  }
  ::closedir(listing);
  return found;
}

// A folder in a Trash is as good as deleted: the user threw it away.
bool isInTrash(const std::string& path) {
  std::string_view rest = path;
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    // ".Trash" is the per-volume Trash; ".Trash-<uid>" its per-user form.
    if (part == ".Trash" || part.starts_with(".Trash-")) return true;
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return paths::isWithin(path, dataHome() + "/Trash");
}

ResolvedGrant locate(const StoredGrant& grant) {
  struct stat own {};
  if (::lstat(grant.path.c_str(), &own) == 0 && S_ISLNK(own.st_mode)) {
    // A link stands where the chosen folder was: whatever it points at (even
    // the folder itself, moved away), the grant no longer names its place.
    if (auto moved = findBeside(paths::parent(grant.path), grant.identity)) return {*moved, true};
    return {grant.path, true};
  }
  if (auto current = folderIdentity(grant.path)) {
    // The path still names a folder: the chosen one, or one put in its place.
    return {grant.path, !sameFolder(grant.identity, *current)};
  }
  struct stat info {};
  if (::stat(grant.path.c_str(), &info) == 0) return {};  // something else, not a folder
  if (auto moved = findBeside(paths::parent(grant.path), grant.identity)) return {*moved, true};
  return {};
}

}  // namespace

Blob createGrant(const std::string& folder) {
  if (folder.empty()) return {};
  // The real path: the grant pins the folder itself, not a link to it.
  char* real = ::realpath(folder.c_str(), nullptr);
  if (real == nullptr) return {};
  const std::string path = paths::normalize(real);
  std::free(real);
  const auto identity = folderIdentity(path);
  if (!identity) return {};

  PlistPtr root(plist_new_dict());
  const auto set = [&](const char* name, plist_t value) {
    plist_dict_set_item(root.get(), name, value);
  };
  set(field::kVersion, plist_new_uint(kGrantVersion));
  set(field::kPath, plist_new_string(path.c_str()));
  set(field::kDevice, plist_new_uint(identity->device));
  set(field::kInode, plist_new_uint(identity->inode));
  set(field::kCreatedSeconds, plist_new_uint(static_cast<std::uint64_t>(identity->createdSeconds)));
  set(field::kCreatedNanoseconds, plist_new_uint(identity->createdNanoseconds));
  set(field::kCreatedIsBirth, plist_new_uint(identity->hasBirthTime ? 1 : 0));
  set(field::kDisplayName, plist_new_string(paths::displayName(path).c_str()));
  return plistio::toBinary(root.get()).value_or(Blob());
}

ResolvedGrant resolve_grant(const SettingsStore& store, const std::string& key) {
  const auto blob = store.blob(key);
  if (!blob) return {};
  const auto grant = decodeGrant(*blob);
  if (!grant) return {};
  ResolvedGrant resolved = locate(*grant);
  if (!resolved.location || isInTrash(*resolved.location)) return {};
  resolved.device = grant->identity.device;
  resolved.inode = grant->identity.inode;
  startAccessingGrant(*resolved.location);
  return resolved;
}

bool startAccessingGrant(const std::string& /*location*/) { return true; }

void stopAccessingGrant(const std::string& /*location*/) {}

}  // namespace vimbrel
