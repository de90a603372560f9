#include "parts/ui/MergeDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kroyna::parts {

MergeDialog::MergeDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Слияние"));
  setObjectName(QStringLiteral("MergeDialog"));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* label = new QLabel(QStringLiteral("Количество"), this);
  count_ = new QSpinBox(this);
  count_->setObjectName(QStringLiteral("seCount"));
  count_->setRange(1, 100);
  count_->setValue(1);
  label->setBuddy(count_);
  row->addWidget(label);
  row->addWidget(count_, 1);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("&Да"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("btnOk"));
  ok->setDefault(true);
  buttons->addButton(QStringLiteral("&Отмена"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  count_->setFocus();
  count_->selectAll();
}

int MergeDialog::count() const { return count_->value(); }

std::optional<int> MergeDialog::ask(QWidget* parent) {
  MergeDialog dialog(parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.count();
}

}  // namespace kroyna::parts
