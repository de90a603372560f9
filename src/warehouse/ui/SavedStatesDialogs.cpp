#include "warehouse/ui/SavedStatesDialogs.h"

#include "common/Messages.h"
#include "common/ui/HeaderWidths.h"
#include "common/ui/MessageBoxes.h"
#include "platform/ini/IniFile.h"
#include "warehouse/WarehouseController.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kroyna::warehouse {

namespace {

constexpr const char* kSection = "ViewWHs";
constexpr const char* kListName = "lvwWHs";

}  // namespace

// ---- Description ----

StateDescriptionDialog::StateDescriptionDialog(const QString& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Сохрание состояния склада"));
  auto* v = new QVBoxLayout(this);
  auto* label = new QLabel(QStringLiteral("Описание"), this);
  edit_ = new QLineEdit(text, this);
  edit_->setMinimumWidth(360);
  label->setBuddy(edit_);
  v->addWidget(label);
  v->addWidget(edit_);
  v->addWidget(common::yesCancelButtons(this));
  edit_->setFocus();
}

QString StateDescriptionDialog::text() const { return edit_->text(); }

void StateDescriptionDialog::accept() {
  if (const auto fault = checkDescription(edit_->text())) {
    common::showError(*fault, this);
    edit_->setFocus();
    return;
  }
  QDialog::accept();
}

SavedStatesController::DescriptionPrompt descriptionDialogPrompt(QWidget* parent) {
  return [parent](const QString& text) -> std::optional<QString> {
    StateDescriptionDialog d(text, parent);
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.text();
  };
}

// ---- List ----

SavedStatesDialog::SavedStatesDialog(SavedStatesController& controller, ini::IniFile& settings, QWidget* parent)
    : QDialog(parent), controller_(controller), settings_(settings) {
  setWindowTitle(QStringLiteral("Просмотр состояний склада"));
  auto* h = new QHBoxLayout(this);
  list_ = new QTreeWidget(this);
  list_->setObjectName(QString::fromLatin1(kListName));
  list_->setColumnCount(3);
  list_->setHeaderLabels({QStringLiteral("Дата"), QStringLiteral("Время"), QStringLiteral("Описание")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setAllColumnsShowFocus(true);
  list_->header()->setStretchLastSection(true);
  list_->setColumnWidth(0, 90);
  list_->setColumnWidth(1, 70);
  h->addWidget(list_, 1);
  auto* buttons = new QVBoxLayout;
  change_ = new QPushButton(QStringLiteral("Изменить"), this);
  restore_ = new QPushButton(QStringLiteral("Восстановить"), this);
  delete_ = new QPushButton(QStringLiteral("Удалить"), this);
  close_ = new QPushButton(QStringLiteral("Закрыть"), this);
  // Enter in the list runs "Изменить".
  change_->setDefault(true);
  for (QPushButton* b : {change_, restore_, delete_}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(close_);
  h->addLayout(buttons);
  connect(change_, &QPushButton::clicked, this, &SavedStatesDialog::changeSelected);
  connect(restore_, &QPushButton::clicked, this, &SavedStatesDialog::restoreSelected);
  connect(delete_, &QPushButton::clicked, this, &SavedStatesDialog::deleteSelected);
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { changeSelected(); });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, &SavedStatesDialog::updateButtons);

  resize(std::max(300, settings_.readInt(kSection, "Width", 520)),
         std::max(160, settings_.readInt(kSection, "Height", 300)));
  common::readColumnWidths(settings_, kSection, kListName, *list_->header());
  reload();
  // The newest state is the one most often wanted.
  if (QTreeWidgetItem* newest = list_->topLevelItem(list_->topLevelItemCount() - 1)) {
    list_->setCurrentItem(newest);
    newest->setSelected(true);
  }
}

SavedStatesDialog::~SavedStatesDialog() {
  try {
    settings_.batch([&] {
      common::writeColumnWidths(settings_, kSection, kListName, *list_->header());
      settings_.writeInt(kSection, "Width", width());
      settings_.writeInt(kSection, "Height", height());
    });
  } catch (const std::exception&) {
    // Layout only; the states themselves are not touched by it.
  }
}

QPushButton* SavedStatesDialog::button(const QString& caption) const {
  for (QPushButton* b : {change_, restore_, delete_, close_})
    if (b->text() == caption) return b;
  return nullptr;
}

QList<int> SavedStatesDialog::rowNumbers() const {
  QList<int> out;
  for (int i = 0; i < list_->topLevelItemCount(); ++i) out << list_->topLevelItem(i)->data(0, Qt::UserRole).toInt();
  return out;
}

int SavedStatesDialog::selectedNumber() const {
  const QList<QTreeWidgetItem*> items = list_->selectedItems();
  return items.isEmpty() ? 0 : items.first()->data(0, Qt::UserRole).toInt();
}

void SavedStatesDialog::updateButtons() {
  const bool any = selectedNumber() > 0;
  change_->setEnabled(any);
  restore_->setEnabled(any);
  delete_->setEnabled(any);
}

void SavedStatesDialog::reload() {
  const int keep = selectedNumber();
  list_->clear();
  for (const SavedState& s : controller_.states()) {
    auto* item = new QTreeWidgetItem(
        list_, {QString::fromStdString(s.date), QString::fromStdString(s.time), QString::fromStdString(s.remark)});
    item->setData(0, Qt::UserRole, s.number);
    if (s.number == keep) {
      list_->setCurrentItem(item);
      item->setSelected(true);
    }
  }
  updateButtons();
}

void SavedStatesDialog::changeSelected() {
  const int n = selectedNumber();
  if (n > 0 && controller_.changeRemark(n)) reload();
}

void SavedStatesDialog::deleteSelected() {
  const int n = selectedNumber();
  if (n > 0 && controller_.deleteState(n)) reload();
}

void SavedStatesDialog::restoreSelected() {
  const int n = selectedNumber();
  if (n <= 0) return;
  if (controller_.restoreState(n)) {
    accept();
    return;
  }
  // A state saved first is listed now.
  reload();
}

void saveWarehouseState(WarehouseController& warehouse, QWidget* parent) {
  SavedStatesController c(warehouse, descriptionDialogPrompt(parent));
  c.saveState();
}

void showSavedStates(WarehouseController& warehouse, QWidget* parent) {
  SavedStatesController c(warehouse, descriptionDialogPrompt(parent));
  SavedStatesDialog d(c, warehouse.settings(), parent);
  d.exec();
}

}  // namespace kroyna::warehouse
