#include "platform/AtomicFile.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

namespace vimbrel::atomicfile {

namespace {

std::string parentOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

Status writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Status::fromErrno(errno, "write");
    }
    written += static_cast<std::size_t>(n);
  }
  return Status::ok();
}

Status syncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Status::fromErrno(errno, "open " + folder);
  Status status;
  // Some file systems cannot fsync a directory; the rename itself is done.
  if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
    status = Status::fromErrno(errno, "fsync " + folder);
  }
  ::close(fd);
  return status;
}

// Removes "<name>.tmp.<pid>" files beside `path` whose writer is gone. A
// process that still runs under that number keeps its file: it may be the
// writer, and a file left by a dead writer of a reused number waits for the
// next write after that process ends.
void removeDeadWritersFiles(const std::string& path) {
  const std::string folder = parentOf(path);
  const auto slash = path.find_last_of('/');
  const std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp.";
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return;
  const int folderFd = ::dirfd(listing);
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name(entry->d_name);
    if (!name.starts_with(prefix)) continue;
    const std::string_view digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
      continue;
    }
    const pid_t writer = static_cast<pid_t>(std::stol(std::string(digits)));
    if (writer <= 0 || writer == ::getpid()) continue;
    if (::kill(writer, 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(folderFd, entry->d_name, 0);
  }
  ::closedir(listing);
}

}  // namespace

Status replaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes, mode_t mode) {
  removeDeadWritersFiles(path);
  const std::string temporary = path + ".tmp." + std::to_string(::getpid());
  // O_NOFOLLOW: a link planted at the temporary name must not redirect the write.
  const int fd =
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) return Status::fromErrno(errno, "create " + temporary);

  Status status = writeAll(fd, bytes);
  if (status && ::fsync(fd) != 0) status = Status::fromErrno(errno, "fsync " + temporary);
  if (::close(fd) != 0 && status) status = Status::fromErrno(errno, "close " + temporary);
  if (status && ::rename(temporary.c_str(), path.c_str()) != 0) {
    status = Status::fromErrno(errno, "rename " + temporary);
  }
  if (!status) {
    ::unlink(temporary.c_str());
    return status;
  }
  return syncFolder(parentOf(path));
}

Status makeFolders(const std::string& folder, mode_t mode) {
  if (folder.empty()) return Status::error("empty folder path");
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) {
    return S_ISDIR(info.st_mode) ? Status::ok() : Status::fromErrno(ENOTDIR, folder);
  }
  const std::string parent = parentOf(folder);
  if (parent != folder) {
    Status status = makeFolders(parent, mode);
    if (!status) return status;
  }
  if (::mkdir(folder.c_str(), mode) != 0 && errno != EEXIST) {
    return Status::fromErrno(errno, "mkdir " + folder);
  }
  return Status::ok();
}

Status makeFoldersWithoutLinks(const std::string& folder, mode_t mode) {
  if (folder.empty() || folder.front() != '/') return Status::error("not an absolute folder path");
  int current = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (current < 0) return Status::fromErrno(errno, "open /");
  std::string walked;
  std::string_view rest(folder);
  Status status;
  while (status) {
    while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
    if (rest.empty()) break;
    const std::size_t slash = rest.find('/');
    const std::string name(rest.substr(0, slash));
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    walked += "/" + name;
    if (::mkdirat(current, name.c_str(), mode) != 0 && errno != EEXIST) {
      status = Status::fromErrno(errno, "mkdir " + walked);
      break;
    }
    const int next =
        ::openat(current, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) status = Status::fromErrno(errno, "open " + walked);
    ::close(current);
    current = next;
  }
  if (current >= 0) ::close(current);
  return status;
}

Status renameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return Status::ok();
  }
  if (errno != EINVAL && errno != ENOSYS) return Status::fromErrno(errno, "rename " + from);
  // The file system cannot refuse to replace in a rename; a hard link can.
  if (::link(from.c_str(), to.c_str()) != 0) return Status::fromErrno(errno, "link " + to);
  if (::unlink(from.c_str()) != 0) return Status::fromErrno(errno, "unlink " + from);
  return Status::ok();
}

}  // namespace vimbrel::atomicfile
