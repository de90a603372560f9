#include "warehouse/ui/WarehouseWindow.h"

#include "common/DocumentPlacement.h"
#include "common/Messages.h"
#include "common/ui/HeaderWidths.h"
#include "platform/ini/IniFile.h"
#include "warehouse/StockCheck.h"
#include "warehouse/ui/MinimumStockDialogs.h"
#include "warehouse/ui/OffcutDialogs.h"
#include "warehouse/ui/SavedStatesDialogs.h"
#include "warehouse/ui/WarehouseDialogs.h"
#include "warehouse/ui/WarehouseReports.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kroyna::warehouse {

namespace {

// The "Дата" cell: typed as dd.mm.yyyy, or picked with the ellipsis button
// in the date-picking dialog.
class DateCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* box = new QWidget(parent);
    box->setAutoFillBackground(true);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    auto* edit = new QLineEdit(box);
    edit->setObjectName(QStringLiteral("dateText"));
    auto* button = new QToolButton(box);
    button->setText(QStringLiteral("..."));
    h->addWidget(edit, 1);
    h->addWidget(button);
    box->setFocusProxy(edit);
    auto* self = const_cast<DateCellDelegate*>(this);
    QObject::connect(button, &QToolButton::clicked, box, [self, box, edit] {
      const auto d = dbase::Date::parse(edit->text().trimmed().toStdString());
      const QDate start = d ? QDate(d->year, d->month, d->day) : QDate::currentDate();
      if (const auto picked = pickDate(start, box->window())) {
        edit->setText(picked->toString(QStringLiteral("dd.MM.yyyy")));
        emit self->commitData(box);
        emit self->closeEditor(box);
      }
    });
    return box;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* e = editor->findChild<QLineEdit*>(QStringLiteral("dateText")))
      e->setText(index.data(Qt::EditRole).toString());
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    if (auto* e = editor->findChild<QLineEdit*>(QStringLiteral("dateText")))
      model->setData(index, e->text(), Qt::EditRole);
  }
};

QToolButton* toolButton(QToolBar* bar, const QString& caption, const QString& hint, std::function<void()> action) {
  auto* b = new QToolButton(bar);
  b->setText(caption);
  b->setToolTip(hint);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  bar->addWidget(b);
  QObject::connect(b, &QToolButton::clicked, bar, [action = std::move(action)] { action(); });
  return b;
}

}  // namespace

WarehouseWindow::WarehouseWindow(WarehouseController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
  setObjectName(QStringLiteral("WareHouse"));
  setWindowTitle(QStringLiteral("Склад"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  splitter_ = new QSplitter(Qt::Horizontal, this);
  auto* left = new QWidget(splitter_);
  auto* lv = new QVBoxLayout(left);
  lv->setContentsMargins(0, 0, 0, 0);
  lv->setSpacing(0);
  auto* header = new QPushButton(QStringLiteral("Материалы"), left);
  header->setToolTip(QStringLiteral("Поиск материала"));
  connect(header, &QPushButton::clicked, this, &WarehouseWindow::searchMaterial);
  lv->addWidget(header);
  bar_ = new QListWidget(left);
  lv->addWidget(bar_, 1);
  connect(bar_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (fillingBar_ || row < 0 || row >= controller_.bar().size()) return;
    selectCode(controller_.bar()[row].code);
  });
  splitter_->addWidget(left);
  pages_ = new QTabWidget(splitter_);
  pages_->addTab(buildSheetsPage(), QStringLiteral("Стандартные листы"));
  pages_->addTab(buildScrapsPage(), QStringLiteral("Остатки"));
  splitter_->addWidget(pages_);
  splitter_->setStretchFactor(1, 1);
  layout->addWidget(splitter_);
  connect(&controller_.module(), &StockModule::viewsReset, this, &WarehouseWindow::showMaterialColumns);
  connect(&controller_.module(), &StockModule::changedFlagsChanged, this, &WarehouseWindow::updateCaption);
}

WarehouseWindow::~WarehouseWindow() {
  if (started_) saveLayout();
}

QTableView* WarehouseWindow::makeGrid(StockGridModel* model, QWidget* parent) {
  auto* grid = new QTableView(parent);
  grid->setModel(model);
  grid->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  grid->setColumnHidden(model->codeColumn(), true);
  if (model->dateColumn() >= 0) grid->setItemDelegateForColumn(model->dateColumn(), new DateCellDelegate(grid));
  grid->installEventFilter(this);
  // Leaving a new row posts it, or drops it when it was never changed; a
  // row that cannot be stored keeps the user on it.
  connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this, grid, model](const QModelIndex& current, const QModelIndex& previous) {
            if (!previous.isValid() || current.row() == previous.row() || !model->isNewRow(previous.row())) return;
            if (postGrid(model->kind())) return;
            const int back = previous.row();
            const int column = std::max(0, current.column());
            QMetaObject::invokeMethod(
                grid,
                [grid, model, back, column] {
                  if (model->isNewRow(back)) grid->setCurrentIndex(model->index(back, column));
                },
                Qt::QueuedConnection);
          });
  return grid;
}

QWidget* WarehouseWindow::buildSheetsPage() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QToolBar(page);
  toolButton(bar, QStringLiteral("&Сохранить"), QStringLiteral("Сохранить базу\r\nстандартных листов"),
             [this] { saveSheets(); });
  toolButton(bar, QStringLiteral("&Печать"), QStringLiteral("Печать базы\r\nстандартных листов"),
             [this] { printSheets(); });
  toolButton(bar, QStringLiteral("&Удалить"), QStringLiteral("Удалить запись"), [this] { deleteSheet(); });
  toolButton(bar, QStringLiteral("&Добавить"), QStringLiteral("Добавить лист на склад"), [this] { addSheet(); });
  toolButton(bar, QStringLiteral("&Минимум"), QStringLiteral("Минимальное количество листов"),
             [this] { minimumStock(); });
  toolButton(bar, QStringLiteral("&Проверить"), QStringLiteral("Проверить количество листов"),
             [this] { checkStock(); });
  v->addWidget(bar);
  sheetModel_ = new StockGridModel(
      controller_.module(), StockKind::Sheets, [this] { return controller_.newRowMaterial(); }, this);
  sheetGrid_ = makeGrid(sheetModel_, page);
  v->addWidget(sheetGrid_, 1);
  return page;
}

QWidget* WarehouseWindow::buildScrapsPage() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QToolBar(page);
  toolButton(bar, QStringLiteral("&Сохранить"), QStringLiteral("Сохранить базу\r\nостатков"), [this] { saveScraps(); });
  toolButton(bar, QStringLiteral("Печать"), QStringLiteral("Печать базы\r\nостатков"), [this] { printScraps(); });
  toolButton(bar, QStringLiteral("&Удалить"), QStringLiteral("Удалить запись"), [this] { deleteScrap(); });
  toolButton(bar, QStringLiteral("Параметры"), QStringLiteral("Параметры остатков"), [this] { scrapParams(); });
  toolButton(bar, QStringLiteral("Очистить"), QStringLiteral("Очистить базу остатков"), [this] { clearScraps(); });
  toolButton(bar, QStringLiteral("Маркировать"), QStringLiteral("Маркировать остатки"), [this] { markScraps(); });
  toolButton(bar, QStringLiteral("Фильтр"), QStringLiteral("Фильтрация остатков"), [this] { filterScraps(); });
  v->addWidget(bar);
  scrapModel_ = new StockGridModel(
      controller_.module(), StockKind::Scraps, [this] { return controller_.newRowMaterial(); }, this);
  scrapGrid_ = makeGrid(scrapModel_, page);
  v->addWidget(scrapGrid_, 1);
  status_ = new QLabel(page);
  status_->setFrameShape(QFrame::StyledPanel);
  v->addWidget(status_);
  return page;
}

void WarehouseWindow::start() {
  if (started_) return;
  started_ = true;
  controller_.makeWorkingCopies();
  const int saved = controller_.settings().readInt("Scraps_Window", "Material", 0);
  controller_.rebuildBar(saved);
  fillBar();
  restoreLayout();
  showMaterialColumns();
}

void WarehouseWindow::fillBar() {
  fillingBar_ = true;
  bar_->clear();
  for (const BarEntry& e : controller_.bar()) bar_->addItem(e.name);
  bar_->setCurrentRow(controller_.selectedIndex());
  fillingBar_ = false;
}

void WarehouseWindow::rebuildBar() {
  postGrid(StockKind::Sheets);
  postGrid(StockKind::Scraps);
  controller_.rebuildBar();
  fillBar();
}

void WarehouseWindow::selectCode(int code) {
  // A new row that cannot be stored keeps the material shown.
  if (!postGrid(StockKind::Sheets) || !postGrid(StockKind::Scraps)) {
    fillingBar_ = true;
    bar_->setCurrentRow(controller_.selectedIndex());
    fillingBar_ = false;
    return;
  }
  controller_.select(code);
  fillingBar_ = true;
  bar_->setCurrentRow(controller_.selectedIndex());
  fillingBar_ = false;
}

void WarehouseWindow::showMaterialColumns() {
  const bool all = controller_.selectedCode() == kAllMaterials;
  sheetGrid_->setColumnHidden(sheetModel_->matNameColumn(), !all);
  scrapGrid_->setColumnHidden(scrapModel_->matNameColumn(), !all);
  status_->setText(controller_.statusText());
}

void WarehouseWindow::updateCaption() {
  // The caption stays "Склад"; a mark shows unsaved stock.
  const bool changed = controller_.module().sheetsChanged() || controller_.module().scrapsChanged();
  setWindowTitle(changed ? QStringLiteral("Склад *") : QStringLiteral("Склад"));
}

bool WarehouseWindow::postGrid(StockKind kind, bool quiet) {
  // The message of a refused row deactivates the window, which posts
  // again: that second post waits for the first.
  if (posting_) return false;
  posting_ = true;
  QTableView* grid = this->grid(kind);
  if (QWidget* editor = grid->indexWidget(grid->currentIndex())) {
    QAbstractItemDelegate* d = grid->itemDelegateForIndex(grid->currentIndex());
    QMetaObject::invokeMethod(d, "commitData", Qt::DirectConnection, Q_ARG(QWidget*, editor));
    QMetaObject::invokeMethod(d, "closeEditor", Qt::DirectConnection, Q_ARG(QWidget*, editor),
                              Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
  }
  bool ok = true;
  try {
    controller_.module().postPending(kind);
  } catch (const std::exception& e) {
    ok = false;
    if (!quiet) common::showError(QString::fromUtf8(e.what()), this);
  }
  posting_ = false;
  return ok;
}

bool WarehouseWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize && watched == parentWidget()) {
    const QWidget* frame = parentWidget();
    if (!frame->isMinimized() && !frame->isMaximized()) normalSize_ = frame->size();
  }
  if (event->type() == QEvent::KeyPress && (watched == sheetGrid_ || watched == scrapGrid_)) {
    auto* grid = static_cast<QTableView*>(watched);
    auto* model = static_cast<StockGridModel*>(grid->model());
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool atLast = grid->currentIndex().row() == model->rowCount() - 1 || model->rowCount() == 0;
    // Down on a new row not yet filled in stays there.
    if (key->key() == Qt::Key_Down && atLast && model->isNewRow(grid->currentIndex().row())) return true;
    if (key->key() == Qt::Key_Insert || (key->key() == Qt::Key_Down && atLast)) {
      const int row = model->appendRow();
      if (row >= 0) grid->setCurrentIndex(model->index(row, model->kind() == StockKind::Sheets ? 0 : 1));
      return true;
    }
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier) {
      model->kind() == StockKind::Sheets ? deleteSheet() : deleteScrap();
      return true;
    }
  }
  // Focus going to a cell editor of the grid stays in the grid.
  if (event->type() == QEvent::FocusOut && (watched == sheetGrid_ || watched == scrapGrid_)) {
    auto* grid = static_cast<QTableView*>(watched);
    QWidget* next = QApplication::focusWidget();
    if (!next || !grid->isAncestorOf(next)) postGrid(watched == sheetGrid_ ? StockKind::Sheets : StockKind::Scraps);
  }
  return QWidget::eventFilter(watched, event);
}

void WarehouseWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && started_) {
    // A new row the user is still filling in stays for later.
    postGrid(StockKind::Sheets, true);
    postGrid(StockKind::Scraps, true);
  }
  QWidget::changeEvent(event);
}

bool WarehouseWindow::queryClose() {
  postGrid(StockKind::Sheets);
  postGrid(StockKind::Scraps);
  return controller_.queryClose();
}

void WarehouseWindow::closeEvent(QCloseEvent* event) {
  if (queryClose()) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->showMinimized();
  }
  event->ignore();
}

void WarehouseWindow::saveSheets() {
  if (postGrid(StockKind::Sheets)) controller_.save(StockKind::Sheets);
}

void WarehouseWindow::printSheets() {
  if (postGrid(StockKind::Sheets))
    printStockList(controller_.module(), StockKind::Sheets, controller_.selectedCode(), this);
}

void WarehouseWindow::deleteSheet() {
  // A new row not yet stored just goes.
  if (sheetModel_->isNewRow(sheetGrid_->currentIndex().row())) {
    controller_.module().dropNewRow(StockKind::Sheets);
    return;
  }
  if (!postGrid(StockKind::Sheets)) return;
  sheetModel_->moveTo(sheetGrid_->currentIndex().row());
  controller_.deleteRow(StockKind::Sheets);
}

void WarehouseWindow::addSheet() {
  postGrid(StockKind::Sheets);
  QList<BarEntry> materials;
  for (const BarEntry& e : controller_.bar())
    if (e.code != kAllMaterials) materials.append(e);
  AddSheetDialog d(materials, controller_.selectedCode(), this);
  if (d.exec() == QDialog::Accepted) controller_.addSheet(d.input());
}

void WarehouseWindow::saveScraps() {
  if (postGrid(StockKind::Scraps)) controller_.save(StockKind::Scraps);
}

void WarehouseWindow::printScraps() {
  if (postGrid(StockKind::Scraps))
    printStockList(controller_.module(), StockKind::Scraps, controller_.selectedCode(), this);
}

void WarehouseWindow::deleteScrap() {
  // A new row not yet stored just goes.
  if (scrapModel_->isNewRow(scrapGrid_->currentIndex().row())) {
    controller_.module().dropNewRow(StockKind::Scraps);
    return;
  }
  if (!postGrid(StockKind::Scraps)) return;
  scrapModel_->moveTo(scrapGrid_->currentIndex().row());
  controller_.deleteRow(StockKind::Scraps);
}

void WarehouseWindow::scrapParams() {
  postGrid(StockKind::Scraps);
  const common::ScrapCriteria stored = controller_.beginScrapParams();
  ScrapParamsDialog d(controller_.materialNameOf(controller_.selectedCode()), stored, this);
  if (d.exec() == QDialog::Accepted) controller_.applyScrapParams(d.criteria());
}

void WarehouseWindow::clearScraps() {
  postGrid(StockKind::Scraps);
  controller_.clearOffcuts();
}

void WarehouseWindow::markScraps() {
  postGrid(StockKind::Scraps);
  MarkDialog d(controller_.beginMarking(), this);
  if (d.exec() == QDialog::Accepted) controller_.applyMarking(d.input());
}

void WarehouseWindow::filterScraps() {
  postGrid(StockKind::Scraps);
  DateFilterDialog d(controller_.filterFrom(), controller_.filterTo(), this);
  if (d.exec() != QDialog::Accepted) return;
  controller_.applyDateFilter(d.showAll(), d.from(), d.to());
  showMaterialColumns();
}

void WarehouseWindow::searchMaterial() {
  const int i = catalogues::findMaterialDialog(controller_.bar(), controller_.selectedIndex(), this);
  if (i >= 0 && i < controller_.bar().size()) selectCode(controller_.bar()[i].code);
}

void WarehouseWindow::statistics() {
  postGrid(StockKind::Sheets);
  postGrid(StockKind::Scraps);
  printWarehouseInfo(controller_.module(), this);
}

void WarehouseWindow::minimumStock() {
  postGrid(StockKind::Sheets);
  editMinimumStock(controller_.module(), controller_.settings(), controller_.selectedCode(), this);
}

void WarehouseWindow::checkStock() {
  if (postGrid(StockKind::Sheets)) warehouse::checkStock(controller_.module(), controller_.settings(), true);
}

void WarehouseWindow::saveState() {
  if (postGrid(StockKind::Sheets) && postGrid(StockKind::Scraps)) saveWarehouseState(controller_, this);
}

void WarehouseWindow::savedStates() {
  if (postGrid(StockKind::Sheets) && postGrid(StockKind::Scraps)) showSavedStates(controller_, this);
}

void WarehouseWindow::showAllMaterials() { selectCode(kAllMaterials); }

void WarehouseWindow::restoreLayout() {
  ini::IniFile& s = controller_.settings();
  // Where no width is kept, a column fits its header and rows, the
  // material column every material of the bar, and the bar its longest
  // name.
  QStringList materials;
  for (const BarEntry& e : controller_.bar())
    if (e.code != kAllMaterials) materials << e.name;
  // The width a grid needs to show all its columns (the material column
  // too, as under "<все материалы>").
  auto restoreGrid = [&](QTableView* grid, const StockGridModel* model, const char* section) {
    for (int i = 0; i < model->columnCount(); ++i)
      common::restoreColumnWidth(s, section, "ColWidth" + std::to_string(i), *grid, i,
                                 i == model->matNameColumn() ? materials : QStringList());
    const bool materialHidden = grid->isColumnHidden(model->matNameColumn());
    grid->setColumnHidden(model->matNameColumn(), false);
    const int needed = common::wholeTableWidth(*grid);
    grid->setColumnHidden(model->matNameColumn(), materialHidden);
    return needed;
  };
  const int grids = std::max(restoreGrid(sheetGrid_, sheetModel_, "Sheets_Window"),
                             restoreGrid(scrapGrid_, scrapModel_, "Scraps_Window"));
  auto* barButton = bar_->parentWidget()->findChild<QPushButton*>();
  const int panel = s.keyExists("Scraps_Window", "PanelWidth")
                        ? std::max(20, s.readInt("Scraps_Window", "PanelWidth", 100))
                        : common::fittingListWidth(*bar_, barButton ? barButton->sizeHint().width() : 0, 300);
  splitter_->setSizes({panel, std::max(100, s.readInt("Scraps_Window", "Width", 400) - panel)});
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    sub->installEventFilter(this);
    // Where no size is kept, wide enough for the bar, the whole toolbar of
    // either page and the columns of either grid. A size too small to use
    // (a frame stored while minimised) takes the smallest useful one.
    // Either way wholly inside the document area.
    int toolBars = 0;
    for (QToolBar* bar : pages_->findChildren<QToolBar*>()) toolBars = std::max(toolBars, bar->sizeHint().width());
    const int frameWidth = sub->width() - width();
    const int fitting = panel + splitter_->handleWidth() + std::max(toolBars, grids) + frameWidth + 4;
    const QSize stored(s.keyExists("Scraps_Window", "Width") ? s.readInt("Scraps_Window", "Width", 400) : fitting,
                       s.readInt("Scraps_Window", "Height", 300));
    const QSize minimum(300, 200);
    // Before the main window is first shown the area has no size yet; the
    // main window brings its document windows inside when it shows.
    QSize area = stored.expandedTo(minimum);
    if (sub->mdiArea() && sub->mdiArea()->isVisible()) area = sub->mdiArea()->viewport()->size();
    sub->setGeometry(common::fitDocumentFrame(QRect(sub->pos(), stored), area, minimum));
    splitter_->setSizes({panel, std::max(100, sub->width() - frameWidth - panel)});
    normalSize_ = sub->size();
    // A minimised state is not restored: closing the window minimises it,
    // and the stock should be in sight when the program starts.
    if (s.readInt("Scraps_Window", "WinState", 0) == 2) sub->showMaximized();
  }
}

void WarehouseWindow::saveLayout() {
  ini::IniFile& s = controller_.settings();
  QWidget* frame = parentWidget() ? parentWidget() : this;
  try {
    s.batch([&] {
      for (int i = 0; i <= 2; ++i)
        s.writeInt("Sheets_Window", "ColWidth" + std::to_string(i), sheetGrid_->columnWidth(i));
      for (int i = 0; i <= 5; ++i)
        s.writeInt("Scraps_Window", "ColWidth" + std::to_string(i), scrapGrid_->columnWidth(i));
      if (!frame->isMaximized() && !frame->isMinimized()) normalSize_ = frame->size();
      s.writeInt("Scraps_Window", "Width", normalSize_.width());
      s.writeInt("Scraps_Window", "Height", normalSize_.height());
      s.writeInt("Scraps_Window", "WinState", frame->isMaximized() ? 2 : frame->isMinimized() ? 1 : 0);
      s.writeInt("Scraps_Window", "Material", controller_.selectedCode());
      const QList<int> sizes = splitter_->sizes();
      s.writeInt("Scraps_Window", "PanelWidth", sizes.isEmpty() ? 100 : sizes.first());
    });
  } catch (const std::exception&) {
    // Layout only; nothing of the stock depends on it.
  }
}

}  // namespace kroyna::warehouse
