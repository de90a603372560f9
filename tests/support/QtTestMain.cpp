// The shell's tests create widgets, so they run inside a QApplication.
#include <QApplication>

#include <gtest/gtest.h>

#include "support/ChildProcess.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  // Started by a test as its second program.
  if (const int status = kroyna::testing::runChildIfAsked(); status >= 0) return status;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
