#pragma once

#include "common/PageMargins.h"

#include <QDialog>

class QSpinBox;

namespace kroyna::common {

// "Параметры страницы": the four report page margins, 0 to 100 mm each.
class PageParamsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PageParamsDialog(const PageMargins& margins, QWidget* parent = nullptr);
  PageMargins margins() const;

 private:
  QSpinBox* top_;
  QSpinBox* left_;
  QSpinBox* right_;
  QSpinBox* bottom_;
};

}  // namespace kroyna::common
