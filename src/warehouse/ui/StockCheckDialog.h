#pragma once

// The shortage dialog "Стандартные листы" of the stock check: a warning
// icon, "ВНИМАНИЕ!" with the heading, the report in a read-only scrolling
// text, and "&Да".

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

namespace kroyna::warehouse {

class StockShortageDialog : public QDialog {
  Q_OBJECT
 public:
  explicit StockShortageDialog(const QStringList& lines, QWidget* parent = nullptr);
  QPlainTextEdit* report() const { return report_; }

 private:
  QPlainTextEdit* report_ = nullptr;
};

// Makes the stock check show its reports in this dialog (see
// setShortageDisplay). While messages are answered automatically (start-up
// tests), the report goes to standard error instead.
void installShortageDialog();

}  // namespace kroyna::warehouse
