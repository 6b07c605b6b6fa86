#include "spider/AgentLocks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "engine/SettingsKeys.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"

namespace vimbrel::spider {

FileLock::FileLock(const std::string& path, Wait wait) {
  if (path.empty()) return;
  atomicfile::makeFolders(paths::parent(path), 0700);
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd_ < 0) return;
  const int operation = LOCK_EX | (wait == Wait::DoNot ? LOCK_NB : 0);
  while (::flock(fd_, operation) != 0) {
    if (errno == EINTR) continue;
    ::close(fd_);
    fd_ = -1;
    return;
  }
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

std::string singleInstanceLockPath(const std::string& settingsFolder) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat info {};
  if (runtime && *runtime == '/' && ::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode) &&
      ::access(runtime, W_OK) == 0) {
    return paths::append(runtime, "vimbrel-spider.lock");
  }
  return paths::append(settingsFolder, "vimbrel-spider.lock");
}

void raiseRemoveCount(SettingsStore& store, const std::string& lockFile) {
  static std::mutex inProcess;
  std::lock_guard lock(inProcess);
  const FileLock acrossProcesses(lockFile, FileLock::Wait::Block);
  store.setInteger(keys::kRemoveAppCount, store.integer(keys::kRemoveAppCount) + 1);
  store.synchronize();
}

}  // namespace vimbrel::spider
