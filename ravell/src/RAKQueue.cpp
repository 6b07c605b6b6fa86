#include "RAKQueue.h"

#include "RAKQueueFiles.h"

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
  if (path_) {
    // This run's journal exists before anything is read, so that events
    // added while loading are on disk at once.
    std::lock_guard lock(mutex_);
    openJournalLocked(0);
    loader_ = std::thread([this] { load(); });
  } else {
    loaded_ = true;
  }
  startTimer();
}

RAKQueue::~RAKQueue() {
  if (loader_.joinable()) loader_.join();
  waitForCompaction();
}

void RAKQueue::startTimer() {
  delete timer_;
  timer_ = new QTimer(context_.get());
  timer_->setInterval(std::chrono::milliseconds(intervalMs.load()));
  QObject::connect(timer_, &QTimer::timeout, context_.get(), [this] { processQueue(); });
  timer_->start();
}

void RAKQueue::load() {
  std::uint64_t ownGeneration = 0;
  {
    std::lock_guard lock(mutex_);
    ownGeneration = journal_ ? journal_->generation() : 0;
  }
  rakqueuefiles::Loaded loaded;
  {
    rakqueuefiles::FolderLock folder(*path_);
    loaded = rakqueuefiles::read(*path_, std::nullopt, ownGeneration, kMaxPending);
  }
  std::lock_guard lock(mutex_);
  // Loaded events first, then those added meanwhile.
  for (RAKEvent& event : queue_) loaded.state.events.push_back(std::move(event));
  queue_ = std::move(loaded.state.events);
  if (!userIdentifier_) userIdentifier_ = loaded.state.userIdentifier;
  customIdentified_ = customIdentified_ || loaded.state.customIdentified;
  fullFileSize_ = loaded.fullFileSize;
  if (journal_ && loaded.snapshotGeneration > journal_->generation()) {
    // The full file claims a generation above this run's journal (its
    // journals were removed by hand): what was journaled meanwhile goes again
    // into a journal above it, or the next load would skip it.
    rvllog::warning(QStringLiteral("Event queue %1 is ahead of its journals").arg(*path_));
    openJournalLocked(loaded.snapshotGeneration + 1);
    std::deque<Change> again;
    const std::size_t read = loaded.loadedCount - loaded.state.skipped;
    const std::size_t meanwhile = queue_.size() - std::min(queue_.size(), read);
    for (std::size_t i = queue_.size() - meanwhile; i < queue_.size(); ++i) {
      if (auto record = rvlarchive::toBinaryPlist(queue_[i].archive())) {
        again.push_back({RAKJournal::Kind::Added, *record});
      }
    }
    if (userIdentifier_) again.push_back({RAKJournal::Kind::Identified, userIdentifier_->toUtf8()});
    for (Change& change : unwritten_) again.push_back(std::move(change));
    unwritten_ = std::move(again);
    unwrittenEvents_ = meanwhile;
    writeUnwrittenLocked();
  }
  if (queue_.size() > kMaxPending || loaded.state.skipped > 0) {
    // The only loss allowed: a queue beyond its bound (an earlier version had
    // none) keeps its newest events; the oldest were not even read.
    const std::size_t excess = queue_.size() - std::min(queue_.size(), kMaxPending);
    queue_.erase(queue_.begin(), queue_.begin() + std::ptrdiff_t(excess));
    noteDroppedLocked(excess + loaded.state.skipped);
  }
  loaded_ = true;
  loadedChanged_.notify_all();
  // Fold what was replayed into a new full file, from a new journal.
  if (loaded.journalsReplayed > 0 || loaded.loadedCount > kMaxPending || !loaded.snapshotReadable) {
    startCompactionLocked();
  }
}

void RAKQueue::waitForLoad() const {
  std::unique_lock lock(mutex_);
  waitForLoadLocked(lock);
}

void RAKQueue::waitForLoadLocked(std::unique_lock<std::mutex>& lock) const {
  loadedChanged_.wait(lock, [this] { return loaded_; });
}

bool RAKQueue::isLoaded() const {
  std::lock_guard lock(mutex_);
  return loaded_;
}

void RAKQueue::save() {
  if (!path_) return;
  waitForLoad();
  waitForCompaction();
  {
    std::lock_guard lock(mutex_);
    writeUnwrittenLocked();
    startCompactionLocked();
  }
  waitForCompaction();
}

void RAKQueue::openJournalLocked(std::uint64_t atLeast) {
  if (journal_) atLeast = std::max(atLeast, journal_->generation() + 1);
  journal_ = std::make_unique<RAKJournal>(*path_, atLeast);
}

void RAKQueue::journalLocked(RAKJournal::Kind kind, const QByteArray& payload) {
  if (!path_) return;
  unwritten_.push_back({kind, payload});
  if (kind == RAKJournal::Kind::Added) ++unwrittenEvents_;
  if (!writeUnwrittenLocked()) return;
  constexpr std::uint64_t kMinimumJournal = 64 * 1024;
  if (loaded_ && !compacting_ && journal_->size() > std::max(fullFileSize_, kMinimumJournal)) {
    startCompactionLocked();
  }
}

bool RAKQueue::writeUnwrittenLocked() {
  if (!path_) return true;
  while (!unwritten_.empty()) {
    // A journal that could not be created (or had to be closed) is replaced.
    if (!journal_ || !journal_->isOpen()) openJournalLocked(0);
    if (!journal_->isOpen()) return false;
    const Change& change = unwritten_.front();
    if (!journal_->append(change.kind, change.payload)) return false;
    if (change.kind == RAKJournal::Kind::Added && unwrittenEvents_ > 0) --unwrittenEvents_;
    unwritten_.pop_front();
  }
  return true;
}

void RAKQueue::startCompactionLocked() {
  if (compacting_) return;
  if (compactor_.joinable()) compactor_.join();
  // Closing the current journal finishes it; everything before the new one
  // may be folded.
  openJournalLocked(0);
  compacting_ = true;
  const std::uint64_t upTo = journal_->generation();
  compactor_ = std::thread([this, upTo] { fold(upTo); });
}

void RAKQueue::fold(std::uint64_t upTo) {
  std::uint64_t written = 0;
  {
    rakqueuefiles::FolderLock folder(*path_);
    if (const auto size = rakqueuefiles::fold(*path_, upTo, kMaxPending)) written = *size;
  }
  std::lock_guard lock(mutex_);
  if (written > 0) fullFileSize_ = written;
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

void RAKQueue::noteDroppedLocked(std::size_t count) {
  dropped_ += count;
  if (dropLogged_) return;
  dropLogged_ = true;
  rvllog::warning(QStringLiteral("The event queue holds at most %1 events: the %2 oldest were "
                                 "dropped (later drops in this run are not logged)")
                      .arg(kMaxPending)
                      .arg(count));
}

void RAKQueue::enforceBoundLocked() {
  if (queue_.size() <= kMaxPending) return;
  const std::size_t excess = queue_.size() - kMaxPending;
  // A batch in flight is the head: its answer must not remove newer events.
  sentCount_ = sentCount_ > excess ? sentCount_ - excess : 0;
  removeHeadLocked(excess);
  noteDroppedLocked(excess);
}

void RAKQueue::removeHeadLocked(std::size_t count) {
  count = std::min(count, queue_.size());
  if (count == 0) return;
  QByteArray payload;
  payload.reserve(qsizetype(4 + 8 * count));
  rakqueuefiles::appendU32(payload, std::uint32_t(count));
  for (std::size_t i = 0; i < count; ++i) rakqueuefiles::appendU64(payload, queue_[i].key());
  queue_.erase(queue_.begin(), queue_.begin() + std::ptrdiff_t(count));
  journalLocked(RAKJournal::Kind::Delivered, payload);
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
  // Before the load the loaded events are not here yet; the load applies the
  // bound to the whole.
  if (loaded_) enforceBoundLocked();
}

void RAKQueue::identify(const QString& userIdentifier) {
  if (userIdentifier.isNull()) return;
  std::lock_guard lock(mutex_);
  userIdentifier_ = userIdentifier;
  journalLocked(RAKJournal::Kind::Identified, userIdentifier.toUtf8());
}

void RAKQueue::processQueue() {
  std::unique_lock lock(mutex_);
  // The first pass comes long after the load has finished; a pass run
  // earlier by hand waits for it.
  waitForLoadLocked(lock);
  // A full disk may have room again.
  writeUnwrittenLocked();
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
  // Only events that are written may go: a removal journaled for an event
  // whose addition is not would bring it back at the next load.
  const std::size_t sendable = queue_.size() - std::min(queue_.size(), unwrittenEvents_);
  if (sendable == 0) return;
  const QString actor = userIdentifier_ ? *userIdentifier_ : RVLSystemInfo::deviceIdentifier();
  if (sendable == 1) {
    sentCount_ = 1;
    sendEventsLocked(queue_.front().payload(key, actor));
    return;
  }
  sentCount_ = std::min<std::size_t>(sendable, kBatchSize);
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
  const std::size_t count = sentCount_;
  sentCount_ = 0;
  removeHeadLocked(count);
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
  std::unique_lock lock(mutex_);
  waitForLoadLocked(lock);
  return queue_.size();
}

std::vector<RAKEvent> RAKQueue::pendingEvents() const {
  std::unique_lock lock(mutex_);
  waitForLoadLocked(lock);
  return {queue_.begin(), queue_.end()};
}

std::size_t RAKQueue::droppedCount() const {
  std::unique_lock lock(mutex_);
  waitForLoadLocked(lock);
  return dropped_;
}

std::size_t RAKQueue::unwrittenCount() const {
  std::lock_guard lock(mutex_);
  return unwritten_.size();
}

std::optional<QString> RAKQueue::userIdentifier() const {
  std::unique_lock lock(mutex_);
  waitForLoadLocked(lock);
  return userIdentifier_;
}

bool RAKQueue::isCustomIdentified() const {
  std::unique_lock lock(mutex_);
  waitForLoadLocked(lock);
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
