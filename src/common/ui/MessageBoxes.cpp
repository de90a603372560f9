#include "common/ui/MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

#include "common/Messages.h"

namespace kroyna::common {

namespace {

MsgResult showBox(const QString& text, MsgIcon icon, MsgButtons buttons, QWidget* parent) {
  QMessageBox box(parent ? parent : QApplication::activeWindow());
  box.setWindowTitle(QStringLiteral("Раскрой листового материала"));
  box.setText(displayText(text));
  switch (icon) {
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Confirmation: box.setIcon(QMessageBox::Question); break;
  }
  switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    case MsgButtons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    case MsgButtons::YesNoDefaultNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);
      break;
  }
  if (auto* yes = box.button(QMessageBox::Yes)) yes->setText(QStringLiteral("&Да"));
  if (auto* no = box.button(QMessageBox::No)) no->setText(QStringLiteral("&Нет"));
  if (auto* cancel = box.button(QMessageBox::Cancel)) cancel->setText(QStringLiteral("Отмена"));
  if (auto* retry = box.button(QMessageBox::Retry)) retry->setText(QStringLiteral("&Повторить"));
  switch (box.exec()) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Retry: return MsgResult::Retry;
    case QMessageBox::Ok: return MsgResult::Ok;
    default: return MsgResult::Cancel;
  }
}

}  // namespace

void installMessageBoxes() { setMessagePresenter(showBox); }

QHBoxLayout* warningHeading(QWidget* dialog, const QString& text) {
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel(dialog);
  const int size = dialog->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, dialog);
  icon->setPixmap(dialog->style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, dialog).pixmap(size, size));
  icon->setAlignment(Qt::AlignTop);
  top->addWidget(icon);
  top->addWidget(new QLabel(text, dialog), 1);
  return top;
}

QDialogButtonBox* yesCancelButtons(QDialog* dialog) {
  auto* box = new QDialogButtonBox(dialog);
  box->addButton(QStringLiteral("&Да"), QDialogButtonBox::AcceptRole)->setDefault(true);
  box->addButton(QStringLiteral("&Отмена"), QDialogButtonBox::RejectRole);
  QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return box;
}

}  // namespace kroyna::common
