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
// removed events are the oldest ones.
void removeByKey(std::deque<RAKEvent>& events, std::uint64_t key) {
  if (events.empty()) return;
  if (events.front().key() == key) {
    events.pop_front();
    return;
  }
  const auto found = std::find_if(events.begin(), events.end(),
                                  [key](const RAKEvent& event) { return event.key() == key; });
  if (found != events.end()) events.erase(found);
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
        removeByKey(state.events, getLittleEndian(payload.constData() + 4 + 8 * i, 8));
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
            std::optional<std::uint64_t> skip) {
  Loaded loaded;
  State& state = loaded.state;
  const rvlarchive::ReadResult full = rvlarchive::readDictionary(
      queueFile, QStringLiteral("events"), [&state](const QVariant& archived) {
        if (auto event = RAKEvent::fromArchive(archived)) state.events.push_back(std::move(*event));
      });
  // An unreadable full file has been moved aside; every journal still here
  // is newer than what it held, so all of them are replayed.
  loaded.snapshotReadable = full.outcome != rvlarchive::ReadOutcome::Corrupt;
  if (full.outcome == rvlarchive::ReadOutcome::Loaded) {
    const QVariant user = full.root.value(QStringLiteral("userIdentifier"));
    if (user.typeId() == QMetaType::QString) state.userIdentifier = user.toString();
    state.customIdentified = full.root.value(QStringLiteral("customIdentified")).toBool();
    loaded.snapshotGeneration = full.root.value(QStringLiteral("journalGeneration")).toULongLong();
    loaded.fullFileSize = std::uint64_t(QFileInfo(queueFile).size());
  }

  loaded.firstUnfolded = upTo.value_or(0);
  for (const std::uint64_t generation : RAKJournal::generationsBeside(queueFile)) {
    // Journals below the full file's generation are in it (a fold removes
    // them only after the file is synced).
    if (generation < loaded.snapshotGeneration || generation == skip) continue;
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
    RAKJournal::replay(RAKJournal::pathFor(queueFile, generation),
                       [&state](const RAKJournal::Record& record) { apply(state, record); });
    ::close(lock);
    ++loaded.journalsReplayed;
  }
  loaded.loadedCount = state.events.size();
  return loaded;
}

std::optional<std::uint64_t> fold(const QString& queueFile, std::uint64_t upTo,
                                  std::size_t maxEvents) {
  Loaded loaded = read(queueFile, upTo, std::nullopt);
  // Never behind a full file another process has already written.
  const std::uint64_t generation = std::max(loaded.firstUnfolded, loaded.snapshotGeneration);
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
