#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "SpiderTestSupport.h"
#include "spider/AppDelegate.h"
#include "spider/CleaningJournal.h"

namespace vimbrel::spider {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Standard error into a file while it lives; text() reads what was written.
class CapturedStderr {
 public:
  CapturedStderr() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int fd = mkstemp(path_);
    dup2(fd, STDERR_FILENO);
    close(fd);
  }
  ~CapturedStderr() {
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    unlink(path_);
  }
  std::string text() const {
    std::fflush(stderr);
    std::ifstream in(path_);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }

 private:
  char path_[32] = "/tmp/spider-log-XXXXXX";
  int saved_ = -1;
};

std::size_t occurrences(const std::string& text, const std::string& what) {
  std::size_t found = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++found;
  return found;
}

class TrashGuardTest : public ::testing::Test {
 protected:
  std::unique_ptr<AppDelegate> launch() {
    auto delegate = std::make_unique<AppDelegate>(
        AgentServices{posix_, *t_.agentStore, *t_.sharedStore, center_, viewer_, windows_, "alice",
                      reviews_, settings_});
    delegate->applicationDidFinishLaunching();
    return delegate;
  }
  // Moves a new bundle into the Trash in one rename, with a preference file
  // of its own, and waits for its cleaning; true when the file went.
  // `inPlace` writes the bundle in the Trash (across file systems).
  bool trashAndClean(AppDelegate& delegate, const std::string& name, bool inPlace = false) {
    const std::string prefs =
        t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example." + name + ".plist", 5);
    const int before = delegate.cleaningsStarted();
    const BundleInfo info{"com.example." + name, name, name, {}};
    if (inPlace) {
      t_.trashed(name + ".app", info);
    } else {
      fs::rename(writeBundle(t_.tree, "staging/" + name + ".app", info),
                 t_.inHome(".Trash/" + name + ".app"));
    }
    runLoopUntil([&] { return delegate.cleaningsStarted() > before; }, 5000);
    delegate.waitForCleanings();
    return !fs::exists(prefs);
  }

  AgentTree t_;
  std::string settings_ = t_.config + "/vimbrel";
  PosixFileSystem posix_;
  RecordingNotificationCenter center_;
  RecordingFileViewer viewer_;
  RecordingWindows windows_;
  RecordingReviewOpener reviews_;
};

// A link to an application kept elsewhere, or a file, a FIFO named like an
// application: none of them is an application thrown away.
TEST_F(TrashGuardTest, LinksAndNonBundlesInTheTrashAreIgnored) {
  const std::string kept = writeBundle(t_.tree, "Elsewhere/Tool.app", toolInfo());
  const std::string prefs =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Tool.plist", 5);
  auto delegate = launch();
  fs::create_directory_symlink(kept, t_.inHome(".Trash/Tool.app"));
  t_.tree.file("Users/alice/.Trash/Fake.app", "not a bundle");
  ASSERT_EQ(mkfifo(t_.inHome(".Trash/Pipe.app").c_str(), 0600), 0);
  runLoop(2500);
  delegate->waitForCleanings();
  EXPECT_EQ(delegate->cleaningsStarted(), 0);
  EXPECT_TRUE(fs::exists(prefs));
  EXPECT_TRUE(fs::exists(kept + "/Contents/Info.plist"));
}

// The Trash deleted and recreated, renamed away and recreated, or missing
// at start: the agent watches whichever Trash is there, saying so once.
TEST_F(TrashGuardTest, KeepsWatchingWhateverHappensToTheTrash) {
  const std::string trash = t_.inHome(".Trash");
  CapturedStderr log;
  auto delegate = launch();
  ASSERT_TRUE(delegate->isWatching());
  EXPECT_TRUE(trashAndClean(*delegate, "First"));

  fs::remove_all(trash);
  ASSERT_TRUE(runLoopUntil([&] { return !delegate->isWatching(); }, 5000));
  fs::create_directory(trash);
  ASSERT_TRUE(runLoopUntil([&] { return delegate->isWatching(); }, 5000));
  EXPECT_TRUE(trashAndClean(*delegate, "AfterRecreation"));

  fs::rename(trash, t_.inHome("Old Trash"));
  ASSERT_TRUE(runLoopUntil([&] { return !delegate->isWatching(); }, 5000));
  fs::create_directory(trash);
  ASSERT_TRUE(runLoopUntil([&] { return delegate->isWatching(); }, 5000));
  EXPECT_TRUE(trashAndClean(*delegate, "AfterRename"));
  // The renamed folder is not the Trash any more.
  fs::rename(writeBundle(t_.tree, "staging/Gone.app", {"com.example.Gone", "Gone", "Gone", {}}),
             t_.inHome("Old Trash/Gone.app"));
  runLoop(2000);

  const std::string said = log.text();
  EXPECT_EQ(occurrences(said, "is gone"), 2u) << said;
  EXPECT_EQ(occurrences(said, "was replaced"), 2u) << said;
  delegate.reset();

  // Missing at start: the agent waits for it.
  fs::remove_all(trash);
  delegate = launch();
  EXPECT_FALSE(delegate->isWatching());
  fs::create_directory(trash);
  ASSERT_TRUE(runLoopUntil([&] { return delegate->isWatching(); }, 5000));
  EXPECT_TRUE(trashAndClean(*delegate, "Late"));
}

// A file system mounted on the Trash is a new Trash.
TEST_F(TrashGuardTest, ReArmsWhenSomethingIsMountedOnTheTrash) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting needs root";
  auto delegate = launch();
  const std::string trash = t_.inHome(".Trash");
  ASSERT_EQ(std::system(("mount -t tmpfs none '" + trash + "'").c_str()), 0);
  runLoop(500);
  const bool cleaned = trashAndClean(*delegate, "Mounted", true);
  std::system(("umount '" + trash + "'").c_str());
  EXPECT_TRUE(cleaned);
  runLoop(500);
  EXPECT_TRUE(delegate->isWatching());
  EXPECT_TRUE(trashAndClean(*delegate, "Unmounted", true));
}

// A cleaning recorded but never ended (the agent killed) is finished at the
// next start, searching afresh; a record whose bundle is installed again is
// dropped without deleting anything.
TEST_F(TrashGuardTest, ResumesRecordedCleaningsAtStart) {
  CleaningJournal journal(settings_ + "/vimbrel-spider-cleanings");
  auto recordFor = [&](const std::string& bundle) {
    ApplicationItem item;
    item.url = bundle;
    item.label = item.label_name = item.bundle_name_info = item.executable_info = "Tool";
    item.bundle = "com.example.Tool";
    item.bundle_name = "Tool";
    item.company_name = "example";
    journal.record(CleaningRecord::of(item, *bundleFolderIdentity(bundle)));
  };
  const std::string prefs =
      t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Tool.plist", 5);
  const std::string doubtful =
      t_.tree.fileOfSize("Users/alice/Library/Application Support/Tool Exports/x", 5);

  // Still in the Trash.
  std::string bundle = t_.trashed("Tool.app", toolInfo());
  recordFor(bundle);
  auto delegate = launch();
  delegate->waitForCleanings();
  EXPECT_EQ(delegate->cleaningsStarted(), 1);
  EXPECT_FALSE(fs::exists(prefs));
  EXPECT_TRUE(fs::exists(doubtful)) << "resuming takes only what is certain";
  EXPECT_TRUE(journal.pending().empty());
  delegate.reset();

  // The Trash emptied while the agent was away.
  t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Tool.plist", 5);
  recordFor(bundle);
  fs::remove_all(bundle);
  delegate = launch();
  delegate->waitForCleanings();
  EXPECT_FALSE(fs::exists(prefs));
  EXPECT_TRUE(journal.pending().empty());
  delegate.reset();

  // Put back into Applications: the record goes, nothing else does.
  t_.tree.fileOfSize("Users/alice/Library/Preferences/com.example.Tool.plist", 5);
  bundle = t_.trashed("Tool.app", toolInfo());
  recordFor(bundle);
  fs::rename(bundle, t_.tree.path("Applications/Tool.app"));
  delegate = launch();
  delegate->waitForCleanings();
  EXPECT_TRUE(fs::exists(prefs));
  EXPECT_TRUE(journal.pending().empty());
  EXPECT_EQ(t_.agentStore->integer(keys::kRemoveAppCount), 2);
}

}  // namespace
}  // namespace vimbrel::spider
