#include "common/ui/PageParamsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kroyna::common {
namespace {
QSpinBox* marginBox(int value, QWidget* parent, const char* name) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(0, 100);
  box->setSuffix(QStringLiteral(" мм"));
  box->setValue(value);
  return box;
}
}  // namespace

PageParamsDialog::PageParamsDialog(const PageMargins& m, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Параметры страницы"));
  auto* group = new QGroupBox(QStringLiteral("Поля страницы"), this);
  top_ = marginBox(m.top, group, "top");
  left_ = marginBox(m.left, group, "left");
  right_ = marginBox(m.right, group, "right");
  bottom_ = marginBox(m.bottom, group, "bottom");
  auto* form = new QFormLayout(group);
  form->addRow(QStringLiteral("Верхнее\nполе:"), top_);
  form->addRow(QStringLiteral("Левое\nполе:"), left_);
  form->addRow(QStringLiteral("Правое\nполе:"), right_);
  form->addRow(QStringLiteral("Нижнее\nполе:"), bottom_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Да"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Отмена"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(buttons);
}

PageMargins PageParamsDialog::margins() const {
  return {top_->value(), left_->value(), right_->value(), bottom_->value()};
}

}  // namespace kroyna::common
