// vimbrel-spider: the login-item agent. Runs without a main window until it is
// stopped (asked through the session bus, or by a signal).
#include <QApplication>
#include <QDBusConnection>
#include <QKeySequence>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/User.h"
#include "platform/XdgFolders.h"
#include "platform/ui/FileViewer.h"
#include "platform/ui/GlobalShortcut.h"
#include "platform/ui/QtFolderChooser.h"
#include "platform/ui/UrlOpener.h"
#include "spider/AgentBus.h"
#include "spider/AgentLocks.h"
#include "spider/AppDelegate.h"
#include "spider/DBusNotificationCenter.h"
#include "spider/QtAgentWindows.h"
#include "spider/ReviewOpener.h"

namespace {

const char* const kHelp =
    "usage: vimbrel-spider [--quit | --whole-volume-window]\n"
    "\n"
    "Vimbrel Spider watches the Trash of its home grant and removes what an\n"
    "application moved there leaves behind (see vimbrel-spider(1)). Without an\n"
    "option it runs in the background until it is asked to quit.\n"
    "\n"
    "  --quit                 ask the running agent to quit\n"
    "  --whole-volume-window  ask the running agent to open its whole-volume window\n"
    "  --help                 show this help and quit\n"
    "  --version              show the version and quit\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace vimbrel;
  using spider::AgentBus;
  for (int i = 1; i < argc; ++i) {
    // Answered before the application object exists: no display is needed.
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("vimbrel-spider %s\n", VIMBREL_VERSION);
      return 0;
    }
    if (std::strcmp(argv[i], "--quit") == 0) {
      // Asks the running agent to quit; no window system is needed for that.
      return AgentBus::askRunningAgentToQuit(QDBusConnection::sessionBus()) ? 0 : 1;
    }
    if (std::strcmp(argv[i], "--whole-volume-window") == 0) {
      // What the shortcut does, for a desktop keybinding where no shortcut
      // can be registered system-wide (Wayland).
      return AgentBus::askRunningAgentToShowWholeVolumeWindow(QDBusConnection::sessionBus()) ? 0
                                                                                             : 1;
    }
  }

  checkXdgFolders();
  QApplication app(argc, argv);
  QApplication::setApplicationName("vimbrel-spider");
  QApplication::setQuitOnLastWindowClosed(false);

  // One agent per user, with or without a session bus: the lock is held
  // until the process ends, however it ends.
  const std::string settings = settingsFolder();
  const spider::FileLock singleInstance(spider::singleInstanceLockPath(settings),
                                        spider::FileLock::Wait::DoNot);
  if (!singleInstance.held()) {
    std::fprintf(stderr, "vimbrel-spider: another agent is already running\n");
    return 1;
  }

  QDBusConnection bus = QDBusConnection::sessionBus();
  AgentBus agentBus(bus);
  switch (agentBus.claim()) {
    case AgentBus::Claim::TakenByAnother:
      std::fprintf(stderr, "vimbrel-spider: another agent is already running\n");
      return 1;
    case AgentBus::Claim::NoBus:
      std::fprintf(stderr,
                   "vimbrel-spider: no session bus: running without single-instance "
                   "check and notifications\n");
      break;
    case AgentBus::Claim::Owned:
      break;
  }
  QObject::connect(&agentBus, &AgentBus::quitRequested, &app, &QApplication::quit,
                   Qt::QueuedConnection);

  auto app_settings = openPlistSettingsStore(settings, domains::kAgent);
  auto app_settings_shared = openPlistSettingsStore(settings, domains::kShared);
  PosixFileSystem fileSystem;
  spider::DBusNotificationCenter notifications(bus);
  FreedesktopFileViewer fileViewer;
  QtFolderChooser chooser;
  DesktopUrlOpener urlOpener;
  spider::QtAgentWindows windows(*app_settings, userLoginName(), userHomeFolder(), chooser,
                                 urlOpener);
  spider::ProcessReviewOpener reviewOpener;
  spider::AppDelegate delegate({fileSystem, *app_settings, *app_settings_shared, notifications,
                                fileViewer, windows, userLoginName(), reviewOpener, settings});
  QObject::connect(&agentBus, &AgentBus::wholeVolumeWindowRequested, &app,
                   [&delegate] { delegate.showWholeVolumeWindow(); });
  // Ctrl+Alt+S opens the whole-volume window. Where the display offers no
  // system-wide key grab, the shortcut only belongs to a window that never
  // shows; `vimbrel-spider --whole-volume-window` does the same from a
  // desktop keybinding.
  QWidget shortcutHost;
  auto shortcut = createGlobalShortcut(&shortcutHost, QKeySequence("Ctrl+Alt+S"),
                                       [&delegate] { delegate.showWholeVolumeWindow(); });
  delegate.applicationDidFinishLaunching();
  return QApplication::exec();
}
