#include "platform/AtomicFile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

Status replaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes, mode_t mode) {
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
