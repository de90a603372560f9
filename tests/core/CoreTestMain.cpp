// Tests of the libraries without Qt Widgets run inside a QGuiApplication
// (fonts, cursors) on the offscreen platform: no widget is ever made.
#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
