#pragma once

#include <QObject>
#include <functional>
#include <string>

class QSocketNotifier;

namespace vimbrel::spider {

// Tells when the Trash folder may have been replaced: ".Trash" created,
// deleted or renamed in the home, the watched Trash itself deleted, moved or
// unmounted, or the mount table changed (a file system mounted on it or on
// the home). It only says "look again"; the owner compares the folder's
// identity with the one it watches. Lives on the main thread; the callback
// runs there.
class TrashKeeper final : public QObject {
  Q_OBJECT

 public:
  TrashKeeper(std::string home, std::function<void()> lookAgain, QObject* parent = nullptr);
  ~TrashKeeper() override;

  // Follows the Trash folder now at its path (after it was re-armed).
  void followTrash();
  bool watching() const { return inotifyFd_ >= 0; }

 private:
  void readEvents();

  std::string home_;
  std::string trash_;
  std::function<void()> lookAgain_;
  int inotifyFd_ = -1;
  int homeWatch_ = -1;
  int trashWatch_ = -1;
  int mountsFd_ = -1;
  QSocketNotifier* events_ = nullptr;
  QSocketNotifier* mounts_ = nullptr;
};

}  // namespace vimbrel::spider
