#include "spider/TrashKeeper.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstring>

#include "platform/Paths.h"

namespace vimbrel::spider {

namespace {

constexpr std::uint32_t kHomeEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                      IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t kTrashEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

TrashKeeper::TrashKeeper(std::string home, std::function<void()> lookAgain, QObject* parent)
    : QObject(parent),
      home_(std::move(home)),
      trash_(paths::append(home_, ".Trash")),
      lookAgain_(std::move(lookAgain)) {
  inotifyFd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (inotifyFd_ >= 0) {
    homeWatch_ = inotify_add_watch(inotifyFd_, home_.c_str(), kHomeEvents);
    events_ = new QSocketNotifier(inotifyFd_, QSocketNotifier::Read, this);
    connect(events_, &QSocketNotifier::activated, this, [this] { readEvents(); });
    followTrash();
  }
  // The mount table signals a change as an exceptional condition on
  // /proc/self/mountinfo: a file system mounted on the Trash raises no
  // inotify event on either folder.
  mountsFd_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
  if (mountsFd_ >= 0) {
    mounts_ = new QSocketNotifier(mountsFd_, QSocketNotifier::Exception, this);
    connect(mounts_, &QSocketNotifier::activated, this, [this] {
      char buffer[4096];
      ::lseek(mountsFd_, 0, SEEK_SET);
      while (::read(mountsFd_, buffer, sizeof buffer) > 0) {
      }
      lookAgain_();
    });
  }
}

TrashKeeper::~TrashKeeper() {
  delete events_;
  delete mounts_;
  if (inotifyFd_ >= 0) ::close(inotifyFd_);
  if (mountsFd_ >= 0) ::close(mountsFd_);
}

void TrashKeeper::followTrash() {
  if (inotifyFd_ < 0) return;
  if (trashWatch_ >= 0) inotify_rm_watch(inotifyFd_, trashWatch_);
  // A folder already watched (the same inode) keeps its descriptor.
  trashWatch_ = inotify_add_watch(inotifyFd_, trash_.c_str(), kTrashEvents | IN_DONT_FOLLOW);
}

void TrashKeeper::readEvents() {
  alignas(inotify_event) char buffer[4096];
  bool relevant = false;
  while (true) {
    const ssize_t length = ::read(inotifyFd_, buffer, sizeof buffer);
    if (length <= 0) break;
    for (ssize_t offset = 0; offset < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
      if (event->wd == homeWatch_) {
        // Only ".Trash" itself matters among the home's entries; the home
        // going away matters too.
        if (event->len == 0 || std::strcmp(event->name, ".Trash") == 0) relevant = true;
      } else if ((event->mask & (IN_IGNORED | IN_Q_OVERFLOW)) == 0 || event->wd == trashWatch_) {
        // The Trash deleted, moved or unmounted (IN_UNMOUNT comes with every watch).
        relevant = true;
      }
      if (event->mask & IN_Q_OVERFLOW) relevant = true;
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  if (relevant) lookAgain_();
}

}  // namespace vimbrel::spider
