#include "RAKQueue.h"

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

RAKQueue::~RAKQueue() = default;

void RAKQueue::startTimer() {
  delete timer_;
  timer_ = new QTimer(context_.get());
  timer_->setInterval(std::chrono::milliseconds(intervalMs.load()));
  QObject::connect(timer_, &QTimer::timeout, context_.get(), [this] { processQueue(); });
  timer_->start();
}

void RAKQueue::open() {
  QVariantMap root;
  if (path_) root = rvlarchive::readDictionary(*path_).root;
  std::lock_guard lock(mutex_);
  queue_.clear();
  for (const QVariant& archived : root.value(QStringLiteral("events")).toList()) {
    if (auto event = RAKEvent::fromArchive(archived)) queue_.push_back(std::move(*event));
  }
  const QVariant user = root.value(QStringLiteral("userIdentifier"));
  if (user.typeId() == QMetaType::QString) userIdentifier_ = user.toString();
  const QVariant merged = root.value(QStringLiteral("customIdentified"));
  if (merged.isValid()) customIdentified_ = merged.toBool();
}

void RAKQueue::save() {
  std::lock_guard lock(mutex_);
  saveLocked();
}

void RAKQueue::saveLocked() {
  if (!path_) return;
  QVariantList events;
  events.reserve(qsizetype(queue_.size()));
  for (const RAKEvent& event : queue_) events.append(event.archive());
  QVariantMap root{{QStringLiteral("events"), events},
                   {QStringLiteral("customIdentified"), customIdentified_}};
  if (userIdentifier_) root.insert(QStringLiteral("userIdentifier"), *userIdentifier_);
  // A failed write keeps the in-memory queue; the next save tries again.
  rvlarchive::writeDictionary(*path_, root);
}

void RAKQueue::addEvent(const RAKEvent& event) {
  if (!RavellAnalyticsKit::isOptedIn()) return;
  std::lock_guard lock(mutex_);
  queue_.push_back(event);
  saveLocked();
}

void RAKQueue::identify(const QString& userIdentifier) {
  if (userIdentifier.isNull()) return;
  std::lock_guard lock(mutex_);
  userIdentifier_ = userIdentifier;
  saveLocked();
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
  saveLocked();
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
  // The flag reaches the file with the next save.
  if (response.transportOk && readAnswer(response) == Answer::Taken) customIdentified_ = true;
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
