#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "RavellTesting.h"

// The framework needs a Qt main loop for its timers and network replies, and a
// widget application for its prompts, which the tests drive off screen.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const int result = RUN_ALL_TESTS();
  vimbrel::RavellTesting::resetAll();
  return result;
}
