#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <linux/openat2.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace vimbrel {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

enum class Hidden { Skip, Include };

// The directory buffers of this thread, kept for the life of the thread:
// allocating and freeing one per folder made the heap grow and shrink on
// every folder of a walk.
class BufferPool {
 public:
  static constexpr std::size_t kBufferSize = 32 * 1024;
  std::unique_ptr<char[]> take() {
    if (free_.empty()) return std::unique_ptr<char[]>(new char[kBufferSize]);
    std::unique_ptr<char[]> buffer = std::move(free_.back());
    free_.pop_back();
    return buffer;
  }
  void give(std::unique_ptr<char[]> buffer) {
    if (buffer && free_.size() < kKept) free_.push_back(std::move(buffer));
  }
  static BufferPool& ofThisThread() {
    thread_local BufferPool pool;
    return pool;
  }

 private:
  static constexpr std::size_t kKept = 80;
  std::vector<std::unique_ptr<char[]>> free_;
};

// Owns one open directory and reads it with getdents64 straight into a buffer
// of its own: fdopendir would add an fstat and two fcntl calls per folder.
// On Linux, struct dirent is the kernel's linux_dirent64 record.
class DirStream {
 public:
  // Takes ownership of `fd`.
  explicit DirStream(int fd = -1)
      : fd_(fd), buffer_(fd >= 0 ? BufferPool::ofThisThread().take() : nullptr) {}
  ~DirStream() { reset(); }
  DirStream(DirStream&& other) noexcept
      : fd_(std::exchange(other.fd_, -1)),
        buffer_(std::move(other.buffer_)),
        filled_(other.filled_),
        at_(other.at_),
        offset_(other.offset_) {}
  DirStream& operator=(DirStream&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
      buffer_ = std::move(other.buffer_);
      filled_ = other.filled_;
      at_ = other.at_;
      offset_ = other.offset_;
    }
    return *this;
  }
  DirStream(const DirStream&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // Where the stream stands: the position of the entry after the last one
  // returned, for seeking a reopened descriptor back to it.
  std::int64_t offset() const { return offset_; }
  // Closes the descriptor and gives the buffer back.
  void reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    BufferPool::ofThisThread().give(std::move(buffer_));
    filled_ = at_ = 0;
  }
  // Reads the folder again from its first entry.
  void rewind() {
    lseek(fd_, 0, SEEK_SET);
    filled_ = at_ = 0;
    offset_ = 0;
  }
  // Continues at `offset`, a value offset() gave for this folder.
  void seek(std::int64_t offset) {
    lseek(fd_, offset, SEEK_SET);
    filled_ = at_ = 0;
    offset_ = offset;
  }
  // The next entry other than "." and ".."; nullptr at the end or on an error.
  const dirent* next(Hidden hidden) {
    while (true) {
      if (at_ >= filled_) {
        const long got = syscall(SYS_getdents64, fd_, buffer_.get(), BufferPool::kBufferSize);
        if (got <= 0) return nullptr;
        filled_ = static_cast<std::size_t>(got);
        at_ = 0;
      }
      const auto* entry = reinterpret_cast<const dirent*>(buffer_.get() + at_);
      at_ += entry->d_reclen;
      offset_ = entry->d_off;
      const char* name = entry->d_name;
      if (name[0] != '.') return entry;
      if (hidden == Hidden::Skip) continue;
      if (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')) continue;
      return entry;
    }
  }

 private:
  int fd_;
  std::unique_ptr<char[]> buffer_;
  std::size_t filled_ = 0;
  std::size_t at_ = 0;
  std::int64_t offset_ = 0;
};

// Owns one file descriptor.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// openat2 has no glibc wrapper on Debian 12.
int openat2Folder(int dirFd, const char* path, std::uint64_t resolve, int flags = kFolderFlags) {
  struct open_how how {};
  how.flags = static_cast<std::uint64_t>(flags);
  how.resolve = resolve;
  return static_cast<int>(syscall(SYS_openat2, dirFd, path, &how, sizeof how));
}

std::optional<std::uint64_t> mountId(int dirFd, const char* name, int flags) {
  struct statx info {};
  if (statx(dirFd, name, flags | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &info) != 0 ||
      !(info.stx_mask & STATX_MNT_ID)) {
    return std::nullopt;
  }
  return info.stx_mnt_id;
}

// Opens the sub-folder `name` of `parentFd` without following a link and
// without entering another mount: a folder with a file system (or a bind
// mount) mounted on it fails with EXDEV.
int openChildFolder(int parentFd, const char* name) {
  static std::atomic<bool> haveOpenat2{true};
  if (haveOpenat2.load(std::memory_order_relaxed)) {
    const int fd = openat2Folder(parentFd, name, RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV);
    if (fd >= 0 || errno != ENOSYS) return fd;
    haveOpenat2.store(false, std::memory_order_relaxed);
  }
  // Kernels before 5.6: compare the mount ids instead.
  Fd child(openat(parentFd, name, kFolderFlags));
  if (!child.valid()) return -1;
  auto parentMount = mountId(parentFd, "", AT_EMPTY_PATH);
  auto childMount = mountId(child.get(), "", AT_EMPTY_PATH);
  if (parentMount && childMount && *parentMount != *childMount) {
    errno = EXDEV;
    return -1;
  }
  return child.release();
}

std::optional<FileIdentity> identityOf(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

// How many folders of one walk keep their descriptor open; a deeper walk
// closes its outermost ones and reopens them through ".." on the way back.
constexpr std::size_t kOpenLevels = 48;

// Reopens the parent of the open folder `childFd` through "..", and checks
// that it is still the folder that was left there.
int reopenParent(int childFd, const FileIdentity& expected) {
  Fd parent(openat(childFd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!parent.valid()) return -1;
  if (identityOf(parent.get()) != expected) {
    errno = ESTALE;
    return -1;
  }
  return parent.release();
}

EntryType typeFromMode(mode_t mode) {
  if (S_ISDIR(mode)) return EntryType::Directory;
  if (S_ISLNK(mode)) return EntryType::Symlink;
  if (S_ISREG(mode)) return EntryType::File;
  return EntryType::Other;
}

// The entry type from the listing; one fstatat only when the file system does
// not report it.
EntryType entryType(int parentFd, const dirent& entry) {
  switch (entry.d_type) {
    case DT_DIR:
      return EntryType::Directory;
    case DT_LNK:
      return EntryType::Symlink;
    case DT_REG:
      return EntryType::File;
    case DT_UNKNOWN: {
      struct stat info {};
      if (fstatat(parentFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return EntryType::Other;
      }
      return typeFromMode(info.st_mode);
    }
    default:
      return EntryType::Other;
  }
}

DirEntry makeEntry(const std::string& pathBuffer, std::size_t nameStart, EntryType type) {
  std::string_view path(pathBuffer);
  std::string_view name = path.substr(nameStart);
  return DirEntry{name, path, type, type == EntryType::Directory && paths::isPackageName(name), 0};
}

// The entry's own size (never following a link; folders count 0), with the
// file's identity and link count, from one fstatat.
void readEntrySize(int parentFd, const char* name, DirEntry& into) {
  struct stat info {};
  if (fstatat(parentFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(info.st_mode)) return;
  into.size = static_cast<std::uint64_t>(info.st_size);
  into.device = static_cast<std::uint64_t>(info.st_dev);
  into.inode = static_cast<std::uint64_t>(info.st_ino);
  into.links = static_cast<std::uint64_t>(info.st_nlink);
}

// Appends "/name" to `buffer` and returns where the name starts.
std::size_t pushName(std::string& buffer, const char* name) {
  if (buffer.empty() || buffer.back() != '/') buffer += '/';
  std::size_t start = buffer.size();
  buffer += name;
  return start;
}

// Removes the folder `name` of `parentFd` with everything inside it, never
// following a link and never entering another mount: a sub-folder is opened
// relative to its parent without following a link, so a folder swapped for a
// link is unlinked as a link. Walks without recursion, with a bounded number
// of descriptors and memory in proportion to the depth, so a tree thousands of
// folders deep is removed like any other. Keeps going after a failure and
// reports the first one.
Status removeTree(int parentFd, const std::string& name, const std::string& path) {
  struct Level {
    DirStream stream;                      // closed for the outer levels of a deep walk
    std::string name;                      // the name in the parent folder
    std::optional<FileIdentity> identity;  // taken when the stream is closed
    std::size_t pathLength = 0;
    bool sawEntries = false;                 // this pass over the folder met an entry to work on
    std::unordered_set<std::string> failed;  // entries that could not be removed
  };
  Status firstError;
  auto note = [&](Status status) {
    if (firstError.isOk() && !status.isOk()) firstError = std::move(status);
  };
  std::string buffer = path;
  std::vector<Level> levels;
  {
    Fd root(openChildFolder(parentFd, name.c_str()));
    if (!root.valid()) {
      if (errno == ENOENT) return Status::ok();
      if (errno == EXDEV) return Status::error(reasons::kMountPoint);
      if (errno != ELOOP && errno != ENOTDIR)
        return Status::fromErrno(errno, "cannot open " + path);
      // Swapped for a link or a file since it was looked at: that goes instead.
      if (unlinkat(parentFd, name.c_str(), 0) == 0 || errno == ENOENT) return Status::ok();
      return Status::fromErrno(errno, "cannot remove " + path);
    }
    levels.push_back({DirStream(root.release()), name, std::nullopt, buffer.size(), false, {}});
  }
  std::size_t openCount = 1;
  while (!levels.empty()) {
    Level& level = levels.back();
    const dirent* entry = level.stream.next(Hidden::Include);
    if (entry) {
      const char* entryName = entry->d_name;
      if (level.failed.count(entryName)) continue;
      level.sawEntries = true;
      buffer.resize(level.pathLength);
      pushName(buffer, entryName);
      if (entryType(level.stream.fd(), *entry) == EntryType::Directory) {
        Fd child(openChildFolder(level.stream.fd(), entryName));
        if (child.valid()) {
          // Names are not collected: a folder is read again from its start
          // until a pass meets nothing left to remove, since unlinking while
          // reading may make the listing skip entries.
          std::string childName = entryName;
          const std::size_t childLength = buffer.size();
          if (++openCount > kOpenLevels) {
            Level& outer = levels[levels.size() - kOpenLevels];
            outer.identity = identityOf(outer.stream.fd());
            outer.stream.reset();
            --openCount;
          }
          levels.push_back({DirStream(child.release()),
                            std::move(childName),
                            std::nullopt,
                            childLength,
                            false,
                            {}});
          continue;
        }
        if (errno == ENOENT) continue;
        if (errno == EXDEV) {
          note(Status::error(reasons::kMountPoint));
          level.failed.insert(entryName);
          continue;
        }
        if (errno != ELOOP && errno != ENOTDIR) {
          note(Status::fromErrno(errno, "cannot open " + buffer));
          level.failed.insert(entryName);
          continue;
        }
        // Swapped for a link or a file since it was listed: remove that instead.
      }
      if (unlinkat(level.stream.fd(), entryName, 0) != 0 && errno != ENOENT) {
        note(Status::fromErrno(errno, "cannot remove " + buffer));
        level.failed.insert(entryName);
      }
      continue;
    }
    if (level.sawEntries) {
      level.sawEntries = false;
      level.stream.rewind();
      continue;
    }
    // The folder holds nothing more that can go: remove it from its parent.
    Level done = std::move(levels.back());
    levels.pop_back();
    if (levels.empty()) {
      done.stream.reset();
      if (unlinkat(parentFd, done.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
        note(Status::fromErrno(errno, "cannot remove " + path));
      }
      break;
    }
    Level& parent = levels.back();
    if (!parent.stream.isOpen()) {
      const int reopened = parent.identity ? reopenParent(done.stream.fd(), *parent.identity) : -1;
      if (reopened < 0) {
        // The tree was moved while it was being removed: stop rather than
        // remove in a folder that is no longer the one that was entered.
        return Status::error(reasons::kChanged);
      }
      parent.stream = DirStream(reopened);
      ++openCount;
    }
    done.stream.reset();
    --openCount;
    buffer.resize(done.pathLength);
    if (unlinkat(parent.stream.fd(), done.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
      note(Status::fromErrno(errno, "cannot remove " + buffer));
      parent.failed.insert(done.name);
    }
  }
  return firstError;
}

}  // namespace

void PosixFileSystem::listShallow(const std::string& folder, const EntryVisitor& visit) const {
  DirStream stream(open(folder.c_str(), kFolderFlags));
  if (!stream.isOpen()) return;
  std::string buffer = folder;
  const std::size_t base = buffer.size();
  while (const dirent* entry = stream.next(Hidden::Skip)) {
    buffer.resize(base);
    std::size_t nameStart = pushName(buffer, entry->d_name);
    if (visit(makeEntry(buffer, nameStart, entryType(stream.fd(), *entry))) == Visit::Stop) return;
  }
}

namespace {

// The walk of listDeep below the open folder `root`, whose path is `folder`.
void walkBelow(DirStream root, const std::string& folder, Packages packages, EntrySizes sizes,
               const EntryVisitor& visit) {
  // One stream per level of the walk, and one path buffer that grows and
  // shrinks with it: nothing per entry is kept. Only the innermost levels keep
  // their descriptor and buffer; an outer level is closed when the walk goes
  // deeper, and reopened through ".." (checked to be the same folder) and
  // continued where it stood on the way back.
  struct Level {
    DirStream stream;
    std::size_t pathLength;
    std::optional<FileIdentity> identity;  // taken when the stream is closed
    std::int64_t offset = 0;               // where to continue after reopening
  };
  std::vector<Level> levels;
  std::string buffer = folder;
  if (!root.isOpen()) return;
  levels.push_back({std::move(root), buffer.size(), std::nullopt, 0});
  std::size_t openCount = 1;
  while (!levels.empty()) {
    Level& level = levels.back();
    const dirent* entry = level.stream.next(Hidden::Skip);
    if (!entry) {
      Level done = std::move(levels.back());
      levels.pop_back();
      --openCount;
      if (levels.empty()) break;
      Level& parent = levels.back();
      if (!parent.stream.isOpen()) {
        const int reopened =
            parent.identity ? reopenParent(done.stream.fd(), *parent.identity) : -1;
        if (reopened < 0) return;  // the tree moved under the walk
        parent.stream = DirStream(reopened);
        parent.stream.seek(parent.offset);
        ++openCount;
      }
      continue;
    }
    buffer.resize(level.pathLength);
    std::size_t nameStart = pushName(buffer, entry->d_name);
    DirEntry visited = makeEntry(buffer, nameStart, entryType(level.stream.fd(), *entry));
    if (sizes == EntrySizes::Read && visited.type != EntryType::Directory) {
      readEntrySize(level.stream.fd(), entry->d_name, visited);
    }
    Visit next = visit(visited);
    if (next == Visit::Stop) return;
    if (next == Visit::SkipChildren || visited.type != EntryType::Directory) continue;
    if (visited.isPackage && packages == Packages::Skip) continue;
    // An unreadable folder, or one with another mount on it, was visited but
    // contributes no entries.
    DirStream child(openChildFolder(level.stream.fd(), entry->d_name));
    if (!child.isOpen()) continue;
    if (++openCount > kOpenLevels) {
      Level& outer = levels[levels.size() - kOpenLevels];
      outer.identity = identityOf(outer.stream.fd());
      outer.offset = outer.stream.offset();
      outer.stream.reset();
      --openCount;
    }
    levels.push_back({std::move(child), buffer.size(), std::nullopt, 0});
  }
}

void splitBelow(std::shared_ptr<DirStream> stream, const std::string& folder, Packages packages,
                EntrySizes sizes, const EntryVisitor& visit, const SubtreeSink& below);

// What lies below one direct sub-folder of a split listing. The listed
// folder stays open until every piece has opened its sub-folder from it, as
// the whole walk would have, without following a link or leaving the mount.
class PosixSubtreeListing final : public SubtreeListing {
 public:
  PosixSubtreeListing(std::shared_ptr<const DirStream> parent, std::string name, std::string path,
                      Packages packages, EntrySizes sizes)
      : parent_(std::move(parent)),
        name_(std::move(name)),
        path_(std::move(path)),
        packages_(packages),
        sizes_(sizes) {}

  void list(const EntryVisitor& visit) override {
    if (!parent_) return;
    DirStream folder(openChildFolder(parent_->fd(), name_.c_str()));
    parent_.reset();
    walkBelow(std::move(folder), path_, packages_, sizes_, visit);
  }

  void listSplit(const EntryVisitor& visit, const SubtreeSink& below) override {
    if (!parent_) return;
    auto folder = std::make_shared<DirStream>(openChildFolder(parent_->fd(), name_.c_str()));
    parent_.reset();
    splitBelow(std::move(folder), path_, packages_, sizes_, visit, below);
  }

 private:
  std::shared_ptr<const DirStream> parent_;
  std::string name_;
  std::string path_;
  Packages packages_;
  EntrySizes sizes_;
};

// Visits the direct entries of the open folder `stream` (at `folder`) as a
// deep listing would, and hands out what lies below each sub-folder it would
// enter.
void splitBelow(std::shared_ptr<DirStream> stream, const std::string& folder, Packages packages,
                EntrySizes sizes, const EntryVisitor& visit, const SubtreeSink& below) {
  if (!stream->isOpen()) return;
  std::string buffer = folder;
  const std::size_t base = buffer.size();
  while (const dirent* entry = stream->next(Hidden::Skip)) {
    buffer.resize(base);
    const std::size_t nameStart = pushName(buffer, entry->d_name);
    DirEntry visited = makeEntry(buffer, nameStart, entryType(stream->fd(), *entry));
    if (sizes == EntrySizes::Read && visited.type != EntryType::Directory) {
      readEntrySize(stream->fd(), entry->d_name, visited);
    }
    visit(visited);
    if (visited.type != EntryType::Directory) continue;
    if (visited.isPackage && packages == Packages::Skip) continue;
    below(std::make_unique<PosixSubtreeListing>(stream, entry->d_name, buffer, packages, sizes));
  }
}

}  // namespace

void PosixFileSystem::listDeep(const std::string& folder, Packages packages, EntrySizes sizes,
                               const EntryVisitor& visit) const {
  walkBelow(DirStream(open(folder.c_str(), kFolderFlags)), folder, packages, sizes, visit);
}

void PosixFileSystem::listDeepSplit(const std::string& folder, Packages packages, EntrySizes sizes,
                                    const EntryVisitor& visit, const SubtreeSink& below) const {
  splitBelow(std::make_shared<DirStream>(open(folder.c_str(), kFolderFlags)), folder, packages,
             sizes, visit, below);
}

bool PosixFileSystem::exists(const std::string& path) const {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

bool PosixFileSystem::isFolder(const std::string& path) const {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::uint64_t> PosixFileSystem::fileSize(const std::string& path) const {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool PosixFileSystem::isMountPoint(const std::string& path) const {
  const std::string location = paths::normalize(path);
  if (location == "/") return true;
  const auto own = mountId(AT_FDCWD, location.c_str(), 0);
  const auto parent = mountId(AT_FDCWD, paths::parent(location).c_str(), 0);
  return own && parent && *own != *parent;
}

bool PosixFileSystem::resolvesBeneath(const std::string& root, const std::string& path) const {
  const std::string base = paths::normalize(root);
  const std::string target = paths::normalize(path);
  if (target == base) return identifyFolder(base).has_value();
  if (!paths::isWithin(target, base)) return false;
  Fd rootFd(openat2Folder(AT_FDCWD, base.c_str(), RESOLVE_NO_SYMLINKS));
  if (!rootFd.valid()) return false;
  const std::string relative = target.substr(base == "/" ? 1 : base.size() + 1);
  Fd folder(openat2Folder(rootFd.get(), relative.c_str(), RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS,
                          kFolderFlags & ~O_NOFOLLOW));
  if (folder.valid()) return true;
  // A folder that is missing is no way out of the root; one reached through a
  // link that leaves the root (EXDEV) is.
  return errno == ENOENT;
}

Status PosixFileSystem::removeBelow(const RemovalAnchor& anchor, const std::string& path) const {
  const std::string root = paths::normalize(anchor.root);
  const std::string target = paths::normalize(path);
  const std::string via = anchor.via.empty() ? root : paths::normalize(anchor.via);
  if (target == root || !paths::isWithin(target, root) || target == via ||
      !paths::isWithin(target, via) || (via != root && !paths::isWithin(via, root))) {
    return Status::fromErrno(EPERM, "refusing to remove " + target + " outside " + root);
  }
  for (std::string_view part : {std::string_view("/."), std::string_view("/..")}) {
    for (std::size_t at = target.find(part); at != std::string::npos;
         at = target.find(part, at + 1)) {
      std::size_t end = at + part.size();
      if (end == target.size() || target[end] == '/') {
        return Status::fromErrno(EINVAL, "refusing a path with dot components: " + target);
      }
    }
  }

  // The root itself: no link at any component, and still the granted folder.
  Fd parent(openat2Folder(AT_FDCWD, root.c_str(), RESOLVE_NO_SYMLINKS));
  if (!parent.valid() || identityOf(parent.get()) != anchor.identity) {
    return Status::error(reasons::kChanged);
  }
  if (via != root) {
    const std::string relative = via.substr(root == "/" ? 1 : root.size() + 1);
    Fd folder(openat2Folder(parent.get(), relative.c_str(), RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS,
                            kFolderFlags & ~O_NOFOLLOW));
    if (!folder.valid()) {
      if (errno == ENOENT) return Status::ok();
      if (errno == EXDEV || errno == ELOOP || errno == ENOTDIR) {
        return Status::error(reasons::kOutsideGrants);
      }
      return Status::fromErrno(errno, "cannot open " + via);
    }
    parent = std::move(folder);
  }

  // Walk down one component at a time, never through a link.
  std::string_view rest = std::string_view(target).substr(via == "/" ? 1 : via.size() + 1);
  std::string walked = via == "/" ? "" : via;
  while (true) {
    std::size_t slash = rest.find('/');
    std::string name(rest.substr(0, slash));
    walked += "/" + name;
    if (slash == std::string_view::npos) {
      struct statx info {};
      if (statx(parent.get(), name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_MNT_ID,
                &info) != 0) {
        if (errno == ENOENT) return Status::ok();
        return Status::fromErrno(errno, "cannot read " + walked);
      }
      // Something mounted on the entry itself is never removed.
      const auto parentMount = mountId(parent.get(), "", AT_EMPTY_PATH);
      if ((info.stx_mask & STATX_MNT_ID) && parentMount && info.stx_mnt_id != *parentMount) {
        return Status::error(reasons::kMountPoint);
      }
      if (S_ISDIR(info.stx_mode)) return removeTree(parent.get(), name, walked);
      if (unlinkat(parent.get(), name.c_str(), 0) == 0 || errno == ENOENT) return Status::ok();
      if (errno == EISDIR) return removeTree(parent.get(), name, walked);  // swapped for a folder
      return Status::fromErrno(errno, "cannot remove " + walked);
    }
    Fd next(openat2Folder(parent.get(), name.c_str(), RESOLVE_NO_SYMLINKS));
    if (!next.valid()) {
      if (errno == ENOENT) return Status::ok();
      if (errno == ELOOP || errno == ENOTDIR) {
        return Status::fromErrno(errno, "refusing to pass through a link at " + walked);
      }
      return Status::fromErrno(errno, "cannot open " + walked);
    }
    parent = std::move(next);
    rest = rest.substr(slash + 1);
  }
}

std::optional<PathStamp> stampOf(const std::string& path, bool followLinks) {
  struct stat info {};
  if (fstatat(AT_FDCWD, path.c_str(), &info, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
    return std::nullopt;
  }
  auto ns = [](const timespec& at) {
    return static_cast<std::int64_t>(at.tv_sec) * 1000000000 +
           static_cast<std::int64_t>(at.tv_nsec);
  };
  PathStamp stamp;
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  stamp.inode = static_cast<std::uint64_t>(info.st_ino);
  stamp.modifiedNs = ns(info.st_mtim);
  stamp.changedNs = ns(info.st_ctim);
  stamp.size = S_ISDIR(info.st_mode) ? 0 : static_cast<std::uint64_t>(info.st_size);
  stamp.links = static_cast<std::uint64_t>(info.st_nlink);
  stamp.type = typeFromMode(info.st_mode);
  return stamp;
}

std::optional<FileIdentity> identifyFolder(const std::string& path) {
  Fd folder(openat2Folder(AT_FDCWD, paths::normalize(path).c_str(), RESOLVE_NO_SYMLINKS));
  if (!folder.valid()) return std::nullopt;
  return identityOf(folder.get());
}

}  // namespace vimbrel
