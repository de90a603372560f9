#pragma once

#include "support/CommandOutput.h"

#include <QApplication>
#include <QByteArray>
#include <QString>

#include <cstdio>
#include <string>

namespace kroyna::report::test {

// Widgets and fonts need an application object; tests run offscreen.
inline void ensureApp() {
  if (QApplication::instance()) return;
  static int argc = 1;
  static char name[] = "test_report";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

inline QString testData(const char* name) {
  return QStringLiteral(KROYNA_TEST_DATA_DIR "/report/") + QString::fromUtf8(name);
}

// The text of a PDF as pdftotext reads it; pages are separated by '\f'.
inline std::string pdfText(const QString& pdf) {
  std::string cmd = "pdftotext -layout '" + pdf.toStdString() + "' - 2>/dev/null";
  return kroyna::testing::commandOutput(cmd);
}

inline int countOf(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (size_t pos = hay.find(needle); pos != std::string::npos; pos = hay.find(needle, pos + needle.size())) ++n;
  return n;
}

}  // namespace kroyna::report::test
