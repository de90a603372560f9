#include "catalogues/ui/CatalogueGrid.h"
#include "catalogues/ui/CatalogueWindows.h"

#include "common/Messages.h"
#include "common/ui/HeaderWidths.h"
#include "platform/ini/IniFile.h"

#include <QAction>
#include <QHeaderView>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace kroyna::catalogues {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSection = "Materials_Window";

QString externalCaption(const QString& caption, bool external) {
  return external ? QStringLiteral("%1 (%2)").arg(caption, QStringLiteral("внешняя база")) : caption;
}

}  // namespace

// ---- MaterialsModel ----

MaterialsModel::MaterialsModel(MaterialsEditor& editor, QObject* parent)
    : CatalogueRowsModel(parent), editor_(editor) {}

int MaterialsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : editor_.rowCount(); }

int MaterialsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant MaterialsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  const MaterialsEditor::Row& row = editor_.row(index.row());
  if (index.column() == 0) return row.name;
  return row.code ? QVariant(*row.code) : QVariant();
}

bool MaterialsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || index.column() != 0) return false;
  editor_.setName(index.row(), value.toString());
  emit dataChanged(index, index);
  return true;
}

QVariant MaterialsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == 0 ? QStringLiteral("Материал") : QStringLiteral("Код");
}

Qt::ItemFlags MaterialsModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.column() == 0) f |= Qt::ItemIsEditable;
  return f;
}

bool MaterialsModel::leaveNewRow() { return leaveNewRowOf(editor_); }

int MaterialsModel::addRow() { return addRowTo(editor_); }

void MaterialsModel::removeRow(int row) { removeRowOf(editor_, row); }

// ---- MaterialsWindow ----

MaterialsWindow::MaterialsWindow(Catalogues& catalogues, QWidget* parent) : QDialog(parent), catalogues_(catalogues) {
  const CataloguePaths paths{fs::path(catalogues.dataRoot().toStdString())};
  editor_ = std::make_unique<MaterialsEditor>(paths, fs::path(catalogues.materialsTablePath().toStdString()));

  setObjectName(QStringLiteral("MaterialsForm"));
  setWindowTitle(externalCaption(QStringLiteral("Материалы"), catalogues.isExternal()));
  setModal(true);

  auto* toolBar = new QToolBar(this);
  toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  const auto add = [&](const QString& text, const QString& hint) {
    QAction* a = toolBar->addAction(text);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    return a;
  };
  save_ = add(QStringLiteral("&Сохранить"), QStringLiteral("Сохранить базу \r\nматериалов"));
  delete_ = add(QStringLiteral("&Удалить"), QStringLiteral("Удалить запись"));
  cancelEdit_ = add(QStringLiteral("О&тмена"), QStringLiteral("Отменить"));
  toolBar->addSeparator();
  ok_ = add(QStringLiteral("&Да"), QStringLiteral("Сохранить базу материалов и\r\nзакрыть окно"));
  close_ = add(QStringLiteral("&Отмена"), QStringLiteral("Закрыть окно"));

  model_ = new MaterialsModel(*editor_, this);
  grid_ = new CatalogueGrid(-1, this);
  grid_->setModel(model_);
  grid_->setColumnHidden(1, true);
  grid_->horizontalHeader()->setStretchLastSection(false);
  // Where no width is kept, the name column fits the longest name.
  common::restoreColumnWidth(catalogues.settings(), kSection, "ColWidth", *grid_, 0);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolBar);
  layout->addWidget(grid_);
  // Where no size is kept, wide enough for the whole name column.
  resize(std::max(360, common::wholeTableWidth(*grid_)), 420);
  const QByteArray geometry =
      QByteArray::fromBase64(QByteArray::fromStdString(catalogues.settings().readString(kSection, "Geometry")));
  if (!geometry.isEmpty()) restoreGeometry(geometry);
  if (editor_->rowCount() > 0) grid_->goToRow(0);

  connect(grid_, &CatalogueGrid::newRowRequested, this, &MaterialsWindow::addRow);
  // Another row becoming current leaves the new row.
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex& previous) {
            if (previous.isValid() && current.row() != previous.row() && previous.row() == editor_->newRow())
              model_->leaveNewRow();
          });
  connect(save_, &QAction::triggered, this, [this] { save(); });
  connect(delete_, &QAction::triggered, this, [this] {
    grid_->delegate().commitPending();
    const int row = grid_->currentRow();
    if (row < 0) return;
    model_->removeRow(row);
    grid_->goToRow(qMin(row, model_->rowCount() - 1));
  });
  connect(cancelEdit_, &QAction::triggered, this, [this] {
    if (grid_->delegate().hasPending()) {
      grid_->delegate().cancelPending();
    } else if (editor_->isUntouchedNewRow(grid_->currentRow())) {
      // A row added and never edited goes again, as an insert cancelled.
      const int row = grid_->currentRow();
      model_->leaveNewRow();
      grid_->goToRow(qMin(row, model_->rowCount() - 1));
    }
  });
  connect(ok_, &QAction::triggered, this, [this] {
    if (!save()) return;
    accept();
  });
  connect(close_, &QAction::triggered, this, [this] {
    grid_->delegate().cancelPending();
    reject();
  });
}

MaterialsWindow::~MaterialsWindow() {
  if (!closed_) saveLayout();
}

QTableView& MaterialsWindow::grid() { return *grid_; }

void MaterialsWindow::addRow() {
  grid_->delegate().commitPending();
  // Down on a new row not yet filled in stays there.
  if (editor_->isUntouchedNewRow(grid_->currentRow())) return;
  grid_->goToRow(model_->addRow());
}

bool MaterialsWindow::save() {
  grid_->delegate().commitPending();
  model_->leaveNewRow();
  try {
    editor_->save();
    saved_ = true;
    return true;
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
    return false;
  }
}

void MaterialsWindow::saveLayout() {
  try {
    catalogues_.settings().batch([this] {
      catalogues_.settings().writeInt(kSection, "ColWidth", grid_->columnWidth(0));
      catalogues_.settings().writeString(kSection, "Geometry", saveGeometry().toBase64().toStdString());
    });
  } catch (const std::exception&) {
    // The layout is a convenience; a settings file that cannot be written
    // is reported by the commands that must write it.
  }
}

void MaterialsWindow::done(int result) {
  saveLayout();
  closed_ = true;
  editor_->discardWorkingCopy();
  QDialog::done(result);
  // A save by "&Сохранить" before "&Отмена" changed the catalogue too.
  if (saved_) {
    saved_ = false;
    catalogues_.refreshMaterialLists();
  }
}

void runMaterialsWindow(Catalogues& catalogues, QWidget* parent) {
  std::unique_ptr<MaterialsWindow> window;
  try {
    window = std::make_unique<MaterialsWindow>(catalogues, parent);
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), parent);
    return;
  }
  window->exec();
}

}  // namespace kroyna::catalogues
