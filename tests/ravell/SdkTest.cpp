#include "RAKQueue.h"
#include "RVLDataStore.h"
#include "VendorTestSupport.h"
#include "ravell/Ravell.h"
#include "ravell/RavellAnalyticsKit.h"

namespace vimbrel {
namespace {

class SdkTest : public testing::VendorTest {
 protected:
  void SetUp() override {
    VendorTest::SetUp();
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
  }
  void TearDown() override {
    VendorTest::TearDown();
    QCoreApplication::setApplicationVersion(QString());
  }

  // One launch of the host: its three calls, then its explicit start.
  static void launch() {
    Ravell& ravell = Ravell::sharedInstance();
    ravell.setProductId(QStringLiteral("1234567"));
    ravell.setVendorId(QStringLiteral("vendor-1"));
    ravell.setApiKey(QStringLiteral("0123456789abcdef0123456789abcdef"));
    RavellAnalyticsKit::startTracking();
    ASSERT_TRUE(waitForNetwork());
  }

  static void relaunch() {
    RavellTesting::resetAll();
    launch();
  }

  static QStringList pendingActions() {
    QStringList actions;
    for (const RAKEvent& event : RAKQueue::sharedInstance().pendingEvents()) {
      actions << event.action();
    }
    return actions;
  }

  static QVariant stored(const char* key) {
    return RVLDataStore::sharedInstance().objectForKey(QLatin1String(key));
  }
};

TEST_F(SdkTest, LaunchesRecordInstallLaunchAndUpdate) {
  launch();
  EXPECT_EQ(pendingActions(), (QStringList{"RSDK.Install", "RSDK.Launch"}));
  EXPECT_EQ(stored("launch_count").toInt(), 1);
  EXPECT_TRUE(stored("first_launch").toBool());
  EXPECT_TRUE(stored("first_launch_date").toDateTime().isValid());
  EXPECT_EQ(stored("app_version").toString(), "1.0");
  // Two configuration fetches: the sequence's and the host's explicit one.
  EXPECT_EQ(server().requests("/2.2/config/tools").size(), 2u);
  // A repeated setter does not run the sequence again.
  Ravell::sharedInstance().setApiKey(QStringLiteral("0123456789abcdef0123456789abcdef"));
  EXPECT_EQ(pendingActions().size(), 2);

  relaunch();
  EXPECT_EQ(pendingActions(), (QStringList{"RSDK.Install", "RSDK.Launch", "RSDK.Launch"}));
  EXPECT_EQ(stored("launch_count").toInt(), 2);

  QCoreApplication::setApplicationVersion(QStringLiteral("1.1"));
  relaunch();
  const auto events = RAKQueue::sharedInstance().pendingEvents();
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[3].action(), "RSDK.Launch");
  EXPECT_EQ(events[4].action(), "RSDK.Update");
  EXPECT_EQ(events[4].properties()->value("Update.PreviousVersion").toString(), "1.0");
  EXPECT_EQ(events[4].properties()->value("Update.CurrentVersion").toString(), "1.1");
  EXPECT_EQ(stored("app_version").toString(), "1.1");
}

TEST_F(SdkTest, TwoOfTheThreeSettersLeaveEverythingIdle) {
  using Setter = void (Ravell::*)(const QString&);
  const Setter setters[] = {&Ravell::setProductId, &Ravell::setVendorId, &Ravell::setApiKey};
  for (int skipped = 0; skipped < 3; ++skipped) {
    RavellTesting::resetAll();
    for (int i = 0; i < 3; ++i) {
      if (i != skipped) (Ravell::sharedInstance().*setters[i])(QStringLiteral("value-123"));
    }
    EXPECT_FALSE(Ravell::sharedInstance().hasTrackingStarted());
    EXPECT_EQ(RavellTesting::requestsInFlight(), 0);
    EXPECT_EQ(RAKQueue::sharedInstance().pendingCount(), 0u);
    EXPECT_FALSE(stored("launch_count").isValid());
  }
  EXPECT_TRUE(server().requests().empty());
}

TEST_F(SdkTest, ConfigurationStoresPlanAddressAndWriteKey) {
  changeBehaviour([](auto& b) {
    b.planUid = "plan-42";
    b.writeKey = "wk-42";
    b.ip = "10.1.2.3";
  });
  launch();
  EXPECT_EQ(stored("RAKPlan").toString(), "plan-42");
  EXPECT_EQ(stored("RAKIp").toString(), "10.1.2.3");
  EXPECT_EQ(stored("RAKWriteKey").toString(), "wk-42");
  EXPECT_TRUE(RAKQueue::sharedInstance().isTimerRunning());

  // The encrypted requests carry the credentials, the machine and the plan.
  const auto keys = server().requests("/2.2/config/keys");
  ASSERT_FALSE(keys.empty());
  const auto& fields = keys[0].content["fields"];
  EXPECT_EQ(fields["uid"], "plan-42");
  EXPECT_EQ(fields["product_id"], "1234567");
  EXPECT_EQ(fields["api_key"], "0123456789abcdef0123456789abcdef");
  const auto& system = keys[0].content["system"];
  EXPECT_EQ(system["platform"], "mac");
  for (const char* key : {"model_identifier", "os_version", "app_version", "uuid"}) {
    EXPECT_TRUE(system.contains(key)) << key;
  }

  // The events now go out with that key.
  RAKQueue::sharedInstance().processQueue();
  ASSERT_TRUE(waitForNetwork());
  const auto tracks = server().requests("/track");
  ASSERT_EQ(tracks.size(), 1u);
  EXPECT_EQ(tracks[0].content[0]["write_key"], "wk-42");
}

TEST_F(SdkTest, AnswerWithoutAddressStoresNone) {
  changeBehaviour([](auto& b) { b.toolsWithoutIp = true; });
  launch();
  EXPECT_EQ(stored("RAKIp").toString(), "none");
}

TEST_F(SdkTest, NullsInAnswersCountAsAbsentAndTheStoreKeepsWriting) {
  changeBehaviour([](auto& b) { b.nullValues = true; });
  launch();
  EXPECT_EQ(stored("RAKIp").toString(), "none");
  EXPECT_FALSE(stored("RAKWriteKey").isValid());
  EXPECT_FALSE(RAKQueue::sharedInstance().isTimerRunning());
  // Later changes still reach the file.
  RVLDataStore::sharedInstance().setObject(QStringLiteral("later"), QStringLiteral("probe"));
  RVLDataStore::sharedInstance().synchronize();
  RavellTesting::resetAll();
  EXPECT_EQ(stored("probe").toString(), "later");
  EXPECT_EQ(stored("launch_count").toInt(), 1);
}

TEST_F(SdkTest, AnAnswerThatIsNotAsciiIsIgnored) {
  changeBehaviour([](auto& b) { b.writeKey = "wk-\u00e9\u20ac"; });
  launch();
  EXPECT_EQ(stored("RAKPlan").toString(), "plan-demo");
  EXPECT_FALSE(stored("RAKWriteKey").isValid());
}

TEST_F(SdkTest, EmptyToolListStopsTheQueue) {
  changeBehaviour([](auto& b) { b.emptyTools = true; });
  launch();
  EXPECT_FALSE(RAKQueue::sharedInstance().isTimerRunning());
  EXPECT_FALSE(stored("RAKPlan").isValid());
  // Events still accumulate.
  EXPECT_EQ(RAKQueue::sharedInstance().pendingCount(), 2u);
}

TEST_F(SdkTest, KeysAnswerWithoutThePlanStopsTheQueue) {
  changeBehaviour([](auto& b) { b.keysWithoutPlan = true; });
  launch();
  EXPECT_FALSE(RAKQueue::sharedInstance().isTimerRunning());
  EXPECT_EQ(stored("RAKPlan").toString(), "plan-demo");
  EXPECT_FALSE(stored("RAKWriteKey").isValid());
}

TEST_F(SdkTest, FailedConfigurationChangesNothing) {
  changeBehaviour([](auto& b) { b.configFailure = true; });
  launch();
  EXPECT_TRUE(RAKQueue::sharedInstance().isTimerRunning());
  EXPECT_FALSE(stored("RAKPlan").isValid());
  // An unreachable vendor API: logged, nothing stored.
  setenv("RAVELL_API_URL", "https://127.0.0.1:1", 1);
  RavellAnalyticsKit::startTracking();
  ASSERT_TRUE(waitForNetwork());
  EXPECT_TRUE(RAKQueue::sharedInstance().isTimerRunning());
  EXPECT_FALSE(stored("RAKWriteKey").isValid());
}

}  // namespace
}  // namespace vimbrel
