#include "app/ReviewRemoval.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <unordered_map>

#include "engine/Removal.h"
#include "engine/RemovalTotal.h"
#include "engine/SafetyPolicy.h"
#include "engine/SearchRoots.h"
#include "engine/SettingsKeys.h"
#include "engine/WorkflowState.h"

namespace vimbrel {

namespace {

std::uint64_t sizeAt(const std::vector<SizeEntry>& sizes, std::size_t index) {
  if (index >= sizes.size()) return 0;
  const auto* bytes = std::get_if<std::uint64_t>(&sizes[index]);
  return bytes != nullptr ? *bytes : 0;
}

}  // namespace

// Counts the listed locations the removal has dealt with, and their bytes, as
// the engine hands each one to the file system.
class ReviewRemoval::CountingFileSystem final : public ForwardingFileSystem {
 public:
  CountingFileSystem(const FileSystem& target, std::unordered_map<std::string, std::uint64_t> sizes)
      : ForwardingFileSystem(target), sizes_(std::move(sizes)) {}
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override {
    Status status = ForwardingFileSystem::removeBelow(anchor, path);
    auto listed = sizes_.find(path);
    if (listed != sizes_.end()) {
      itemsDone_.fetch_add(1, std::memory_order_relaxed);
      bytesDone_.fetch_add(listed->second, std::memory_order_relaxed);
    }
    return status;
  }
  std::size_t itemsDone() const { return itemsDone_.load(std::memory_order_relaxed); }
  std::uint64_t bytesDone() const { return bytesDone_.load(std::memory_order_relaxed); }

 private:
  const std::unordered_map<std::string, std::uint64_t> sizes_;
  mutable std::atomic<std::size_t> itemsDone_{0};
  mutable std::atomic<std::uint64_t> bytesDone_{0};
};

// One removal: what it removes, and what it left, written by the worker
// before it signals its end.
struct ReviewRemoval::Run {
  Run(const FileSystem& fileSystem, const SettingsStore& settings,
      std::vector<RemainderEntry> chosenEntries, std::vector<SizeEntry> entrySizes,
      std::string bundle)
      : chosen(std::move(chosenEntries)),
        sizes(std::move(entrySizes)),
        chosenBundle(std::move(bundle)),
        policy(SearchRoots::resolve(settings, keys::kHome)),
        counting(fileSystem, locationSizes()) {
    bytesTotal = chosenTotal(chosen, sizes);
  }

  std::unordered_map<std::string, std::uint64_t> locationSizes() {
    std::unordered_map<std::string, std::uint64_t> located;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
      if (!chosen[i].isFileLocation()) continue;
      located.emplace(chosen[i].text(), sizeAt(sizes, i));
      ++itemsTotal;
    }
    return located;
  }

  std::vector<RemainderEntry> chosen;
  std::vector<SizeEntry> sizes;
  std::string chosenBundle;
  SafetyPolicy policy;
  std::size_t itemsTotal = 0;
  std::uint64_t bytesTotal = 0;
  CountingFileSystem counting;
  std::vector<Survivor> survivors;
};

ReviewRemoval::ReviewRemoval(const FileSystem& fileSystem, const SettingsStore& settings,
                             WorkflowState& state)
    : fileSystem_(fileSystem),
      settings_(settings),
      state_(state),
      background_(std::make_unique<extensions::BackgroundRemoval>()) {}

ReviewRemoval::~ReviewRemoval() { background_.reset(); }

bool ReviewRemoval::start(std::vector<RemainderEntry> chosen, std::vector<SizeEntry> sizes,
                          std::string chosenBundle) {
  if (background_->running()) return false;
  auto run = std::make_shared<Run>(fileSystem_, settings_, std::move(chosen), std::move(sizes),
                                   std::move(chosenBundle));
  run_ = run;
  state_.set_remainder_urls({});
  return background_->start([run](const extensions::BackgroundRemoval::Completion& done) {
    Removal(run->counting, run->policy).remove(run->chosen, run->chosenBundle, run->survivors);
    done(true);
  });
}

ReviewRemoval::Progress ReviewRemoval::progress() const {
  if (!run_) return {};
  return {run_->counting.itemsDone(), run_->itemsTotal,
          std::min(run_->counting.bytesDone(), run_->bytesTotal), run_->bytesTotal};
}

bool ReviewRemoval::poll() {
  if (!background_->poll()) return false;
  // What could not be removed does not count in the size removed.
  state_.set_common_remove_size(
      removedTotal(run_->chosen, run_->sizes, survivorPaths(run_->survivors)));
  state_.set_remainder_survivors(run_->survivors);
  return true;
}

void ReviewRemoval::wait() {
  while (background_->running() && !poll()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace vimbrel
