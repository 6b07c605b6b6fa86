// vimbrel-spider: the login-item agent. Runs without a main window until it is
// stopped (asked through the session bus, or by a signal).
#include <QApplication>
#include <QDBusConnection>
#include <cstdio>
#include <cstring>

#include "spider/AgentBus.h"

int main(int argc, char** argv) {
  using vimbrel::spider::AgentBus;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quit") == 0) {
      // Asks the running agent to quit; no window system is needed for that.
      return AgentBus::askRunningAgentToQuit(QDBusConnection::sessionBus()) ? 0 : 1;
    }
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("vimbrel-spider");
  QApplication::setQuitOnLastWindowClosed(false);

  AgentBus bus(QDBusConnection::sessionBus());
  switch (bus.claim()) {
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
  QObject::connect(&bus, &AgentBus::quitRequested, &app, &QApplication::quit, Qt::QueuedConnection);
  return QApplication::exec();
}
