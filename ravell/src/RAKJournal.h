#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vimbrel {

// The append-only journal that sits beside the queue file. The queue file holds
// the state at one moment (its generation); each journal "<file>.journal.<n>"
// holds, in order, the changes made since generation n began. Loading reads the
// file and replays the journals of its generation and the later ones.
//
// A record is [length: u32][checksum: u32][kind: u8][payload], little endian,
// written with one write() so that it is in the kernel the moment the call
// returns: an event that was added survives the process being killed. A torn
// or damaged record ends the replay of its journal (what follows it was never
// acknowledged to anyone).
//
// A journal is never reopened: each one is created new (never truncating a
// file that exists) and holds an exclusive flock for as long as its writer
// has it open, so that a process folding journals into the queue file can
// tell the ones still being written (by itself or by another process) from
// finished ones.
class RAKJournal {
 public:
  enum class Kind : std::uint8_t {
    Added = 'A',       // payload: the archived event, a binary property list
    Removed = 'R',     // payload: how many events left the head, u32 (read only)
    Delivered = 'D',   // payload: u32 count, then each removed event's key, u64
    Identified = 'I',  // payload: the user identifier, UTF-8
    Merged = 'M',      // payload: one byte, the merged flag
  };

  struct Record {
    Kind kind;
    QByteArray payload;
  };

  static QString pathFor(const QString& queueFile, std::uint64_t generation);

  // Creates the journal of the first free generation at or above `atLeast`
  // (and above every journal beside `queueFile`) and locks it; the caller
  // holds the queue folder's lock. Check isOpen().
  RAKJournal(const QString& queueFile, std::uint64_t atLeast);
  ~RAKJournal();
  RAKJournal(const RAKJournal&) = delete;
  RAKJournal& operator=(const RAKJournal&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  std::uint64_t generation() const { return generation_; }
  // Bytes appended through this object.
  std::uint64_t size() const { return size_; }

  // Appends one record; false (nothing half-written is ever replayed) on failure.
  bool append(Kind kind, const QByteArray& payload);

  // Calls `apply` for every whole record of one journal file, in order.
  // Returns false when the file does not exist.
  static bool replay(const QString& path, const std::function<void(const Record&)>& apply);

  // The generations of the journals found beside `queueFile`, ascending.
  static std::vector<std::uint64_t> generationsBeside(const QString& queueFile);
  // Deletes the journals of generations below `generation`.
  static void removeBefore(const QString& queueFile, std::uint64_t generation);

  // Locks the journal of `generation` unless its writer still has it open;
  // the lock lasts as long as the returned descriptor (-1: still written, or
  // gone).
  static int lockFinished(const QString& queueFile, std::uint64_t generation);

  // Makes every append fail (as on a full disk) while set. Tests only.
  static void setFailWritesForTesting(bool fail);

 private:
  std::uint64_t generation_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace vimbrel
