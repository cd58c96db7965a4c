#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  // Discovery runs this binary outside CTest's environment: never need a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
