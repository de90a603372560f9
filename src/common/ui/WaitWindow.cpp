#include "common/ui/WaitWindow.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace kroyna::common {

WaitWindow::WaitWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("WaitWindow"));
  auto* frame = new QFrame(this);
  frame->setFrameShape(QFrame::Box);
  frame->setLineWidth(2);
  auto* label = new QLabel(QStringLiteral("Пожалуйста подождите ..."), frame);
  QFont f = label->font();
  f.setPointSize(f.pointSize() + 2);
  f.setBold(true);
  label->setFont(f);
  label->setAlignment(Qt::AlignCenter);
  auto* bar = new QProgressBar(frame);
  bar->setRange(0, 0);  // a busy indicator that keeps running
  bar->setTextVisible(false);
  auto* inner = new QVBoxLayout(frame);
  inner->setContentsMargins(24, 18, 24, 18);
  inner->addWidget(label);
  inner->addWidget(bar);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(frame);
  setFixedSize(320, 100);
}

WaitWindow& WaitWindow::instance() {
  static WaitWindow* window = new WaitWindow;  // lives as long as the program
  return *window;
}

void WaitWindow::showCentered() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect r = screen->availableGeometry();
    move(r.center() - rect().center());
  }
  show();
  raise();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

WaitScope::WaitScope() { WaitWindow::instance().showCentered(); }

WaitScope::~WaitScope() { WaitWindow::instance().hide(); }

}  // namespace kroyna::common
