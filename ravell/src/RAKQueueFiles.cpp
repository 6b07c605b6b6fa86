#include "RAKQueueFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

#include "RVLArchive.h"
#include "RVLLog.h"

namespace vimbrel::rakqueuefiles {
namespace {

std::uint64_t getLittleEndian(const char* in, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) {
    value |= std::uint64_t(static_cast<std::uint8_t>(in[i])) << (8 * i);
  }
  return value;
}

// Removes the first event with `key`; the head in the usual case, where the
// removed events are the oldest ones. One that is not there was one of the
// older events not read.
void removeByKey(State& state, std::uint64_t key) {
  std::deque<RAKEvent>& events = state.events;
  if (!events.empty() && events.front().key() == key) {
    events.pop_front();
    return;
  }
  const auto found = std::find_if(events.begin(), events.end(),
                                  [key](const RAKEvent& event) { return event.key() == key; });
  if (found != events.end()) {
    events.erase(found);
  } else if (state.skipped > 0) {
    --state.skipped;
  }
}

// How many events a record removes.
std::size_t removals(const RAKJournal::Record& record) {
  if (record.payload.size() < 4) return 0;
  if (record.kind != RAKJournal::Kind::Removed && record.kind != RAKJournal::Kind::Delivered) {
    return 0;
  }
  return std::size_t(getLittleEndian(record.payload.constData(), 4));
}

}  // namespace

void appendU32(QByteArray& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.append(char((value >> (8 * i)) & 0xFFU));
}

void appendU64(QByteArray& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out.append(char((value >> (8 * i)) & 0xFFU));
}

void apply(State& state, const RAKJournal::Record& record) {
  const QByteArray& payload = record.payload;
  switch (record.kind) {
    case RAKJournal::Kind::Added:
      if (auto archived = rvlarchive::fromPlist(payload)) {
        if (auto event = RAKEvent::fromArchive(*archived)) {
          state.events.push_back(std::move(*event));
        }
      }
      break;
    case RAKJournal::Kind::Removed: {
      // Written by earlier versions: a count from the head.
      if (payload.size() != 4) break;
      const auto count = std::size_t(getLittleEndian(payload.constData(), 4));
      state.events.erase(
          state.events.begin(),
          state.events.begin() + std::ptrdiff_t(std::min(count, state.events.size())));
      break;
    }
    case RAKJournal::Kind::Delivered: {
      if (payload.size() < 4) break;
      const auto count = std::size_t(getLittleEndian(payload.constData(), 4));
      if (std::size_t(payload.size()) != 4 + 8 * count) break;
      for (std::size_t i = 0; i < count; ++i) {
        removeByKey(state, getLittleEndian(payload.constData() + 4 + 8 * i, 8));
      }
      break;
    }
    case RAKJournal::Kind::Identified:
      state.userIdentifier = QString::fromUtf8(payload);
      break;
    case RAKJournal::Kind::Merged:
      state.customIdentified = !payload.isEmpty() && payload[0] != 0;
      break;
  }
}

Loaded read(const QString& queueFile, std::optional<std::uint64_t> upTo,
            std::optional<std::uint64_t> skip, std::size_t maxEvents) {
  Loaded loaded;
  State& state = loaded.state;
  const std::vector<std::uint64_t> generations = RAKJournal::generationsBeside(queueFile);
  // The journals first (they are small): their removals tell how many of the
  // full file's oldest events can never be among the newest kept.
  struct Journal {
    std::uint64_t generation;
    std::vector<RAKJournal::Record> records;
  };
  std::vector<Journal> journals;
  std::size_t removed = 0;
  loaded.firstUnfolded = upTo.value_or(0);
  for (const std::uint64_t generation : generations) {
    if (generation == skip) continue;
    if (upTo && generation >= *upTo) break;
    const int lock = RAKJournal::lockFinished(queueFile, generation);
    if (lock < 0) {
      if (!QFileInfo::exists(RAKJournal::pathFor(queueFile, generation))) continue;
      if (upTo) {
        loaded.firstUnfolded = generation;
        break;
      }
      continue;
    }
    Journal journal{generation, {}};
    RAKJournal::replay(RAKJournal::pathFor(queueFile, generation),
                       [&](const RAKJournal::Record& record) {
                         removed += removals(record);
                         journal.records.push_back(record);
                       });
    ::close(lock);
    journals.push_back(std::move(journal));
  }

  const std::size_t keep = maxEvents > SIZE_MAX - removed ? SIZE_MAX : maxEvents + removed;
  const rvlarchive::ReadResult full = rvlarchive::readDictionary(
      queueFile, QStringLiteral("events"),
      [&state](const QVariant& archived) {
        if (auto event = RAKEvent::fromArchive(archived)) state.events.push_back(std::move(*event));
      },
      keep);
  // An unreadable full file has been moved aside; every journal still here
  // is newer than what it held, so all of them are replayed.
  loaded.snapshotReadable = full.outcome != rvlarchive::ReadOutcome::Corrupt;
  if (!loaded.snapshotReadable) state.events.clear();
  if (full.outcome == rvlarchive::ReadOutcome::Loaded) {
    state.skipped = full.itemsSkipped;
    const QVariant user = full.root.value(QStringLiteral("userIdentifier"));
    if (user.typeId() == QMetaType::QString) state.userIdentifier = user.toString();
    state.customIdentified = full.root.value(QStringLiteral("customIdentified")).toBool();
    loaded.snapshotGeneration = full.root.value(QStringLiteral("journalGeneration")).toULongLong();
    loaded.fullFileSize = std::uint64_t(QFileInfo(queueFile).size());
  }
  loaded.firstUnfolded = std::max(loaded.firstUnfolded, loaded.snapshotGeneration);

  for (const Journal& journal : journals) {
    // Journals below the full file's generation are in it (a fold removes
    // them only after the file is synced).
    if (journal.generation < loaded.snapshotGeneration) continue;
    if (upTo && journal.generation >= loaded.firstUnfolded) break;
    for (const RAKJournal::Record& record : journal.records) apply(state, record);
    ++loaded.journalsReplayed;
  }
  loaded.loadedCount = state.skipped + state.events.size();
  return loaded;
}

std::optional<std::uint64_t> fold(const QString& queueFile, std::uint64_t upTo,
                                  std::size_t maxEvents) {
  Loaded loaded = read(queueFile, upTo, std::nullopt, maxEvents);
  // Never behind a full file another process has already written.
  const std::uint64_t generation = loaded.firstUnfolded;
  const State& state = loaded.state;
  const std::size_t skipped = state.events.size() - std::min(state.events.size(), maxEvents);
  QVariantList archived;
  archived.reserve(qsizetype(state.events.size() - skipped));
  for (auto it = state.events.begin() + std::ptrdiff_t(skipped); it != state.events.end(); ++it) {
    archived.append(it->archive());
  }
  QVariantMap root{{QStringLiteral("events"), archived},
                   {QStringLiteral("customIdentified"), state.customIdentified},
                   {QStringLiteral("journalGeneration"), qulonglong(generation)}};
  if (state.userIdentifier) root.insert(QStringLiteral("userIdentifier"), *state.userIdentifier);
  if (!rvlarchive::writeDictionary(queueFile, root)) {
    // The journals stay, so nothing is lost; the next fold tries again.
    rvllog::warning(QStringLiteral("Could not write the event queue file %1").arg(queueFile));
    return std::nullopt;
  }
  // The new file is synced: what the older journals hold is durable in it.
  RAKJournal::removeBefore(queueFile, generation);
  return std::uint64_t(QFileInfo(queueFile).size());
}

FolderLock::FolderLock(const QString& queueFile) {
  const QByteArray path = QFile::encodeName(queueFile + QStringLiteral(".lock"));
  fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    rvllog::warning(
        QStringLiteral("Could not open the event queue lock %1").arg(QString::fromLocal8Bit(path)));
    return;
  }
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno != EINTR) break;
  }
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace vimbrel::rakqueuefiles
