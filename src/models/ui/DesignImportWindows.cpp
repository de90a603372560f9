#include "models/ui/DesignImportWindows.h"

#include "common/ui/MessageBoxes.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kroyna::models {

// ---- "Импорт баз деталей" ----

AutoRunProgressWindow::AutoRunProgressWindow(int maximum, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("AutoRunProgress"));
  setWindowTitle(QStringLiteral("Импорт баз деталей"));
  auto* layout = new QVBoxLayout(this);
  kind_ = new QLabel(this);
  QFont bold = kind_->font();
  bold.setBold(true);
  kind_->setFont(bold);
  file_ = new QLabel(this);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, std::max(0, maximum));
  bar_->setValue(0);
  layout->addWidget(kind_);
  layout->addWidget(file_);
  layout->addWidget(bar_);
  setMinimumWidth(380);
}

void AutoRunProgressWindow::setStep(const QString& kind, const QString& file, int progress) {
  kind_->setText(kind);
  file_->setText(file);
  bar_->setValue(std::clamp(progress, bar_->minimum(), bar_->maximum()));
  // The window is painted before the next file keeps the program busy.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// ---- "Модели" ----

MissingModelsDialog::MissingModelsDialog(const QStringList& names, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("MissingModelsDialog"));
  setWindowTitle(QStringLiteral("Модели"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(
      common::warningHeading(this, QStringLiteral("ВНИМАНИЕ!\nОтсутствует информация для следующих моделей")));
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("lstModels"));
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->addItems(names);
  layout->addWidget(list_, 1);
  ignore_ = new QRadioButton(QStringLiteral("Проигнорировать"), this);
  ignore_->setObjectName(QStringLiteral("rbIgnore"));
  create_ = new QRadioButton(QStringLiteral("Создать файл со списком моделей"), this);
  create_->setObjectName(QStringLiteral("rbCreate"));
  ignore_->setChecked(true);
  layout->addWidget(ignore_);
  layout->addWidget(create_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("&Да"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("btnOk"));
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  resize(420, 340);
}

bool MissingModelsDialog::createListFile() const { return create_->isChecked(); }

bool MissingModelsDialog::ask(QWidget* parent, const QStringList& names) {
  MissingModelsDialog dialog(names, parent);
  return dialog.exec() == QDialog::Accepted && dialog.createListFile();
}

}  // namespace kroyna::models
