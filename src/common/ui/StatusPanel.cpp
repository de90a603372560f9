#include "common/ui/StatusPanel.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kroyna::common {

StatusPanel::StatusPanel(QWidget* parent) : QLabel(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize StatusPanel::sizeHint() const {
  // Measured in fractions and rounded up: a text given its whole width is
  // never shortened by the rounding.
  const int advance = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text())));
  return {advance + 8 + 2 * frameWidth(), QLabel::sizeHint().height()};
}

QSize StatusPanel::minimumSizeHint() const {
  return {std::min(sizeHint().width(), fontMetrics().horizontalAdvance(QStringLiteral("Лист…")) + 8),
          QLabel::minimumSizeHint().height()};
}

void StatusPanel::setPanelText(const QString& text) {
  setText(text);
  updateGeometry();
  updateTip();
}

void StatusPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  drawFrame(&p);
  p.drawText(textRect(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

void StatusPanel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  updateTip();
}

QRect StatusPanel::textRect() const { return contentsRect().adjusted(4, 0, -4, 0); }

QString StatusPanel::shownText() const { return fontMetrics().elidedText(text(), Qt::ElideRight, textRect().width()); }

void StatusPanel::updateTip() { setToolTip(shownText() == text() ? QString() : text()); }

}  // namespace kroyna::common
