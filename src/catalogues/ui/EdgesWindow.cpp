#include "catalogues/ui/CatalogueGrid.h"
#include "catalogues/ui/CatalogueWindows.h"

#include "common/Messages.h"
#include "common/SettingsUtils.h"
#include "common/ui/HeaderWidths.h"

#include <QAction>
#include <QCloseEvent>
#include <QColorDialog>
#include <QHeaderView>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace kroyna::catalogues {

namespace fs = std::filesystem;

// ---- EdgesModel ----

EdgesModel::EdgesModel(EdgesEditor& editor, QObject* parent) : CatalogueRowsModel(parent), editor_(editor) {}

int EdgesModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : editor_.rowCount(); }

int EdgesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant EdgesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const EdgesEditor::Row& row = editor_.row(index.row());
  if (index.column() == ColourColumn) {
    if (role == Qt::BackgroundRole) return common::toQColor(row.colour);
    return {};
  }
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  switch (index.column()) {
    case CodeColumn: return row.code ? QVariant(*row.code) : (role == Qt::EditRole ? QVariant(QString()) : QVariant());
    case NameColumn: return row.name;
    case AllowanceColumn: return row.allowance;
    default: return {};
  }
}

bool EdgesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  const int row = index.row();
  bool ok = true;
  switch (index.column()) {
    case CodeColumn: {
      const QString text = value.toString().trimmed();
      if (text.isEmpty()) {
        ok = editor_.setCode(row, std::nullopt);
      } else {
        bool isNumber = false;
        const int code = text.toInt(&isNumber);
        ok = isNumber && editor_.setCode(row, code);
      }
      break;
    }
    case NameColumn: editor_.setName(row, value.toString()); break;
    case AllowanceColumn: {
      bool isNumber = false;
      const int allowance = value.toString().trimmed().toInt(&isNumber);
      ok = isNumber && editor_.setAllowance(row, allowance);
      break;
    }
    default: return false;
  }
  if (ok) emit dataChanged(index, index);
  return ok;
}

QVariant EdgesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case CodeColumn: return QStringLiteral("Код");
    case NameColumn: return QStringLiteral("Название");
    case AllowanceColumn: return QStringLiteral("Припуск (мм)");
    case ColourColumn: return QStringLiteral("Цвет");
    default: return {};
  }
}

Qt::ItemFlags EdgesModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.column() != ColourColumn) f |= Qt::ItemIsEditable;
  return f;
}

bool EdgesModel::leaveNewRow() { return leaveNewRowOf(editor_); }

int EdgesModel::addRow() { return addRowTo(editor_); }

void EdgesModel::removeRow(int row) { removeRowOf(editor_, row); }

void EdgesModel::setColour(int row, int colour) {
  editor_.setColour(row, colour);
  emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void EdgesModel::reset() {
  beginResetModel();
  endResetModel();
}

// ---- EdgesWindow ----

EdgesWindow::EdgesWindow(Catalogues& catalogues, QWidget* parent) : QDialog(parent), catalogues_(catalogues) {
  const CataloguePaths paths{fs::path(catalogues.dataRoot().toStdString())};
  editor_ = std::make_unique<EdgesEditor>(paths, fs::path(catalogues.edgesTablePath().toStdString()));

  setObjectName(QStringLiteral("frmBordersSetup"));
  setWindowTitle(catalogues.isExternal()
                     ? QStringLiteral("%1 (%2)").arg(QStringLiteral("Кромки"), QStringLiteral("внешняя база"))
                     : QStringLiteral("Кромки"));
  setModal(true);

  auto* toolBar = new QToolBar(this);
  toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  status_ = new QStatusBar(this);
  const auto add = [&](const QString& text, const QString& hint) {
    QAction* a = toolBar->addAction(text);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    return a;
  };
  save_ = add(QStringLiteral("&Сохранить"), QStringLiteral("Сохранить базу кромок"));
  delete_ = add(QStringLiteral("&Удалить"), QStringLiteral("Удалить запись"));
  colour_ = add(QStringLiteral("&Цвет"), QStringLiteral("Изменить цвет\r\nобозначения кромки"));
  toolBar->addSeparator();
  ok_ = add(QStringLiteral("&Да"), QStringLiteral("Сохранить изменения и\r\nзакрыть окно"));
  close_ = add(QStringLiteral("&Отмена"), QStringLiteral("Закрыть окно"));
  for (QAction* a : toolBar->actions()) {
    connect(a, &QAction::hovered, this, [this, a] {
      QString hint = a->statusTip();
      status_->showMessage(hint.replace(QLatin1Char('\r'), QString()));
    });
  }

  model_ = new EdgesModel(*editor_, this);
  grid_ = new CatalogueGrid(EdgesModel::ColourColumn, this);
  grid_->setModel(model_);
  // Each column fits its header and rows, and keeps room to type in.
  const std::pair<int, int> columns[] = {{EdgesModel::CodeColumn, 60},
                                         {EdgesModel::NameColumn, 220},
                                         {EdgesModel::AllowanceColumn, 90},
                                         {EdgesModel::ColourColumn, 60}};
  for (auto [column, room] : columns)
    grid_->setColumnWidth(column, std::max(room, common::fittingColumnWidth(*grid_, column)));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolBar);
  layout->addWidget(grid_);
  layout->addWidget(status_);
  resize(std::max(480, common::wholeTableWidth(*grid_)), 400);
  if (editor_->rowCount() > 0) grid_->goToRow(0);

  picker_ = [](const QColor& initial, QWidget* parent) -> std::optional<QColor> {
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
  };

  connect(grid_, &CatalogueGrid::newRowRequested, this, &EdgesWindow::addRow);
  // Another row becoming current leaves the new row.
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex& previous) {
            if (previous.isValid() && current.row() != previous.row() && previous.row() == editor_->newRow())
              model_->leaveNewRow();
          });
  connect(&grid_->delegate(), &CatalogueDelegate::colourButtonClicked, this, [this](int row) {
    grid_->goToRow(row);
    chooseColour(row);
  });
  connect(save_, &QAction::triggered, this, [this] {
    grid_->delegate().commitPending();
    model_->leaveNewRow();
    if (common::showMessage(QStringLiteral("Действительно сохранить изменения базы кромок?"),
                            common::MsgIcon::Confirmation, common::MsgButtons::YesNo, this) == common::MsgResult::Yes) {
      save();
    }
  });
  connect(delete_, &QAction::triggered, this, [this] {
    grid_->delegate().commitPending();
    const int row = grid_->currentRow();
    if (row < 0 || model_->rowCount() == 0) return;
    // A new row not yet filled in just goes.
    if (editor_->isUntouchedNewRow(row)) {
      model_->leaveNewRow();
      grid_->goToRow(qMin(row, model_->rowCount() - 1));
      return;
    }
    if (common::showMessage(QStringLiteral("Действительно удалить запись?"), common::MsgIcon::Confirmation,
                            common::MsgButtons::YesNo, this) != common::MsgResult::Yes) {
      return;
    }
    model_->removeRow(row);
    grid_->goToRow(qMin(row, model_->rowCount() - 1));
  });
  connect(colour_, &QAction::triggered, this, [this] {
    grid_->delegate().commitPending();
    if (grid_->currentRow() >= 0) chooseColour(grid_->currentRow());
  });
  connect(ok_, &QAction::triggered, this, [this] {
    grid_->delegate().commitPending();
    if (!save()) return;
    accept();
  });
  connect(close_, &QAction::triggered, this, [this] { reject(); });
}

EdgesWindow::~EdgesWindow() = default;

QTableView& EdgesWindow::grid() { return *grid_; }

void EdgesWindow::addRow() {
  grid_->delegate().commitPending();
  // Down on a new row not yet filled in stays there.
  if (editor_->isUntouchedNewRow(grid_->currentRow())) return;
  grid_->goToRow(model_->addRow());
}

void EdgesWindow::chooseColour(int row) {
  if (row < 0 || row >= editor_->rowCount()) return;
  const std::optional<QColor> chosen = picker_(common::toQColor(editor_->row(row).colour), this);
  if (chosen) model_->setColour(row, common::fromQColor(*chosen));
}

bool EdgesWindow::save() {
  model_->leaveNewRow();
  try {
    editor_->save();
    saved_ = true;
    model_->reset();
    return true;
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
    return false;
  }
}

void EdgesWindow::done(int result) {
  // Every way of closing asks about unsaved edits first ("&Да" has saved
  // them already). A new row never filled in is no edit.
  grid_->delegate().commitPending();
  model_->leaveNewRow();
  if (editor_->isChanged()) {
    const common::MsgResult answer =
        common::showMessage(QStringLiteral("Сохранить изменения в базе кромок?"), common::MsgIcon::Warning,
                            common::MsgButtons::YesNoCancel, this);
    if (answer == common::MsgResult::Cancel) return;
    if (answer == common::MsgResult::Yes && !save()) return;
    if (answer == common::MsgResult::No) {
      try {
        editor_->reload();
      } catch (const std::exception&) {
        // The edits are dropped with the window in any case.
      }
    }
  }
  QDialog::done(result);
  // Whatever was saved, by "&Да", "&Сохранить" or the question on closing,
  // reaches the edge list, so that lookups and the colours file written on
  // exit do not go on with the old rows.
  if (saved_) {
    saved_ = false;
    catalogues_.ReloadEdgeList();
    catalogues_.rereadDefaultEdge();
    emit catalogues_.edgesChanged();
  }
}

void runEdgesWindow(Catalogues& catalogues, QWidget* parent) {
  std::unique_ptr<EdgesWindow> window;
  try {
    window = std::make_unique<EdgesWindow>(catalogues, parent);
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), parent);
    return;
  }
  window->exec();
}

}  // namespace kroyna::catalogues
