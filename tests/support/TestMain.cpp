// Test entry: a Qt application object (offscreen for widget tests), then GoogleTest.
#include <gtest/gtest.h>

#include <QtGlobal>

#ifdef KODRILL_TEST_WIDGETS
#include <QApplication>
using TestApp = QApplication;
#else
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif

int main(int argc, char** argv) {
  // Discovery runs the program without the test environment: never ask for a display.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TestApp app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
