// vimbrel: the application window. `vimbrel --tour DIR` takes the screenshot
// tour on a demo home of its own instead.
#include <QApplication>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "app/ui/AppDelegate.h"
#include "app/ui/MainWindow.h"
#include "app/ui/Style.h"
#include "app/ui/Tour.h"
#include "engine/Application.h"
#include "platform/SettingsStore.h"
#include "platform/XdgFolders.h"

namespace {

const char* const kHelp =
    "usage: vimbrel [PATH] [--tour DIR [--dark]] [--export-icon FILE] [Qt options]\n"
    "\n"
    "Removes applications together with what they leave behind, in the folders\n"
    "granted to it (see vimbrel(1)).\n"
    "\n"
    "  --tour DIR          take a screenshot of every page, sheet and popover on a\n"
    "                      demo home of its own, into DIR, and quit\n"
    "  --dark              with --tour: picture the dark colour scheme\n"
    "  --export-icon FILE  write the application's icon as a 256-pixel PNG and quit\n"
    "  --help              show this help and quit\n"
    "  --version           show the version and quit\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before the application object exists: no display is needed.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << kHelp;
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << "vimbrel " << VIMBREL_VERSION << '\n';
      return 0;
    }
  }
  std::string tourFolder;
  std::string iconFile;
  std::string reviewBundle;  // `vimbrel PATH`: the review of that bundle, as a drop opens it
  bool dark = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dark") == 0) dark = true;
    // An argument after an option is that option's value, except after the
    // flag --dark, which takes none.
    if (argv[i][0] != '-' &&
        (i == 1 || argv[i - 1][0] != '-' || std::strcmp(argv[i - 1], "--dark") == 0))
      reviewBundle = argv[i];
    if (std::strcmp(argv[i], "--export-icon") == 0 && i + 1 < argc) iconFile = argv[i + 1];
    if (std::strcmp(argv[i], "--tour") == 0) {
      if (i + 1 >= argc) {
        std::cerr << "usage: vimbrel [--tour DIR [--dark] | --export-icon FILE]\n";
        return 2;
      }
      tourFolder = argv[i + 1];
    }
  }
  // The tour keeps its settings and data in a folder of its own, set up before
  // anything reads the environment.
  std::unique_ptr<vimbrel::TourWorkspace> workspace;
  if (!tourFolder.empty()) {
    workspace = vimbrel::TourWorkspace::create(tourFolder);
  } else {
    vimbrel::checkXdgFolders();
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName("Vimbrel");
  QApplication::setApplicationVersion(VIMBREL_VERSION);
  QApplication::setOrganizationName("Orvik Seltan");
  QApplication::setDesktopFileName("com.Orvik.Seltan.Vimbrel");
  application.setProperty("bundleIdentifier", "com.Orvik.Seltan.Vimbrel");
  application.setProperty("bundleVersion", VIMBREL_VERSION);
  // The tour pictures a scheme of its own choosing; the window follows the desktop.
  using vimbrel::ui::ColorScheme;
  vimbrel::ui::useColorScheme(dark        ? ColorScheme::Dark
                              : workspace ? ColorScheme::Light
                                          : ColorScheme::Desktop);
  vimbrel::ui::installTranslations();
  QApplication::setWindowIcon(vimbrel::ui::applicationIcon());

  if (!iconFile.empty()) {
    // The icon the desktop file names, drawn by the same code as the window's.
    return vimbrel::ui::applicationPixmap(256).save(QString::fromStdString(iconFile), "PNG") ? 0
                                                                                             : 1;
  }
  if (workspace) return vimbrel::runTour(*workspace);

  vimbrel::AppDelegate delegate(
      vimbrel::openPlistSettingsStore(vimbrel::settingsFolder(), vimbrel::domains::kApplication),
      {});
  delegate.applicationDidFinishLaunching();
  delegate.window()->show();
  if (!reviewBundle.empty()) {
    reviewBundle = std::filesystem::absolute(reviewBundle).lexically_normal().string();
    while (reviewBundle.size() > 1 && reviewBundle.back() == '/') reviewBundle.pop_back();
    vimbrel::Application catalog(*delegate.services().fileSystem, delegate.app_settings());
    delegate.state().set_item(
        std::make_shared<vimbrel::ApplicationItem>(catalog.application(reviewBundle)));
    delegate.center().post(vimbrel::notifications::kRemainderViewController);
  }
  return QApplication::exec();
}
