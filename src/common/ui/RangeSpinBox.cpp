#include "common/ui/RangeSpinBox.h"

#include "common/Messages.h"

#include <QLineEdit>

namespace kroyna::common {

namespace {

// Digits only, with at most one leading minus: a number the user is typing.
bool isNumberText(const QString& text) {
  if (text.isEmpty()) return false;
  for (int i = 0; i < text.size(); ++i) {
    if (text[i].isDigit()) continue;
    if (i == 0 && text[i] == QLatin1Char('-') && text.size() > 1) continue;
    return false;
  }
  return true;
}

}  // namespace

RangeSpinBox::RangeSpinBox(const QString& what, int minimum, int maximum, QWidget* parent)
    : QSpinBox(parent), what_(what) {
  setRange(minimum, maximum);
  // The value changes when the field is left, not with every digit, so
  // that a refused number goes back to the value before it.
  setKeyboardTracking(false);
  setToolTip(captionWithLimits());
  connect(this, &QAbstractSpinBox::editingFinished, this, &RangeSpinBox::sayRefused);
}

QString RangeSpinBox::captionWithLimits() const {
  return QStringLiteral("%1 (%2–%3)").arg(what_).arg(minimum()).arg(maximum());
}

QValidator::State RangeSpinBox::validate(QString& input, int& pos) const {
  const QValidator::State state = QSpinBox::validate(input, pos);
  // A number out of range stays typed, to be refused when the field is left.
  if (state == QValidator::Invalid && isNumberText(input.trimmed()) && input.trimmed().size() <= 9)
    return QValidator::Intermediate;
  return state;
}

void RangeSpinBox::fixup(QString& input) const {
  bool ok = false;
  const int n = input.trimmed().toInt(&ok);
  if (ok && (n < minimum() || n > maximum())) refused_ = input.trimmed();
  QSpinBox::fixup(input);
}

void RangeSpinBox::sayRefused() {
  if (refused_.isEmpty()) return;
  const QString text = QStringLiteral("%1: %2 не подходит, допустимо число от %3 до %4.")
                           .arg(what_, refused_)
                           .arg(minimum())
                           .arg(maximum());
  refused_.clear();
  // The field shows its last value again before the message comes.
  lineEdit()->setText(textFromValue(value()));
  showMessage(text, MsgIcon::Warning, MsgButtons::Ok, this);
}

}  // namespace kroyna::common
