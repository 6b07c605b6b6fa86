#include <gtest/gtest.h>

#include <QCoreApplication>

#include "RavellTesting.h"

// The framework needs a Qt main loop for its timers and network replies.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  const int result = RUN_ALL_TESTS();
  vimbrel::RavellTesting::resetAll();
  return result;
}
