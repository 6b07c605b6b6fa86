#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "SpiderTestSupport.h"
#include "spider/SApplication.h"

namespace vimbrel::spider {
namespace {

using namespace testing;
namespace fs = std::filesystem;
using Outcome = SApplicationItem::Outcome;

class CertainCleaningTest : public ::testing::Test {
 protected:
  Outcome clean(const std::string& bundle, std::optional<FileIdentity> arrived = std::nullopt) {
    CleanerServices services{posix_, *t_.agentStore, *t_.sharedStore, center_, workflow_,
                             "",     nullptr,        beforeDeleting_};
    item_ = SApplication(posix_, *t_.agentStore).application(bundle);
    return item_.spider_files_wrapper(services, arrived);
  }
  std::string file(const std::string& relative) const {
    return t_.tree.fileOfSize("Users/alice/" + relative, 100);
  }
  std::int64_t count() const { return t_.agentStore->integer(keys::kRemoveAppCount); }

  AgentTree t_;
  PosixFileSystem posix_;
  RecordingNotificationCenter center_;
  WorkflowState workflow_;
  SApplicationItem item_;
  std::function<void()> beforeDeleting_;
};

const BundleInfo kNotes{"com.example.Notes", "Notes", "Notes", std::nullopt};

// A Notes application without much of its own, among documents and another
// program's folders whose names contain "Notes": only the certain entries go,
// the user's documents and the look-alikes stay and are named for review.
TEST_F(CertainCleaningTest, DeletesOnlyWhatIsCertainlyTheApplicationsAndNamesTheRest) {
  const std::string bundle = t_.trashed("Notes.app", kNotes);
  const std::vector<std::string> certain = {
      file("Library/Preferences/com.example.Notes.plist"),
      file("Library/Preferences/com.example.Notes-backup.plist"),
      file("Library/Caches/com.example.Notes/db"),
      file("Library/Application Support/Notes/store.db"),
      file("Library/Group Containers/group.com.example.Notes/x"),
      file("Library/Logs/Notes/run.log"),
  };
  const std::vector<std::string> kept = {
      file("Desktop/Meeting Notes/agenda.txt"),
      file("Desktop/Notes from Paris/day1.txt"),
      file("Desktop/Notes todo"),
      file("Desktop/Notes"),
      file("Documents/Notes/letter.txt"),
      file("Library/Application Support/Notesnook/notes.db"),
      file("Library/Preferences/com.example.NotesSync.plist"),
      file("Library/Logs/Notes Exporter.log"),
  };
  // Links on the Desktop: to where the bundle was installed (now dangling),
  // to the trashed bundle itself, and to another copy that still exists.
  const std::string dangling =
      t_.tree.symlink("Users/alice/Desktop/Notes.app", t_.tree.path("Applications/Notes.app"));
  const std::string toTrash = t_.tree.symlink("Users/alice/Desktop/Notes shortcut", bundle);
  const std::string other = writeBundle(t_.tree, "Elsewhere/Notes.app", kNotes);
  const std::string toOther = t_.tree.symlink("Users/alice/Desktop/Old Notes.app", other);

  EXPECT_EQ(clean(bundle), Outcome::Cleaned);

  for (const std::string& path : certain) EXPECT_FALSE(fs::exists(path)) << path;
  for (const std::string& path : kept) EXPECT_TRUE(fs::exists(path)) << path;
  EXPECT_FALSE(fs::is_symlink(dangling));
  EXPECT_FALSE(fs::is_symlink(toTrash));
  EXPECT_TRUE(fs::is_symlink(toOther));
  EXPECT_TRUE(fs::exists(other + "/Contents/Info.plist"));
  EXPECT_TRUE(fs::exists(bundle + "/Contents/Info.plist"));
  EXPECT_EQ(count(), 1);

  // Every entry left was named; the user's own Documents are never searched.
  const auto& left = item_.leftForReview();
  for (const char* name :
       {"Desktop/Meeting Notes", "Desktop/Notes from Paris", "Desktop/Notes todo",
        "Library/Application Support/Notesnook", "Library/Logs/Notes Exporter.log"}) {
    EXPECT_NE(std::find(left.begin(), left.end(), t_.inHome(name)), left.end()) << name;
  }
  ASSERT_EQ(center_.delivered().size(), 1u);
  const UserNotification told = center_.delivered()[0];
  EXPECT_EQ(told.title, "Notes partly removed");
  EXPECT_NE(
      told.informativeText.find(std::to_string(left.size()) + " items may still belong to Notes"),
      std::string::npos)
      << told.informativeText;
  EXPECT_EQ(told.actionButtonTitle, "Review");
  EXPECT_EQ(told.reviewBundle, bundle);
}

// Installed copies anywhere an application may be kept stop the cleaning;
// so does a copy whose identifier cannot be read, with the trashed
// bundle's folder name or executable.
TEST_F(CertainCleaningTest, ACopyInstalledAnywhereOrUnreadableStopsTheCleaning) {
  const BundleInfo tool = toolInfo();
  struct Case {
    std::string copy;
    std::string infoPlist;  // empty: a proper one
    std::string says;
  };
  const std::vector<Case> cases = {
      {"Applications/A/B/C/Tool.app", "", "still installed"},
      {"Applications/Utilities/Deep/Deeper/Deepest/Tool.app", "", "still installed"},
      {"Users/alice/Applications/A/B/C/Tool.app", "", "still installed"},
      {"Users/alice/Desktop/Tool.app", "", "still installed"},
      {"Users/alice/Archive/Old/Renamed.app", "", "still installed"},
      {"Applications/Tool.app", "<?xml version=\"1.0\"?><plist><dict><key>CFBund", "Cannot tell"},
      {"Applications/Tool.app", "-", "Cannot tell"},
      {"Applications/Tool Renamed.app", "-", "Cannot tell"},  // same executable
  };
  const std::string bundle = t_.trashed("Tool.app", tool);
  const std::string prefs = file("Library/Preferences/com.example.Tool.plist");
  for (const Case& c : cases) {
    center_.clear();
    const std::string copy = writeBundle(t_.tree, c.copy, tool);
    if (!c.infoPlist.empty()) {
      t_.tree.file(fs::relative(copy, t_.tree.root()).string() + "/Contents/Info.plist",
                   c.infoPlist == "-" ? "" : c.infoPlist);
    }
    EXPECT_EQ(clean(bundle), Outcome::StillInstalled) << c.copy;
    EXPECT_EQ(item_.installedCopy(), copy);
    EXPECT_TRUE(fs::exists(prefs)) << c.copy;
    ASSERT_EQ(center_.delivered().size(), 1u);
    EXPECT_NE(center_.delivered()[0].title.find(c.says), std::string::npos)
        << center_.delivered()[0].title;
    fs::remove_all(copy);
  }
  EXPECT_EQ(count(), 0);
  // A copy three folders below a folder of the home is too deep to count as
  // kept there.
  writeBundle(t_.tree, "Users/alice/Archive/Old/Legacy/Tool.app", tool);
  EXPECT_EQ(clean(bundle), Outcome::Cleaned);
  EXPECT_FALSE(fs::exists(prefs));
}

TEST_F(CertainCleaningTest, ABundleWithoutAReadableIdentifierIsNeverCleaned) {
  const std::string bundle = t_.trashed("Tool.app", {std::nullopt, "Tool", "Tool", std::nullopt});
  const std::string support = file("Library/Application Support/Tool/data");
  EXPECT_EQ(clean(bundle), Outcome::NotCleaned);
  EXPECT_TRUE(fs::exists(support));
  EXPECT_EQ(count(), 0);
  ASSERT_EQ(center_.titles(), std::vector<std::string>{"Tool was not cleaned."});
}

// Right before deleting, the bundle must still be the one in the Trash and
// no copy may have been installed: put back, replaced, or installed again in
// the meantime, nothing is deleted or counted.
TEST_F(CertainCleaningTest, ChecksAgainRightBeforeDeleting) {
  struct Case {
    const char* what;
    std::function<void(const std::string& bundle)> meanwhile;
    Outcome outcome;
  };
  const std::vector<Case> cases = {
      {"put back",
       [&](const std::string& bundle) {
         fs::rename(bundle, t_.tree.path("Applications/Tool.app"));
       },
       Outcome::NotCleaned},
      {"replaced by another folder",
       [&](const std::string& bundle) {
         fs::rename(bundle, t_.tree.path("moved.app"));
         writeBundle(t_.tree, "Users/alice/.Trash/Tool.app", toolInfo());
       },
       Outcome::NotCleaned},
      {"installed again",
       [&](const std::string&) { writeBundle(t_.tree, "Applications/New/Tool.app", toolInfo()); },
       Outcome::StillInstalled},
  };
  for (const Case& c : cases) {
    fs::remove_all(t_.tree.path("Applications"));
    fs::remove_all(t_.inHome(".Trash"));
    t_.tree.folder("Applications");
    const std::string bundle = t_.trashed("Tool.app", toolInfo());
    const std::string prefs = file("Library/Preferences/com.example.Tool.plist");
    beforeDeleting_ = [&] { c.meanwhile(bundle); };
    EXPECT_EQ(clean(bundle), c.outcome) << c.what;
    EXPECT_TRUE(fs::exists(prefs)) << c.what;
  }
  EXPECT_EQ(count(), 0);

  // A bundle that is no longer the folder that arrived is not cleaned at all.
  beforeDeleting_ = nullptr;
  fs::remove_all(t_.tree.path("Applications/New"));
  const std::string bundle = t_.inHome(".Trash/Tool.app");
  const FileIdentity before = *bundleFolderIdentity(bundle);
  fs::rename(bundle, t_.inHome(".Trash/Old Tool.app"));
  t_.trashed("Tool.app", toolInfo());
  EXPECT_EQ(clean(bundle, before), Outcome::NotCleaned);
  EXPECT_TRUE(fs::exists(t_.inHome("Library/Preferences/com.example.Tool.plist")));
  EXPECT_EQ(clean(bundle, bundleFolderIdentity(bundle)), Outcome::Cleaned);
  EXPECT_FALSE(fs::exists(t_.inHome("Library/Preferences/com.example.Tool.plist")));
}

}  // namespace
}  // namespace vimbrel::spider
