#pragma once

// The merge dialog "Слияние": how many times the other parts database is
// added to the open one ("Количество", 1 to 100, starting at 1).

#include <QDialog>

#include <optional>

class QSpinBox;

namespace kroyna::parts {

class MergeDialog : public QDialog {
  Q_OBJECT
 public:
  explicit MergeDialog(QWidget* parent = nullptr);
  int count() const;
  QSpinBox* countBox() const { return count_; }

  // Shows the dialog; the count on "&Да", nothing otherwise.
  static std::optional<int> ask(QWidget* parent);

 private:
  QSpinBox* count_ = nullptr;
};

}  // namespace kroyna::parts
