#include "warehouse/ui/StockCheckDialog.h"

#include "common/ui/MessageBoxes.h"
#include "warehouse/StockCheck.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace kroyna::warehouse {

StockShortageDialog::StockShortageDialog(const QStringList& lines, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Стандартные листы"));
  auto* v = new QVBoxLayout(this);
  v->addLayout(
      common::warningHeading(this, QStringLiteral("ВНИМАНИЕ!\nНедостаточно следующих стандартных листов на складе")));
  report_ = new QPlainTextEdit(this);
  report_->setReadOnly(true);
  report_->setLineWrapMode(QPlainTextEdit::NoWrap);
  report_->setPlainText(lines.join(QLatin1Char('\n')));
  v->addWidget(report_, 1);
  auto* box = new QDialogButtonBox(this);
  QPushButton* yes = box->addButton(QStringLiteral("&Да"), QDialogButtonBox::AcceptRole);
  yes->setDefault(true);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  v->addWidget(box);
  resize(440, 320);
  yes->setFocus();
}

void installShortageDialog() {
  setShortageDisplay([](const QStringList& lines) {
    if (qEnvironmentVariableIsSet("KROYNA_AUTO_ANSWER_MESSAGES")) {
      std::fprintf(stderr, "ВНИМАНИЕ!\nНедостаточно следующих стандартных листов на складе\n%s\n",
                   lines.join(QLatin1Char('\n')).toUtf8().constData());
      return;
    }
    StockShortageDialog d(lines, QApplication::activeWindow());
    d.exec();
  });
}

}  // namespace kroyna::warehouse
