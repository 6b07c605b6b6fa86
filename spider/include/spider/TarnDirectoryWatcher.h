#pragma once

#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QObject;
class QSocketNotifier;

namespace vimbrel::spider {

// Watches one folder and calls back once its contents have changed and then
// stayed unchanged for a while: moving an application to the Trash is a burst
// of writes, and the agent looks at the Trash only after the burst settled.
// It reports only that something changed and settled, not what.
//
// Changes are seen through inotify on the folder's own entries (created,
// deleted, moved in or out, attributes changed); a change inside a subfolder
// raises nothing. The first change starts the settling checks: every 0.2
// seconds a snapshot of the folder (each entry's name and own size) is
// compared with the previous one; a difference restarts the count, and the
// callback fires at the sixth check in a row that finds no change (about
// 1.2 seconds of quiet). While the folder is quiet nothing runs at all.
//
// Threads: events and checks run one at a time on the watcher's own thread
// ("TarnDirectoryWatcherQueue"); the callback runs on the main thread (the
// thread of the Qt application). Start, stop and destruction belong to the
// thread that created the watcher.
class TarnDirectoryWatcher {
 public:
  using Callback = std::function<void()>;

  // A started watcher, or nothing when starting failed.
  static std::unique_ptr<TarnDirectoryWatcher> directoryWatcherAtPath(const std::string& path,
                                                                      Callback callback);
  // Created, given its callback and, when asked, started; nothing when the
  // start failed.
  static std::unique_ptr<TarnDirectoryWatcher> directoryWatcherAtPath(const std::string& path,
                                                                      bool startImmediately,
                                                                      Callback callback);

  // initWithPath: keeps a copy of the path and creates the watcher's queue.
  explicit TarnDirectoryWatcher(std::string path);
  // Stops watching and drops the callback: a check still scheduled never calls it.
  ~TarnDirectoryWatcher();
  TarnDirectoryWatcher(const TarnDirectoryWatcher&) = delete;
  TarnDirectoryWatcher& operator=(const TarnDirectoryWatcher&) = delete;

  // True when watching started; false when already watching or when the
  // folder cannot be watched (missing, not a folder, no inotify).
  bool startWatching();
  // True when watching stopped; false when the watcher was not watching. A
  // check already scheduled still runs and may still end in a callback.
  bool stopWatching();

  void setCallback(Callback callback);
  const std::string& watchedPath() const { return watchedPath_; }
  // A change was seen and the watcher waits for the folder to settle.
  bool isDirectoryChanging() const { return directoryChanging_.load(); }
  // How many settling checks have run so far (for tests and measurements:
  // it stays put while the folder is quiet).
  std::uint64_t checksRun() const { return checksRun_.load(); }

  // The folder snapshot: one text per entry in listing order, the entry's
  // name followed by its own size (a folder's entry, not its contents) taken
  // as a signed 32-bit number, in decimal. An entry whose size cannot be read
  // counts 0; a missing folder gives an empty list.
  static std::vector<std::string> directoryMetadata(const std::string& path);

  // The settling constants.
  static constexpr int kCheckIntervalMs = 200;
  static constexpr std::int64_t kStableChecks = 5;

 private:
  struct Shared;

  // These run on the watcher's queue.
  void readEvents();
  void directoryDidChange();
  void checkChangesAfterDelay(int milliseconds);
  void pollDirectoryForChangesWithMetadata(const std::vector<std::string>& old);

  std::string watchedPath_;
  QThread queue_;
  QObject* queueContext_ = nullptr;  // lives on the queue; owns the timers and the source
  QSocketNotifier* source_ = nullptr;
  int inotifyFd_ = -1;
  bool watching_ = false;
  std::atomic<bool> directoryChanging_{false};
  std::int64_t retriesLeft_ = 0;  // written on the queue only
  bool settling_ = false;         // a check is scheduled; written on the queue only
  std::atomic<std::uint64_t> checksRun_{0};
  // The callback, shared with callbacks already posted to the main thread so
  // that destruction can drop it.
  std::shared_ptr<Shared> shared_;
};

}  // namespace vimbrel::spider
