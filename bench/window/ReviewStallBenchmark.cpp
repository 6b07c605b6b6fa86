// The review of Tool on a large demo home: the longest stall of the main
// thread while the search runs (a 1 ms timer measures the gaps between its
// ticks), and the time from the page's creation to the filled review.
#include <algorithm>
#include <filesystem>

#include "BenchSupport.h"
#include "app/ui/RemainderViewController.h"
#include "demohome/DemoHome.h"
#include "engine/Application.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"

using namespace vimbrel;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const int scale = argc > 1 ? std::atoi(argv[1]) : 10;
  QApplication application(argc, argv);
  const fs::path work =
      fs::temp_directory_path() / ("vimbrel-bench-review-" + std::to_string(getpid()));
  const std::string root = (work / "root").string();
  QElapsedTimer generation;
  generation.start();
  if (!demo::generateDemoHome(root, {"bench", scale, 0}).isOk()) {
    std::fprintf(stderr, "could not generate the demo home\n");
    return 1;
  }
  std::printf("demo home at scale %d generated in %.1f s\n", scale,
              static_cast<double>(generation.elapsed()) / 1000.0);

  bench::QuietViewer viewer;
  bench::QuietOpener opener;
  bench::QuietSounds sounds;
  AppServices services;
  services.fileViewer = &viewer;
  services.urlOpener = &opener;
  services.sounds = &sounds;
  services.loginName = "bench";
  auto store = openPlistSettingsStore((work / "config").string(), "app");
  store->setBlob(keys::kHome, createGrant(demo::demoHomeFolder(root, "bench")));
  store->setBlob(keys::kApplications, createGrant(demo::demoApplicationsFolder(root)));
  AppDelegate delegate(std::move(store), services, {.startFramework = false});
  {
    PosixFileSystem fileSystem;
    Application catalog(fileSystem, delegate.app_settings());
    delegate.state().set_item(std::make_shared<ApplicationItem>(
        catalog.application(demo::demoApplicationsFolder(root) + "/Tool.app")));
  }

  {
    // The machine's own noise: the same probe for two seconds with nothing to do.
    qint64 longestIdle = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer probe;
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
      longestIdle = std::max(longestIdle, sinceTick.nsecsElapsed());
      sinceTick.restart();
    });
    probe.start();
    QElapsedTimer idle;
    idle.start();
    bench::spinUntil([&] { return idle.elapsed() > 2000; }, 3000);
    std::printf("idle main thread, 2 s: longest gap between 1 ms ticks %.1f ms\n",
                static_cast<double>(longestIdle) / 1e6);
  }
  for (int run = 0; run < 3; ++run) {
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer probe;
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
      longestGap = std::max(longestGap, sinceTick.nsecsElapsed());
      sinceTick.restart();
    });
    QElapsedTimer clock;
    clock.start();
    auto* page = new RemainderViewController(delegate);
    page->resize(800, 560);
    page->show();
    sinceTick.restart();
    probe.start();
    bench::spinUntil([&] { return page->isReady(); }, 600000);
    const double filled = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    // The list lays its rows out in batches after the model is set.
    bench::spinUntil([] { return false; }, 500);
    page->repaint();
    probe.stop();
    std::printf(
        "review of Tool, scale %d: filled after %.0f ms (%zu rows); longest main-thread "
        "stall %.1f ms (the search, the 0.3 s poll and the list's layout of the rows)\n",
        scale, filled, page->files().size(), static_cast<double>(longestGap) / 1e6);
    delete page;
  }
  demo::clearDemoTree(root);
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return 0;
}
