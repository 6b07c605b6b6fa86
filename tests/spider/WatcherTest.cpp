#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "TempTree.h"
#include "spider/TarnDirectoryWatcher.h"

namespace vimbrel::spider {
namespace {

using Clock = std::chrono::steady_clock;
using testing::TempTree;

// Runs the main loop for `milliseconds`, so that posted callbacks arrive.
void runLoop(int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool runLoopUntil(const std::function<bool()>& condition, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

class WatcherTest : public ::testing::Test {
 protected:
  std::unique_ptr<TarnDirectoryWatcher> watch() {
    return TarnDirectoryWatcher::directoryWatcherAtPath(folder_, [this] {
      EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
      calls_.push_back(Clock::now());
    });
  }

  TempTree tree_;
  std::string folder_ = tree_.folder("Trash");
  std::vector<Clock::time_point> calls_;
};

TEST_F(WatcherTest, OneCallbackPerBurstOnTheMainThreadAndNoChecksWhileQuiet) {
  auto watcher = watch();
  ASSERT_TRUE(watcher);
  runLoop(500);
  EXPECT_EQ(watcher->checksRun(), 0u) << "a quiet folder is never checked";

  // A burst: several entries written one after another.
  const auto burst = Clock::now();
  for (int i = 0; i < 5; ++i) tree_.file("Trash/file" + std::to_string(i), "x");
  ASSERT_TRUE(runLoopUntil([&] { return !calls_.empty(); }, 10000));
  runLoop(1500);
  ASSERT_EQ(calls_.size(), 1u);
  // Six quiet checks 0.2 s apart come before the callback.
  EXPECT_GE(calls_[0] - burst, std::chrono::milliseconds(1150));
  EXPECT_GE(watcher->checksRun(), 6u);
  EXPECT_FALSE(watcher->isDirectoryChanging());

  const auto checks = watcher->checksRun();
  runLoop(1000);
  EXPECT_EQ(watcher->checksRun(), checks) << "settled: no more checks";

  // The next change starts a new cycle.
  tree_.file("Trash/later", "y");
  ASSERT_TRUE(runLoopUntil([&] { return calls_.size() == 2; }, 10000));
}

TEST_F(WatcherTest, GrowthWithoutEventsRestartsTheCount) {
  auto watcher = watch();
  ASSERT_TRUE(watcher);
  const std::string file = tree_.file("Trash/growing", "");
  std::atomic<bool> done{false};
  Clock::time_point grownUntil;
  std::thread writer([&] {
    FILE* out = std::fopen(file.c_str(), "a");
    for (int i = 0; i < 20; ++i) {  // 2 seconds of growth, 0.1 s apart
      std::fputs("more", out);
      std::fflush(out);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::fclose(out);
    grownUntil = Clock::now();
    done = true;
  });
  runLoopUntil([&] { return done.load(); }, 20000);
  writer.join();
  EXPECT_TRUE(calls_.empty()) << "no callback while the file still grows";
  ASSERT_TRUE(runLoopUntil([&] { return !calls_.empty(); }, 10000));
  runLoop(1000);
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_GE(calls_[0] - grownUntil, std::chrono::milliseconds(950));
}

TEST_F(WatcherTest, RenameDuringSettlingRestartsTheCount) {
  const std::string from = tree_.file("Trash/a", "same size");
  auto watcher = watch();
  ASSERT_TRUE(watcher);
  tree_.file("Trash/b", "new");
  runLoop(600);
  ASSERT_TRUE(calls_.empty());
  const auto renamed = Clock::now();
  std::filesystem::rename(from, tree_.path("Trash/c"));
  ASSERT_TRUE(runLoopUntil([&] { return !calls_.empty(); }, 10000));
  runLoop(1000);
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_GE(calls_[0] - renamed, std::chrono::milliseconds(950));
}

TEST_F(WatcherTest, ChangeInsideASubfolderRaisesNothing) {
  tree_.folder("Trash/Tool.app/Contents");
  auto watcher = watch();
  ASSERT_TRUE(watcher);
  tree_.file("Trash/Tool.app/Contents/Info.plist", "<plist/>");
  tree_.file("Trash/Tool.app/Contents/more", "data");
  runLoop(2000);
  EXPECT_TRUE(calls_.empty());
  EXPECT_EQ(watcher->checksRun(), 0u);
}

TEST_F(WatcherTest, StartAndStopReportWhetherTheyChangedAnything) {
  TarnDirectoryWatcher watcher(folder_);
  watcher.setCallback([this] { calls_.push_back(Clock::now()); });
  EXPECT_FALSE(watcher.stopWatching()) << "not watching yet";
  EXPECT_TRUE(watcher.startWatching());
  EXPECT_FALSE(watcher.startWatching()) << "already watching";
  // The first source is still the one in use.
  tree_.file("Trash/x", "1");
  ASSERT_TRUE(runLoopUntil([&] { return calls_.size() == 1; }, 10000));
  EXPECT_TRUE(watcher.stopWatching());
  EXPECT_FALSE(watcher.stopWatching());
  tree_.file("Trash/y", "1");
  runLoop(1800);
  EXPECT_EQ(calls_.size(), 1u) << "stopped: changes raise nothing";
}

TEST_F(WatcherTest, MissingFolderOrAFileGivesNoWatcher) {
  EXPECT_FALSE(TarnDirectoryWatcher::directoryWatcherAtPath(tree_.path("missing"), [] {}));
  EXPECT_FALSE(TarnDirectoryWatcher::directoryWatcherAtPath(tree_.file("plain", "x"), [] {}));
  // Not started: a watcher to start later.
  EXPECT_TRUE(TarnDirectoryWatcher::directoryWatcherAtPath(tree_.path("missing"), false, [] {}));
}

TEST_F(WatcherTest, DestroyedWhileSettlingNeverCallsBack) {
  auto watcher = watch();
  ASSERT_TRUE(watcher);
  tree_.file("Trash/x", "1");
  runLoop(300);
  watcher.reset();
  runLoop(1800);
  EXPECT_TRUE(calls_.empty());
}

TEST(WatcherSnapshotTest, NamesWithOwnSizesInListingOrder) {
  TempTree tree;
  tree.fileOfSize("Trash/Notes.txt", 120);
  tree.file("Trash/Tool.app/Contents/big", std::string(5000, 'x'));
  auto snapshot = TarnDirectoryWatcher::directoryMetadata(tree.path("Trash"));
  ASSERT_EQ(snapshot.size(), 2u);
  EXPECT_NE(std::find(snapshot.begin(), snapshot.end(), "Notes.txt120"), snapshot.end());
  // A folder counts its own entry's size, not its contents.
  const auto folder = std::find_if(snapshot.begin(), snapshot.end(), [](const std::string& s) {
    return s.rfind("Tool.app", 0) == 0;
  });
  ASSERT_NE(folder, snapshot.end());
  EXPECT_NE(*folder, "Tool.app5000");
  EXPECT_TRUE(TarnDirectoryWatcher::directoryMetadata(tree.path("missing")).empty());
}

}  // namespace
}  // namespace vimbrel::spider
