#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Status.h"

namespace vimbrel {

// What a listing tells about an entry, taken from the listing itself where the
// file system reports it. A symbolic link is always a Symlink, never the kind
// of its target.
enum class EntryType { File, Directory, Symlink, Other };

// One entry of a listing. The views are valid only during the visitor call;
// copy them to keep them.
struct DirEntry {
  std::string_view name;  // last path component
  std::string_view path;  // full path: the listed folder + "/" + name
  EntryType type;
  bool isPackage;  // a directory whose extension names a package (see isPackageName)
  // The entry's own size (a link's own length; 0 for folders), when the
  // listing was asked for sizes; 0 otherwise.
  std::uint64_t size;
  // With sizes read, for entries other than folders: the file's device, inode
  // and number of hard links, so that a file linked twice is counted once.
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t links = 1;
};

// Whether a listing reads each entry's size (one fstatat per entry).
enum class EntrySizes { Skip, Read };

// Whether a deep enumeration descends into packages (bundles and the like).
// With Skip the package itself is still visited.
enum class Packages { Enter, Skip };

// What a visitor wants next. SkipChildren leaves the contents of the folder
// just visited out of a deep enumeration (it means Continue elsewhere).
enum class Visit { Continue, SkipChildren, Stop };

using EntryVisitor = std::function<Visit(const DirEntry&)>;

// What names a folder for as long as it exists: its device and inode.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the folder at `path`, opened without following a link at
// any component; nothing when a component is a link or there is no folder.
std::optional<FileIdentity> identifyFolder(const std::string& path);

// What one lstat (or stat, following links) tells about a path: enough to
// tell a folder that changed from one that did not, and a file's identity.
struct PathStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t modifiedNs = 0;  // modification time, nanoseconds since the epoch
  std::int64_t changedNs = 0;   // status change time
  std::uint64_t size = 0;
  std::uint64_t links = 1;
  EntryType type = EntryType::Other;
  bool operator==(const PathStamp&) const = default;
};

// One fstatat of `path`; with `followLinks` false a link describes itself.
// Nothing when the path does not exist or cannot be reached.
std::optional<PathStamp> stampOf(const std::string& path, bool followLinks = false);

// The reasons a removal gives besides the system's own error texts.
namespace reasons {
inline constexpr const char* kMountPoint = "mount point";
inline constexpr const char* kOutsideGrants = "outside the granted folders";
inline constexpr const char* kChanged = "changed during removal";
}  // namespace reasons

// Where a removal starts. `root` is opened without following a link at any
// component and must still be the folder `identity` names. `via`, when not
// empty, is a folder between the root and the path that is reached from the
// root's descriptor without leaving the root (a link inside the root is
// followed there, and only there); everything below it, or below the root,
// is reached without following any link.
struct RemovalAnchor {
  std::string root;
  FileIdentity identity;
  std::string via;
};

class SubtreeListing;
// Receives the pieces of a split deep listing (see FileSystem::listDeepSplit).
using SubtreeSink = std::function<void(std::unique_ptr<SubtreeListing>)>;

// What lies below one sub-folder of a deep listing that was split (see
// FileSystem::listDeepSplit), listed on its own, perhaps on another thread.
// Either call, once only.
class SubtreeListing {
 public:
  virtual ~SubtreeListing() = default;
  // Visits everything below the sub-folder (not the sub-folder itself),
  // exactly as the deep listing would have visited it there.
  virtual void list(const EntryVisitor& visit) = 0;
  // The same, split again as listDeepSplit splits a folder.
  virtual void listSplit(const EntryVisitor& visit, const SubtreeSink& below) = 0;
};

// All file-system access of the engine. Paths are absolute, UTF-8, without a
// trailing slash. Hidden entries (names starting with ".") are never visited.
// Thread-safety: every method is safe to call from several threads at once.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Visits the direct entries of `folder` in listing order (not sorted).
  // A missing or unreadable folder, or one that is not a folder, visits nothing.
  virtual void listShallow(const std::string& folder, const EntryVisitor& visit) const = 0;

  // Visits every descendant of `folder`, depth first, a folder before its
  // contents. Streams: the tree is never held in memory, and a very deep tree
  // keeps a bounded number of descriptors open. Symbolic links are visited,
  // never followed; a folder on which another file system (or a bind mount) is
  // mounted is visited but not entered. With Packages::Skip a package is
  // visited but not entered. Unreadable sub-folders are visited but
  // contribute no entries.
  virtual void listDeep(const std::string& folder, Packages packages, EntrySizes sizes,
                        const EntryVisitor& visit) const = 0;

  // listDeep cut into pieces that can be walked on several threads: visits the
  // direct entries of `folder` with `visit`, and right after each sub-folder
  // that listDeep would enter, hands what lies below it to `below`. Listing
  // the handed-out pieces in order, each after the direct entries visited
  // before it, visits what listDeep visits, in its order, with the same calls
  // on the file system. A piece may be listed after this returns. The
  // visitor's Stop and SkipChildren count as Continue. This implementation
  // hands out nothing: listDeep visits everything with `visit`.
  virtual void listDeepSplit(const std::string& folder, Packages packages, EntrySizes sizes,
                             const EntryVisitor& visit, const SubtreeSink& below) const {
    (void)below;
    listDeep(folder, packages, sizes, [&](const DirEntry& entry) {
      visit(entry);
      return Visit::Continue;
    });
  }

  // lstat semantics throughout: a symbolic link is an entry of its own.
  virtual bool exists(const std::string& path) const = 0;
  virtual bool isFolder(const std::string& path) const = 0;
  // The size of a file or of a link itself; nothing for a folder or a missing path.
  virtual std::optional<std::uint64_t> fileSize(const std::string& path) const = 0;
  // True when another file system, or a bind mount, is mounted on `path`.
  virtual bool isMountPoint(const std::string& path) const = 0;

  // True when `path` (at or below `root`) names a folder reached from the
  // root's descriptor without leaving the root, links inside the root
  // followed; false for a folder reached only through a link that leaves it.
  virtual bool resolvesBeneath(const std::string& root, const std::string& path) const = 0;

  // Permanently removes `path` (a file, a link or a whole folder), which must lie
  // strictly below `anchor.root` (and `anchor.via` when given). Every component
  // below the anchor is opened relative to its parent's descriptor without
  // following a link, so a folder swapped for a symbolic link at any point stops
  // the removal instead of leaving the anchor: a link is removed itself, its
  // target is never touched. Nothing on another mount is entered or removed.
  // Succeeds only when the path was deleted or is confirmed absent relative to
  // its parent's descriptor. On failure, parts of a folder may already be gone;
  // the status carries the errno, or one of `reasons` as its message.
  virtual Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const = 0;
};

// The Linux file system, through openat/getdents/fstatat/unlinkat.
class PosixFileSystem final : public FileSystem {
 public:
  void listShallow(const std::string& folder, const EntryVisitor& visit) const override;
  void listDeep(const std::string& folder, Packages packages, EntrySizes sizes,
                const EntryVisitor& visit) const override;
  void listDeepSplit(const std::string& folder, Packages packages, EntrySizes sizes,
                     const EntryVisitor& visit, const SubtreeSink& below) const override;
  bool exists(const std::string& path) const override;
  bool isFolder(const std::string& path) const override;
  std::optional<std::uint64_t> fileSize(const std::string& path) const override;
  bool isMountPoint(const std::string& path) const override;
  bool resolvesBeneath(const std::string& root, const std::string& path) const override;
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override;
};

// Forwards every call to another file system; tests override the one call that
// must fail.
class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(const FileSystem& target) : target_(target) {}
  void listShallow(const std::string& folder, const EntryVisitor& visit) const override {
    target_.listShallow(folder, visit);
  }
  void listDeep(const std::string& folder, Packages packages, EntrySizes sizes,
                const EntryVisitor& visit) const override {
    target_.listDeep(folder, packages, sizes, visit);
  }
  void listDeepSplit(const std::string& folder, Packages packages, EntrySizes sizes,
                     const EntryVisitor& visit, const SubtreeSink& below) const override {
    target_.listDeepSplit(folder, packages, sizes, visit, below);
  }
  bool exists(const std::string& path) const override { return target_.exists(path); }
  bool isFolder(const std::string& path) const override { return target_.isFolder(path); }
  std::optional<std::uint64_t> fileSize(const std::string& path) const override {
    return target_.fileSize(path);
  }
  bool isMountPoint(const std::string& path) const override { return target_.isMountPoint(path); }
  bool resolvesBeneath(const std::string& root, const std::string& path) const override {
    return target_.resolvesBeneath(root, path);
  }
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override {
    return target_.removeBelow(anchor, path);
  }

 private:
  const FileSystem& target_;
};

}  // namespace vimbrel
