#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest/QTest>
#include <thread>

#include "PromptTestSupport.h"
#include "RAKQueue.h"
#include "RTKSchedule.h"
#include "RVLDataStore.h"
#include "RVLStarRating.h"
#include "VendorTestSupport.h"
#include "ravell/RavellAnalyticsKit.h"
#include "ravell/RavellToolKit.h"

namespace vimbrel {
namespace {

using testing::clicking;
using testing::ModalDriver;

class RecordingDelegate : public RavellToolKitDelegate {
 public:
  void RTKToolSubmitted(const QString& tool, int value) override {
    submitted << QStringLiteral("%1=%2").arg(tool).arg(value);
  }
  QStringList submitted;
};

class ToolKitTest : public testing::VendorTest {
 protected:
  void SetUp() override {
    VendorTest::SetUp();
    ASSERT_TRUE(config_.isValid());
    setenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()).constData(), 1);
    QCoreApplication::setApplicationName(QStringLiteral("Vimbrel"));
    setCredentials();
    toolKit().setDelegate(&delegate_);
  }
  void TearDown() override {
    toolKit().setDelegate(nullptr);
    VendorTest::TearDown();
  }

  static void setCredentials() {
    RVLDataStore& store = RVLDataStore::sharedInstance();
    store.setObject(QStringLiteral("1234567"), QLatin1String(RVLDataStore::kProductKey));
    store.setObject(QStringLiteral("vendor-1"), QLatin1String(RVLDataStore::kVendorKey));
    store.setObject(QStringLiteral("0123456789abcdef0123456789abcdef"),
                    QLatin1String(RVLDataStore::kApiKey));
  }

  static RavellToolKit& toolKit() { return RavellToolKit::sharedInstance(); }

  static QStringList actions() {
    QStringList names;
    for (const RAKEvent& event : RAKQueue::sharedInstance().pendingEvents())
      names << event.action();
    return names;
  }

  static QVariant stored(const char* key) {
    return RVLDataStore::sharedInstance().objectForKey(QLatin1String(key));
  }

  static QVariantList eventQueue() { return stored("eventQueue").toList(); }

  // The form fields of the requests to one "lumora" method.
  static std::vector<nlohmann::json> prompts(const char* method) {
    std::vector<nlohmann::json> fields;
    for (const auto& request : server().requests(std::string("/3.1/lumora/") + method)) {
      fields.push_back(request.content);
    }
    return fields;
  }

  QTemporaryDir config_;
  RecordingDelegate delegate_;
};

TEST_F(ToolKitTest, NextLaunchWaitsOnceAndFiresAtTheNextLaunch) {
  ModalDriver driver({clicking("happy")});
  toolKit().presentHappinessViewWithSchedule(QStringLiteral("next Launch"), std::nullopt);
  toolKit().presentHappinessViewWithSchedule(QStringLiteral("next Launch"), std::nullopt);
  EXPECT_TRUE(driver.seen().isEmpty());
  ASSERT_EQ(eventQueue().size(), 1);

  // The event is created: the prompt appears before the event is queued.
  RAKQueue::sharedInstance().addEvent(RAKEvent(QStringLiteral("RSDK.Launch"), std::nullopt));
  EXPECT_EQ(driver.seen(), QStringList{"RTKHappinessWindow"});
  EXPECT_TRUE(eventQueue().isEmpty());
  EXPECT_EQ(actions(),
            (QStringList{"RSDK.Happiness.Displayed", "RSDK.Happiness.Submitted", "RSDK.Launch"}));
  EXPECT_EQ(RAKQueue::sharedInstance().pendingEvents()[1].properties()->value("happiness"), 1);
  EXPECT_TRUE(stored("RVLHappinessPrompt").toBool());
  EXPECT_EQ(delegate_.submitted, QStringList{"happiness=1"});
  ASSERT_TRUE(waitForNetwork());
  const auto sent = prompts("happiness");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]["happiness"], "1");
  EXPECT_EQ(sent[0]["product_id"], "1234567");
  EXPECT_FALSE(sent[0].contains("email"));
}

TEST_F(ToolKitTest, TwoToolsOnOneEventBothAppearAndOnlyTheLaterEntryGoes) {
  toolKit().presentHappinessViewWithSchedule(QStringLiteral("next Custom.Opened"), std::nullopt);
  toolKit().presentFeedbackViewWithSchedule(QStringLiteral("next .Opened"), std::nullopt,
                                            std::nullopt);
  toolKit().presentRatingViewWithSchedule(QStringLiteral("next .Opened"), std::nullopt);
  ASSERT_EQ(eventQueue().size(), 3);
  ModalDriver driver({clicking("close"), clicking("close")});
  RAKEvent(QStringLiteral("RSDK.Custom.Opened"), std::nullopt);
  // A custom event's short name keeps the dot after the prefix.
  EXPECT_EQ(driver.seen(), (QStringList{"RTKFeedbackWindow", "RTKRateWindow"}));
  const QVariantList left = eventQueue();
  ASSERT_EQ(left.size(), 2);
  EXPECT_EQ(left[1].toMap().value("tool").toString(), "feedback");
  EXPECT_EQ(actions(), (QStringList{"RSDK.Feedback.Displayed", "RSDK.Feedback.Dismissed",
                                    "RSDK.Rating.Displayed", "RSDK.Rating.Dismissed"}));
}

TEST_F(ToolKitTest, WithoutCredentialsNothingShowsButEventSchedulesAreKept) {
  RavellTesting::resetAll();  // The credentials live in memory only.
  ModalDriver driver({clicking("close")});
  toolKit().presentRatingViewWithSchedule(std::nullopt, std::nullopt);
  toolKit().presentEmailSubscribePromptWithSchedule(std::nullopt, std::nullopt);
  toolKit().presentThanksView();
  toolKit().presentHappinessViewWithSchedule(QStringLiteral("next Launch"), std::nullopt);
  QCoreApplication::processEvents();
  EXPECT_TRUE(driver.seen().isEmpty());
  EXPECT_TRUE(actions().isEmpty());
  EXPECT_EQ(eventQueue().size(), 1);
}

TEST_F(ToolKitTest, UsedFlagsStopScheduledPromptsOnly) {
  RVLDataStore::sharedInstance().setObject(true, QStringLiteral("RVLHappinessPrompt"));
  ModalDriver driver({clicking("close")});
  toolKit().presentHappinessViewWithSchedule(QStringLiteral("next Launch"), std::nullopt);
  EXPECT_TRUE(eventQueue().isEmpty());
  toolKit().presentHappinessViewWithSchedule(std::nullopt, QStringLiteral("Own message"));
  EXPECT_EQ(driver.seen(), QStringList{"RTKHappinessWindow"});
  EXPECT_EQ(actions(), (QStringList{"RSDK.Happiness.Displayed", "RSDK.Happiness.Dismissed"}));
  EXPECT_TRUE(delegate_.submitted.isEmpty());
}

TEST_F(ToolKitTest, RatingLeadsToThanksAndFeedbackLabelledThanks) {
  bool flagBeforeThanksClosed = true;
  ModalDriver driver({
      [](QWidget* window) {
        auto* stars = window->findChild<RVLStarRating*>(QStringLiteral("starRating"));
        ASSERT_NE(stars, nullptr);
        EXPECT_EQ(stars->rating(), 5.0F);
        // A click on the third star.
        const QPointF third = stars->pointOfStarAtPosition(2, false);
        QTest::mouseClick(stars, Qt::LeftButton, {}, (third + QPointF(10, 10)).toPoint());
        EXPECT_EQ(stars->rating(), 3.0F);
        testing::click(window, "sendRating");
      },
      [&](QWidget* window) {
        flagBeforeThanksClosed = stored("RVLRatingPrompt").isValid();
        testing::click(window, "sendFeedback");
      },
      [](QWidget* window) {
        window->findChild<QLineEdit*>(QStringLiteral("name"))->setText(QStringLiteral("Ann"));
        window->findChild<QLineEdit*>(QStringLiteral("email"))->setText(QStringLiteral("a@b.c"));
        window->findChild<QPlainTextEdit*>(QStringLiteral("content"))
            ->setPlainText(QStringLiteral("Great & fast"));
        testing::click(window, "sendFeedback");
      },
  });
  toolKit().presentRatingViewWithSchedule(QStringLiteral("1 launches"), std::nullopt);
  EXPECT_TRUE(driver.seen().isEmpty());  // No launch counted yet.
  RVLDataStore::sharedInstance().setObject(2, QStringLiteral("launch_count"));
  toolKit().presentRatingViewWithSchedule(QStringLiteral("1 launches"), std::nullopt);

  EXPECT_EQ(driver.seen(), (QStringList{"RTKRateWindow", "RTKThanksWindow", "RTKFeedbackWindow"}));
  EXPECT_FALSE(flagBeforeThanksClosed);
  EXPECT_TRUE(stored("RVLRatingPrompt").toBool());
  EXPECT_TRUE(stored("RVLFeedbackPrompt").toBool());
  EXPECT_EQ(actions(),
            (QStringList{"RSDK.Rating.Displayed", "RSDK.Rating.Submitted", "RSDK.Thanks.Displayed",
                         "RSDK.Feedback.Displayed", "RSDK.Feedback.Submitted"}));
  EXPECT_EQ(delegate_.submitted, QStringList{"rating=3"});
  ASSERT_TRUE(waitForNetwork());
  const auto ratings = prompts("rating");
  ASSERT_EQ(ratings.size(), 1u);
  EXPECT_EQ(ratings[0]["rating"], "3");
  const auto feedback = prompts("feedback");
  ASSERT_EQ(feedback.size(), 1u);
  EXPECT_EQ(feedback[0]["label"], "thanks");
  EXPECT_EQ(feedback[0]["name"], "Ann");
  EXPECT_EQ(feedback[0]["email"], "a@b.c");
  EXPECT_EQ(feedback[0]["content"], "Great & fast");

  // Used: the same schedule shows nothing again.
  toolKit().presentRatingViewWithSchedule(QStringLiteral("1 launches"), std::nullopt);
  EXPECT_EQ(driver.seen().size(), 3);
}

TEST_F(ToolKitTest, ThanksDeclinedIsDismissedAndTheEventsReachTheService) {
  ModalDriver driver({clicking("noThanks")});
  toolKit().presentThanksView();
  EXPECT_EQ(actions(), (QStringList{"RSDK.Thanks.Displayed", "RSDK.Thanks.Dismissed"}));
  RVLDataStore::sharedInstance().setObject(QStringLiteral("wk-1"), QStringLiteral("RAKWriteKey"));
  pass();
  const auto tracks = server().requests("/track");
  ASSERT_EQ(tracks.size(), 1u);
  EXPECT_EQ(tracks[0].content[0]["action_name"], "RSDK.Thanks.Displayed");
  EXPECT_EQ(tracks[0].content[1]["action_name"], "RSDK.Thanks.Dismissed");
}

TEST_F(ToolKitTest, FractionalRatingIsSentAsWholeStars) {
  ModalDriver driver({
      [](QWidget* window) {
        auto* stars = window->findChild<RVLStarRating*>(QStringLiteral("starRating"));
        stars->setDisplayMode(RVLStarRating::Accurate);
        stars->setRating(3.7F);
        testing::click(window, "sendRating");
      },
      clicking("close"),
  });
  toolKit().presentRatingViewWithSchedule(std::nullopt, std::nullopt);
  ASSERT_TRUE(waitForNetwork());
  EXPECT_EQ(prompts("rating").at(0)["rating"], "3");
  EXPECT_EQ(RAKQueue::sharedInstance().pendingEvents().at(1).properties()->value("rating"), 3);
  EXPECT_EQ(actions().last(), "RSDK.Thanks.Dismissed");
}

TEST_F(ToolKitTest, OptInDialogStoresTheAnswer) {
  ModalDriver driver({clicking("NoThanks"), clicking("OK")});
  RavellAnalyticsKit::enableOptin();
  EXPECT_EQ(driver.seen(), QStringList{"OptinDialog"});
  EXPECT_FALSE(RavellAnalyticsKit::isOptedIn());
  RavellAnalyticsKit::enableOptin();  // Answered: not asked again.
  EXPECT_EQ(driver.seen().size(), 1);
  RavellAnalyticsKit::presentOptinDialog();
  EXPECT_TRUE(RavellAnalyticsKit::isOptedIn());
  EXPECT_TRUE(stored("RAKOptedIn").toBool());
}

TEST_F(ToolKitTest, EmailAlertShowsOnceAndRetriesAnUnacknowledgedSubscription) {
  changeBehaviour([](auto& b) { b.failPrompts = true; });
  RVLDataStore::sharedInstance().setObject(4, QStringLiteral("launch_count"));
  ModalDriver driver({[](QWidget* alert) {
    EXPECT_EQ(alert->findChild<QLineEdit*>(QStringLiteral("email"))->placeholderText(),
              "Email Address");
    alert->findChild<QLineEdit*>(QStringLiteral("email"))->setText(QStringLiteral("me@x.org"));
    testing::click(alert, "Join");
  }});
  const QString message =
      QStringLiteral("Subscribe to learn more about Vimbrel and more features.");
  toolKit().presentEmailSubscribePromptWithSchedule(QStringLiteral("3 launches"), message);
  ASSERT_TRUE(waitForNetwork());
  EXPECT_EQ(driver.seen(), QStringList{"EmailAlert"});
  EXPECT_TRUE(stored("RVLEmailPrompt").toBool());
  EXPECT_EQ(stored("RVLSubscribedEmail").toString(), "me@x.org");
  EXPECT_FALSE(stored("RVLSubscribed").isValid());

  // Shown once; without a schedule the call only retries the subscription.
  changeBehaviour([](auto& b) { b.failPrompts = false; });
  toolKit().presentEmailSubscribePromptWithSchedule(std::nullopt, message);
  ASSERT_TRUE(waitForNetwork());
  EXPECT_EQ(driver.seen().size(), 1);
  EXPECT_TRUE(stored("RVLSubscribed").toBool());
  const auto sent = prompts("email");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1]["email"], "me@x.org");
  EXPECT_EQ(actions(), (QStringList{"RSDK.Email.Displayed", "RSDK.Email.Displayed"}));

  // Known now: it goes with the next happiness answer.
  ModalDriver happy({clicking("sad")});
  toolKit().presentHappinessViewWithSchedule(std::nullopt, std::nullopt);
  ASSERT_TRUE(waitForNetwork());
  EXPECT_EQ(prompts("happiness").at(0)["email"], "me@x.org");
  EXPECT_EQ(prompts("happiness").at(0)["happiness"], "3");
}

TEST_F(ToolKitTest, EmailPromptOnTheFourthLaunchOnly) {
  ModalDriver driver({clicking("Cancel")});
  RVLDataStore::sharedInstance().setObject(3, QStringLiteral("launch_count"));
  toolKit().presentEmailSubscribePromptWithSchedule(QStringLiteral("3 launches"), std::nullopt);
  EXPECT_TRUE(driver.seen().isEmpty());
  RVLDataStore::sharedInstance().setObject(4, QStringLiteral("launch_count"));
  toolKit().presentEmailSubscribePromptWithSchedule(QStringLiteral("3 launches"), std::nullopt);
  EXPECT_EQ(driver.seen(), QStringList{"EmailAlert"});
  EXPECT_TRUE(prompts("email").empty());
  EXPECT_TRUE(stored("RVLEmailPrompt").toBool());
  RVLDataStore::sharedInstance().setObject(5, QStringLiteral("launch_count"));
  toolKit().presentEmailSubscribePromptWithSchedule(QStringLiteral("3 launches"), std::nullopt);
  EXPECT_EQ(driver.seen().size(), 1);
}

TEST_F(ToolKitTest, APromptNeverFiresFromItsOwnEvents) {
  // Refused as a schedule...
  EXPECT_FALSE(toolKit().isPromptUsed(QStringLiteral("RVLHappinessPrompt")));
  EXPECT_FALSE(RTKSchedule::shouldLaunchWithSchedule(QStringLiteral("next Happiness.Displayed"),
                                                     QStringLiteral("happiness")));
  EXPECT_TRUE(eventQueue().isEmpty());
  // ...and harmless when an earlier version stored it: one window, not one
  // inside the other until the stack runs out.
  RVLDataStore::sharedInstance().setObject(
      QVariantList{QVariantMap{{"event", "Happiness.Displayed"}, {"tool", "happiness"}},
                   QVariantMap{{"event", "Rating.Dismissed"}, {"tool", "rating"}}},
      QStringLiteral("eventQueue"));
  ModalDriver driver({clicking("close"), clicking("close"), clicking("close")});
  toolKit().presentHappinessViewWithSchedule(std::nullopt, std::nullopt);
  EXPECT_EQ(driver.seen(), QStringList{"RTKHappinessWindow"});
  toolKit().presentRatingViewWithSchedule(std::nullopt, std::nullopt);
  EXPECT_EQ(driver.seen(), (QStringList{"RTKHappinessWindow", "RTKRateWindow"}));
  EXPECT_EQ(eventQueue().size(), 2);
  // Another prompt's event still fires it.
  RAKQueue::sharedInstance().addEvent(
      RAKEvent(QStringLiteral("RSDK.Rating.Dismissed"), std::nullopt));
  EXPECT_EQ(driver.seen().size(), 3);
}

TEST_F(ToolKitTest, EventsCreatedOnOtherThreadsRaiseTheirPromptsOnTheMainThread) {
  RVLDataStore::sharedInstance().setObject(
      QVariantList{QVariantMap{{"event", ".Worker"}, {"tool", "happiness"}}},
      QStringLiteral("eventQueue"));
  ModalDriver driver({clicking("close")});
  std::thread worker([] {
    RAKQueue::sharedInstance().addEvent(
        RAKEvent(QStringLiteral("RSDK.Custom.Worker"), std::nullopt));
  });
  worker.join();
  // Nothing happened on the worker; the main loop presents the prompt.
  EXPECT_TRUE(driver.seen().isEmpty());
  ASSERT_TRUE(testing::waitUntil([&] { return driver.finished() && eventQueue().isEmpty(); }));
  EXPECT_EQ(driver.seen(), QStringList{"RTKHappinessWindow"});
}

}  // namespace
}  // namespace vimbrel
