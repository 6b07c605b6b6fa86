#include <gtest/gtest.h>

#include <QApplication>

// The windows are driven on the offscreen platform, without a display.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
