#include "CutGui.h"

#include "CutJob.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstdio>

namespace kroyna::cut {

namespace {

void toolkitMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "kroyna-cut: %s\n", oneLine(text.toStdString()).c_str());
}

}  // namespace

OffscreenGui::OffscreenGui() {
  if (QGuiApplication::instance()) return;
  // No display is needed: pages are drawn off screen.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(toolkitMessage);
  app_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

OffscreenGui::~OffscreenGui() = default;

}  // namespace kroyna::cut
