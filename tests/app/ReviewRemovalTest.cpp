#include "app/ReviewRemoval.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "TempTree.h"
#include "engine/SettingsKeys.h"
#include "engine/WorkflowState.h"
#include "platform/Grant.h"
#include "platform/MemorySettingsStore.h"

namespace vimbrel {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;

// Deletions wait at a gate the test opens; one path can be made to fail.
class GatedFileSystem final : public ForwardingFileSystem {
 public:
  GatedFileSystem(const FileSystem& target, std::string failing)
      : ForwardingFileSystem(target), failing_(std::move(failing)) {}
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override {
    std::unique_lock lock(mutex_);
    ++waiting_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return open_; });
    lock.unlock();
    if (path.find(failing_) != std::string::npos) return Status::error("refused by the test");
    return ForwardingFileSystem::removeBelow(anchor, path);
  }
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  void waitForFirst() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return waiting_ > 0; });
  }

 private:
  std::string failing_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  mutable int waiting_ = 0;
  bool open_ = false;
};

bool pollUntil(ReviewRemoval& removal) {
  for (int i = 0; i < 2000; ++i) {
    if (removal.poll()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST(ReviewRemovalWorkerTest, RunsOnAWorkerReportsProgressAndWritesWhatWasFreed) {
  TempTree tree;
  const std::string home = tree.folder("Users/tester");
  const std::string kept = tree.file("Users/tester/Library/Caches/Tool/kept.db", "kept");
  const std::string gone = tree.file("Users/tester/Library/Logs/Tool.log", "log");
  const std::string off = tree.file("Users/tester/Library/Preferences/Tool.plist", "plist");
  MemorySettingsStore settings;
  settings.setBlob(keys::kHome, createGrant(home));
  PosixFileSystem real;
  GatedFileSystem gated(real, "Caches/Tool");
  WorkflowState state;
  ReviewRemoval removal(gated, settings, state);
  std::shared_ptr<void> openOnExit(nullptr, [&](void*) { gated.open(); });

  const std::vector<RemainderEntry> chosen{
      RemainderEntry::header(RemainderGroup::Supportfiles),
      RemainderEntry::fileLocation(fs::path(kept).parent_path().string()),
      RemainderEntry::fileLocation(gone), RemainderEntry::emptyPlaceholder()};
  const std::vector<SizeEntry> sizes{chosen[0], std::uint64_t(4000), std::uint64_t(300),
                                     std::uint64_t(99)};
  ASSERT_TRUE(removal.start(chosen, sizes, {}));
  gated.waitForFirst();
  // While the worker waits nothing is reported, and a second removal is refused.
  EXPECT_TRUE(removal.running());
  EXPECT_FALSE(removal.poll());
  EXPECT_FALSE(removal.start(chosen, sizes, {}));
  ReviewRemoval::Progress now = removal.progress();
  EXPECT_EQ(now.itemsDone, 0u);
  EXPECT_EQ(now.itemsTotal, 2u);  // the placeholder is no item
  EXPECT_EQ(now.bytesTotal, 4300u);

  gated.open();
  ASSERT_TRUE(pollUntil(removal));
  EXPECT_FALSE(removal.poll());  // once only
  EXPECT_FALSE(removal.running());
  now = removal.progress();
  EXPECT_EQ(now.itemsDone, 2u);
  EXPECT_EQ(now.bytesDone, 4300u);
  // The refused folder survives and counts nothing freed.
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_FALSE(fs::exists(gone));
  EXPECT_TRUE(fs::exists(off));
  EXPECT_EQ(state.remainder_urls(),
            std::vector<std::string>{fs::path(kept).parent_path().string()});
  EXPECT_EQ(state.common_remove_size(), 300u);
}

TEST(ReviewRemovalWorkerTest, WaitBlocksUntilTheRemovalHasEnded) {
  TempTree tree;
  const std::string home = tree.folder("Users/tester");
  const std::string gone = tree.file("Users/tester/Library/Logs/Tool.log", "log");
  MemorySettingsStore settings;
  settings.setBlob(keys::kHome, createGrant(home));
  PosixFileSystem real;
  GatedFileSystem gated(real, "no path has this");
  WorkflowState state;
  ReviewRemoval removal(gated, settings, state);
  ASSERT_TRUE(removal.start({RemainderEntry::fileLocation(gone)}, {std::uint64_t(3)}, {}));
  gated.waitForFirst();
  std::thread opener([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    gated.open();
  });
  removal.wait();
  opener.join();
  EXPECT_FALSE(removal.running());
  EXPECT_FALSE(fs::exists(gone));
  EXPECT_EQ(state.common_remove_size(), 3u);
}

}  // namespace
}  // namespace vimbrel
