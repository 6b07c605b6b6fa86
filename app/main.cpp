// vimbrel: the application window. `vimbrel --tour DIR` takes the screenshot
// tour on a demo home of its own instead.
#include <QApplication>
#include <cstring>
#include <iostream>

#include "app/ui/AppDelegate.h"
#include "app/ui/MainWindow.h"
#include "app/ui/Style.h"
#include "app/ui/Tour.h"
#include "platform/SettingsStore.h"

int main(int argc, char** argv) {
  std::string tourFolder;
  std::string iconFile;
  bool dark = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dark") == 0) dark = true;
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
  if (!tourFolder.empty()) workspace = vimbrel::TourWorkspace::create(tourFolder);

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
  return QApplication::exec();
}
