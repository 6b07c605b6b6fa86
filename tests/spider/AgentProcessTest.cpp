#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>

#include "SpiderTestSupport.h"
#include "platform/User.h"
#include "spider/AgentLocks.h"
#include "spider/CleaningJournal.h"

namespace vimbrel::spider {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Several processes raising the count at once lose no increment.
TEST(AgentLocks, RaisesTheCountUnderAnInterProcessLock) {
  TempTree tree;
  const std::string folder = tree.folder("config/vimbrel");
  const std::string lock = folder + "/remove_app_count.lock";
  constexpr int kChildren = 4, kRaises = 25;
  std::vector<pid_t> children;
  for (int i = 0; i < kChildren; ++i) {
    const pid_t child = fork();
    if (child == 0) {
      auto store = openPlistSettingsStore(folder, domains::kAgent);
      for (int k = 0; k < kRaises; ++k) raiseRemoveCount(*store, lock);
      _exit(0);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(openPlistSettingsStore(folder, domains::kAgent)->integer(keys::kRemoveAppCount),
            kChildren * kRaises);
}

// The real agent on a home named for the user running the tests, without a
// session bus.
class AgentProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = tree_.folder("Users/" + userLoginName());
    tree_.folder("Users/" + userLoginName() + "/.Trash");
    tree_.folder("Applications");
    store_->setBlob(keys::kHomeAccess, createGrant(home_));
    store_->setBlob(keys::kApplications, createGrant(tree_.path("Applications")));
  }
  QProcess* start() {
    auto* agent = new QProcess(&owner_);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString config = QString::fromStdString(config_);
    env.insert("XDG_CONFIG_HOME", config);
    env.insert("XDG_RUNTIME_DIR", config);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + config + "/no-bus");
    agent->setProcessEnvironment(env);
    agent->start(VIMBREL_SPIDER_PATH, {});
    agent->waitForStarted();
    return agent;
  }
  void trash(const std::string& name) {
    fs::rename(
        writeBundle(tree_, "staging/" + name + ".app", {"com.example." + name, name, name, {}}),
        home_ + "/.Trash/" + name + ".app");
  }
  std::int64_t count() const { return store_->integer(keys::kRemoveAppCount); }

  TempTree tree_;
  std::string home_;
  std::string config_ = tree_.folder("config");
  std::unique_ptr<SettingsStore> store_ =
      openPlistSettingsStore(config_ + "/vimbrel", domains::kAgent);
  QObject owner_;
};

TEST_F(AgentProcessTest, OneAgentWithoutABusCleansEachApplicationOnce) {
  QProcess* first = start();
  runLoop(1500);
  QProcess* second = start();
  ASSERT_TRUE(second->waitForFinished(10000));
  EXPECT_EQ(second->exitCode(), 1);
  EXPECT_NE(second->readAllStandardError().indexOf("another agent is already running"), -1);
  EXPECT_EQ(first->state(), QProcess::Running);

  constexpr int kApplications = 60;
  for (int i = 0; i < kApplications; ++i) {
    const std::string name = "App" + std::to_string(i);
    tree_.fileOfSize(
        "Users/" + userLoginName() + "/Library/Preferences/com.example." + name + ".plist", 5);
    trash(name);
  }
  EXPECT_TRUE(runLoopUntil([&] { return count() == kApplications; }, 60000)) << count();
  runLoop(1000);
  EXPECT_EQ(count(), kApplications);
  first->terminate();
  first->waitForFinished(10000);
}

// Killed in the middle of a large cleaning, the agent finishes it at its
// next start, from a fresh search.
TEST_F(AgentProcessTest, ACleaningKilledHalfwayIsFinishedAfterARestart) {
  const std::string cache = home_ + "/Library/Caches/com.example.Big";
  for (int i = 0; i < 80000; ++i) {
    if (i % 1000 == 0) fs::create_directories(cache + "/d" + std::to_string(i / 1000));
    std::ofstream(cache + "/d" + std::to_string(i / 1000) + "/f" + std::to_string(i));
  }
  const std::string journal = config_ + "/vimbrel/vimbrel-spider-cleanings";
  QProcess* agent = start();
  runLoop(1500);
  trash("Big");
  // A finished record (not the temporary file it is written through).
  auto recorded = [&] {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(journal, error)) {
      if (entry.path().extension() == ".cleaning") return true;
    }
    return false;
  };
  ASSERT_TRUE(runLoopUntil(recorded, 30000));
  ::kill(static_cast<pid_t>(agent->processId()), SIGKILL);
  agent->waitForFinished(10000);
  if (!fs::exists(cache)) GTEST_SKIP() << "the cleaning ended before the kill";
  ASSERT_TRUE(recorded());
  EXPECT_EQ(count(), 0);

  QProcess* again = start();
  EXPECT_TRUE(runLoopUntil([&] { return !fs::exists(cache) && !recorded(); }, 180000))
      << again->readAllStandardError().toStdString();
  EXPECT_EQ(count(), 1);
  EXPECT_TRUE(fs::exists(home_ + "/.Trash/Big.app/Contents/Info.plist"));
  again->terminate();
  again->waitForFinished(10000);
}

}  // namespace
}  // namespace vimbrel::spider
