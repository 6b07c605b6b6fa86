#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "SpiderTestSupport.h"
#include "spider/SApplication.h"

namespace vimbrel::spider {
namespace {

using namespace testing;
namespace fs = std::filesystem;

class CleanerTest : public ::testing::Test {
 protected:
  SApplicationItem::Outcome clean(const std::string& bundle, const FileSystem& fileSystem) {
    CleanerServices services{fileSystem, *t_.agentStore, *t_.sharedStore, center_, workflow_,
                             "",         nullptr,        beforeDeleting_};
    item_ = SApplication(fileSystem, *t_.agentStore).application(bundle);
    return item_.spider_files_wrapper(services);
  }
  SApplicationItem::Outcome clean(const std::string& bundle) { return clean(bundle, posix_); }
  std::int64_t count() const { return t_.agentStore->integer(keys::kRemoveAppCount); }

  AgentTree t_;
  PosixFileSystem posix_;
  RecordingNotificationCenter center_;
  WorkflowState workflow_;
  SApplicationItem item_;
  std::function<void()> beforeDeleting_;
};

TEST_F(CleanerTest, RemovesEveryRemainderKeepsTheBundleAndDistractorsAndCountsOnce) {
  const std::string bundle = t_.trashed("Tool.app", toolInfo());
  const std::string prefs =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Tool.plist", 400);
  const std::string prefs2 = t_.tree.fileOfSize(
      "Users/alice/Library/Preferences/com.example.Tool.LSSharedFileList.plist", 100);
  const std::string cache =
      t_.tree.fileOfSize("Users/alice/Library/Caches/com.example.Tool/db", 1500);
  const std::string other =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.other.Editor.plist", 10);
  const std::string otherCache =
      t_.tree.fileOfSize("Users/alice/Library/Caches/com.other.Editor/db", 10);
  t_.agentStore->setInteger(keys::kRemoveAppCount, 4);

  EXPECT_EQ(clean(bundle), SApplicationItem::Outcome::Cleaned);

  EXPECT_FALSE(fs::exists(prefs));
  EXPECT_FALSE(fs::exists(prefs2));
  EXPECT_FALSE(fs::exists(t_.inHome("Library/Caches/com.example.Tool")));
  EXPECT_TRUE(fs::exists(bundle + "/Contents/Info.plist")) << "the trashed bundle stays";
  EXPECT_TRUE(fs::exists(other));
  EXPECT_TRUE(fs::exists(otherCache));
  EXPECT_TRUE(fs::exists(t_.inHome("Library/Caches"))) << "a searched folder is never deleted";
  EXPECT_EQ(count(), 5);
  // The bundle does not head the agent's list.
  for (const auto& entry : item_.files) EXPECT_NE(entry.text(), bundle);
  ASSERT_EQ(center_.delivered().size(), 1u);
  EXPECT_EQ(center_.delivered()[0].title, "Tool removed completely.");
  // The cache folder counts its contents and the files their own sizes.
  EXPECT_EQ(center_.delivered()[0].informativeText, "Spider cleaned 2 KB.");
  EXPECT_FALSE(center_.delivered()[0].actionButtonTitle);
  EXPECT_TRUE(center_.delivered()[0].defaultSound);
  EXPECT_TRUE(workflow_.remainder_urls().empty());
}

TEST_F(CleanerTest, NothingFoundStillCountsAndSaysTheApplicationIsClean) {
  const std::string bundle = t_.trashed("Tool.app", toolInfo());
  clean(bundle);
  EXPECT_EQ(count(), 1);
  ASSERT_EQ(center_.delivered().size(), 1u);
  EXPECT_EQ(center_.delivered()[0].title, "App Tool is clean.");
  EXPECT_EQ(center_.delivered()[0].informativeText, "Tool don't have support files.");
}

TEST_F(CleanerTest, ReportsExactlyTheEntriesThatSurviveTheirDeletion) {
  const std::string bundle = t_.trashed("Tool.app", toolInfo());
  const std::string stuck =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Tool.plist", 10);
  const std::string cache =
      t_.tree.fileOfSize("Users/alice/Library/Caches/com.example.Tool/db", 10);
  const std::string log = t_.tree.fileOfSize("Users/alice/Library/Logs/Tool/run.log", 10);
  FailingRemovals failing(posix_);
  failing.failing.insert(stuck);

  clean(bundle, failing);

  // The deletion failed first, yet the later entries went and the headers
  // are not files: only the survivor is reported.
  EXPECT_FALSE(fs::exists(t_.inHome("Library/Caches/com.example.Tool")));
  EXPECT_FALSE(fs::exists(t_.inHome("Library/Logs/Tool")));
  EXPECT_EQ(workflow_.remainder_urls(), std::vector<std::string>{stuck});
  const auto titles = center_.titles();
  ASSERT_EQ(titles.size(), 2u);
  EXPECT_EQ(titles[0], "File can\u2019t be removed.");
  EXPECT_EQ(center_.delivered()[0].informativeText,
            "Required root privileges.Show files in finder to remove manually.");
  EXPECT_EQ(center_.delivered()[0].actionButtonTitle, "Show in Files");
  EXPECT_EQ(titles[1], "Tool removed completely.");
}

TEST_F(CleanerTest, DisabledNotificationsLeaveOnlyTheCannotRemoveOne) {
  const std::string bundle = t_.trashed("Tool.app", toolInfo());
  const std::string stuck =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Tool.plist", 10);
  t_.sharedStore->setInteger(keys::kDisableNotification, 1);
  FailingRemovals failing(posix_);
  failing.failing.insert(stuck);
  clean(bundle, failing);
  EXPECT_EQ(center_.titles(), std::vector<std::string>{"File can\u2019t be removed."});
  EXPECT_EQ(count(), 1);

  // Without failures nothing is said at all.
  center_.clear();
  clean(t_.trashed("Other.app", {"com.example.Other", "Other", "Other", std::nullopt}));
  EXPECT_TRUE(center_.delivered().empty());
  EXPECT_EQ(count(), 2);
}

TEST_F(CleanerTest, IdentifierWithoutADotIsItsOwnCompany) {
  const std::string bundle =
      t_.trashed("Dotless.app", {"dotless", "Dotless", "Dotless", std::nullopt});
  const std::string prefs = t_.tree.fileOfSize("Users/alice/Library/Preferences/dotless.plist", 10);
  clean(bundle);
  EXPECT_EQ(item_.company_name, "dotless");
  EXPECT_FALSE(fs::exists(prefs));
  EXPECT_EQ(count(), 1);
}

TEST_F(CleanerTest, StillInstalledCopyKeepsEverythingAndSaysSo) {
  const std::string prefs =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Tool.plist", 10);
  const std::string bundle = t_.trashed("Tool.app", toolInfo());
  // Copies in the places an installed application can be, at the catalog's depths.
  for (const std::string copy :
       {"Applications/Tool.app", "Applications/Vendor/Suite/Tool 2.app",
        "Applications/Utilities/A/B/Tool.app", "Users/alice/Applications/Tool.app"}) {
    SCOPED_TRACE(copy);
    const std::string installed =
        writeBundle(t_.tree, copy, {"COM.example.tool", "Tool", "Tool", {}});
    center_.clear();
    EXPECT_EQ(clean(bundle), SApplicationItem::Outcome::StillInstalled);
    EXPECT_EQ(item_.installedCopy(), installed);
    EXPECT_TRUE(fs::exists(prefs));
    EXPECT_EQ(count(), 0);
    ASSERT_EQ(center_.titles(), std::vector<std::string>{"App Tool is still installed."});
    fs::remove_all(t_.tree.path(copy));
  }
  // Deeper than the catalog looks is installed all the same; without a copy
  // the cleaning runs.
  const std::string deep = writeBundle(t_.tree, "Applications/A/B/C/Tool.app", toolInfo());
  EXPECT_EQ(clean(bundle), SApplicationItem::Outcome::StillInstalled);
  fs::remove_all(deep);
  EXPECT_EQ(clean(bundle), SApplicationItem::Outcome::Cleaned);
  EXPECT_FALSE(fs::exists(prefs));
}

TEST_F(CleanerTest, StillInstalledOnTheGrantedVolume) {
  const std::string bundle = t_.trashed("Tool.app", toolInfo());
  writeBundle(t_.tree, "Volume/Applications/Tool.app", toolInfo());
  t_.agentStore->setBlob(keys::kMacOS, createGrant(t_.tree.path("Volume")));
  t_.agentStore->setInteger(keys::kAllowAny, 1);
  EXPECT_EQ(clean(bundle), SApplicationItem::Outcome::StillInstalled);
}

TEST_F(CleanerTest, OverlappingCleaningsEachCount) {
  std::vector<std::string> bundles;
  for (int i = 0; i < 8; ++i) {
    const std::string name = "App" + std::to_string(i);
    bundles.push_back(t_.trashed(name + ".app", {"com.example." + name, name, name, {}}));
  }
  std::vector<std::thread> threads;
  for (const std::string& bundle : bundles) {
    threads.emplace_back([&, bundle] {
      CleanerServices services{
          posix_, *t_.agentStore, *t_.sharedStore, center_, workflow_, "", nullptr, {}};
      SApplication(posix_, *t_.agentStore).application(bundle).spider_files_wrapper(services);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(count(), 8);
  EXPECT_EQ(center_.delivered().size(), 8u);
}

}  // namespace
}  // namespace vimbrel::spider

namespace vimbrel::spider {
namespace {

TEST_F(CleanerTest, EntriesOfAnotherInstalledApplicationAreKeptAndNotReported) {
  const std::string bundle = t_.trashed("Tool.app", testing::toolInfo());
  writeBundle(t_.tree, "Applications/Tool Pro.app",
              {"com.example.ToolPro", "Tool Pro", "Tool Pro", {}});
  const std::string own =
      t_.tree.fileOfSize("Users/alice/Library/Application Support/Tool/data", 3000);
  const std::string pro =
      t_.tree.fileOfSize("Users/alice/Library/Application Support/Tool Pro/data", 5000);

  clean(bundle);

  EXPECT_FALSE(fs::exists(own));
  EXPECT_TRUE(fs::exists(pro)) << "Tool Pro is still installed and owns this";
  EXPECT_TRUE(workflow_.remainder_urls().empty());
  ASSERT_EQ(center_.titles(), std::vector<std::string>{"Tool removed completely."});
  // Only what was freed is counted.
  EXPECT_EQ(center_.delivered()[0].informativeText, "Spider cleaned 3 KB.");
  EXPECT_EQ(count(), 1);
}

}  // namespace
}  // namespace vimbrel::spider
