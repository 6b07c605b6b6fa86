#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <QDBusConnection>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "SpiderTestSupport.h"
#include "StandInDesktop.h"
#include "platform/ui/FileViewer.h"
#include "spider/DBusNotificationCenter.h"

namespace vimbrel::spider {
namespace {

using namespace testing;

class RecordingDelegate final : public UserNotificationCenterDelegate {
 public:
  void didDeliverNotification(NotificationId id, const UserNotification& n) override {
    delivered.emplace_back(id, n.title);
  }
  void didActivateNotification(NotificationId id, const UserNotification& n) override {
    activated.emplace_back(id, n.title);
  }
  std::vector<std::pair<NotificationId, std::string>> delivered, activated;
};

class NotificationsTest : public ::testing::Test {
 protected:
  void TearDown() override { QDBusConnection::disconnectFromBus("desktop"); }
  QDBusConnection desktop_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "desktop");
};

TEST_F(NotificationsTest, DeliversWithSoundAndActionAndReportsActivationAndWithdraws) {
  StandInNotificationServer server(desktop_);
  DBusNotificationCenter center(QDBusConnection::sessionBus());
  RecordingDelegate delegate;
  center.setDelegate(&delegate);

  UserNotification plain;
  plain.title = "Tool removed completely.";
  plain.informativeText = "Spider cleaned 2 KB.";
  UserNotification withAction;
  withAction.title = "File can\u2019t be removed.";
  withAction.informativeText = "Required root privileges.Show files in finder to remove manually.";
  withAction.actionButtonTitle = "Show in Files";
  center.deliverNotification(withAction);
  center.deliverNotification(plain);
  ASSERT_TRUE(runLoopUntil([&] { return delegate.delivered.size() == 2; }));

  ASSERT_EQ(server.notified.size(), 2u);
  const NotifyCall& first = server.notified[0];
  EXPECT_EQ(first.summary.toStdString(), withAction.title);
  EXPECT_EQ(first.body.toStdString(), withAction.informativeText);
  EXPECT_EQ(first.actions, (QStringList{"default", "Show in Files"}));
  EXPECT_EQ(first.hints.value("sound-name").toString(), "message-new-instant");
  EXPECT_TRUE(server.notified[1].actions.isEmpty());
  EXPECT_EQ(delegate.delivered[0], std::make_pair(first.id, withAction.title));

  // Only a delivered notification's own action activates it.
  server.invokeAction(first.id + 100, "default");
  server.invokeAction(first.id, "default");
  ASSERT_TRUE(runLoopUntil([&] { return !delegate.activated.empty(); }));
  runLoop(200);
  EXPECT_EQ(delegate.activated.size(), 1u);
  EXPECT_EQ(delegate.activated[0].first, first.id);

  center.removeDeliveredNotification(server.notified[1].id);
  center.removeDeliveredNotification(server.notified[1].id);  // already gone: no second call
  ASSERT_TRUE(runLoopUntil([&] { return !server.closed.empty(); }));
  runLoop(200);
  EXPECT_EQ(server.closed, std::vector<uint>{server.notified[1].id});
}

// Labels and paths are text: escaped for a service that renders markup in
// the body, sent as they are to one that does not.
TEST_F(NotificationsTest, EscapesTheBodyOnlyForServicesThatRenderMarkup) {
  UserNotification hostile;
  hostile.title = "<b>Tom & Jerry</b> removed complitely.";
  hostile.informativeText = "Spider cleaned <b>2 KB</b> & more > less.";
  for (bool markup : {false, true}) {
    StandInNotificationServer server(desktop_);
    if (markup) server.capabilities << "body-markup";
    DBusNotificationCenter center(QDBusConnection::sessionBus());
    center.deliverNotification(hostile);
    center.deliverNotification(hostile);
    ASSERT_TRUE(runLoopUntil([&] { return server.notified.size() == 2; }));
    for (const NotifyCall& call : server.notified) {
      EXPECT_EQ(call.summary.toStdString(), hostile.title);
      EXPECT_EQ(call.body.toStdString(),
                markup ? "Spider cleaned &lt;b&gt;2 KB&lt;/b&gt; &amp; more &gt; less."
                       : hostile.informativeText);
    }
  }
}

TEST_F(NotificationsTest, WithoutAServiceNothingIsDeliveredAndOneLineIsLogged) {
  DBusNotificationCenter center(QDBusConnection::sessionBus());
  RecordingDelegate delegate;
  center.setDelegate(&delegate);

  // Standard error goes to a file for the length of the test.
  char path[] = "/tmp/spider-stderr-XXXXXX";
  const int capture = mkstemp(path);
  std::fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  dup2(capture, STDERR_FILENO);
  center.deliverNotification({"One", "x", true, {}, std::nullopt, std::nullopt});
  center.deliverNotification({"Two", "x", true, {}, std::nullopt, std::nullopt});
  runLoop(1500);
  std::fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);
  close(capture);
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  unlink(path);

  EXPECT_TRUE(delegate.delivered.empty());
  const std::string logged = text.str();
  EXPECT_NE(logged.find("no notification service"), std::string::npos) << logged;
  EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n'), 1) << logged;
}

TEST_F(NotificationsTest, FileViewerShowsTheLocationsSelected) {
  StandInFileManager viewer(desktop_);
  FreedesktopFileViewer fileViewer;
  fileViewer.reveal({"/home/a b/Prefs.plist", "/tmp/x"});
  ASSERT_TRUE(runLoopUntil([&] { return !viewer.shown.empty(); }));
  EXPECT_EQ(viewer.shown[0], (QStringList{"file:///home/a%20b/Prefs.plist", "file:///tmp/x"}));
}

}  // namespace
}  // namespace vimbrel::spider
