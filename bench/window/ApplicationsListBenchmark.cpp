// The applications list with 1,000 generated applications: time from the
// page's creation to a filled, painted table, and the memory it takes.
#include <QListView>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "BenchSupport.h"
#include "app/ui/ApplicationsViewController.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"
#include "platform/User.h"

using namespace vimbrel;
namespace fs = std::filesystem;

namespace {

// Writes `count` application bundles, each with an Info.plist and a small icon.
void writeApplications(const fs::path& folder, int count, const QImage& icon) {
  fs::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    const std::string name = "Generated App " + std::to_string(i);
    const fs::path contents = folder / (name + ".app") / "Contents";
    fs::create_directories(contents / "Resources");
    fs::create_directories(contents / "MacOS");
    std::ofstream(contents / "Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        << "<key>CFBundleIdentifier</key><string>com.generated.app" << i << "</string>"
        << "<key>CFBundleName</key><string>" << name << "</string>"
        << "<key>CFBundleExecutable</key><string>App</string>"
        << "<key>CFBundleIconFile</key><string>AppIcon.png</string></dict></plist>\n";
    std::ofstream(contents / "MacOS" / "App") << "#!/bin/sh\n";
    icon.save(QString::fromStdString((contents / "Resources" / "AppIcon.png").string()), "PNG");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const int count = 1000;
  const fs::path work =
      fs::temp_directory_path() / ("vimbrel-bench-list-" + std::to_string(getpid()));
  QImage icon(128, 128, QImage::Format_ARGB32);
  icon.fill(QColor(0, 120, 230));
  writeApplications(work / "Applications", count, icon);

  bench::QuietViewer viewer;
  bench::QuietOpener opener;
  bench::QuietSounds sounds;
  AppServices services;
  services.fileViewer = &viewer;
  services.urlOpener = &opener;
  services.sounds = &sounds;
  auto store = openPlistSettingsStore((work / "config").string(), "app");
  store->setBlob(keys::kApplications, createGrant((work / "Applications").string()));
  AppDelegate delegate(std::move(store), services, {.startFramework = false});

  std::vector<double> times;
  long memory = 0;
  for (int run = 0; run < 5; ++run) {
    const long before = bench::residentKiB();
    QElapsedTimer clock;
    clock.start();
    auto* page = new ApplicationsViewController(delegate);
    page->resize(800, 560);
    page->show();
    // Filled: every record is in the model and the first rows have been painted.
    bench::spinUntil([&] { return page->model()->rowCount() == count && page->isVisible(); },
                     10000);
    page->repaint();
    times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    memory = std::max(memory, bench::residentKiB() - before);
    delete page;
  }
  std::sort(times.begin(), times.end());
  std::printf(
      "applications list, %d applications: page creation to filled table "
      "median %.1f ms (min %.1f, max %.1f); memory +%ld KiB\n",
      count, times[times.size() / 2], times.front(), times.back(), memory);
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return 0;
}
