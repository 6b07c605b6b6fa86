// vimbrel-spider: the login-item agent. Runs without a main window until it is
// stopped (asked through the session bus, or by a signal).
#include <QApplication>
#include <QDBusConnection>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/User.h"
#include "spider/AgentBus.h"
#include "spider/AppDelegate.h"
#include "spider/DBusFileViewer.h"
#include "spider/DBusNotificationCenter.h"

namespace {

// Until the windows exist, the agent says on standard error what it would show.
class ConsoleWindows final : public vimbrel::spider::AgentWindows {
 public:
  void showSandbox() override {
    std::fprintf(stderr,
                 "vimbrel-spider: no valid home and Applications grants; grant them with "
                 "vimbrel-cli grant home|applications DIR --agent and start the agent again\n");
  }
  void showSpiderOptional() override {}
  void showLikeApp() override {}
};

}  // namespace

int main(int argc, char** argv) {
  using namespace vimbrel;
  using spider::AgentBus;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quit") == 0) {
      // Asks the running agent to quit; no window system is needed for that.
      return AgentBus::askRunningAgentToQuit(QDBusConnection::sessionBus()) ? 0 : 1;
    }
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("vimbrel-spider");
  QApplication::setQuitOnLastWindowClosed(false);

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

  const std::string settings = settingsFolder();
  auto app_settings = openPlistSettingsStore(settings, domains::kAgent);
  auto app_settings_shared = openPlistSettingsStore(settings, domains::kShared);
  PosixFileSystem fileSystem;
  spider::DBusNotificationCenter notifications(bus);
  spider::DBusFileViewer fileViewer(bus);
  ConsoleWindows windows;
  spider::AppDelegate delegate({fileSystem, *app_settings, *app_settings_shared, notifications,
                                fileViewer, windows, userLoginName()});
  QObject::connect(&agentBus, &AgentBus::wholeVolumeWindowRequested, &app,
                   [&delegate] { delegate.showWholeVolumeWindow(); });
  delegate.applicationDidFinishLaunching();
  return QApplication::exec();
}
