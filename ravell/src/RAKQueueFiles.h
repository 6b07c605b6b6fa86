#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <deque>
#include <optional>

#include "RAKEvent.h"
#include "RAKJournal.h"

namespace vimbrel {

// The queue's files on disk: "queue.rak" (the full file: the state when its
// generation began) and the journals "queue.rak.journal.<n>" (the changes of
// generation n). The state is the full file followed by every journal of its
// generation and above, in order.
namespace rakqueuefiles {

struct State {
  std::deque<RAKEvent> events;
  // Events of the full file before `events` that were not read: more than
  // the queue keeps came before them. Removals count them first.
  std::size_t skipped = 0;
  std::optional<QString> userIdentifier;
  bool customIdentified = false;
};

// Applies one journal record to a state.
void apply(State& state, const RAKJournal::Record& record);

struct Loaded {
  State state;
  // Events in the state right after reading, before any bound (skipped
  // ones included).
  std::size_t loadedCount = 0;
  std::uint64_t snapshotGeneration = 0;
  // False when the full file was unreadable (and has been moved aside).
  bool snapshotReadable = true;
  std::uint64_t fullFileSize = 0;
  int journalsReplayed = 0;
  // The first journal not replayed because its writer still has it open
  // (or `upTo` when every one below it was).
  std::uint64_t firstUnfolded = 0;
};

// Reads the full file and replays the finished journals of its generation and
// above, except `skip`. Without `upTo`, journals still being written are
// skipped (their writer owns them); with it, replay stops at the first of
// them or at `upTo`, whichever comes first. Events of the full file that
// cannot be among the newest `maxEvents` once the journals are replayed are
// not read (counted in `skipped`). The caller holds a FolderLock.
Loaded read(const QString& queueFile, std::optional<std::uint64_t> upTo,
            std::optional<std::uint64_t> skip, std::size_t maxEvents);

// Folds the full file and the finished journals below `upTo` into a new full
// file (at most `maxEvents`, the newest), synced before the journals it covers
// are deleted. Returns the new file's size; nothing when it could not be
// written (then every file stays as it was). The caller holds a FolderLock.
std::optional<std::uint64_t> fold(const QString& queueFile, std::uint64_t upTo,
                                  std::size_t maxEvents);

// An exclusive lock on "<queue file>.lock", for reading and folding the
// files, shared by every process using the queue.
class FolderLock {
 public:
  explicit FolderLock(const QString& queueFile);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

void appendU32(QByteArray& out, std::uint32_t value);
void appendU64(QByteArray& out, std::uint64_t value);

}  // namespace rakqueuefiles
}  // namespace vimbrel
