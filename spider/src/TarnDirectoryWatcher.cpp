#include "spider/TarnDirectoryWatcher.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <mutex>

namespace vimbrel::spider {

struct TarnDirectoryWatcher::Shared {
  std::mutex mutex;
  Callback callback;
};

namespace {

// The folder's own entries: created, deleted, moved in or out, attributes.
constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;

}  // namespace

std::unique_ptr<TarnDirectoryWatcher> TarnDirectoryWatcher::directoryWatcherAtPath(
    const std::string& path, Callback callback) {
  return directoryWatcherAtPath(path, true, std::move(callback));
}

std::unique_ptr<TarnDirectoryWatcher> TarnDirectoryWatcher::directoryWatcherAtPath(
    const std::string& path, bool startImmediately, Callback callback) {
  auto watcher = std::make_unique<TarnDirectoryWatcher>(path);
  watcher->setCallback(std::move(callback));
  if (startImmediately && !watcher->startWatching()) return nullptr;
  return watcher;
}

TarnDirectoryWatcher::TarnDirectoryWatcher(std::string path)
    : watchedPath_(std::move(path)), shared_(std::make_shared<Shared>()) {
  queue_.setObjectName("TarnDirectoryWatcherQueue");
  queueContext_ = new QObject;
  queueContext_->moveToThread(&queue_);
  queue_.start();
}

TarnDirectoryWatcher::~TarnDirectoryWatcher() {
  stopWatching();
  {
    std::lock_guard lock(shared_->mutex);
    shared_->callback = nullptr;
  }
  // The context and its pending timers go away on the queue itself.
  QMetaObject::invokeMethod(
      queueContext_, [context = queueContext_] { delete context; }, Qt::BlockingQueuedConnection);
  queue_.quit();
  queue_.wait();
}

void TarnDirectoryWatcher::setCallback(Callback callback) {
  std::lock_guard lock(shared_->mutex);
  shared_->callback = std::move(callback);
}

bool TarnDirectoryWatcher::startWatching() {
  if (watching_) return false;
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd < 0) return false;
  if (inotify_add_watch(fd, watchedPath_.c_str(), kEvents | IN_ONLYDIR) < 0) {
    close(fd);
    return false;
  }
  inotifyFd_ = fd;
  // The source is created on the queue, so that events are handled there,
  // one at a time with the checks.
  QMetaObject::invokeMethod(
      queueContext_,
      [this] {
        source_ = new QSocketNotifier(inotifyFd_, QSocketNotifier::Read, queueContext_);
        QObject::connect(source_, &QSocketNotifier::activated, queueContext_,
                         [this] { readEvents(); });
      },
      Qt::BlockingQueuedConnection);
  watching_ = true;
  return true;
}

bool TarnDirectoryWatcher::stopWatching() {
  if (!watching_) return false;
  QMetaObject::invokeMethod(
      queueContext_,
      [this] {
        delete source_;
        source_ = nullptr;
        close(inotifyFd_);
        inotifyFd_ = -1;
      },
      Qt::BlockingQueuedConnection);
  watching_ = false;
  return true;
}

void TarnDirectoryWatcher::readEvents() {
  alignas(inotify_event) char buffer[4096];
  bool changed = false;
  for (;;) {
    const ssize_t length = read(inotifyFd_, buffer, sizeof buffer);
    if (length <= 0) break;
    for (ssize_t offset = 0; offset < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
      // Events that name an entry concern the folder's own entries; a lost
      // queue may have hidden some. The folder's own attributes are not its
      // contents.
      if (event->len > 0 || (event->mask & IN_Q_OVERFLOW) != 0) changed = true;
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  if (changed) directoryDidChange();
}

void TarnDirectoryWatcher::directoryDidChange() {
  // A change while a settling cycle runs is the cycle's business: its next
  // check sees it in the snapshot and restarts the count. Starting a second
  // chain of checks here (the changing flag is clear between quiet checks)
  // would call back twice for one burst.
  if (directoryChanging_.load() || settling_) return;
  directoryChanging_ = true;
  settling_ = true;
  retriesLeft_ = kStableChecks;
  checkChangesAfterDelay(kCheckIntervalMs);
}

void TarnDirectoryWatcher::checkChangesAfterDelay(int milliseconds) {
  // The timer belongs to the queue's context, which the destructor deletes:
  // a watcher destroyed in between is not polled.
  QTimer::singleShot(milliseconds, queueContext_,
                     [this, snapshot = directoryMetadata(watchedPath_)] {
                       pollDirectoryForChangesWithMetadata(snapshot);
                     });
}

void TarnDirectoryWatcher::pollDirectoryForChangesWithMetadata(
    const std::vector<std::string>& old) {
  ++checksRun_;
  const bool changing = directoryMetadata(watchedPath_) != old;
  directoryChanging_ = changing;
  if (changing) {
    retriesLeft_ = kStableChecks;
  } else {
    const std::int64_t retries = retriesLeft_;
    retriesLeft_ = retries - 1;
    if (retries <= 0) {
      settling_ = false;
      // Settled: call back on the main thread, unless the watcher dropped
      // its callback by then. No further check is scheduled.
      std::weak_ptr<Shared> weak = shared_;
      QMetaObject::invokeMethod(
          QCoreApplication::instance(),
          [weak] {
            auto shared = weak.lock();
            if (!shared) return;
            Callback callback;
            {
              std::lock_guard lock(shared->mutex);
              callback = shared->callback;
            }
            if (callback) callback();
          },
          Qt::QueuedConnection);
      return;
    }
  }
  checkChangesAfterDelay(kCheckIntervalMs);
}

std::vector<std::string> TarnDirectoryWatcher::directoryMetadata(const std::string& path) {
  std::vector<std::string> snapshot;
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return snapshot;
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return snapshot;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    long size = 0;
    if (fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
      // The size is taken as a signed 32-bit value, as the snapshot format has it.
      size = static_cast<std::int32_t>(info.st_size);
    }
    snapshot.push_back(std::string(name) + std::to_string(size));
  }
  closedir(dir);
  return snapshot;
}

}  // namespace vimbrel::spider
