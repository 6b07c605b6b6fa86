#include "RAKJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "RVLLog.h"

namespace vimbrel {
namespace {

constexpr int kHeaderSize = 9;
// A record larger than this is damage, not an event.
constexpr std::uint32_t kMaxPayload = 16U * 1024U * 1024U;

std::uint32_t crc32(const char* data, std::size_t size, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1U) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc = table[(crc ^ static_cast<std::uint8_t>(data[i])) & 0xFFU] ^ (crc >> 8);
  }
  return ~crc;
}

void putU32(char* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = char((value >> (8 * i)) & 0xFFU);
}

std::uint32_t getU32(const char* in) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= std::uint32_t(static_cast<std::uint8_t>(in[i])) << (8 * i);
  return value;
}

std::atomic<bool> failWrites{false};

QString journalPrefix(const QString& queueFile) {
  return QFileInfo(queueFile).fileName() + QStringLiteral(".journal.");
}

}  // namespace

QString RAKJournal::pathFor(const QString& queueFile, std::uint64_t generation) {
  return queueFile + QStringLiteral(".journal.") + QString::number(generation);
}

RAKJournal::RAKJournal(const QString& queueFile, std::uint64_t atLeast) : generation_(atLeast) {
  // The journal is created and locked under a name of its own, then linked
  // under its generation's name: nobody ever sees it there unlocked (and
  // folds it away as finished), and link() never replaces a journal that
  // exists.
  static std::atomic<unsigned> serial{0};
  const QByteArray creating = QFile::encodeName(
      queueFile + QStringLiteral(".journal-new.%1.%2").arg(::getpid()).arg(serial.fetch_add(1)));
  fd_ = ::open(creating.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
  if (fd_ >= 0) {
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
    const auto existing = generationsBeside(queueFile);
    if (!existing.empty()) generation_ = std::max(generation_, existing.back() + 1);
    bool linked = false;
    for (int attempt = 0; attempt < 1000 && !linked; ++attempt) {
      const QByteArray path = QFile::encodeName(pathFor(queueFile, generation_));
      linked = ::link(creating.constData(), path.constData()) == 0;
      if (!linked && errno != EEXIST) break;
      if (!linked) ++generation_;
    }
    const int error = errno;
    ::unlink(creating.constData());
    if (!linked) {
      ::close(fd_);
      fd_ = -1;
      errno = error;
    }
  }
  if (fd_ < 0) {
    rvllog::warning(QStringLiteral("Could not create an event journal beside %1: %2")
                        .arg(queueFile, QString::fromLocal8Bit(std::strerror(errno))));
  }
}

RAKJournal::~RAKJournal() {
  if (fd_ >= 0) ::close(fd_);
}

bool RAKJournal::append(Kind kind, const QByteArray& payload) {
  if (fd_ < 0) return false;
  if (failWrites) {
    rvllog::warning(QStringLiteral("Could not append to the event journal: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(ENOSPC))));
    return false;
  }
  QByteArray record(kHeaderSize + payload.size(), Qt::Uninitialized);
  char* data = record.data();
  data[8] = char(kind);
  std::memcpy(data + kHeaderSize, payload.constData(), std::size_t(payload.size()));
  putU32(data, std::uint32_t(payload.size()));
  putU32(data + 4, crc32(data + 8, std::size_t(payload.size()) + 1));
  // One write: the record is whole in the kernel or (on failure) cut short,
  // and a short record fails its length or checksum at replay.
  std::size_t written = 0;
  while (written < std::size_t(record.size())) {
    const ssize_t n = ::write(fd_, data + written, std::size_t(record.size()) - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      rvllog::warning(QStringLiteral("Could not append to the event journal: %1")
                          .arg(QString::fromLocal8Bit(std::strerror(errno))));
      // A record cut short would hide every later one at replay: cut it off.
      if (written > 0 && ::ftruncate(fd_, off_t(size_)) != 0) {
        ::close(fd_);
        fd_ = -1;
      }
      return false;
    }
    written += std::size_t(n);
  }
  size_ += written;
  return true;
}

bool RAKJournal::replay(const QString& path, const std::function<void(const Record&)>& apply) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  qsizetype offset = 0;
  while (bytes.size() - offset >= kHeaderSize) {
    const char* data = bytes.constData() + offset;
    const std::uint32_t length = getU32(data);
    if (length > kMaxPayload || bytes.size() - offset - kHeaderSize < qsizetype(length)) break;
    if (getU32(data + 4) != crc32(data + 8, std::size_t(length) + 1)) break;
    apply(Record{Kind(static_cast<std::uint8_t>(data[8])), QByteArray(data + kHeaderSize, length)});
    offset += kHeaderSize + qsizetype(length);
  }
  if (offset != bytes.size()) {
    rvllog::warning(QStringLiteral("Event journal %1: %2 damaged bytes at its end ignored")
                        .arg(path)
                        .arg(bytes.size() - offset));
  }
  return true;
}

std::vector<std::uint64_t> RAKJournal::generationsBeside(const QString& queueFile) {
  const QString prefix = journalPrefix(queueFile);
  std::vector<std::uint64_t> generations;
  const QStringList names =
      QFileInfo(queueFile).dir().entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden);
  for (const QString& name : names) {
    bool ok = false;
    const std::uint64_t generation = name.mid(prefix.size()).toULongLong(&ok);
    if (ok) generations.push_back(generation);
  }
  std::sort(generations.begin(), generations.end());
  return generations;
}

void RAKJournal::removeBefore(const QString& queueFile, std::uint64_t generation) {
  for (const std::uint64_t old : generationsBeside(queueFile)) {
    if (old < generation) QFile::remove(pathFor(queueFile, old));
  }
}

int RAKJournal::lockFinished(const QString& queueFile, std::uint64_t generation) {
  const QByteArray path = QFile::encodeName(pathFor(queueFile, generation));
  const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void RAKJournal::setFailWritesForTesting(bool fail) { failWrites = fail; }

}  // namespace vimbrel
