#include <QDateTime>

#include "RAKEvent.h"
#include "RAKQueue.h"
#include "RVLDataStore.h"
#include "RVLSystemInfo.h"
#include "VendorTestSupport.h"
#include "ravell/RavellAnalyticsKit.h"

namespace vimbrel {
namespace {

using nlohmann::json;

class QueueTest : public testing::VendorTest {
 protected:
  void SetUp() override {
    VendorTest::SetUp();
    RVLDataStore::sharedInstance().setObject(QStringLiteral("wk-1"), QStringLiteral("RAKWriteKey"));
  }

  static RAKQueue& queue() { return RAKQueue::sharedInstance(); }

  static void addEvents(int count, const QString& prefix = QStringLiteral("E")) {
    for (int i = 0; i < count; ++i) {
      queue().addEvent(RAKEvent(prefix + QString::number(i), std::nullopt));
    }
  }

  static std::vector<json> trackBodies() {
    std::vector<json> bodies;
    for (const auto& request : server().requests("/track")) bodies.push_back(request.content);
    return bodies;
  }
};

TEST_F(QueueTest, BatchShapesFollowThePendingCount) {
  addEvents(1);
  pass();
  addEvents(2);
  pass();
  addEvents(150);
  pass();
  EXPECT_EQ(queue().pendingCount(), 50u);
  // The removal of the sent batch is on disk too.
  RavellTesting::resetAll();
  RVLDataStore::sharedInstance().setObject(QStringLiteral("wk-1"), QStringLiteral("RAKWriteKey"));
  ASSERT_EQ(queue().pendingCount(), 50u);
  EXPECT_EQ(queue().pendingEvents().front().action(), QStringLiteral("E100"));
  pass();
  EXPECT_EQ(queue().pendingCount(), 0u);
  pass();  // Nothing left: nothing sent.

  const auto bodies = trackBodies();
  ASSERT_EQ(bodies.size(), 4u);
  EXPECT_TRUE(bodies[0].is_object());
  EXPECT_EQ(bodies[0]["action_name"], "E0");
  ASSERT_TRUE(bodies[1].is_array());
  EXPECT_EQ(bodies[1].size(), 2u);
  ASSERT_EQ(bodies[2].size(), 100u);
  EXPECT_EQ(bodies[2][0]["action_name"], "E0");
  EXPECT_EQ(bodies[2][99]["action_name"], "E99");
  ASSERT_EQ(bodies[3].size(), 50u);
  EXPECT_EQ(bodies[3][49]["action_name"], "E149");
  for (const auto& request : server().requests("/track")) {
    EXPECT_EQ(request.contentType, "application/json");
    EXPECT_EQ(request.host, "127.0.0.1:" + std::to_string(server().port()));
  }
}

TEST_F(QueueTest, RejectedRemovesAndOtherStatusesKeepWithoutPenalty) {
  changeBehaviour([](auto& b) { b.trackStatus = "rejected"; });
  addEvents(3);
  pass();
  EXPECT_EQ(queue().pendingCount(), 0u);

  changeBehaviour([](auto& b) { b.trackStatus = "queued"; });
  addEvents(2);
  pass();
  pass();
  EXPECT_EQ(queue().pendingCount(), 2u);
  EXPECT_EQ(queue().failedAttempts(), 0);
  EXPECT_EQ(trackBodies().size(), 3u);
}

TEST_F(QueueTest, SixteenFailuresPauseSendingFor85Passes) {
  changeBehaviour([](auto& b) { b.failTrack = true; });
  addEvents(1);
  for (int i = 0; i < 16; ++i) pass();
  EXPECT_EQ(trackBodies().size(), 16u);
  EXPECT_EQ(queue().failedAttempts(), 100);
  changeBehaviour([](auto& b) { b.failTrack = false; });
  for (int i = 0; i < 85; ++i) pass();
  EXPECT_EQ(trackBodies().size(), 16u);
  EXPECT_EQ(queue().pendingCount(), 1u);
  pass();
  EXPECT_EQ(trackBodies().size(), 17u);
  EXPECT_EQ(queue().pendingCount(), 0u);
  // A success lowers the counter by one only.
  EXPECT_EQ(queue().failedAttempts(), 14);
}

TEST_F(QueueTest, OnlyOneTrackRequestIsInFlight) {
  changeBehaviour([](auto& b) { b.delayMs = 1500; });
  addEvents(2, QStringLiteral("first"));
  queue().processQueue();
  // Events added while the batch is in flight, and a pass that finds it in flight.
  addEvents(3, QStringLiteral("later"));
  queue().processQueue();
  ASSERT_TRUE(waitForNetwork());
  EXPECT_EQ(trackBodies().size(), 1u);
  const auto pending = queue().pendingEvents();
  ASSERT_EQ(pending.size(), 3u);
  for (const RAKEvent& event : pending) EXPECT_TRUE(event.action().startsWith("later"));
}

TEST_F(QueueTest, TransportFailuresKeepEverything) {
  addEvents(2);
  // A server whose certificate is not trusted: the handshake fails, nothing goes out.
  vendor::VendorServer untrusted{vendor::ServerOptions{}};
  ASSERT_EQ(untrusted.start(), "");
  setenv("RAVELL_ANALYTICS_URL", untrusted.baseUrl().c_str(), 1);
  pass();
  EXPECT_TRUE(untrusted.requests().empty());
  // An address that is not https is refused outright.
  setenv("RAVELL_ANALYTICS_URL", ("http://127.0.0.1:" + std::to_string(server().port())).c_str(),
         1);
  pass();
  EXPECT_EQ(queue().pendingCount(), 2u);
  EXPECT_EQ(queue().failedAttempts(), 2);
  EXPECT_TRUE(trackBodies().empty());
}

TEST_F(QueueTest, NoWriteKeyAndOptOutSendNothing) {
  RVLDataStore::sharedInstance().removeObjectForKey(QStringLiteral("RAKWriteKey"));
  addEvents(1);
  pass();
  EXPECT_TRUE(trackBodies().empty());
  EXPECT_EQ(queue().pendingCount(), 1u);

  RavellAnalyticsKit::disableTracking();
  EXPECT_FALSE(RavellAnalyticsKit::isOptedIn());
  RavellAnalyticsKit::track(QStringLiteral("ignored"));
  EXPECT_EQ(queue().pendingCount(), 1u);
  RVLDataStore::sharedInstance().setObject(QStringLiteral("wk-1"), QStringLiteral("RAKWriteKey"));
  pass();
  EXPECT_TRUE(trackBodies().empty());
  RavellAnalyticsKit::enableTracking();
  pass();
  EXPECT_EQ(trackBodies().size(), 1u);
}

TEST_F(QueueTest, EveryNumberTypeAndNullAreSentAndUnwritableEventsAreRefused) {
  addEvents(1);
  queue().addEvent(
      RAKEvent(QStringLiteral("dated"),
               QVariantMap{{QStringLiteral("when"), QDateTime::currentDateTimeUtc()}}));
  const QVariantMap numbers{
      {QStringLiteral("ushort"), QVariant::fromValue<ushort>(65535)},
      {QStringLiteral("short"), QVariant::fromValue<short>(-3)},
      {QStringLiteral("uint"), QVariant::fromValue<uint>(4000000000U)},
      {QStringLiteral("ulonglong"), QVariant::fromValue<qulonglong>(18000000000000000000ULL)},
      {QStringLiteral("uchar"), QVariant::fromValue<uchar>(200)},
      {QStringLiteral("float"), QVariant::fromValue<float>(0.5F)},
      {QStringLiteral("null"), QVariant::fromValue(nullptr)},
      {QStringLiteral("list"), QVariantList{QVariant::fromValue(nullptr), 1}}};
  queue().addEvent(RAKEvent(QStringLiteral("numbers"), numbers));
  // Refused at once; the others stay, across a restart too.
  EXPECT_EQ(queue().pendingCount(), 2u);
  RavellTesting::resetAll();
  RVLDataStore::sharedInstance().setObject(QStringLiteral("wk-1"), QStringLiteral("RAKWriteKey"));
  pass();
  EXPECT_EQ(queue().pendingCount(), 0u);
  const auto bodies = trackBodies();
  ASSERT_EQ(bodies.size(), 1u);
  ASSERT_EQ(bodies[0].size(), 2u);
  EXPECT_EQ(bodies[0][0]["action_name"], "E0");
  const json& sent = bodies[0][1]["properties"];
  EXPECT_EQ(sent["ushort"], 65535);
  EXPECT_EQ(sent["short"], -3);
  EXPECT_EQ(sent["uint"], 4000000000U);
  EXPECT_DOUBLE_EQ(sent["ulonglong"].get<double>(), 18000000000000000000.0);
  EXPECT_EQ(sent["uchar"], 200);
  EXPECT_EQ(sent["float"], 0.5);
  EXPECT_TRUE(sent["null"].is_null());
  EXPECT_TRUE(sent["list"][0].is_null());
}

TEST_F(QueueTest, IdentityMergeIsSentUntilAnswered) {
  changeBehaviour([](auto& b) { b.transferStatus = "later"; });
  RavellAnalyticsKit::identify(QStringLiteral("user-7"));
  pass();
  pass();
  EXPECT_EQ(server().requests("/transfer").size(), 2u);
  EXPECT_FALSE(queue().isCustomIdentified());

  changeBehaviour([](auto& b) { b.transferStatus = "accepted"; });
  pass();
  EXPECT_TRUE(queue().isCustomIdentified());
  pass();
  const auto transfers = server().requests("/transfer");
  ASSERT_EQ(transfers.size(), 3u);
  EXPECT_EQ(transfers[0].content["new_actor"], "user-7");
  EXPECT_EQ(transfers[0].content["old_actor"], RVLSystemInfo::deviceIdentifier().toStdString());
  EXPECT_EQ(transfers[0].content["write_key"], "wk-1");
  // Another identity later does not merge again.
  RavellAnalyticsKit::identify(QStringLiteral("user-8"));
  pass();
  EXPECT_EQ(server().requests("/transfer").size(), 3u);
}

TEST_F(QueueTest, StateSurvivesARestart) {
  changeBehaviour([](auto& b) { b.trackStatus = "queued"; });
  RavellAnalyticsKit::identify(QStringLiteral("user-1"));
  addEvents(3);
  pass();  // Merges the identity; the events stay.
  // No explicit save: every change is on disk when its call returns.
  RavellTesting::resetAll();
  RAKQueue& relaunched = RAKQueue::sharedInstance();
  EXPECT_EQ(relaunched.pendingCount(), 3u);
  EXPECT_EQ(relaunched.userIdentifier(), QStringLiteral("user-1"));
  EXPECT_TRUE(relaunched.isCustomIdentified());
  EXPECT_EQ(relaunched.pendingEvents()[2].action(), QStringLiteral("E2"));
}

TEST_F(QueueTest, PayloadIsResolvedAtSendingTime) {
  RavellAnalyticsKit::track(
      QStringLiteral("Opened"),
      {{QStringLiteral("OS.Type"), QStringLiteral("linux")}, {QStringLiteral("count"), 3}});
  RavellAnalyticsKit::identify(QStringLiteral("user-9"));
  RVLDataStore::sharedInstance().setObject(QStringLiteral("wk-2"), QStringLiteral("RAKWriteKey"));
  pass();
  const auto bodies = trackBodies();
  ASSERT_EQ(bodies.size(), 1u);
  const json& event = bodies[0];
  EXPECT_EQ(event["action_name"], "RSDK.Custom.Opened");
  EXPECT_EQ(event["actor"], "user-9");
  EXPECT_EQ(event["write_key"], "wk-2");
  EXPECT_TRUE(
      QDateTime::fromString(QString::fromStdString(event["timestamp"]), Qt::ISODate).isValid());
  const json& properties = event["properties"];
  EXPECT_EQ(properties["OS.Type"], "mac");
  EXPECT_EQ(properties["count"], 3);
  for (const char* key :
       {"Application.Version", "Application.Build", "OS.VersionMajor", "OS.VersionMinor",
        "Application.SDKVersion", "Device.SubVarient", "Device.Identifier", "Application.Platform",
        "Device.Varient", "Device.Type"}) {
    EXPECT_TRUE(properties.contains(key)) << key;
  }
  EXPECT_EQ(properties["Application.Platform"], "mac_store");
  EXPECT_EQ(properties["Device.Type"], "desktop");
}

}  // namespace
}  // namespace vimbrel
