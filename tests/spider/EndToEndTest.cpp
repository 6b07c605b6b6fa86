#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <filesystem>

#include "AgentProcess.h"
#include "SpiderTestSupport.h"
#include "StandInDesktop.h"
#include "platform/User.h"
#include "platform/ui/FileViewer.h"
#include "spider/AgentBus.h"
#include "spider/AppDelegate.h"
#include "spider/DBusNotificationCenter.h"

namespace vimbrel::spider {
namespace {

using namespace testing;
namespace fs = std::filesystem;

std::vector<std::string> summaries(const StandInNotificationServer& server) {
  std::vector<std::string> result;
  for (const auto& call : server.notified) result.push_back(call.summary.toStdString());
  return result;
}

class EndToEndTest : public ::testing::Test {
 protected:
  void TearDown() override { QDBusConnection::disconnectFromBus("desktop"); }
  QDBusConnection desktop_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "desktop");
};

// The program on the generated demo home, with the demo's own grants.
TEST_F(EndToEndTest, AgentCleansATrashedDemoApplicationAndLeavesAnInstalledOneAlone) {
  StandInNotificationServer server(desktop_);
  TempTree tree;
  const std::string root = tree.path("demo");
  const std::string login = userLoginName();
  QProcess generate;
  generate.start(VIMBREL_DEMOHOME_PATH,
                 {"--out", QString::fromStdString(root), "--login", QString::fromStdString(login),
                  "--config", QString::fromStdString(tree.path("config"))});
  ASSERT_TRUE(generate.waitForFinished(60000));
  ASSERT_EQ(generate.exitCode(), 0) << generate.readAllStandardError().toStdString();
  const std::string home = root + "/Users/" + login;
  const std::string trash = home + "/.Trash";
  const std::string prefs = home + "/Library/Preferences/com.quillsoft.Notarius.plist";
  const std::string container = home + "/Library/Containers/com.quillsoft.Notarius";
  const std::string toolPrefs = home + "/Library/Preferences/com.example.Tool.plist";
  ASSERT_TRUE(fs::exists(prefs));
  ASSERT_TRUE(fs::exists(toolPrefs));
  auto agentStore = openPlistSettingsStore(tree.path("config") + "/vimbrel", domains::kAgent);

  std::unique_ptr<QProcess> agent(
      vimbrel::testing::startAgent(QString::fromStdString(tree.path("config"))));
  ASSERT_TRUE(runLoopUntil([] {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(AgentBus::kServiceName);
  }));
  runLoop(300);  // the agent has taken its snapshot of the Trash

  fs::rename(root + "/Applications/Notarius.app", trash + "/Notarius.app");
  ASSERT_TRUE(runLoopUntil([&] { return !server.notified.empty(); }, 20000))
      << agent->readAllStandardError().toStdString();
  // The demo's Notarius has look-alike entries the agent leaves for review.
  EXPECT_EQ(summaries(server), std::vector<std::string>{"Notarius partly removed"});
  EXPECT_EQ(server.notified[0].body.toStdString().rfind("Spider cleaned ", 0), 0u);
  EXPECT_EQ(server.notified[0].hints.value("sound-name").toString(), "message-new-instant");
  EXPECT_FALSE(fs::exists(prefs));
  EXPECT_FALSE(fs::exists(container));
  EXPECT_TRUE(fs::exists(trash + "/Notarius.app/Contents/Info.plist"));
  EXPECT_TRUE(fs::exists(toolPrefs));
  EXPECT_TRUE(fs::exists(home + "/Library/Containers"));
  EXPECT_EQ(agentStore->integer(keys::kRemoveAppCount), 1);

  // A copy of an application that is still installed: nothing goes.
  fs::copy(root + "/Applications/Tool.app", trash + "/Tool.app", fs::copy_options::recursive);
  ASSERT_TRUE(runLoopUntil([&] { return server.notified.size() == 2; }, 20000));
  EXPECT_EQ(server.notified[1].summary.toStdString(), "App Tool is still installed.");
  EXPECT_TRUE(fs::exists(toolPrefs));
  EXPECT_EQ(agentStore->integer(keys::kRemoveAppCount), 1);

  // Delivered notifications are withdrawn 7 seconds later.
  ASSERT_TRUE(runLoopUntil([&] { return server.closed.size() == 2; }, 12000));
  EXPECT_EQ(server.closed[0], server.notified[0].id);

  EXPECT_TRUE(AgentBus::askRunningAgentToQuit(QDBusConnection::sessionBus()));
  ASSERT_TRUE(agent->waitForFinished(10000));
  EXPECT_EQ(agent->exitCode(), 0);
}

// The whole chain in one process, on the private bus: a cleaning whose
// deletion fails, the notification's action, and the file viewer.
class AgentOnTheBusTest : public EndToEndTest {
 protected:
  std::unique_ptr<AppDelegate> launch(const FileSystem& fileSystem) {
    auto delegate = std::make_unique<AppDelegate>(
        AgentServices{fileSystem, *t_.agentStore, *t_.sharedStore, center_, viewer_, windows_,
                      "alice", reviews_, t_.config + "/vimbrel"});
    delegate->applicationDidFinishLaunching();
    return delegate;
  }
  void trash(const std::string& name, const BundleInfo& info) {
    fs::rename(writeBundle(t_.tree, "staging/" + name, info), t_.inHome(".Trash/" + name));
  }

  AgentTree t_;
  StandInNotificationServer server_{desktop_};
  StandInFileManager files_{desktop_};
  DBusNotificationCenter center_{QDBusConnection::sessionBus()};
  FreedesktopFileViewer viewer_;
  RecordingWindows windows_;
  RecordingReviewOpener reviews_;
  PosixFileSystem posix_;
};

TEST_F(AgentOnTheBusTest, FailedDeletionOffersExactlyTheSurvivorsAndItsActionShowsThem) {
  const std::string stuck =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Tool.plist", 10);
  const std::string cache =
      t_.tree.fileOfSize("Users/alice/Library/Caches/com.example.Tool/db", 10);
  FailingRemovals failing(posix_);
  failing.failing.insert(stuck);
  auto delegate = launch(failing);
  trash("Tool.app", toolInfo());
  ASSERT_TRUE(runLoopUntil([&] { return server_.notified.size() == 2; }, 15000));

  EXPECT_EQ(summaries(server_),
            (std::vector<std::string>{"File can\u2019t be removed.", "Tool removed completely."}));
  EXPECT_EQ(server_.notified[0].actions, (QStringList{"default", "Show in Files"}));
  EXPECT_FALSE(fs::exists(t_.inHome("Library/Caches/com.example.Tool")));
  EXPECT_EQ(delegate->workflow().remainder_urls(), std::vector<std::string>{stuck});

  server_.invokeAction(server_.notified[0].id, "default");
  ASSERT_TRUE(runLoopUntil([&] { return !files_.shown.empty(); }));
  EXPECT_EQ(files_.shown[0], QStringList{"file://" + QString::fromStdString(stuck)});
}

// What the agent leaves is named in a notification whose action, clicked on
// the notification service, opens Vimbrel's review of the trashed bundle.
TEST_F(AgentOnTheBusTest, PartlyRemovedNotificationOpensTheReviewOfTheBundle) {
  server_.capabilities << "body-markup";
  const std::string prefs =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Notes.plist", 10);
  const std::string meeting = t_.tree.fileOfSize("Users/alice/Desktop/Meeting Notes <1>/a", 10);
  auto delegate = launch(posix_);
  trash("Notes.app", {"com.example.Notes", "Notes", "Notes", {}});
  ASSERT_TRUE(runLoopUntil([&] { return !server_.notified.empty(); }, 15000));
  runLoop(300);

  EXPECT_FALSE(fs::exists(prefs));
  EXPECT_TRUE(fs::exists(meeting));
  ASSERT_EQ(summaries(server_), std::vector<std::string>{"Notes partly removed"});
  const NotifyCall& told = server_.notified[0];
  EXPECT_EQ(told.actions, (QStringList{"default", "Review"}));
  EXPECT_NE(told.body.indexOf("1 item may still belong to Notes"), -1) << told.body.toStdString();

  server_.invokeAction(told.id, "default");
  ASSERT_TRUE(runLoopUntil([&] { return !reviews_.opened.empty(); }));
  EXPECT_EQ(reviews_.opened, std::vector<std::string>{t_.inHome(".Trash/Notes.app")});
  EXPECT_TRUE(files_.shown.empty());
}

TEST_F(AgentOnTheBusTest, TenthCleaningAsksForARatingAndDisabledNotificationsStayQuiet) {
  t_.agentStore->setInteger(keys::kRemoveAppCount, 9);
  t_.sharedStore->setInteger(keys::kDisableNotification, 1);
  auto delegate = launch(posix_);
  trash("Tool.app", toolInfo());
  runLoopUntil([&] { return delegate->cleaningsStarted() == 1; });
  delegate->waitForCleanings();
  runLoop(1000);
  EXPECT_TRUE(server_.notified.empty()) << "outcome notifications are switched off";
  EXPECT_EQ(t_.agentStore->integer(keys::kRemoveAppCount), 10);
  EXPECT_EQ(windows_.likeApp, 0) << "the rating comes with a delivered notification";

  t_.sharedStore->setInteger(keys::kDisableNotification, 0);
  t_.agentStore->setInteger(keys::kRemoveAppCount, 19);
  trash("Notes.app", {"com.example.Notes", "Notes", "Notes", {}});
  ASSERT_TRUE(runLoopUntil([&] { return !server_.notified.empty(); }, 15000));
  runLoop(300);
  EXPECT_EQ(summaries(server_), std::vector<std::string>{"App Notes is clean."});
  EXPECT_EQ(server_.notified[0].body.toStdString(), "Notes don't have support files.");
  EXPECT_EQ(windows_.likeApp, 1);
}

}  // namespace
}  // namespace vimbrel::spider
