#include "parts/ui/PartNames.h"

#include "common/Messages.h"
#include "platform/ini/IniFile.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kroyna::parts {

namespace {

constexpr const char* kWindowSection = "DetalNames_Window";

class NameDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* e = new QLineEdit(parent);
    e->setMaxLength(kPartNameLength);
    return e;
  }
};

}  // namespace

QStringList loadPartNames(const ini::IniFile& settings) {
  QStringList names;
  for (const auto& [key, value] : settings.readSectionValues("Detal_Name")) {
    (void)key;
    names << QString::fromStdString(value);
  }
  names.sort();
  return names;
}

void savePartNames(ini::IniFile& settings, const QStringList& names) {
  settings.batch([&] {
    settings.eraseSection("Detal_Name");
    int key = 1;
    for (const QString& n : names) {
      const QString name = n.trimmed().left(kPartNameLength);
      if (name.isEmpty()) continue;
      settings.writeString("Detal_Name", std::to_string(key++), name.toStdString());
    }
  });
}

PartNamesDialog::PartNamesDialog(ini::IniFile& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
  setWindowTitle(QStringLiteral("Названия деталей"));
  grid_ = new QTableWidget(0, 1, this);
  grid_->setHorizontalHeaderLabels({QStringLiteral("Название")});
  grid_->setItemDelegate(new NameDelegate(grid_));
  grid_->horizontalHeader()->setStretchLastSection(false);
  grid_->setColumnWidth(0, settings_.readInt(kWindowSection, "ColWidth0", 200));
  for (const QString& name : loadPartNames(settings_)) {
    const int row = grid_->rowCount();
    grid_->insertRow(row);
    grid_->setItem(row, 0, new QTableWidgetItem(name));
  }
  ensureEmptyLastRow();
  connect(grid_, &QTableWidget::itemChanged, this, [this] { ensureEmptyLastRow(); });

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* remove = buttons->addButton(QStringLiteral("&Удалить"), QDialogButtonBox::ActionRole);
  QPushButton* ok = buttons->addButton(QStringLiteral("&Да"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("&Отмена"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  connect(remove, &QPushButton::clicked, this, &PartNamesDialog::removeCurrent);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (save()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* v = new QVBoxLayout(this);
  v->addWidget(grid_);
  v->addWidget(buttons);
  resize(320, 420);
}

void PartNamesDialog::ensureEmptyLastRow() {
  const int last = grid_->rowCount() - 1;
  if (last >= 0 && (!grid_->item(last, 0) || grid_->item(last, 0)->text().trimmed().isEmpty())) return;
  const QSignalBlocker block(grid_);
  grid_->insertRow(last + 1);
  grid_->setItem(last + 1, 0, new QTableWidgetItem(QString()));
}

QStringList PartNamesDialog::names() const {
  QStringList out;
  for (int r = 0; r < grid_->rowCount(); ++r)
    if (const QTableWidgetItem* item = grid_->item(r, 0); item && !item->text().trimmed().isEmpty())
      out << item->text().trimmed();
  return out;
}

void PartNamesDialog::removeCurrent() {
  const int row = grid_->currentRow();
  if (row < 0) return;
  grid_->removeRow(row);
  ensureEmptyLastRow();
}

bool PartNamesDialog::save() {
  try {
    savePartNames(settings_, names());
    settings_.writeInt(kWindowSection, "ColWidth0", grid_->columnWidth(0));
    return true;
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
    return false;
  }
}

}  // namespace kroyna::parts
