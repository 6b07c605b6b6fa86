#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "FakeBundles.h"
#include "TempTree.h"
#include "demohome/DemoHome.h"
#include "engine/SettingsKeys.h"
#include "engine/WorkflowState.h"
#include "extensions/ExtensionListPage.h"
#include "platform/FileSystem.h"
#include "platform/Grant.h"
#include "platform/ProgramProcesses.h"
#include "platform/SettingsStore.h"

namespace vimbrel::testing {

// Waits up to ten seconds for `condition`; only a failure's message depends on time.
inline bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

// Holds the deletion of chosen paths until the test lets it go, so that a
// test sees a removal while it runs.
class GatedFileSystem final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  void hold(const std::string& path) {
    std::lock_guard lock(mutex_);
    held_.insert(path);
  }
  void release(const std::string& path) {
    {
      std::lock_guard lock(mutex_);
      held_.erase(path);
    }
    changed_.notify_all();
  }
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !held_.count(path); });
    lock.unlock();
    if (failing.count(path)) return Status::fromErrno(EACCES, "injected");
    return ForwardingFileSystem::removeBelow(anchor, path);
  }
  // Paths whose deletion fails, as for a user without permission; set
  // before a removal starts.
  std::set<std::string> failing;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::set<std::string> held_;
};

// The generated demo home, granted with the whole disk, and what a page
// needs of the program. Posted page notifications are recorded.
class PagesFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = tree_.path("demo");
    ASSERT_TRUE(demo::generateDemoHome(root_, {"tester"}));
    home_ = demo::demoHomeFolder(root_, "tester");
    store_ = openPlistSettingsStore(tree_.path("config"), domains::kApplication);
    store_->setBlob(keys::kHome, createGrant(home_));
    store_->setBlob(keys::kMacOS, createGrant(root_));
    store_->setInteger(keys::kAllowAny, 1);
  }

  extensions::ExtensionPageServices services(const FileSystem& fileSystem) {
    return {fileSystem, *store_, state_,
            [this](const std::string& name) { posted_.push_back(name); }};
  }
  extensions::ExtensionPageServices services() { return services(gated_); }

  template <typename Page>
  static std::vector<std::string> labels(const Page& page) {
    std::vector<std::string> shown;
    for (std::size_t row = 0; row < page.numberOfRows(); ++row)
      shown.push_back(page.row(row).label);
    return shown;
  }
  template <typename Page>
  static std::size_t rowOf(const Page& page, const std::string& label) {
    for (std::size_t row = 0; row < page.numberOfRows(); ++row) {
      if (page.row(row).label == label) return row;
    }
    ADD_FAILURE() << "no row " << label;
    return 0;
  }
  // Ticks the page's timer until the removal reports its end.
  template <typename Tick>
  static std::optional<extensions::RemovalFinished> finish(Tick tick) {
    std::optional<extensions::RemovalFinished> finished;
    eventually([&] { return (finished = tick()).has_value(); });
    return finished;
  }

  bool exists(const std::string& path) const { return std::filesystem::exists(path); }

  TempTree tree_;
  std::string root_, home_;
  std::unique_ptr<SettingsStore> store_;
  WorkflowState state_;
  PosixFileSystem fileSystem_;
  GatedFileSystem gated_{fileSystem_};
  std::vector<std::string> posted_;
};

// A process that stands in for a running Safari: a copy of sleep runs as the
// executable of a bundle whose identifier is Safari's.
class RunningSafari {
 public:
  explicit RunningSafari(const TempTree& tree) {
    const std::string bundle =
        writeBundle(tree, "Running/Safari.app", {"com.apple.Safari", "Safari", "Safari", {}});
    executable_ = bundle + "/Contents/MacOS/Safari";
    std::filesystem::copy_file("/bin/sleep", executable_,
                               std::filesystem::copy_options::overwrite_existing);
    programs::startDetached(executable_, {"60"});
    eventually([&] { return !programs::processesRunning(executable_).empty(); });
  }
  ~RunningSafari() {
    for (pid_t pid : programs::processesRunning(executable_)) ::kill(pid, SIGKILL);
    eventually([&] { return programs::processesRunning(executable_).empty(); });
  }
  RunningSafari(const RunningSafari&) = delete;
  RunningSafari& operator=(const RunningSafari&) = delete;

 private:
  std::string executable_;
};

}  // namespace vimbrel::testing
