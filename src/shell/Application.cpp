#include "shell/Application.h"

#include <QApplication>
#include <QMainWindow>

namespace kroyna::shell {

int runApplication(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Раскрой листового материала"));
  window.show();
  return app.exec();
}

}  // namespace kroyna::shell
