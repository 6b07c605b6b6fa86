#include "RAKQueue.h"

#include <QFileInfo>
#include <QObject>
#include <QTimer>
#include <atomic>

#include "DirectoryLocations.h"
#include "RVLArchive.h"
#include "RVLDataStore.h"
#include "RVLEndpoints.h"
#include "RVLHttp.h"
#include "RVLJson.h"
#include "RVLLog.h"
#include "RVLSystemInfo.h"
#include "RavellAnalyticsKit.h"

namespace vimbrel {
namespace {

constexpr int kPauseThreshold = 15;
constexpr int kPausedCounter = 100;

std::atomic<long long> intervalMs{30000};

std::mutex& sharedMutex() {
  static std::mutex mutex;
  return mutex;
}

RAKQueue*& sharedSlot() {
  static RAKQueue* instance = nullptr;
  return instance;
}

std::optional<QString> defaultPath() {
  const auto folder = directorylocations::applicationSupportDirectory();
  if (!folder) return std::nullopt;
  return *folder + QStringLiteral("/queue.rak");
}

QString writeKey() {
  return RVLDataStore::sharedInstance().objectForKey(QStringLiteral("RAKWriteKey")).toString();
}

RVLRequest analyticsRequest(const QString& path, const QByteArray& body) {
  RVLRequest request;
  request.url = rvlendpoints::analyticsUrl(path);
  request.body = body;
  request.headers = {{"Host", rvlendpoints::analyticsHost().toUtf8()},
                     {"Content-Type", "application/json"}};
  return request;
}

// The service has taken the request when it answers "accepted" or "rejected".
enum class Answer { Taken, NotTaken, Unreadable };

Answer readAnswer(const RVLResponse& response) {
  const QVariant parsed = rvljson::parse(response.body);
  if (parsed.typeId() != QMetaType::QVariantMap) return Answer::Unreadable;
  const QString status = parsed.toMap().value(QStringLiteral("status")).toString();
  return status == QLatin1String("accepted") || status == QLatin1String("rejected")
             ? Answer::Taken
             : Answer::NotTaken;
}

}  // namespace

RAKQueue& RAKQueue::sharedInstance() {
  std::lock_guard lock(sharedMutex());
  RAKQueue*& slot = sharedSlot();
  if (!slot) slot = new RAKQueue(defaultPath());
  return *slot;
}

void RAKQueue::resetSharedInstanceForTesting() {
  std::lock_guard lock(sharedMutex());
  delete sharedSlot();
  sharedSlot() = nullptr;
}

void RAKQueue::setIntervalForTesting(std::chrono::milliseconds interval) {
  intervalMs = interval.count();
}

RAKQueue::RAKQueue(std::optional<QString> path)
    : path_(std::move(path)), context_(std::make_unique<QObject>()) {
  open();
  startTimer();
}

RAKQueue::~RAKQueue() { waitForCompaction(); }

void RAKQueue::startTimer() {
  delete timer_;
  timer_ = new QTimer(context_.get());
  timer_->setInterval(std::chrono::milliseconds(intervalMs.load()));
  QObject::connect(timer_, &QTimer::timeout, context_.get(), [this] { processQueue(); });
  timer_->start();
}

void RAKQueue::open() {
  waitForCompaction();
  QVariantMap root;
  std::uint64_t fileSize = 0;
  if (path_) {
    root = rvlarchive::readDictionary(*path_).root;
    fileSize = std::uint64_t(QFileInfo(*path_).size());
  }
  std::lock_guard lock(mutex_);
  queue_.clear();
  sentCount_ = 0;
  for (const QVariant& archived : root.value(QStringLiteral("events")).toList()) {
    if (auto event = RAKEvent::fromArchive(archived)) queue_.push_back(std::move(*event));
  }
  const QVariant user = root.value(QStringLiteral("userIdentifier"));
  if (user.typeId() == QMetaType::QString) userIdentifier_ = user.toString();
  const QVariant merged = root.value(QStringLiteral("customIdentified"));
  if (merged.isValid()) customIdentified_ = merged.toBool();
  if (!path_) return;

  // The changes made after the file was written, in order. Journals older
  // than the file are already in it.
  const std::uint64_t generation = root.value(QStringLiteral("journalGeneration")).toULongLong();
  journal_.reset();
  RAKJournal::removeBefore(*path_, generation);
  std::uint64_t next = generation;
  while (RAKJournal::replay(RAKJournal::pathFor(*path_, next),
                            [this](const RAKJournal::Record& record) { applyRecord(record); })) {
    ++next;
  }
  fullFileSize_ = fileSize;
  if (next == generation) {
    journal_ = std::make_unique<RAKJournal>(*path_, generation);
  } else {
    // Never append behind a journal that may end in a torn record: start the
    // next one, and fold the replayed ones into a new full file.
    journal_ = std::make_unique<RAKJournal>(*path_, next - 1);
    startCompactionLocked();
  }
}

void RAKQueue::applyRecord(const RAKJournal::Record& record) {
  switch (record.kind) {
    case RAKJournal::Kind::Added:
      if (auto archived = rvlarchive::fromPlist(record.payload)) {
        if (auto event = RAKEvent::fromArchive(*archived)) queue_.push_back(std::move(*event));
      }
      break;
    case RAKJournal::Kind::Removed: {
      if (record.payload.size() != 4) break;
      std::uint32_t count = 0;
      for (int i = 0; i < 4; ++i) {
        count |= std::uint32_t(static_cast<std::uint8_t>(record.payload[i])) << (8 * i);
      }
      queue_.erase(queue_.begin(),
                   queue_.begin() + std::ptrdiff_t(std::min<std::size_t>(count, queue_.size())));
      break;
    }
    case RAKJournal::Kind::Identified:
      userIdentifier_ = QString::fromUtf8(record.payload);
      break;
    case RAKJournal::Kind::Merged:
      customIdentified_ = !record.payload.isEmpty() && record.payload[0] != 0;
      break;
  }
}

void RAKQueue::save() {
  if (!path_) return;
  waitForCompaction();
  {
    std::lock_guard lock(mutex_);
    startCompactionLocked();
  }
  waitForCompaction();
}

void RAKQueue::journalLocked(RAKJournal::Kind kind, const QByteArray& payload) {
  if (!path_) return;
  if (!journal_ || !journal_->isOpen()) {
    // The journal could not be opened: try a fresh one; the full file written
    // with it keeps this change.
    startCompactionLocked();
    return;
  }
  if (!journal_->append(kind, payload)) {
    startCompactionLocked();
    return;
  }
  constexpr std::uint64_t kMinimumJournal = 64 * 1024;
  if (!compacting_ && journal_->size() > std::max(fullFileSize_, kMinimumJournal)) {
    startCompactionLocked();
  }
}

void RAKQueue::startCompactionLocked() {
  if (compacting_) {
    // A full file is being written; this change is in the new journal or will
    // be in the next full file. Open a journal if there is none.
    return;
  }
  if (compactor_.joinable()) compactor_.join();
  const std::uint64_t generation = journal_ ? journal_->generation() + 1 : 1;
  journal_ = std::make_unique<RAKJournal>(*path_, generation);
  compacting_ = true;
  // Copying the events only shares their texts; the archive is built on the
  // background thread, outside the lock.
  compactor_ = std::thread([this, generation, events = queue_, user = userIdentifier_,
                            merged = customIdentified_]() mutable {
    compact(generation, std::move(events), std::move(user), merged);
  });
}

void RAKQueue::compact(std::uint64_t generation, std::vector<RAKEvent> events,
                       std::optional<QString> userIdentifier, bool customIdentified) {
  QVariantList archived;
  archived.reserve(qsizetype(events.size()));
  for (const RAKEvent& event : events) archived.append(event.archive());
  QVariantMap root{{QStringLiteral("events"), archived},
                   {QStringLiteral("customIdentified"), customIdentified},
                   {QStringLiteral("journalGeneration"), qulonglong(generation)}};
  if (userIdentifier) root.insert(QStringLiteral("userIdentifier"), *userIdentifier);
  const bool written = rvlarchive::writeDictionary(*path_, root);
  if (written) {
    RAKJournal::removeBefore(*path_, generation);
  } else {
    // The journals stay, so nothing is lost; the next compaction tries again.
    rvllog::warning(QStringLiteral("Could not write the event queue file %1").arg(*path_));
  }
  std::lock_guard lock(mutex_);
  if (written) fullFileSize_ = std::uint64_t(QFileInfo(*path_).size());
  compacting_ = false;
}

void RAKQueue::waitForCompaction() {
  std::thread finishing;
  {
    std::lock_guard lock(mutex_);
    finishing = std::move(compactor_);
  }
  if (finishing.joinable()) finishing.join();
}

void RAKQueue::addEvent(const RAKEvent& event) {
  if (!RavellAnalyticsKit::isOptedIn()) return;
  // One event the service could never read would cost its whole batch: refuse
  // it here, where only that event is lost.
  if (!event.isWritable()) {
    rvllog::warning(QStringLiteral("Event %1 refused: its properties cannot be written as JSON")
                        .arg(event.action()));
    return;
  }
  const auto record = rvlarchive::toBinaryPlist(event.archive());
  if (!record) {
    rvllog::warning(QStringLiteral("Event %1 refused: it cannot be stored").arg(event.action()));
    return;
  }
  std::lock_guard lock(mutex_);
  queue_.push_back(event);
  journalLocked(RAKJournal::Kind::Added, *record);
}

void RAKQueue::identify(const QString& userIdentifier) {
  if (userIdentifier.isNull()) return;
  std::lock_guard lock(mutex_);
  userIdentifier_ = userIdentifier;
  journalLocked(RAKJournal::Kind::Identified, userIdentifier.toUtf8());
}

void RAKQueue::processQueue() {
  std::lock_guard lock(mutex_);
  if (!RavellAnalyticsKit::isOptedIn() || failedAttempts_ > kPauseThreshold) {
    if (failedAttempts_ >= 1) --failedAttempts_;
    return;
  }
  const QString key = writeKey();
  if (key.isEmpty()) {
    rvllog::info(QStringLiteral("No write key"));
    return;
  }
  if (userIdentifier_ && !customIdentified_) sendIdentifierLocked(key);
  // One batch at a time: a late answer must only ever remove its own events.
  if (trackInFlight_) return;
  sentCount_ = 0;
  if (queue_.empty()) return;
  const QString actor = userIdentifier_ ? *userIdentifier_ : RVLSystemInfo::deviceIdentifier();
  if (queue_.size() == 1) {
    sentCount_ = 1;
    sendEventsLocked(queue_.front().payload(key, actor));
    return;
  }
  sentCount_ = std::min<std::size_t>(queue_.size(), kBatchSize);
  QVariantList batch;
  batch.reserve(qsizetype(sentCount_));
  for (std::size_t i = 0; i < sentCount_; ++i) batch.append(queue_[i].payload(key, actor));
  sendEventsLocked(batch);
}

void RAKQueue::sendEventsLocked(const QVariant& body) {
  const auto json = rvljson::serialize(body);
  if (!json) {
    rvllog::warning(QStringLiteral("JSON parse error: events that cannot be sent are dropped"));
    removeProcessedEventsLocked();
    return;
  }
  trackInFlight_ = true;
  rvlhttp::post(analyticsRequest(QStringLiteral("/track"), *json), context_.get(),
                [this](const RVLResponse& response) { trackFinished(response); });
}

void RAKQueue::trackFinished(const RVLResponse& response) {
  std::lock_guard lock(mutex_);
  trackInFlight_ = false;
  if (!response.transportOk) {
    rvllog::info(QStringLiteral("Sending events failed: %1").arg(response.error));
    attemptFailedLocked();
    sentCount_ = 0;
    return;
  }
  switch (readAnswer(response)) {
    case Answer::Taken:
      removeProcessedEventsLocked();
      attemptSuccessLocked();
      break;
    case Answer::NotTaken:
      sentCount_ = 0;
      break;
    case Answer::Unreadable:
      attemptFailedLocked();
      sentCount_ = 0;
      break;
  }
}

void RAKQueue::removeProcessedEventsLocked() {
  const std::size_t count = std::min(sentCount_, queue_.size());
  queue_.erase(queue_.begin(), queue_.begin() + std::ptrdiff_t(count));
  sentCount_ = 0;
  QByteArray payload(4, Qt::Uninitialized);
  for (int i = 0; i < 4; ++i) payload[i] = char((std::uint32_t(count) >> (8 * i)) & 0xFFU);
  journalLocked(RAKJournal::Kind::Removed, payload);
}

void RAKQueue::sendIdentifierLocked(const QString& writeKey) {
  const QVariantMap body{{QStringLiteral("old_actor"), RVLSystemInfo::deviceIdentifier()},
                         {QStringLiteral("new_actor"), *userIdentifier_},
                         {QStringLiteral("write_key"), writeKey}};
  ++transfersInFlight_;
  rvlhttp::post(analyticsRequest(QStringLiteral("/transfer"), *rvljson::serialize(body)),
                context_.get(),
                [this](const RVLResponse& response) { transferFinished(response); });
}

void RAKQueue::transferFinished(const RVLResponse& response) {
  std::lock_guard lock(mutex_);
  --transfersInFlight_;
  if (response.transportOk && readAnswer(response) == Answer::Taken && !customIdentified_) {
    customIdentified_ = true;
    journalLocked(RAKJournal::Kind::Merged, QByteArray(1, char(1)));
  }
}

void RAKQueue::attemptFailedLocked() {
  failedAttempts_ = failedAttempts_ == kPauseThreshold ? kPausedCounter : failedAttempts_ + 1;
}

void RAKQueue::attemptSuccessLocked() {
  if (failedAttempts_ > 0) --failedAttempts_;
}

void RAKQueue::stop() {
  delete timer_;
  timer_ = nullptr;
}

void RAKQueue::checkTimer() {
  startTimer();
  processQueue();
}

std::size_t RAKQueue::pendingCount() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

std::vector<RAKEvent> RAKQueue::pendingEvents() const {
  std::lock_guard lock(mutex_);
  return queue_;
}

std::optional<QString> RAKQueue::userIdentifier() const {
  std::lock_guard lock(mutex_);
  return userIdentifier_;
}

bool RAKQueue::isCustomIdentified() const {
  std::lock_guard lock(mutex_);
  return customIdentified_;
}

int RAKQueue::failedAttempts() const {
  std::lock_guard lock(mutex_);
  return failedAttempts_;
}

bool RAKQueue::isTimerRunning() const { return timer_ != nullptr; }

bool RAKQueue::isBusy() const {
  std::lock_guard lock(mutex_);
  return trackInFlight_ || transfersInFlight_ > 0;
}

}  // namespace vimbrel
