#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace vimbrel {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

enum class Hidden { Skip, Include };

// Owns one open directory and reads it with getdents64 straight into a buffer
// of its own: fdopendir would add an fstat and two fcntl calls per folder.
// On Linux, struct dirent is the kernel's linux_dirent64 record.
class DirStream {
 public:
  // Takes ownership of `fd`.
  explicit DirStream(int fd) : fd_(fd), buffer_(fd >= 0 ? new char[kBufferSize] : nullptr) {}
  ~DirStream() {
    if (fd_ >= 0) close(fd_);
  }
  DirStream(DirStream&& other) noexcept
      : fd_(std::exchange(other.fd_, -1)),
        buffer_(std::move(other.buffer_)),
        filled_(other.filled_),
        at_(other.at_) {}
  DirStream& operator=(DirStream&&) = delete;
  DirStream(const DirStream&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // The next entry other than "." and ".."; nullptr at the end or on an error.
  const dirent* next(Hidden hidden) {
    while (true) {
      if (at_ >= filled_) {
        const long got = syscall(SYS_getdents64, fd_, buffer_.get(), kBufferSize);
        if (got <= 0) return nullptr;
        filled_ = static_cast<std::size_t>(got);
        at_ = 0;
      }
      const auto* entry = reinterpret_cast<const dirent*>(buffer_.get() + at_);
      at_ += entry->d_reclen;
      const char* name = entry->d_name;
      if (name[0] != '.') return entry;
      if (hidden == Hidden::Skip) continue;
      if (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')) continue;
      return entry;
    }
  }

 private:
  static constexpr std::size_t kBufferSize = 32 * 1024;
  int fd_;
  std::unique_ptr<char[]> buffer_;
  std::size_t filled_ = 0;
  std::size_t at_ = 0;
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

 private:
  int fd_;
};

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

// The entry's own size, never following a link; folders count 0.
std::uint64_t entrySize(int parentFd, const char* name) {
  struct stat info {};
  if (fstatat(parentFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(info.st_mode)) return 0;
  return static_cast<std::uint64_t>(info.st_size);
}

// Appends "/name" to `buffer` and returns where the name starts.
std::size_t pushName(std::string& buffer, const char* name) {
  if (buffer.empty() || buffer.back() != '/') buffer += '/';
  std::size_t start = buffer.size();
  buffer += name;
  return start;
}

// Removes everything inside the open folder `folderFd`, never following a
// link: a sub-folder is opened with O_NOFOLLOW relative to its parent, so a
// folder swapped for a link is unlinked as a link. Keeps going after a
// failure and reports the first one.
Status removeContents(int folderFd, const std::string& folderPath) {
  DirStream stream(fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
  if (!stream.isOpen()) return Status::fromErrno(errno, "cannot list " + folderPath);
  Status firstError;
  auto note = [&](Status status) {
    if (firstError.isOk() && !status.isOk()) firstError = std::move(status);
  };
  // Names are collected first: unlinking while reading a directory stream may
  // make readdir skip entries.
  std::vector<std::pair<std::string, EntryType>> children;
  while (const dirent* entry = stream.next(Hidden::Include)) {
    children.emplace_back(entry->d_name, entryType(stream.fd(), *entry));
  }
  for (const auto& [name, type] : children) {
    std::string childPath = folderPath + "/" + name;
    if (type == EntryType::Directory) {
      Fd child(openat(folderFd, name.c_str(), kFolderFlags));
      if (child.valid()) {
        note(removeContents(child.get(), childPath));
        if (unlinkat(folderFd, name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
          note(Status::fromErrno(errno, "cannot remove " + childPath));
        }
        continue;
      }
      if (errno == ENOENT) continue;
      if (errno != ELOOP && errno != ENOTDIR) {
        note(Status::fromErrno(errno, "cannot open " + childPath));
        continue;
      }
      // Swapped for a link or a file since it was listed: remove that instead.
    }
    if (unlinkat(folderFd, name.c_str(), 0) != 0 && errno != ENOENT) {
      note(Status::fromErrno(errno, "cannot remove " + childPath));
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

void PosixFileSystem::listDeep(const std::string& folder, Packages packages, EntrySizes sizes,
                               const EntryVisitor& visit) const {
  // One open stream per level of the walk, and one path buffer that grows and
  // shrinks with it: nothing per entry is kept.
  struct Level {
    DirStream stream;
    std::size_t pathLength;
  };
  std::vector<Level> levels;
  std::string buffer = folder;
  {
    DirStream root(open(folder.c_str(), kFolderFlags));
    if (!root.isOpen()) return;
    levels.push_back({std::move(root), buffer.size()});
  }
  while (!levels.empty()) {
    Level& level = levels.back();
    const dirent* entry = level.stream.next(Hidden::Skip);
    if (!entry) {
      levels.pop_back();
      continue;
    }
    buffer.resize(level.pathLength);
    std::size_t nameStart = pushName(buffer, entry->d_name);
    DirEntry visited = makeEntry(buffer, nameStart, entryType(level.stream.fd(), *entry));
    if (sizes == EntrySizes::Read && visited.type != EntryType::Directory) {
      visited.size = entrySize(level.stream.fd(), entry->d_name);
    }
    Visit next = visit(visited);
    if (next == Visit::Stop) return;
    if (next == Visit::SkipChildren || visited.type != EntryType::Directory) continue;
    if (visited.isPackage && packages == Packages::Skip) continue;
    // An unreadable folder was visited but contributes no entries; running out
    // of descriptors in a pathologically deep tree leaves the rest out too.
    DirStream child(openat(level.stream.fd(), entry->d_name, kFolderFlags));
    if (child.isOpen()) levels.push_back({std::move(child), buffer.size()});
  }
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

Status PosixFileSystem::removeBelow(const std::string& anchor, const std::string& path) const {
  const std::string root = paths::normalize(anchor);
  const std::string target = paths::normalize(path);
  if (target == root || !paths::isWithin(target, root)) {
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

  Fd parent(open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!parent.valid()) return Status::fromErrno(errno, "cannot open " + root);

  // Walk down from the anchor one component at a time, never through a link.
  std::string_view rest = std::string_view(target).substr(root == "/" ? 1 : root.size() + 1);
  std::string walked = root == "/" ? "" : root;
  while (true) {
    std::size_t slash = rest.find('/');
    std::string name(rest.substr(0, slash));
    walked += "/" + name;
    if (slash == std::string_view::npos) {
      struct stat info {};
      if (fstatat(parent.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return Status::ok();
        return Status::fromErrno(errno, "cannot read " + walked);
      }
      if (S_ISDIR(info.st_mode)) {
        Fd folder(openat(parent.get(), name.c_str(), kFolderFlags));
        if (folder.valid()) {
          Status contents = removeContents(folder.get(), walked);
          if (!contents.isOk()) return contents;
          if (unlinkat(parent.get(), name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) {
            return Status::ok();
          }
          return Status::fromErrno(errno, "cannot remove " + walked);
        }
        if (errno == ENOENT) return Status::ok();
        if (errno != ELOOP && errno != ENOTDIR) {
          return Status::fromErrno(errno, "cannot open " + walked);
        }
        // Swapped for a link since the check: the link itself goes below.
      }
      if (unlinkat(parent.get(), name.c_str(), 0) == 0 || errno == ENOENT) return Status::ok();
      return Status::fromErrno(errno, "cannot remove " + walked);
    }
    Fd next(openat(parent.get(), name.c_str(), kFolderFlags));
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

}  // namespace vimbrel
