#pragma once

#include <QLabel>

namespace kroyna::common {

// A panel of a window's status line: as wide as its text + 8 pixels while
// there is room; in a narrow window it gives way and ends its text in "…",
// the whole text then being its tooltip. Panels of one line never overlap.
class StatusPanel : public QLabel {
 public:
  explicit StatusPanel(QWidget* parent = nullptr);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  void setPanelText(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QRect textRect() const;
  QString shownText() const;
  void updateTip();
};

}  // namespace kroyna::common
