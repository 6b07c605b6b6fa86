#include <gtest/gtest.h>

#include <QCoreApplication>

// The D-Bus connections of the login-item service want a Qt application.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
