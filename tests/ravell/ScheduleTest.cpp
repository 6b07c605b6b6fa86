#include "RTKSchedule.h"
#include "RVLDataStore.h"
#include "RavellTestSupport.h"

namespace vimbrel {
namespace {

class ScheduleTest : public testing::RavellTest {
 protected:
  void TearDown() override {
    RTKSchedule::setNowForTesting(std::nullopt);
    RavellTest::TearDown();
  }
  static void setStored(const QVariant& value, const char* key) {
    RVLDataStore::sharedInstance().setObject(value, QLatin1String(key));
  }
  static bool allows(const char* schedule) {
    return RTKSchedule::shouldLaunchWithSchedule(QLatin1String(schedule), QStringLiteral("email"));
  }
};

TEST_F(ScheduleTest, LaunchCountsAndMalformedSchedules) {
  EXPECT_FALSE(allows("3 launches"));  // No launch counted yet.
  setStored(3, "launch_count");
  EXPECT_FALSE(allows("3 launches"));
  setStored(4, "launch_count");
  EXPECT_TRUE(allows("3 launches"));
  EXPECT_TRUE(allows("  3   launches   and more"));
  EXPECT_TRUE(allows("3rd launches"));
  for (const char* malformed : {"0 launches", "launches", "3", "next", "x launches", "3 hours"}) {
    EXPECT_FALSE(allows(malformed)) << malformed;
  }
  // No words at all, or no schedule: shown at once.
  EXPECT_TRUE(allows("   "));
  EXPECT_TRUE(RTKSchedule::shouldLaunchWithSchedule(std::nullopt, QStringLiteral("email")));

  const auto parsed = RTKSchedule::scheduleComponents(QStringLiteral("next Custom.Opened extra"));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->value("type").toString(), "event");
  EXPECT_EQ(parsed->value("key").toString(), "Custom.Opened");
  EXPECT_FALSE(parsed->contains("value"));
  EXPECT_FALSE(RTKSchedule::scheduleComponents(QString()));
}

TEST_F(ScheduleTest, DaysWeeksAndMonthsCountWholeGregorianUnits) {
  const QDateTime first(QDate(2026, 1, 1), QTime(10, 0));
  EXPECT_FALSE(allows("7 days"));  // No first launch date.
  setStored(first.toUTC(), "first_launch_date");

  RTKSchedule::setNowForTesting(first.addDays(7).addSecs(-1));
  EXPECT_FALSE(allows("7 days"));
  EXPECT_FALSE(allows("1 weeks"));
  RTKSchedule::setNowForTesting(first.addDays(7));
  EXPECT_TRUE(allows("7 days"));
  EXPECT_TRUE(allows("1 weeks"));
  EXPECT_FALSE(allows("2 weeks"));

  // Thirty days into a 31-day month is not yet a month; the first of the next is.
  RTKSchedule::setNowForTesting(first.addDays(30));
  EXPECT_FALSE(allows("1 months"));
  RTKSchedule::setNowForTesting(QDateTime(QDate(2026, 2, 1), QTime(10, 0)));
  EXPECT_TRUE(allows("1 months"));
  EXPECT_FALSE(allows("2 months"));
  // Counts that would overflow are invalid, never "passed".
  for (const char* huge : {"2000000000000000000 weeks", "99999999999999999999999 days",
                           "2147483648 months", "9223372036854775807 launches"}) {
    EXPECT_FALSE(allows(huge)) << huge;
    EXPECT_FALSE(RTKSchedule::scheduleComponents(QLatin1String(huge))->contains("value")) << huge;
  }
  setStored(4, "launch_count");
  EXPECT_FALSE(allows("2147483647 weeks"));
  EXPECT_FALSE(allows("2147483647 months"));
  EXPECT_EQ(RTKSchedule::wholeMonthsBetween(QDateTime(QDate(2026, 1, 31), QTime(12, 0)),
                                            QDateTime(QDate(2026, 2, 28), QTime(12, 0))),
            0);
}

TEST_F(ScheduleTest, EventSchedulesAreRecordedOncePerTool) {
  EXPECT_FALSE(RTKSchedule::shouldLaunchWithSchedule(QStringLiteral("next Launch"),
                                                     QStringLiteral("happiness")));
  EXPECT_FALSE(RTKSchedule::shouldLaunchWithSchedule(QStringLiteral("next  Launch"),
                                                     QStringLiteral("happiness")));
  EXPECT_FALSE(RTKSchedule::shouldLaunchWithSchedule(QStringLiteral("next Launch"),
                                                     QStringLiteral("rating")));
  const QVariantList pending =
      RVLDataStore::sharedInstance().objectForKey(QStringLiteral("eventQueue")).toList();
  ASSERT_EQ(pending.size(), 2);
  EXPECT_EQ(pending[0].toMap().value("tool").toString(), "happiness");
  EXPECT_EQ(pending[1].toMap().value("event").toString(), "Launch");
  EXPECT_TRUE(RTKSchedule::eventExists(QStringLiteral("Launch"), QStringLiteral("rating")));
  // It lives in the store file.
  RVLDataStore::sharedInstance().synchronize();
  RavellTesting::resetAll();
  EXPECT_TRUE(RTKSchedule::eventExists(QStringLiteral("Launch"), QStringLiteral("happiness")));
}

}  // namespace
}  // namespace vimbrel
