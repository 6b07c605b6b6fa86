#pragma once

#include <QString>
#include <QVariant>
#include <chrono>
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
// taken it. Events are kept in creation order and persisted at every change: the
// change is appended to a journal beside "queue.rak" (a few hundred bytes, never
// the whole queue), and once the journal outgrows the full file, a background
// thread writes a new full file from a snapshot, outside the lock, and drops the
// journals it covers. So adding an event costs the same with 10 or 10,000
// pending, and an added event survives the process being killed. A repeating timer (30 seconds)
// sends the oldest ones, at most 100 per "/track" request, and at most one such request is in
// flight at a time, so an answer always removes exactly the events it was about. Consecutive
// failures back off: after 16 of them, 85 passes send nothing. The queue also carries the host's
// user identity and merges the device identity into it once ("/transfer"). Callbacks run on the
// main loop; the state is guarded by one mutex, so events may be added from any thread.
class RAKQueue {
 public:
  static constexpr int kBatchSize = 100;

  static RAKQueue& sharedInstance();
  // Drops the shared instance, as if the process had ended. Tests only.
  static void resetSharedInstanceForTesting();
  // The timer interval of queues created afterwards (the product keeps 30 s).
  static void setIntervalForTesting(std::chrono::milliseconds interval);

  // A queue on `path` (in memory only without one); loads the file and starts
  // the timer on the calling thread's main loop.
  explicit RAKQueue(std::optional<QString> path);
  ~RAKQueue();
  RAKQueue(const RAKQueue&) = delete;
  RAKQueue& operator=(const RAKQueue&) = delete;

  // Loads the full file and replays its journals.
  void open();
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

  // State, for the SDK and the tests.
  std::size_t pendingCount() const;
  std::vector<RAKEvent> pendingEvents() const;
  std::optional<QString> userIdentifier() const;
  bool isCustomIdentified() const;
  int failedAttempts() const;
  bool isTimerRunning() const;
  // True while a "/track" or "/transfer" request has not been answered.
  bool isBusy() const;
  // Waits until the full file being written in the background, if any, is on
  // disk.
  void waitForBackgroundWrites() { waitForCompaction(); }
  // Whether the analytics service may be used; always true.
  static bool isApiAvailable() { return true; }

 private:
  void startTimer();
  void journalLocked(RAKJournal::Kind kind, const QByteArray& payload);
  // Starts a new journal and writes the full file of the state so far on a
  // background thread.
  void startCompactionLocked();
  void compact(std::uint64_t generation, std::vector<RAKEvent> events,
               std::optional<QString> userIdentifier, bool customIdentified);
  void applyRecord(const RAKJournal::Record& record);
  void waitForCompaction();
  void removeProcessedEventsLocked();
  void attemptFailedLocked();
  void attemptSuccessLocked();
  void sendIdentifierLocked(const QString& writeKey);
  void sendEventsLocked(const QVariant& body);
  void trackFinished(const RVLResponse& response);
  void transferFinished(const RVLResponse& response);

  const std::optional<QString> path_;
  mutable std::mutex mutex_;
  std::vector<RAKEvent> queue_;
  // The batch being sent is always the head of the queue: its length.
  std::size_t sentCount_ = 0;
  bool trackInFlight_ = false;
  int transfersInFlight_ = 0;
  std::optional<QString> userIdentifier_;
  bool customIdentified_ = false;
  int failedAttempts_ = 0;
  // Receiver of the timer and network callbacks; destroyed with the queue so
  // that no late answer reaches a queue that is gone.
  std::unique_ptr<QObject> context_;
  // Persistence: the journal of the current generation, the size of the last
  // full file (the journal may grow to it before it is folded in), and the
  // thread writing a full file, if any.
  std::unique_ptr<RAKJournal> journal_;
  std::uint64_t fullFileSize_ = 0;
  bool compacting_ = false;
  std::thread compactor_;
  QTimer* timer_ = nullptr;
};

}  // namespace vimbrel
