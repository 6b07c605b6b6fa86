#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "PrivateSessionBus.h"

// The agent needs a Qt main loop (timers, D-Bus replies, its windows) and a
// session bus. The bus is started before Qt connects to it, and the windows
// draw off screen.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  vimbrel::testing::PrivateSessionBus bus;
  if (bus.address().empty()) {
    std::fprintf(stderr, "spider_tests: could not start a private dbus-daemon\n");
    return 1;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
