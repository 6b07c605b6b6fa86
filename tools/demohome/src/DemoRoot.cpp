// Inspecting and clearing the folder that holds a demo tree.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "demohome/DemoHome.h"

namespace vimbrel::demo {

namespace {

// The top-level entries a generation writes; clearing removes only these, so
// anything else a user put beside the tree survives.
constexpr const char* kTreeTopLevel[] = {"Applications", "Users", "Library", "var"};

class FdCloser {
 public:
  explicit FdCloser(int fd) : fd_(fd) {}
  ~FdCloser() {
    if (fd_ >= 0) ::close(fd_);
  }
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool hasMarker(int rootFd) {
  struct stat info {};
  return ::fstatat(rootFd, kDemoMarkerName, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISREG(info.st_mode);
}

// Removes the entry `name` of the folder open as `parentFd` with everything
// below it. Every folder is opened relative to its parent with O_NOFOLLOW, so
// a symbolic link (or a folder swapped for one) is removed itself and its
// target is never entered. Returns 0 or the errno of the first failure.
int removeEntry(int parentFd, const char* name) {
  const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return 0;
    if (errno != ENOTDIR && errno != ELOOP) return errno;
    if (::unlinkat(parentFd, name, 0) == 0 || errno == ENOENT) return 0;
    return errno;
  }
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    const int error = errno;
    ::close(fd);
    return error;
  }
  std::vector<std::string> children;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string child = entry->d_name;
    if (child != "." && child != "..") children.push_back(child);
  }
  int error = 0;
  for (const std::string& child : children) {
    error = removeEntry(::dirfd(dir), child.c_str());
    if (error != 0) break;
  }
  ::closedir(dir);
  if (error != 0) return error;
  if (::unlinkat(parentFd, name, AT_REMOVEDIR) == 0 || errno == ENOENT) return 0;
  return errno;
}

}  // namespace

DemoRootState inspectDemoRoot(const std::string& root) {
  struct stat info {};
  if (::stat(root.c_str(), &info) != 0) {
    return errno == ENOENT ? DemoRootState::Missing : DemoRootState::NotAFolder;
  }
  if (!S_ISDIR(info.st_mode)) return DemoRootState::NotAFolder;
  const FdCloser rootFd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (rootFd.get() < 0) return DemoRootState::Foreign;
  if (hasMarker(rootFd.get())) return DemoRootState::EarlierDemo;
  DIR* dir = ::opendir(root.c_str());
  if (dir == nullptr) return DemoRootState::Foreign;
  bool empty = true;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") {
      empty = false;
      break;
    }
  }
  ::closedir(dir);
  return empty ? DemoRootState::Empty : DemoRootState::Foreign;
}

Status clearDemoTree(const std::string& root) {
  const FdCloser rootFd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (rootFd.get() < 0) return Status::fromErrno(errno, "cannot open " + root);
  if (!hasMarker(rootFd.get())) {
    return Status::error(root + " holds no demo tree (no " + kDemoMarkerName +
                         "); nothing was removed");
  }
  for (const char* name : kTreeTopLevel) {
    if (const int error = removeEntry(rootFd.get(), name); error != 0) {
      return Status::fromErrno(error, "cannot remove " + root + "/" + name);
    }
  }
  // The marker goes last, so an interrupted clearing can be run again.
  if (::unlinkat(rootFd.get(), kDemoMarkerName, 0) != 0 && errno != ENOENT) {
    return Status::fromErrno(errno, "cannot remove the marker in " + root);
  }
  return Status::ok();
}

}  // namespace vimbrel::demo
