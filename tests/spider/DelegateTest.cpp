#include <gtest/gtest.h>

#include <filesystem>

#include "SpiderTestSupport.h"
#include "spider/AppDelegate.h"

namespace vimbrel::spider {
namespace {

using namespace testing;
namespace fs = std::filesystem;

class DelegateTest : public ::testing::Test {
 protected:
  std::unique_ptr<AppDelegate> launch() {
    auto delegate = std::make_unique<AppDelegate>(
        AgentServices{posix_, *t_.agentStore, *t_.sharedStore, center_, viewer_, windows_, "alice",
                      reviews_, t_.config + "/vimbrel"});
    delegate->applicationDidFinishLaunching();
    return delegate;
  }
  // Moves a bundle written beside the Trash into it in one rename, as a
  // file viewer does.
  void moveToTrash(const std::string& name, const BundleInfo& info) {
    const std::string staged = writeBundle(t_.tree, "staging/" + name, info);
    fs::rename(staged, t_.inHome(".Trash/" + name));
  }
  // Waits for the Trash to settle and the cleanings it started to finish.
  void settle(AppDelegate& delegate, int expectedCleanings) {
    runLoopUntil([&] { return delegate.cleaningsStarted() >= expectedCleanings; }, 10000);
    runLoop(1500);
    delegate.waitForCleanings();
  }
  std::int64_t count() const { return t_.agentStore->integer(keys::kRemoveAppCount); }

  AgentTree t_;
  PosixFileSystem posix_;
  RecordingNotificationCenter center_;
  RecordingFileViewer viewer_;
  RecordingWindows windows_;
  RecordingReviewOpener reviews_;
};

TEST_F(DelegateTest, WatchesOnlyWithValidHomeAndApplicationsGrants) {
  {
    auto delegate = launch();
    EXPECT_TRUE(delegate->isWatching());
    EXPECT_EQ(delegate->trashPath(), t_.inHome(".Trash"));
    EXPECT_EQ(windows_.sandbox, 0);
    EXPECT_EQ(center_.delegate_, delegate.get());
  }
  // Without the Applications grant the agent cannot tell a put-away copy
  // from an uninstalled application: it asks instead of watching.
  t_.agentStore->setBlob(keys::kApplications, createGrant(t_.tree.folder("Elsewhere")));
  EXPECT_FALSE(launch()->isWatching());
  EXPECT_EQ(windows_.sandbox, 1);
  // A home grant for another folder than the user's home.
  t_.agentStore->setBlob(keys::kApplications, createGrant(t_.tree.path("Applications")));
  t_.agentStore->setBlob(keys::kHomeAccess, createGrant(t_.tree.folder("Users/bob")));
  EXPECT_FALSE(launch()->isWatching());
  EXPECT_EQ(windows_.sandbox, 2);
}

TEST_F(DelegateTest, CleansArrivedApplicationsOnlyOncePerArrival) {
  // Already in the Trash at start: never cleaned.
  t_.trashed("Old.app", {"com.example.Old", "Old", "Old", {}});
  const std::string oldPrefs =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Old.plist", 5);
  auto delegate = launch();

  // Two applications in one move.
  const std::string toolPrefs =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Tool.plist", 5);
  const std::string notePrefs =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Notes.plist", 5);
  writeBundle(t_.tree, "staging/batch/Tool.app", toolInfo());
  writeBundle(t_.tree, "staging/batch/Notes.app", {"com.example.Notes", "Notes", "Notes", {}});
  fs::rename(t_.tree.path("staging/batch/Tool.app"), t_.inHome(".Trash/Tool.app"));
  fs::rename(t_.tree.path("staging/batch/Notes.app"), t_.inHome(".Trash/Notes.app"));
  settle(*delegate, 2);
  EXPECT_EQ(delegate->cleaningsStarted(), 2);
  EXPECT_EQ(count(), 2);
  EXPECT_FALSE(fs::exists(toolPrefs));
  EXPECT_FALSE(fs::exists(notePrefs));
  EXPECT_TRUE(fs::exists(t_.inHome(".Trash/Tool.app")));

  // A document, an upper-case extension, an application leaving the Trash,
  // and a change to the old one: nothing is cleaned.
  const std::string upperPrefs =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Upper.plist", 5);
  t_.tree.file("Users/alice/.Trash/Report.pdf", "%PDF");
  moveToTrash("Upper.APP", {"com.example.Upper", "Upper", "Upper", {}});
  fs::remove_all(t_.inHome(".Trash/Notes.app"));
  t_.tree.file("Users/alice/.Trash/Old.app/Contents/new", "x");
  fs::rename(t_.inHome(".Trash/Old.app"), t_.inHome(".Trash/Old moved.bundle"));
  runLoop(2500);
  delegate->waitForCleanings();
  EXPECT_EQ(delegate->cleaningsStarted(), 2);
  EXPECT_TRUE(fs::exists(upperPrefs));
  EXPECT_TRUE(fs::exists(oldPrefs));

  // Emptying the Trash, then trashing the same application again: it is new.
  fs::remove_all(t_.inHome(".Trash/Tool.app"));
  fs::remove_all(t_.inHome(".Trash/Report.pdf"));
  runLoop(2000);
  moveToTrash("Tool.app", toolInfo());
  settle(*delegate, 3);
  EXPECT_EQ(delegate->cleaningsStarted(), 3);
  EXPECT_EQ(count(), 3);
}

TEST_F(DelegateTest, RatingWindowAtEveryTenthCleaningUntilAnswered) {
  auto delegate = launch();
  const UserNotification any;
  t_.agentStore->setInteger(keys::kRemoveAppCount, 0);
  delegate->didDeliverNotification(1, any);
  EXPECT_EQ(windows_.likeApp, 0) << "nothing cleaned yet";
  t_.agentStore->setInteger(keys::kRemoveAppCount, 19);
  delegate->didDeliverNotification(2, any);
  EXPECT_EQ(windows_.likeApp, 0);
  t_.agentStore->setInteger(keys::kRemoveAppCount, 20);
  delegate->didDeliverNotification(3, any);
  EXPECT_EQ(windows_.likeApp, 1);
  t_.agentStore->setInteger(keys::kAppIsRate, 1);
  t_.agentStore->setInteger(keys::kRemoveAppCount, 30);
  delegate->didDeliverNotification(4, any);
  EXPECT_EQ(windows_.likeApp, 1);
}

TEST_F(DelegateTest, WithdrawsDeliveredNotificationsAfterSevenSecondsUnlessKept) {
  auto delegate = launch();
  delegate->didDeliverNotification(7, {});
  t_.sharedStore->setInteger(keys::kDisabelRemoveNotification, 1);
  delegate->didDeliverNotification(8, {});
  runLoop(5000);
  EXPECT_TRUE(center_.removed.empty());
  ASSERT_TRUE(runLoopUntil([&] { return !center_.removed.empty(); }, 5000));
  runLoop(500);
  EXPECT_EQ(center_.removed, std::vector<NotificationId>{7});
}

TEST_F(DelegateTest, ActivationRevealsWhatCouldNotBeRemoved) {
  auto delegate = launch();
  delegate->didActivateNotification(1, {});
  EXPECT_TRUE(viewer_.revealed.empty()) << "nothing to show";
  delegate->workflow().set_remainder_urls({"/a", "/b"});
  delegate->didActivateNotification(1, {});
  ASSERT_EQ(viewer_.revealed.size(), 1u);
  EXPECT_EQ(viewer_.revealed[0], (std::vector<std::string>{"/a", "/b"}));
  delegate->showWholeVolumeWindow();
  EXPECT_EQ(windows_.optional, 1);
}

}  // namespace
}  // namespace vimbrel::spider
