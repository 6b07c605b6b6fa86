#pragma once

#include <QString>
#include <QVariant>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "RAKEvent.h"
#include "RAKJournal.h"

class QObject;
class QTimer;

namespace vimbrel {

struct RVLResponse;

// Holds every analytics event from its creation until the analytics service has
// taken it, at most kMaxPending of them (the oldest go first). Events are kept
// in creation order and persisted at every change: the change is appended to
// a journal beside "queue.rak" (a few hundred bytes, never the whole queue),
// so adding an event costs the same with 10 or 10,000 pending and an added
// event survives the process being killed. Each run writes journals of its
// own; once the current one outgrows the full file, a new one is started and a
// background thread folds the full file and the finished journals into a new
// full file, synced before the journals it covers are deleted. Several
// processes may share the queue's folder: folds take a lock file, and a
// journal still being written by any process is never folded.
//
// The queue loads its files on a background thread; events added meanwhile
// are journaled at once and follow the loaded ones. A change that cannot be
// written (a full disk) is kept in memory and written, in order, before any
// later one; an event is sent only once it is written.
//
// A repeating timer (30 seconds) sends the oldest ones, at most 100 per
// "/track" request, and at most one such request is in flight at a time, so
// an answer always removes exactly the events it was about. Consecutive
// failures back off: after 16 of them, 85 passes send nothing. The queue also
// carries the host's user identity and merges the device identity into it
// once ("/transfer"). Callbacks run on the main loop; the state is guarded by
// one mutex, so events may be added from any thread.
class RAKQueue {
 public:
  static constexpr int kBatchSize = 100;
  static constexpr std::size_t kMaxPending = 10000;

  static RAKQueue& sharedInstance();
  // Drops the shared instance, as if the process had ended. Tests only.
  static void resetSharedInstanceForTesting();
  // The timer interval of queues created afterwards (the product keeps 30 s).
  static void setIntervalForTesting(std::chrono::milliseconds interval);

  // A queue on `path` (in memory only without one); starts loading the files
  // in the background and the timer on the calling thread's main loop.
  explicit RAKQueue(std::optional<QString> path);
  // Waits for the load and for a full file being written.
  ~RAKQueue();
  RAKQueue(const RAKQueue&) = delete;
  RAKQueue& operator=(const RAKQueue&) = delete;

  // Waits until the files are loaded.
  void waitForLoad() const;
  bool isLoaded() const;
  // Writes the full file now (waiting for it) and starts a new journal.
  void save();
  // Appends and saves the event when the user is opted in; drops it otherwise.
  void addEvent(const RAKEvent& event);
  // Sets the user identity (not null) and saves; the merged flag is unchanged.
  void identify(const QString& userIdentifier);
  // One sending pass; the timer calls it.
  void processQueue();
  // Stops the timer for the rest of this run.
  void stop();
  // Restarts the timer and runs a pass at once.
  void checkTimer();

  // State, for the SDK and the tests; they wait for the load.
  std::size_t pendingCount() const;
  std::vector<RAKEvent> pendingEvents() const;
  std::optional<QString> userIdentifier() const;
  bool isCustomIdentified() const;
  int failedAttempts() const;
  bool isTimerRunning() const;
  // Events dropped in this run because the queue was full.
  std::size_t droppedCount() const;
  // Changes kept in memory because they could not be written yet.
  std::size_t unwrittenCount() const;
  // True while a "/track" or "/transfer" request has not been answered.
  bool isBusy() const;
  // Waits until the full file being written in the background, if any, is on
  // disk.
  void waitForBackgroundWrites() {
    waitForLoad();
    waitForCompaction();
  }
  // Whether the analytics service may be used; always true.
  static bool isApiAvailable() { return true; }

 private:
  struct Change {
    RAKJournal::Kind kind;
    QByteArray payload;
  };

  void startTimer();
  void load();
  void waitForLoadLocked(std::unique_lock<std::mutex>& lock) const;
  void journalLocked(RAKJournal::Kind kind, const QByteArray& payload);
  // Writes the changes kept in memory, in order; false when one still fails.
  bool writeUnwrittenLocked();
  void openJournalLocked(std::uint64_t atLeast);
  // Starts a new journal and folds the finished ones into the full file on a
  // background thread.
  void startCompactionLocked();
  void fold(std::uint64_t upTo);
  void waitForCompaction();
  // Drops the oldest events beyond kMaxPending, journaling their removal.
  void enforceBoundLocked();
  void noteDroppedLocked(std::size_t count);
  void removeHeadLocked(std::size_t count);
  void removeProcessedEventsLocked();
  void attemptFailedLocked();
  void attemptSuccessLocked();
  void sendIdentifierLocked(const QString& writeKey);
  void sendEventsLocked(const QVariant& body);
  void trackFinished(const RVLResponse& response);
  void transferFinished(const RVLResponse& response);

  const std::optional<QString> path_;
  mutable std::mutex mutex_;
  mutable std::condition_variable loadedChanged_;
  bool loaded_ = false;
  std::thread loader_;
  std::deque<RAKEvent> queue_;
  // The batch being sent is always the head of the queue: its length.
  std::size_t sentCount_ = 0;
  bool trackInFlight_ = false;
  int transfersInFlight_ = 0;
  std::optional<QString> userIdentifier_;
  bool customIdentified_ = false;
  int failedAttempts_ = 0;
  std::size_t dropped_ = 0;
  bool dropLogged_ = false;
  // Receiver of the timer and network callbacks; destroyed with the queue so
  // that no late answer reaches a queue that is gone.
  std::unique_ptr<QObject> context_;
  // Persistence: the journal of this run's current generation, the changes
  // not written yet (the events among them are the tail of the queue), the
  // size of the last full file (the journal may grow to it before it is
  // folded in), and the thread writing a full file, if any.
  std::unique_ptr<RAKJournal> journal_;
  std::deque<Change> unwritten_;
  std::size_t unwrittenEvents_ = 0;
  std::uint64_t fullFileSize_ = 0;
  bool compacting_ = false;
  std::thread compactor_;
  QTimer* timer_ = nullptr;
};

}  // namespace vimbrel
