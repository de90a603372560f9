#include "warehouse/ui/WarehouseDialogs.h"

#include "common/AppContext.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "common/ui/MessageBoxes.h"
#include "platform/ini/IniFile.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace kroyna::warehouse {

namespace {

SheetChoiceHandler& sheetChoiceHandler() {
  static SheetChoiceHandler h;
  return h;
}

RunOutHandler& runOutHandler() {
  static RunOutHandler h;
  return h;
}

RunOutChoice& lastRunOut() {
  static RunOutChoice c = RunOutChoice::Finish;
  return c;
}

void addOkCancel(QDialog* d, QBoxLayout* layout) { layout->addWidget(common::yesCancelButtons(d)); }

ini::IniFile* programSettings() {
  common::AppContext* c = common::AppContext::current();
  return c ? &c->settings().ini() : nullptr;
}

}  // namespace

// ---- Sheet choice ----

void setSheetChoiceHandler(SheetChoiceHandler handler) { sheetChoiceHandler() = std::move(handler); }

std::optional<SheetChoice> chooseStandardSheet(StockModule& module, const QString& materialName, QWidget* parent) {
  if (sheetChoiceHandler()) return sheetChoiceHandler()(module, materialName);
  SheetChoiceDialog d(module.tblSheets2(), materialName, programSettings(), parent);
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return d.result();
}

SheetChoiceDialog::SheetChoiceDialog(dbase::Table& view, const QString& materialName, ini::IniFile* settings,
                                     QWidget* parent)
    : QDialog(parent), view_(view), materialName_(materialName), settings_(settings) {
  setWindowTitle(QStringLiteral("Выбор из базы листов"));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Материал"), this));
  auto* name = new QLabel(materialName.isEmpty() ? QStringLiteral("<нет данных>") : materialName, this);
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  top->addWidget(name, 1);
  layout->addLayout(top);
  grid_ = new QTableWidget(this);
  grid_->setColumnCount(3);
  grid_->setHorizontalHeaderLabels({QStringLiteral("Длина"), QStringLiteral("Ширина"), QStringLiteral("Количество")});
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  if (view_.isOpen()) {
    const int current = view_.position();
    for (std::size_t i = 0; i < view_.rowCount(); ++i) {
      const dbase::Row row = view_.rowAt(i);
      const int r = grid_->rowCount();
      grid_->insertRow(r);
      for (int c = 0; c < 3; ++c) {
        const char* field = c == 0 ? "LENGTH" : c == 1 ? "WIDTH" : "MANY";
        const int idx = view_.fieldIndex(field);
        const dbase::Value& v = row[static_cast<std::size_t>(idx)];
        auto* item =
            new QTableWidgetItem(v.isNumber() ? QString::fromStdString(dbase::wholeNumberText(v.number())) : QString());
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid_->setItem(r, c, item);
      }
    }
    if (grid_->rowCount() > 0) grid_->selectRow(current >= 0 ? current : 0);
  }
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { accept(); });
  layout->addWidget(grid_, 1);
  addOkCancel(this, layout);
  // Layout kept in section SelectSheet.
  int w = 400, h = 300;
  if (settings_) {
    for (int c = 0; c < 3; ++c)
      grid_->setColumnWidth(c, settings_->readInt("SelectSheet", "ColWidth" + std::to_string(c), 120));
    w = settings_->readInt("SelectSheet", "Width", 400);
    h = settings_->readInt("SelectSheet", "Height", 300);
    if (settings_->readInt("SelectSheet", "WinState", 0) == 2) setWindowState(Qt::WindowMaximized);
  }
  resize(std::max(w, 200), std::max(h, 150));
}

SheetChoiceDialog::~SheetChoiceDialog() {
  if (!settings_) return;
  try {
    settings_->batch([&] {
      for (int c = 0; c < 3; ++c)
        settings_->writeInt("SelectSheet", "ColWidth" + std::to_string(c), grid_->columnWidth(c));
      settings_->writeInt("SelectSheet", "WinState", isMaximized() ? 2 : 0);
      settings_->writeInt("SelectSheet", "Width", width());
      settings_->writeInt("SelectSheet", "Height", height());
    });
  } catch (const std::exception&) {
    // The layout is a convenience; a settings file that cannot be written
    // is reported by the commands that need it.
  }
}

void SheetChoiceDialog::accept() {
  if (view_.isOpen() && !view_.isEmpty()) {
    const int row = grid_->currentRow() >= 0 ? grid_->currentRow() : 0;
    view_.first();
    for (int i = 0; i < row; ++i) view_.next();
  }
  const auto picked = pickSheet(view_, materialName_);
  if (const QString* message = std::get_if<QString>(&picked)) {
    common::showError(*message, this);
    return;
  }
  result_ = std::get<SheetChoice>(picked);
  QDialog::accept();
}

// ---- Run-out ----

void setRunOutHandler(RunOutHandler handler) { runOutHandler() = std::move(handler); }

RunOutChoice askRunOut(QWidget* parent) {
  RunOutChoice choice;
  if (runOutHandler()) {
    choice = runOutHandler()(lastRunOut());
  } else {
    RunOutDialog d(lastRunOut(), parent);
    d.exec();
    choice = d.choice();
  }
  lastRunOut() = choice;
  return choice;
}

RunOutDialog::RunOutDialog(RunOutChoice preselected, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Склад (стандартные листы)"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("На складе закончились стандартные листы ."), this));
  auto* group = new QGroupBox(QStringLiteral("Варианты продолжения"), this);
  auto* g = new QVBoxLayout(group);
  const char* captions[3] = {"Завершить разложение", "Продолжить разложение на листах текущего размера",
                             "Продолжить разложение на листах другого размера"};
  for (int i = 0; i < 3; ++i) {
    buttons_[i] = new QRadioButton(QString::fromUtf8(captions[i]), group);
    g->addWidget(buttons_[i]);
  }
  buttons_[static_cast<int>(preselected)]->setChecked(true);
  layout->addWidget(group);
  auto* next = new QPushButton(QStringLiteral("&Далее"), this);
  next->setDefault(true);
  connect(next, &QPushButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(next);
  layout->addLayout(row);
}

RunOutChoice RunOutDialog::choice() const {
  for (int i = 0; i < 3; ++i)
    if (buttons_[i]->isChecked()) return static_cast<RunOutChoice>(i);
  return RunOutChoice::Finish;
}

// ---- Add sheet ----

AddSheetDialog::AddSheetDialog(const QList<BarEntry>& materials, int selected, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Добавление листов"));
  auto* layout = new QVBoxLayout(this);
  auto* size = new QGroupBox(QStringLiteral("Размер листа"), this);
  auto* form = new QFormLayout(size);
  auto* validator = new QIntValidator(0, 2147483647, this);
  length_ = new QLineEdit(size);
  width_ = new QLineEdit(size);
  length_->setValidator(validator);
  width_->setValidator(validator);
  form->addRow(QStringLiteral("Длина листа"), length_);
  form->addRow(QStringLiteral("Ширина листа"), width_);
  layout->addWidget(size);
  auto* rest = new QFormLayout;
  quantity_ = new QLineEdit(this);
  quantity_->setValidator(validator);
  rest->addRow(QStringLiteral("Количество"), quantity_);
  material_ = new QComboBox(this);
  for (const BarEntry& e : materials) {
    if (e.code == kAllMaterials) continue;
    material_->addItem(e.name, e.code);
  }
  material_->setCurrentIndex(selected == kAllMaterials ? -1 : material_->findData(selected));
  rest->addRow(QStringLiteral("Материал"), material_);
  layout->addLayout(rest);
  addOkCancel(this, layout);
}

AddSheetInput AddSheetDialog::input() const {
  AddSheetInput in{length_->text(), width_->text(), quantity_->text(), std::nullopt};
  if (material_->currentIndex() >= 0) in.material = material_->currentData().toInt();
  return in;
}

void AddSheetDialog::setInput(const AddSheetInput& in) {
  length_->setText(in.length);
  width_->setText(in.width);
  quantity_->setText(in.quantity);
  material_->setCurrentIndex(in.material ? material_->findData(*in.material) : -1);
}

void AddSheetDialog::accept() {
  if (const auto fault = checkAddSheet(input())) {
    common::showError(fault->message, this);
    QWidget* fields[4] = {length_, width_, quantity_, material_};
    fields[fault->field]->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace kroyna::warehouse
