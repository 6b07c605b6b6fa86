#include "RTKSchedule.h"

#include <limits>

#include "RVLDataStore.h"
#include "RVLLog.h"
#include "RavellToolKit.h"

namespace vimbrel {
namespace {

const QString kEventQueue = QStringLiteral("eventQueue");

std::optional<QDateTime>& testNow() {
  static std::optional<QDateTime> now;
  return now;
}

QDateTime now() { return testNow() ? *testNow() : QDateTime::currentDateTime(); }

// Counts beyond this are not schedules but overflows waiting to happen (7·n
// days, n months added to a date).
constexpr qint64 kMaxCount = std::numeric_limits<qint32>::max();

// The leading integer of a word, as a C integer parse reads it: optional sign,
// then digits; anything after them is ignored. Nothing when it is out of
// range.
std::optional<qint64> leadingInteger(const QString& word) {
  qsizetype i = 0;
  bool negative = false;
  if (i < word.size() && (word[i] == QLatin1Char('-') || word[i] == QLatin1Char('+'))) {
    negative = word[i] == QLatin1Char('-');
    ++i;
  }
  qint64 value = 0;
  for (; i < word.size() && word[i].isDigit() && word[i].unicode() < 128; ++i) {
    value = value * 10 + (word[i].unicode() - '0');
    if (value > kMaxCount) return std::nullopt;
  }
  return negative ? -value : value;
}

std::optional<QDateTime> firstLaunchDate() {
  const QVariant stored =
      RVLDataStore::sharedInstance().objectForKey(QStringLiteral("first_launch_date"));
  if (stored.typeId() != QMetaType::QDateTime) return std::nullopt;
  return stored.toDateTime().toLocalTime();
}

QVariantList eventQueue() {
  return RVLDataStore::sharedInstance().objectForKey(kEventQueue).toList();
}

void invalid() { rvllog::warning(QStringLiteral("Invalid Schedule")); }

// The prefix of the events a prompt raises itself ("Happiness.Displayed"...).
QString ownEventPrefix(const QString& tool) {
  if (tool.isEmpty()) return {};
  return tool[0].toUpper() + tool.mid(1) + QLatin1Char('.');
}

// The prompts being presented now (a prompt window runs modally, so events
// it raises arrive while it is open).
QStringList& presenting() {
  static QStringList tools;
  return tools;
}

}  // namespace

std::optional<QVariantMap> RTKSchedule::scheduleComponents(const QString& schedule) {
  const QStringList words = schedule.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (words.isEmpty()) return std::nullopt;
  QVariantMap components;
  if (words[0] == QLatin1String("next")) {
    components.insert(QStringLiteral("type"), QStringLiteral("event"));
  } else {
    components.insert(QStringLiteral("type"), QStringLiteral("number"));
    const std::optional<qint64> value = leadingInteger(words[0]);
    if (!value) {
      rvllog::warning(QStringLiteral("Schedule count out of range: %1").arg(words[0]));
    } else if (*value != 0) {
      components.insert(QStringLiteral("value"), *value);
    }
  }
  if (words.size() > 1) components.insert(QStringLiteral("key"), words[1]);
  return components;
}

bool RTKSchedule::shouldLaunchWithSchedule(const std::optional<QString>& schedule,
                                           const QString& tool) {
  if (!schedule) return true;
  const auto components = scheduleComponents(*schedule);
  if (!components) return true;
  const QString type = components->value(QStringLiteral("type")).toString();
  const QString key = components->value(QStringLiteral("key")).toString();
  if (type == QLatin1String("event")) {
    if (key.isEmpty() || tool.isEmpty()) {
      invalid();
      return false;
    }
    // The prompt would fire from its own window, again and again.
    if (key.startsWith(ownEventPrefix(tool))) {
      rvllog::warning(QStringLiteral("Schedule refused: the %1 prompt cannot wait for its own "
                                     "event %2")
                          .arg(tool, key));
      return false;
    }
    if (!eventExists(key, tool)) {
      QVariantList queue = eventQueue();
      queue.append(QVariantMap{{QStringLiteral("event"), key}, {QStringLiteral("tool"), tool}});
      RVLDataStore& store = RVLDataStore::sharedInstance();
      store.setObject(queue, kEventQueue);
      store.synchronize();
    }
    return false;
  }
  const QVariant value = components->value(QStringLiteral("value"));
  if (key.isEmpty() || !value.isValid()) {
    invalid();
    return false;
  }
  const qint64 n = value.toLongLong();
  if (key == QLatin1String("launches")) return isLaunchesPassed(n);
  if (key == QLatin1String("days")) return isDaysPassed(n);
  if (key == QLatin1String("weeks")) return isWeeksPassed(n);
  if (key == QLatin1String("months")) return isMonthsPassed(n);
  invalid();
  return false;
}

bool RTKSchedule::eventExists(const QString& event, const QString& tool) {
  for (const QVariant& entry : eventQueue()) {
    const QVariantMap map = entry.toMap();
    if (map.value(QStringLiteral("event")).toString() == event &&
        map.value(QStringLiteral("tool")).toString() == tool) {
      return true;
    }
  }
  return false;
}

void RTKSchedule::launchToolsForEvent(const QString& eventName) {
  QString shortName = eventName;
  if (eventName.startsWith(QLatin1String("RSDK.Custom"))) {
    shortName = eventName.mid(11);
  } else if (eventName.startsWith(QLatin1String("RSDK."))) {
    shortName = eventName.mid(5);
  }
  const QVariant stored = RVLDataStore::sharedInstance().objectForKey(kEventQueue);
  if (!stored.isValid()) return;
  QVariantList queue = stored.toList();
  qsizetype lastMatch = -1;
  for (qsizetype i = 0; i < queue.size(); ++i) {
    const QVariantMap entry = queue[i].toMap();
    if (entry.value(QStringLiteral("event")).toString() != shortName) continue;
    const QString tool = entry.value(QStringLiteral("tool")).toString();
    // An event raised while this prompt is open never opens it again (and
    // leaves its entry waiting).
    if (presenting().contains(tool)) continue;
    lastMatch = i;
    rvllog::info(QStringLiteral("tool: %1").arg(tool));
    RavellToolKit& toolKit = RavellToolKit::sharedInstance();
    if (tool == QLatin1String("rating")) {
      toolKit.presentRatingViewWithSchedule(std::nullopt, std::nullopt);
    } else if (tool == QLatin1String("happiness")) {
      toolKit.presentHappinessViewWithSchedule(std::nullopt, std::nullopt);
    } else if (tool == QLatin1String("feedback")) {
      toolKit.presentFeedbackViewWithSchedule(std::nullopt, std::nullopt, shortName);
    } else if (tool == QLatin1String("email")) {
      toolKit.presentEmailSubscribePromptWithSchedule(std::nullopt, std::nullopt);
    }
  }
  if (lastMatch < 0) return;
  // Only the last matching entry goes; earlier ones fire again next time.
  queue.removeAt(lastMatch);
  RVLDataStore& store = RVLDataStore::sharedInstance();
  store.setObject(queue, kEventQueue);
  store.synchronize();
}

bool RTKSchedule::isLaunchesPassed(qint64 count) {
  const QVariant launches =
      RVLDataStore::sharedInstance().objectForKey(QStringLiteral("launch_count"));
  return launches.isValid() && launches.toLongLong() > count;
}

bool RTKSchedule::isDaysPassed(qint64 days) {
  const auto first = firstLaunchDate();
  return first && wholeDaysBetween(*first, now()) >= days;
}

bool RTKSchedule::isWeeksPassed(qint64 weeks) { return isDaysPassed(7 * weeks); }

bool RTKSchedule::isMonthsPassed(qint64 months) {
  const auto first = firstLaunchDate();
  return first && wholeMonthsBetween(*first, now()) >= months;
}

qint64 RTKSchedule::wholeDaysBetween(const QDateTime& from, const QDateTime& to) {
  const QDateTime start = from.toLocalTime();
  const QDateTime end = to.toLocalTime();
  qint64 days = start.date().daysTo(end.date());
  if (days > 0 && start.addDays(days) > end) --days;
  if (days < 0 && start.addDays(days) < end) ++days;
  return days;
}

qint64 RTKSchedule::wholeMonthsBetween(const QDateTime& from, const QDateTime& to) {
  const QDateTime start = from.toLocalTime();
  const QDateTime end = to.toLocalTime();
  qint64 months = qint64(end.date().year() - start.date().year()) * 12 +
                  (end.date().month() - start.date().month());
  if (months > 0) {
    // A month that ends on a day the shorter month lacks (Jan 31 to Feb 28)
    // is complete only once that month is over.
    const QDateTime reached = start.addMonths(int(months));
    const bool clamped = reached.date().day() < start.date().day();
    if (reached > end || (clamped && reached.date() == end.date())) --months;
  }
  if (months < 0 && start.addMonths(int(months)) < end) ++months;
  return months;
}

RTKSchedule::Presenting::Presenting(QString tool) : tool_(std::move(tool)) {
  presenting().append(tool_);
}

RTKSchedule::Presenting::~Presenting() { presenting().removeOne(tool_); }

void RTKSchedule::setNowForTesting(std::optional<QDateTime> now) { testNow() = std::move(now); }

}  // namespace vimbrel
