#include "common/ui/DialogTitles.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QStyle>

namespace kroyna::common {

namespace {

class TitleFitter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
      auto* w = static_cast<QWidget*>(watched);
      if (w->isWindow() && qobject_cast<QDialog*>(w)) fitToTitle(*w);
    }
    return false;
  }
};

}  // namespace

int widthForTitle(const QWidget& window, const QString& title) {
  // Frames draw titles in a bold face of about the application's size.
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  const int text = QFontMetrics(font).horizontalAdvance(title);
  // The frame's icon and its help and close buttons, with their gaps.
  const int icon = window.style()->pixelMetric(QStyle::PM_TitleBarButtonIconSize, nullptr, &window);
  return text + 4 * std::max(icon, 16) + 48;
}

void fitToTitle(QWidget& dialog) {
  const int need = widthForTitle(dialog, dialog.windowTitle());
  if (dialog.width() >= need) return;
  if (dialog.maximumWidth() < need) return;  // a fixed size stays
  dialog.resize(need, dialog.height());
}

void installDialogTitleFitting() {
  static TitleFitter* fitter = nullptr;
  if (fitter || !qApp) return;
  fitter = new TitleFitter(qApp);
  qApp->installEventFilter(fitter);
}

}  // namespace kroyna::common
