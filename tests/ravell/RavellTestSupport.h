#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <functional>

#include "RavellTesting.h"

namespace vimbrel::testing {

// Runs the Qt main loop until `done` holds or the (generous) deadline passes.
inline bool waitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  QDeadlineTimer deadline(limit);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}

// Gives every test its own data folder and a fresh framework, as a first launch.
class RavellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    setenv("XDG_DATA_HOME", QFile::encodeName(home_.path()).constData(), 1);
    RavellTesting::resetAll();
  }
  void TearDown() override { RavellTesting::resetAll(); }

  // The framework's folder below the temporary data home.
  QString frameworkFolder() const {
    return home_.path() + QLatin1Char('/') +
           QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  }

  QTemporaryDir home_;
};

}  // namespace vimbrel::testing
