// The review's list and removal against the main thread: the longest gap
// between the ticks of a 1 ms timer (a) while a review of 10,000 rows is
// shown and scrolled from top to bottom, and (b) while the removal of a
// leftover of 100,000 files runs on its worker.
#include <QListView>
#include <QScrollBar>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "BenchSupport.h"
#include "app/ReviewRemoval.h"
#include "app/ui/RemainderListView.h"
#include "app/ui/RemainderModel.h"
#include "app/ui/RemainderRowDelegate.h"
#include "engine/SettingsKeys.h"
#include "engine/WorkflowState.h"
#include "platform/Grant.h"
#include "platform/MemorySettingsStore.h"
#include "platform/ui/IconProvider.h"

using namespace vimbrel;
namespace fs = std::filesystem;

namespace {

// Measures the longest gap between the ticks of a 1 ms timer.
class StallProbe {
 public:
  StallProbe() {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      longest_ = std::max(longest_, sinceTick_.nsecsElapsed());
      sinceTick_.restart();
    });
    sinceTick_.start();
    timer_.start();
  }
  double longestMs() const { return static_cast<double>(longest_) / 1e6; }

 private:
  QTimer timer_;
  QElapsedTimer sinceTick_;
  qint64 longest_ = 0;
};

void scrollBenchmark(const fs::path& work) {
  std::vector<RemainderEntry> files;
  std::vector<SizeEntry> sizes;
  for (int group = 0; group < 10; ++group) {
    files.push_back(RemainderEntry::header(RemainderGroup::Supportfiles));
    sizes.emplace_back(files.back());
    for (int i = 0; i < 1000; ++i) {
      files.push_back(RemainderEntry::fileLocation(
          (work / ("group " + std::to_string(group)) / ("leftover " + std::to_string(i)))
              .string()));
      sizes.emplace_back(std::uint64_t(4096 + i));
    }
  }
  PosixFileSystem fileSystem;
  ThemeIconProvider icons;
  QListView* view = new RemainderListView;
  auto* model = new RemainderModel(files, sizes, fileSystem, icons, view);
  view->setItemDelegate(new RemainderRowDelegate(view));
  view->resize(760, 480);
  view->show();
  bench::spinUntil([] { return false; }, 300);

  {
    // The machine's own noise: the same probe with nothing to do.
    StallProbe idle;
    bench::spinUntil([] { return false; }, 1500);
    std::printf("idle main thread, 1.5 s: longest gap between 1 ms ticks %.1f ms\n",
                idle.longestMs());
  }
  StallProbe fill;
  view->setModel(model);
  bench::spinUntil([] { return false; }, 1500);
  std::printf("10,000-row review: longest main-thread stall while it is laid out %.1f ms\n",
              fill.longestMs());

  StallProbe scroll;
  QScrollBar* bar = view->verticalScrollBar();
  for (int value = 0; value <= bar->maximum(); value += 240) {
    bar->setValue(value);
    bench::spinUntil([] { return false; }, 4);
  }
  std::printf(
      "10,000-row review: longest main-thread stall while scrolling to the end %.1f ms "
      "(%d steps)\n",
      scroll.longestMs(), bar->maximum() / 240 + 1);
  delete view;
}

void removalBenchmark(const fs::path& work) {
  const fs::path home = work / "Users" / "bench";
  const fs::path leftover = home / "Library" / "Application Support" / "Big";
  QElapsedTimer writing;
  writing.start();
  for (int folder = 0; folder < 100; ++folder) {
    const fs::path dir = leftover / ("part " + std::to_string(folder));
    fs::create_directories(dir);
    for (int i = 0; i < 1000; ++i) std::ofstream(dir / ("file " + std::to_string(i))) << "x";
  }
  std::printf("100,000-file leftover written in %.1f s\n",
              static_cast<double>(writing.elapsed()) / 1000.0);
  MemorySettingsStore settings;
  settings.setBlob(keys::kHome, createGrant(home.string()));
  PosixFileSystem fileSystem;
  WorkflowState state;
  ReviewRemoval removal(fileSystem, settings, state);
  std::vector<RemainderEntry> chosen{RemainderEntry::header(RemainderGroup::Supportfiles),
                                     RemainderEntry::fileLocation(leftover.string())};
  std::vector<SizeEntry> sizes{chosen[0], std::uint64_t(100000)};

  StallProbe probe;
  QElapsedTimer clock;
  clock.start();
  removal.start(chosen, sizes, {});
  bench::spinUntil([&] { return removal.poll(); }, 600000);
  std::printf(
      "removal of a 100,000-file leftover: %.2f s on the worker; longest main-thread "
      "stall %.1f ms; %s\n",
      static_cast<double>(clock.elapsed()) / 1000.0, probe.longestMs(),
      fs::exists(leftover) ? "NOT removed" : "removed");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const fs::path work =
      fs::temp_directory_path() / ("vimbrel-bench-rows-" + std::to_string(getpid()));
  scrollBenchmark(work);
  removalBenchmark(work);
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return 0;
}
