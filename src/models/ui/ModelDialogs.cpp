#include "models/ui/ModelDialogs.h"

#include "common/Messages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace kroyna::models {

namespace {

// Names longer than this are not useful in a list and make the record
// heavy; the edits stop there.
constexpr int kMaxNameLength = 255;

QPushButton* addButton(QDialogButtonBox* box, const QString& text, QDialogButtonBox::ButtonRole role,
                       const char* name) {
  QPushButton* b = box->addButton(text, role);
  b->setObjectName(QString::fromLatin1(name));
  return b;
}

}  // namespace

// ---- "Ввод названия" ----

SectionNameDialog::SectionNameDialog(const QString& initial, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Ввод названия"));
  setObjectName(QStringLiteral("SectionNameDialog"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Название раздела"), this));
  edit_ = new QLineEdit(initial, this);
  edit_->setObjectName(QStringLiteral("edtName"));
  edit_->setMaxLength(kMaxNameLength);
  edit_->setMinimumWidth(280);
  layout->addWidget(edit_);
  auto* buttons = new QDialogButtonBox(this);
  ok_ = addButton(buttons, QStringLiteral("&Да"), QDialogButtonBox::AcceptRole, "btnOk");
  ok_->setDefault(true);
  addButton(buttons, QStringLiteral("&Отмена"), QDialogButtonBox::RejectRole, "btnCancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  auto update = [this] { ok_->setEnabled(!name().isEmpty()); };
  connect(edit_, &QLineEdit::textChanged, this, update);
  update();
  edit_->selectAll();
}

QString SectionNameDialog::name() const { return edit_->text().trimmed(); }

std::optional<QString> SectionNameDialog::ask(QWidget* parent, const QString& initial) {
  SectionNameDialog dialog(initial, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.name();
}

// ---- "Свойства модели" ----

ModelPropertiesDialog::ModelPropertiesDialog(const QStringList& sections, const ModelProperties& initial,
                                             QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Свойства модели"));
  setObjectName(QStringLiteral("ModelPropertiesDialog"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Название раздела:"), this));
  sections_ = new QComboBox(this);
  sections_->setObjectName(QStringLiteral("cbSection"));
  sections_->addItems(sections);
  sections_->setCurrentIndex(preselectedSection(sections, initial.section));
  layout->addWidget(sections_);
  layout->addWidget(new QLabel(QStringLiteral("Название модели:"), this));
  name_ = new QLineEdit(initial.name, this);
  name_->setObjectName(QStringLiteral("edtModelName"));
  name_->setMaxLength(kMaxNameLength);
  name_->setMinimumWidth(320);
  layout->addWidget(name_);
  auto* buttons = new QDialogButtonBox(this);
  addButton(buttons, QStringLiteral("&Да"), QDialogButtonBox::AcceptRole, "btnOk")->setDefault(true);
  addButton(buttons, QStringLiteral("&Отмена"), QDialogButtonBox::RejectRole, "btnCancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  name_->setFocus();
}

ModelProperties ModelPropertiesDialog::values() const {
  return ModelProperties{sections_->currentIndex() >= 0 ? sections_->currentText() : QString(), name_->text()};
}

void ModelPropertiesDialog::accept() {
  const QString why = checkModelProperties(values());
  if (!why.isEmpty()) {
    common::showMessage(why, common::MsgIcon::Error, common::MsgButtons::Ok, this);
    return;
  }
  QDialog::accept();
}

std::optional<ModelProperties> ModelPropertiesDialog::ask(QWidget* parent, const QStringList& sections,
                                                          const ModelProperties& initial) {
  ModelPropertiesDialog dialog(sections, initial, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.values();
}

// ---- "Изменение количества" ----

CountPopup::CountPopup(std::int32_t count, QWidget* parent) : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint) {
  setWindowTitle(QStringLiteral("Изменение количества"));
  setObjectName(QStringLiteral("CountPopup"));
  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(frame);
  auto* row = new QHBoxLayout(frame);
  row->setContentsMargins(6, 4, 6, 4);
  row->addWidget(new QLabel(QStringLiteral("Количество:"), frame));
  edit_ = new QLineEdit(QString::number(count), frame);
  edit_->setObjectName(QStringLiteral("edtCount"));
  // Whole numbers of up to ten digits, or with a decimal part, which is
  // rounded; no sign.
  edit_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("(\\d{1,10}([.,]\\d{0,3})?)?")), edit_));
  edit_->setMinimumWidth(110);
  row->addWidget(edit_);
  auto* ok = new QPushButton(QStringLiteral("&Да"), frame);
  ok->setObjectName(QStringLiteral("btnOk"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  row->addWidget(ok);
  edit_->selectAll();
  edit_->setFocus();
}

std::optional<std::int32_t> CountPopup::count() const { return countFromText(edit_->text()); }

std::optional<std::int32_t> CountPopup::ask(QWidget* parent, const QPoint& globalPos, std::int32_t count) {
  CountPopup popup(count, parent);
  popup.adjustSize();
  popup.move(globalPos);
  if (popup.exec() != QDialog::Accepted) return std::nullopt;
  return popup.count();
}

}  // namespace kroyna::models
