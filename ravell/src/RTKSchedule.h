#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantMap>
#include <optional>

namespace vimbrel {

// When a prompt may appear. A schedule is a short phrase: "<n> launches",
// "<n> days", "<n> weeks", "<n> months" (counted from the first launch, in
// whole Gregorian days and months), or "next <event>" (at the next creation of
// that analytics event). Words are separated by spaces; words after the second
// are ignored. Counts run up to 2^31-1; a larger one is an invalid schedule.
// A prompt may not wait for one of its own events ("next Happiness.Displayed"
// for the happiness prompt). Prompts waiting for an event are kept in the data store under
// "eventQueue" as {"event", "tool"} entries, oldest first. Main thread only.
class RTKSchedule {
 public:
  // {"type": "event" or "number", "value": n (non-zero numbers only), "key":
  // the second word}; nothing when the text has no words.
  static std::optional<QVariantMap> scheduleComponents(const QString& schedule);

  // May the prompt of `tool` ("happiness", "rating", "feedback", "email")
  // appear now? No schedule: yes. An event schedule records the prompt as
  // waiting for its event and answers no.
  static bool shouldLaunchWithSchedule(const std::optional<QString>& schedule, const QString& tool);

  static bool eventExists(const QString& event, const QString& tool);

  // Presents the prompts waiting for the event `eventName` (every new event
  // calls this), then removes the last of them from "eventQueue". A prompt
  // that is being presented is not presented again.
  static void launchToolsForEvent(const QString& eventName);

  static bool isLaunchesPassed(qint64 count);
  static bool isDaysPassed(qint64 days);
  static bool isWeeksPassed(qint64 weeks);
  static bool isMonthsPassed(qint64 months);

  // Complete days and months from `from` to `to` (a day is complete when the
  // same local time of day has been reached again).
  static qint64 wholeDaysBetween(const QDateTime& from, const QDateTime& to);
  static qint64 wholeMonthsBetween(const QDateTime& from, const QDateTime& to);

  // Marks the prompt of `tool` as being presented for its lifetime.
  class Presenting {
   public:
    explicit Presenting(QString tool);
    ~Presenting();
    Presenting(const Presenting&) = delete;
    Presenting& operator=(const Presenting&) = delete;

   private:
    QString tool_;
  };

  // The clock the day, week and month rules read; the real one when unset.
  static void setNowForTesting(std::optional<QDateTime> now);
};

}  // namespace vimbrel
