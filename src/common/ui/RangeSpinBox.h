#pragma once

// A number field that refuses what it cannot take. A plain QSpinBox drops
// the keystroke that leaves its range, so typing 99 into a field of 1..10
// quietly gives 9. This one lets the number be typed, and when the field is
// left with a number outside the range it says so, names the limits and
// goes back to the value it had.

#include <QSpinBox>

namespace kroyna::common {

class RangeSpinBox : public QSpinBox {
  Q_OBJECT
 public:
  // `what` names the value in the refusal ("Усилие").
  RangeSpinBox(const QString& what, int minimum, int maximum, QWidget* parent = nullptr);

  // "Усилие (1–10)": a caption for the field's label that shows the limits.
  QString captionWithLimits() const;

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;

 private:
  void sayRefused();

  QString what_;
  // The text refused while the field was left; said once it has gone back.
  mutable QString refused_;
};

}  // namespace kroyna::common
