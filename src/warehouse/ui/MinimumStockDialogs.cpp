#include "warehouse/ui/MinimumStockDialogs.h"

#include "common/Messages.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/WaitWindow.h"
#include "platform/ini/IniFile.h"
#include "warehouse/StockModule.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <set>

namespace kroyna::warehouse {

namespace {

constexpr const char* kLayoutSection = "Quantity_Window";

// Keeps a minimum still being typed in the grid. A text that is no
// minimum is refused with its message and stays in the cell to be mended.
bool finishTyping(QTableView* grid) {
  const QModelIndex current = grid->currentIndex();
  QWidget* editor = grid->indexWidget(current);
  if (!editor) return true;
  if (auto* line = qobject_cast<QLineEdit*>(editor); line && !parseMinimum(line->text())) {
    common::showError(minimumInputError(), grid);
    line->setFocus();
    return false;
  }
  QAbstractItemDelegate* d = grid->itemDelegateForIndex(current);
  QMetaObject::invokeMethod(d, "commitData", Qt::DirectConnection, Q_ARG(QWidget*, editor));
  QMetaObject::invokeMethod(d, "closeEditor", Qt::DirectConnection, Q_ARG(QWidget*, editor),
                            Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
  return true;
}

}  // namespace

// ---- Quantity ----

SheetQuantityDialog::SheetQuantityDialog(std::int32_t quantity, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Количество листов"));
  auto* v = new QVBoxLayout(this);
  auto* label = new QLabel(QStringLiteral("Количество листов"), this);
  edit_ = new QLineEdit(QString::number(quantity), this);
  edit_->setMaxLength(10);
  edit_->selectAll();
  label->setBuddy(edit_);
  v->addWidget(label);
  v->addWidget(edit_);
  v->addWidget(common::yesCancelButtons(this));
  edit_->setFocus();
}

void SheetQuantityDialog::accept() {
  const auto n = parseMinimum(edit_->text());
  if (!n) {
    common::showError(minimumInputError(), this);
    edit_->setFocus();
    edit_->selectAll();
    return;
  }
  quantity_ = *n;
  QDialog::accept();
}

QuantityPrompt quantityDialogPrompt(QWidget* parent) {
  return [parent](std::int32_t initial) -> std::optional<std::int32_t> {
    SheetQuantityDialog d(initial, parent);
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.quantity();
  };
}

// ---- Minimum stock ----

MinimumStockDialog::MinimumStockDialog(StockModule& module, ini::IniFile& settings, int code, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setWindowTitle(QStringLiteral("Минимум листов"));
  table_ = std::make_unique<MinimumStockTable>(module.patternFolder(), minimumScratchTable(module.dataRoot()));
  try {
    table_->load(module.materials().materials(), settings);
  } catch (const std::exception& e) {
    // The rows read so far stay; the others keep their stored minimums.
    common::showError(QString::fromUtf8(e.what()), parent);
  }
  model_ = std::make_unique<MinimumStockModel>(*table_);

  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QToolBar(this);
  auto button = [&](const QString& caption, auto slot) {
    auto* b = new QToolButton(bar);
    b->setText(caption);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(b);
    connect(b, &QToolButton::clicked, this, slot);
    return b;
  };
  quantity_ = button(QStringLiteral("&Количество"), &MinimumStockDialog::setSelectedQuantity);
  quantity_->setToolTip(QStringLiteral("Количество листов выделенных материалов"));
  button(QStringLiteral("&Да"), &MinimumStockDialog::accept);
  button(QStringLiteral("&Отмена"), &MinimumStockDialog::reject);
  v->addWidget(bar);

  grid_ = new QTableView(this);
  grid_->setModel(model_.get());
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setStretchLastSection(true);
  v->addWidget(grid_, 1);
  connect(grid_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { quantity_->setEnabled(!selectedRows().isEmpty()); });

  // The layout as last left.
  grid_->setColumnWidth(0, std::max(40, settings_.readInt(kLayoutSection, "ColWidth0", 240)));
  grid_->setColumnWidth(1, std::max(40, settings_.readInt(kLayoutSection, "ColWidth1", 100)));
  resize(std::max(260, settings_.readInt(kLayoutSection, "Width", 420)),
         std::max(200, settings_.readInt(kLayoutSection, "Height", 400)));

  // The first row, then the material's row when it is listed.
  int row = table_->rowOf(code);
  if (row < 0) row = 0;
  if (table_->rowCount() > 0) {
    grid_->setCurrentIndex(model_->index(row, 1));
    grid_->selectRow(row);
    grid_->scrollTo(model_->index(row, 0));
  }
  quantity_->setEnabled(!selectedRows().isEmpty());
  prompt_ = quantityDialogPrompt(this);
}

MinimumStockDialog::~MinimumStockDialog() {
  // The grid lets go of the model before the rows and their scratch table go.
  grid_->setModel(nullptr);
}

QList<int> MinimumStockDialog::selectedRows() const {
  std::set<int> rows;
  for (const QModelIndex& i : grid_->selectionModel()->selectedIndexes()) rows.insert(i.row());
  return QList<int>(rows.begin(), rows.end());
}

void MinimumStockDialog::setSelectedQuantity() {
  if (!finishTyping(grid_)) return;
  const QList<int> rows = selectedRows();
  if (rows.isEmpty()) return;
  const std::int32_t initial = rows.size() == 1 ? table_->quantity(rows.first()) : 0;
  const std::optional<std::int32_t> n = prompt_ ? prompt_(initial) : std::nullopt;
  if (!n) return;
  try {
    model_->setQuantity(rows, *n);
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
  }
}

void MinimumStockDialog::saveLayout() {
  try {
    settings_.batch([&] {
      settings_.writeInt(kLayoutSection, "ColWidth0", grid_->columnWidth(0));
      settings_.writeInt(kLayoutSection, "ColWidth1", grid_->columnWidth(1));
      settings_.writeInt(kLayoutSection, "Width", width());
      settings_.writeInt(kLayoutSection, "Height", height());
    });
  } catch (const std::exception&) {
    // Layout only.
  }
}

void MinimumStockDialog::accept() {
  // A minimum still being typed counts.
  if (!finishTyping(grid_)) return;
  {
    common::WaitScope wait;
    saveLayout();
    try {
      table_->write(settings_);
    } catch (const std::exception& e) {
      common::showError(
          QStringLiteral("Минимальное количество листов не сохранено:\r%1").arg(QString::fromUtf8(e.what())), this);
      return;
    }
  }
  QDialog::accept();
}

void editMinimumStock(StockModule& module, ini::IniFile& settings, int code, QWidget* parent) {
  std::unique_ptr<MinimumStockDialog> d;
  try {
    d = std::make_unique<MinimumStockDialog>(module, settings, code, parent);
  } catch (const std::exception& e) {
    common::showError(
        QStringLiteral("Ошибка открытия таблицы минимального количества листов:\r%1").arg(QString::fromUtf8(e.what())),
        parent);
    return;
  }
  d->exec();
}

}  // namespace kroyna::warehouse
