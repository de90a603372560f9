#include "parts/ui/PartsWindow.h"

#include "catalogues/Catalogues.h"
#include "common/AppContext.h"
#include "common/AppState.h"
#include "common/Messages.h"
#include "common/PageMargins.h"
#include "common/settings/SettingsKeys.h"
#include "common/ui/HeaderWidths.h"
#include "common/ui/MainFrame.h"
#include "common/ui/StatusPanel.h"
#include "common/ui/WindowPlacement.h"
#include "parts/SpreadsheetExport.h"
#include "parts/ui/PartNames.h"
#include "parts/ui/PartsGrid.h"
#include "platform/ini/IniFile.h"
#include "platform/report/ReportError.h"
#include "platform/report/ui/PreviewWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace kroyna::parts {

namespace {

constexpr const char* kLayoutSection = "Detals_Group";

std::function<bool(const QString&)>& fileOpener() {
  static std::function<bool(const QString&)> opener = [](const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  };
  return opener;
}

}  // namespace

CatalogueLists currentCatalogueLists(const ini::IniFile& settings) {
  CatalogueLists lists;
  if (catalogues::Catalogues* c = catalogues::Catalogues::instance()) {
    lists.materials = c->materialList(true);
    lists.edges = c->edgeList();
  } else {
    lists.materials.names << QString::fromUtf8(catalogues::kAllMaterialsName);
    lists.materials.codes << QString::number(kAllMaterials);
    lists.edges.codes << QStringLiteral("0");
    lists.edges.names << QString::fromUtf8(catalogues::kNoEdgeName);
    lists.edges.colors << QString::number(catalogues::kNoEdgeColor);
    lists.edges.allowances << QStringLiteral("0");
  }
  lists.defaultEdge = common::read(settings, common::keys::DefBorder);
  return lists;
}

void PartsWindow::setFileOpener(std::function<bool(const QString&)> opener) { fileOpener() = std::move(opener); }

PartsWindow::PartsWindow(const QString& dataRoot, ini::IniFile& settings, QWidget* parent)
    : QWidget(parent), dataRoot_(dataRoot), settings_(settings) {
  setObjectName(QStringLiteral("TfrmRaskroyGroup"));
  doc_ = new PartsDocument(dataRoot, settings, this);
  doc_->setNameChooser([this](const QString& preset) { return chooseSaveName(preset); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  buildToolBar();
  layout->addWidget(toolBar_);

  splitter_ = new QSplitter(Qt::Horizontal, this);
  buildMaterialBar();
  grid_ = new PartsGrid(splitter_);
  model_ = new PartsTableModel(*doc_, this);
  grid_->setModel(model_);
  for (int c = ColRotate; c <= ColBBorder; ++c) grid_->setColumnHidden(c, true);
  for (int c = 0; c < ColumnCount; ++c) grid_->setColumnWidth(c, 120);
  splitter_->addWidget(grid_);
  buildSidePanel();
  splitter_->setStretchFactor(1, 1);
  layout->addWidget(splitter_, 1);

  status_ = new QStatusBar(this);
  status_->setSizeGripEnabled(false);
  for (int i = 0; i < 5; ++i) {
    panels_[i] = new common::StatusPanel(this);
    status_->addWidget(panels_[i], i == 4 ? 1 : 0);
  }
  layout->addWidget(status_);

  connect(doc_, &PartsDocument::totalsChanged, this, &PartsWindow::updateTotals);
  connect(doc_, &PartsDocument::modifiedChanged, this, [this](bool modified) {
    setWindowModified(modified);
    updateActions();
  });
  connect(doc_, &PartsDocument::captionChanged, this, &PartsWindow::updateCaption);
  connect(doc_, &PartsDocument::rowsReset, this, &PartsWindow::updateActions);
  connect(doc_, &PartsDocument::rowsInserted, this, &PartsWindow::updateActions);
  connect(doc_, &PartsDocument::rowsRemoved, this, &PartsWindow::updateActions);
  connect(doc_, &PartsDocument::currentRowChanged, this, [this](int row) {
    if (row >= 0 && grid_->currentIndex().row() != row) {
      const int column = std::max(0, grid_->currentIndex().column());
      grid_->setCurrentIndex(model_->index(row, column));
    }
    ShowRowSettings();
  });
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { doc_->setCurrentRow(current.isValid() ? current.row() : -1); });
  connect(grid_, &PartsGrid::rowSettingsWanted, this, &PartsWindow::ShowRowSettings);
  connect(grid_, &PartsGrid::newRowRequested, this, &PartsWindow::appendRow);
  connect(grid_, &PartsGrid::materialCellPressed, this, &PartsWindow::chooseMaterial);
  connect(grid_, &PartsGrid::materialMenuRequested, this,
          [this](int row, const QPoint& pos) { showMaterialMenu(row, pos, false); });
  connect(grid_, &PartsGrid::rotationMenuRequested, this, &PartsWindow::showRotationMenu);

  // Window creation: the material list with the all-materials entry first;
  // the first entry selected.
  refreshMaterialLists();
  reloadPartNames();
  updateCaption(doc_->caption());
  updateTotals();
  updateActions();
  resize(820, 480);
}

PartsWindow::~PartsWindow() {
  // The document and the model go first, while the window is whole: the
  // document's last signals must not reach a half-destroyed window.
  doc_->blockSignals(true);
  grid_->setModel(nullptr);
  delete model_;
  delete doc_;
}

// ---- Building ----

void PartsWindow::buildToolBar() {
  toolBar_ = new QToolBar(this);
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  toolBar_->setIconSize(QSize(16, 16));
  QStyle* s = style();
  auto add = [&](const QString& caption, const QString& hint, QStyle::StandardPixmap icon, const char* name) {
    QAction* a = toolBar_->addAction(s->standardIcon(icon), caption);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    a->setObjectName(QString::fromLatin1(name));
    return a;
  };
  saveAction_ = add(QStringLiteral("&Сохранить"), QStringLiteral("Сохранить базу деталей"), QStyle::SP_DialogSaveButton,
                    "actSave");
  connect(saveAction_, &QAction::triggered, this, [this] { SaveGroup(false); });
  mergeAction_ = add(QStringLiteral("С&лияние"), QStringLiteral("Слияние баз деталей"), QStyle::SP_FileDialogNewFolder,
                     "actMerge");
  // The main window's "Слияние" acts on the active parts window: this one
  // is made active first.
  connect(mergeAction_, &QAction::triggered, this, [this] {
    if (auto* ctx = common::AppContext::current(); ctx && ctx->mainWindow()) {
      if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        ctx->mainWindow()->documentArea()->setActiveSubWindow(sub);
      if (QAction* merge = ctx->mainWindow()->command(QStringLiteral("group.merge")); merge && merge->isEnabled())
        merge->trigger();
    }
  });
  toolBar_->addSeparator();
  copyAction_ =
      add(QStringLiteral("&Копировать"), QStringLiteral("Копировать запись"), QStyle::SP_FileLinkIcon, "actCopy");
  connect(copyAction_, &QAction::triggered, this, &PartsWindow::copyRow);
  deleteAction_ = add(QStringLiteral("&Удалить"), QStringLiteral("Удалить запись"), QStyle::SP_TrashIcon, "actDelete");
  connect(deleteAction_, &QAction::triggered, this, &PartsWindow::deleteRow);
  toolBar_->addSeparator();
  runAction_ = add(QStringLiteral("&Разложить"), QStringLiteral("Разложить детали"), QStyle::SP_MediaPlay, "actRun");
  runAction_->setEnabled(false);  // until the cutting run attaches to it
  printButton_ = new QToolButton(toolBar_);
  printButton_->setText(QStringLiteral("&Печать"));
  printButton_->setToolTip(QStringLiteral("Печать базы деталей"));
  printButton_->setIcon(s->standardIcon(QStyle::SP_FileDialogDetailedView));
  printButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  printButton_->setPopupMode(QToolButton::InstantPopup);
  printButton_->setObjectName(QStringLiteral("btnPrint"));
  auto* printMenu = new QMenu(printButton_);
  printListAction_ = printMenu->addAction(QStringLiteral("список"));
  printGroupedAction_ = printMenu->addAction(QStringLiteral("группировка по материалам"));
  connect(printListAction_, &QAction::triggered, this, [this] { printList(PartsListKind::List); });
  connect(printGroupedAction_, &QAction::triggered, this, [this] { printList(PartsListKind::Grouped); });
  printButton_->setMenu(printMenu);
  toolBar_->addWidget(printButton_);
  excelAction_ = add(QStringLiteral("&MS Excel"), QStringLiteral("Печать в MS Excel"), QStyle::SP_FileIcon, "actExcel");
  connect(excelAction_, &QAction::triggered, this, &PartsWindow::exportSpreadsheet);
  toolBar_->addSeparator();
  noneAction_ = add(QStringLiteral("Ничего"), QStringLiteral("Отключить \r\nвсе кромки"), QStyle::SP_DialogNoButton,
                    "actNoEdges");
  connect(noneAction_, &QAction::triggered, this, [this] { setEdgesOfAllSides(false); });
  allAction_ = add(QStringLiteral("Всё"), QStringLiteral("Установить \r\nвсе кромки"), QStyle::SP_DialogYesButton,
                   "actAllEdges");
  connect(allAction_, &QAction::triggered, this, [this] { setEdgesOfAllSides(true); });
  replaceAction_ = add(QStringLiteral("З&аменить"), QStringLiteral("Заменить\r\nтекущий материал"),
                       QStyle::SP_BrowserReload, "actReplace");
  connect(replaceAction_, &QAction::triggered, this, &PartsWindow::replaceMaterial);
}

void PartsWindow::buildMaterialBar() {
  auto* box = new QWidget(splitter_);
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(2);
  barButton_ = new QPushButton(QStringLiteral("Материалы"), box);
  connect(barButton_, &QPushButton::clicked, this, &PartsWindow::findMaterial);
  bar_ = new QListWidget(box);
  bar_->setObjectName(QStringLiteral("materialBar"));
  bar_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(bar_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { onBarClicked(bar_->row(item)); });
  connect(bar_, &QListWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { showMaterialMenu(-1, bar_->mapToGlobal(pos), true); });
  v->addWidget(barButton_);
  v->addWidget(bar_, 1);
  splitter_->addWidget(box);
}

void PartsWindow::buildSidePanel() {
  auto* box = new QWidget(splitter_);
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(4, 4, 4, 4);
  edges_ = new EdgePanel(box);
  connect(edges_, &EdgePanel::sideClicked, this, &PartsWindow::onSideClicked);
  connect(edges_, &EdgePanel::sideMenuRequested, this, &PartsWindow::showSideMenu);
  v->addWidget(edges_);
  auto* group = new QGroupBox(QStringLiteral("Поворот"), box);
  auto* gv = new QVBoxLayout(group);
  rotation_ = new QButtonGroup(this);
  const char* items[] = {"Поворачивать", "Не поворачивать", "Один для всех"};
  for (int i = 0; i <= kMaxRotation; ++i) {
    auto* r = new QRadioButton(QString::fromUtf8(items[i]), group);
    rotation_->addButton(r, i);
    gv->addWidget(r);
  }
  connect(rotation_, &QButtonGroup::idClicked, this, [this](int) { StoreRowSettings(); });
  v->addWidget(group);
  v->addStretch(1);
  splitter_->addWidget(box);
}

QRadioButton* PartsWindow::rotationButton(int code) const {
  return qobject_cast<QRadioButton*>(rotation_->button(code));
}

// ---- Operations of the base ----

bool PartsWindow::CreateGroup() {
  const bool ok = doc_->CreateGroup();
  ShowRowSettings();
  return ok;
}

bool PartsWindow::LoadGroup(const QString& headerPath) {
  const bool ok = doc_->LoadGroup(headerPath);
  ShowRowSettings();
  return ok;
}

SaveResult PartsWindow::SaveGroup(bool askName) {
  postPendingEdit();
  return doc_->SaveGroup(askName);
}

void PartsWindow::SetCaptionOverride(const QString& text) { doc_->SetCaptionOverride(text); }

bool PartsWindow::AppendDetal(const QString& name, int length, int width, int quantity, int rotation, int left,
                              int right, int top, int bottom, int material, QString* why) {
  return doc_->AppendDetal(name, length, width, quantity, rotation, left, right, top, bottom, material, why);
}

void PartsWindow::ListGroupMaterials(QList<int>& codes, QStringList& names) const {
  doc_->ListGroupMaterials(codes, names);
}

QString PartsWindow::chooseSaveName(const QString& preset) {
  QFileDialog dialog(this, QStringLiteral("Сохранение базы деталей"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(QStringLiteral("Файлы баз деталей (*.krb)"));
  dialog.setDefaultSuffix(QStringLiteral("krb"));
  dialog.setDirectory(dataRoot_ + QStringLiteral("/Groups"));
  if (!preset.isEmpty()) dialog.selectFile(preset);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

// ---- Materials ----

void PartsWindow::refreshMaterialLists() { setCatalogue(currentCatalogueLists(settings_)); }

void PartsWindow::setCatalogue(CatalogueLists lists) {
  const int filter = doc_->setCatalogue(std::move(lists));
  fillMaterialBar();
  const int index = doc_->catalogue().materials.indexOfCode(filter);
  bar_->setCurrentRow(std::max(0, index));
  ShowRowSettings();
}

void PartsWindow::refreshEdges() {
  const CatalogueLists lists = currentCatalogueLists(settings_);
  doc_->setEdges(lists.edges, lists.defaultEdge);
  ShowRowSettings();
}

void PartsWindow::refreshDefaults() {
  refreshEdges();
  updateTotals();
}

void PartsWindow::fillMaterialBar() {
  bar_->clear();
  const catalogues::MaterialList& m = doc_->catalogue().materials;
  const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon);
  for (int i = 0; i < m.size(); ++i) {
    auto* item = new QListWidgetItem(icon, m.names[i], bar_);
    item->setData(Qt::UserRole, m.codeAt(i));
  }
}

int PartsWindow::selectedBarCode() const {
  const QListWidgetItem* item = bar_->currentItem();
  return item ? item->data(Qt::UserRole).toInt() : kAllMaterials;
}

void PartsWindow::onBarClicked(int row) {
  if (row < 0 || row >= bar_->count()) return;
  postPendingEdit();
  bar_->setCurrentRow(row);
  doc_->SetMaterialFilter(bar_->item(row)->data(Qt::UserRole).toInt());
  ShowRowSettings();
}

void PartsWindow::SetMaterialFilter(int code) {
  const int index = doc_->catalogue().materials.indexOfCode(code);
  if (index >= 0) bar_->setCurrentRow(index);
  doc_->SetMaterialFilter(code);
  ShowRowSettings();
}

void PartsWindow::showAllMaterials() {
  if (bar_->count() > 0) onBarClicked(0);
}

void PartsWindow::findMaterial() {
  QList<catalogues::MaterialBarEntry> entries;
  for (int i = 0; i < bar_->count(); ++i)
    entries.append({bar_->item(i)->text(), bar_->item(i)->data(Qt::UserRole).toInt()});
  const int chosen = catalogues::findMaterialDialog(entries, bar_->currentRow(), this);
  if (chosen >= 0) onBarClicked(chosen);
}

void PartsWindow::showMaterialMenu(int row, const QPoint& globalPos, bool barMenu) {
  const catalogues::MaterialList& m = doc_->catalogue().materials;
  QMenu menu(this);
  auto* group = new QActionGroup(&menu);
  const int checked = barMenu ? bar_->currentRow() : m.indexOfCode(doc_->row(row).material);
  for (int i = barMenu ? 0 : 1; i < m.size(); ++i) {
    QAction* a = menu.addAction(m.names[i]);
    a->setCheckable(true);
    a->setChecked(i == checked);
    a->setData(i);
    group->addAction(a);
  }
  QAction* chosen = menu.exec(globalPos);
  if (!chosen) return;
  const int index = chosen->data().toInt();
  if (barMenu) {
    onBarClicked(index);
  } else {
    doc_->setRowMaterial(row, m.codeAt(index));
  }
}

void PartsWindow::chooseMaterial(int row) {
  if (row < 0 || row >= doc_->rowCount()) return;
  grid_->postPendingEdit();
  const int code = catalogues::selectMaterialDialog(doc_->row(row).material, this);
  if (code != -1) doc_->setRowMaterial(row, code);
}

void PartsWindow::replaceMaterial() {
  if (doc_->rowCount() == 0 && doc_->allRows().empty()) return;
  postPendingEdit();
  const QListWidgetItem* item = bar_->currentItem();
  const QString name = item ? item->text() : QString::fromUtf8(catalogues::kAllMaterialsName);
  const int code = selectedBarCode();
  const std::optional<int> chosen = catalogues::replaceMaterialDialog(name, code, this);
  if (!chosen || *chosen == code) return;
  doc_->replaceMaterial(code, *chosen);
}

// ---- Row settings ----

void PartsWindow::ShowRowSettings() {
  const int row = doc_->currentRow();
  const CatalogueLists& cat = doc_->catalogue();
  SideCodes codes{};
  int rotation = 0;
  if (row >= 0 && row < doc_->rowCount()) {
    const PartRow& r = doc_->row(row);
    codes = {r.left, r.right, r.top, r.bottom};
    rotation = r.rotation;
  }
  std::array<int, 4> colours{};
  std::array<QString, 4> names{};
  for (std::size_t i = 0; i < 4; ++i) {
    // A code the edge list has not got shows as no edge.
    if (cat.edgeIndex(codes[i]) < 0) codes[i] = 0;
    const int index = cat.edges.indexOfCode(codes[i]);
    colours[i] = index >= 0 ? cat.edges.colors[index].toInt() : catalogues::kNoEdgeColor;
    names[i] = index >= 0 ? cat.edges.names[index] : QString::fromUtf8(catalogues::kNoEdgeName);
  }
  panelSides_ = codes;
  edges_->setSides(codes, colours, names);
  if (QAbstractButton* b = rotation_->button(rotation)) {
    const QSignalBlocker block(rotation_);
    b->setChecked(true);
  }
  updateTotals();
}

void PartsWindow::StoreRowSettings() {
  grid_->postPendingEdit();
  const int rotation = std::max(0, rotation_->checkedId());
  const int row = doc_->StoreRowSettings(panelSides_, rotation);
  if (row >= 0 && grid_->currentIndex().row() != row) grid_->setCurrentIndex(model_->index(row, ColName));
  ShowRowSettings();
}

void PartsWindow::onSideClicked(int side, bool pressed) {
  panelSides_ = doc_->sidesAfterClick(panelSides_, side, pressed);
  StoreRowSettings();
}

void PartsWindow::showSideMenu(int side, const QPoint& globalPos) {
  const catalogues::EdgeList& e = doc_->catalogue().edges;
  QMenu menu(this);
  auto* group = new QActionGroup(&menu);
  const int current = panelSides_[static_cast<std::size_t>(side)];
  int checked = e.indexOfCode(current);
  if (checked < 0) checked = 0;
  for (int i = 0; i < e.size(); ++i) {
    QAction* a = menu.addAction(i == 0 ? QString::fromUtf8(catalogues::kNoEdgeName) : e.names[i]);
    a->setCheckable(true);
    a->setChecked(i == checked);
    a->setData(i == 0 ? 0 : e.codes[i].toInt());
    group->addAction(a);
  }
  QAction* chosen = menu.exec(globalPos);
  if (!chosen) return;
  panelSides_[static_cast<std::size_t>(side)] = chosen->data().toInt();
  StoreRowSettings();
}

void PartsWindow::showRotationMenu(int row, const QPoint& globalPos) {
  if (row < 0 || row >= doc_->rowCount()) return;
  QMenu menu(this);
  auto* group = new QActionGroup(&menu);
  const char* items[] = {"Поворачивать", "Не поворачивать", "Один для всех"};
  for (int i = 0; i <= kMaxRotation; ++i) {
    QAction* a = menu.addAction(QString::fromUtf8(items[i]));
    a->setCheckable(true);
    a->setChecked(doc_->row(row).rotation == i);
    a->setData(i);
    group->addAction(a);
  }
  QAction* chosen = menu.exec(globalPos);
  if (!chosen) return;
  doc_->setCurrentRow(row);
  rotation_->button(chosen->data().toInt())->setChecked(true);
  StoreRowSettings();
}

void PartsWindow::setEdgesOfAllSides(bool on) {
  panelSides_ = doc_->sidesOfAll(on);
  StoreRowSettings();
}

// ---- Row commands ----

void PartsWindow::postPendingEdit() {
  grid_->postPendingEdit();
  doc_->leaveNewRow();
}

void PartsWindow::appendRow() {
  grid_->postPendingEdit();
  // Down on a new row not yet filled in stays there.
  if (doc_->isUntouchedNewRow(doc_->currentRow())) return;
  const int row = doc_->appendNewRow();
  if (row >= 0) {
    grid_->setCurrentIndex(model_->index(row, ColName));
    grid_->edit(model_->index(row, ColName));
  }
}

void PartsWindow::copyRow() {
  grid_->postPendingEdit();
  if (doc_->copyRow(doc_->currentRow()) < 0) common::showError(QStringLiteral("Ошибка копирования записи!"), this);
}

void PartsWindow::deleteRow() {
  grid_->postPendingEdit();
  if (doc_->rowCount() == 0 || doc_->currentRow() < 0) return;
  // A new row not yet filled in just goes.
  if (doc_->isUntouchedNewRow(doc_->currentRow())) {
    doc_->leaveNewRow();
    return;
  }
  if (common::showMessage(QStringLiteral("Действительно удалить запись?"), common::MsgIcon::Confirmation,
                          common::MsgButtons::YesNo, this) != common::MsgResult::Yes)
    return;
  doc_->removeRow(doc_->currentRow());
}

// ---- Printing and export ----

PageSetupMm PartsWindow::pageSetup() const {
  const common::PageMargins m = common::readPageMargins(settings_);
  PageSetupMm page{m.left, m.top, m.right, m.bottom, false};
  if (auto* ctx = common::AppContext::current(); ctx && ctx->mainWindow())
    page.landscape = ctx->mainWindow()->printer().pageLayout().orientation() == QPageLayout::Landscape;
  return page;
}

bool PartsWindow::canPrint() const { return doc_->rowCount() > 0; }

void PartsWindow::printList(PartsListKind kind) {
  postPendingEdit();
  if (!canPrint()) return;
  try {
    report::PreparedReport prepared = preparePartsList(*doc_, kind, PartsListOptions::read(settings_),
                                                       dataRoot_ + QStringLiteral("/Reports"), pageSetup());
    report::PreviewWindow preview(std::move(prepared), report::PreviewExport::All, this);
    preview.exec();
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
  }
}

void PartsWindow::printModelsList() {
  if (doc_->models().empty()) return;
  try {
    report::PreparedReport prepared = prepareModelsList(*doc_, dataRoot_ + QStringLiteral("/Reports"), pageSetup());
    report::PreviewWindow preview(std::move(prepared), report::PreviewExport::All, this);
    preview.exec();
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
  }
}

std::vector<int> PartsWindow::visibleColumns() const {
  std::vector<int> columns;
  const QHeaderView* h = grid_->horizontalHeader();
  for (int visual = 0; visual < h->count(); ++visual) {
    const int logical = h->logicalIndex(visual);
    if (!h->isSectionHidden(logical)) columns.push_back(logical);
  }
  return columns;
}

void PartsWindow::exportSpreadsheet() {
  postPendingEdit();
  if (doc_->rowCount() == 0) return;
  const QString folder = dataRoot_ + QStringLiteral("/Export");
  QDir().mkpath(folder);
  const QString path = spreadsheetPath(folder, *doc_);
  try {
    writeSpreadsheet(path, spreadsheetCells(*doc_, visibleColumns()));
  } catch (const GroupFileError& e) {
    common::showError(QStringLiteral("Ошибка инициализации Microsoft Excel !\r\rMicrosoft Excel не установлен, "
                                     "либо установлен неверно.\r\r") +
                          e.text(),
                      this);
    return;
  }
  if (!fileOpener()(path))
    common::showInformation(QStringLiteral("Список деталей записан в файл\r%1\r\rНет программы, которая открывает "
                                           "такие файлы.")
                                .arg(QDir::toNativeSeparators(path)),
                            this);
}

// ---- State shown ----

void PartsWindow::updateTotals() {
  const QStringList texts = doc_->totalsPanels();
  for (int i = 0; i < 4; ++i) panels_[i]->setPanelText(texts[i]);
}

void PartsWindow::updateActions() {
  const bool rows = doc_->rowCount() > 0;
  saveAction_->setEnabled(doc_->isOpen() && doc_->isModified());
  copyAction_->setEnabled(rows);
  deleteAction_->setEnabled(rows);
  runAction_->setEnabled(runAttached_ && rows);
  printButton_->setEnabled(rows);
  excelAction_->setEnabled(rows);
  noneAction_->setEnabled(rows);
  allAction_->setEnabled(rows);
  replaceAction_->setEnabled(rows);
  // "С&лияние" is always there while the program offers the merge.
  bool merge = false;
  if (auto* ctx = common::AppContext::current(); ctx && ctx->mainWindow())
    merge = ctx->mainWindow()->command(QStringLiteral("group.merge")) != nullptr;
  mergeAction_->setEnabled(merge);
  emit commandsChanged();
}

void PartsWindow::setRunAttached(bool attached) {
  runAttached_ = attached;
  updateActions();
}

void PartsWindow::updateCaption(const QString& caption) { setWindowTitle(caption + QStringLiteral("[*]")); }

// ---- Layout ----

void PartsWindow::restoreLayout() {
  // Where no width is kept, the bar shows its longest material name whole.
  const int barWidth = settings_.keyExists(kLayoutSection, "OutLook_Width")
                           ? settings_.readInt(kLayoutSection, "OutLook_Width", 105)
                           : common::fittingListWidth(*bar_, barButton_->sizeHint().width(), 300);
  QList<int> sizes = splitter_->sizes();
  if (sizes.size() == 3) {
    const int total = sizes[0] + sizes[1] + sizes[2];
    sizes[0] = barWidth;
    sizes[1] = std::max(100, total - barWidth - sizes[2]);
    splitter_->setSizes(sizes);
  }
  // Where no width is kept, a column fits its header and rows, and the
  // values it offers: the part names, every material, every rotation; the
  // name column keeps room to type in.
  QStringList materials = doc_->catalogue().materials.names;
  if (!materials.isEmpty()) materials.removeFirst();  // "<все материалы>" is no row's material
  QStringList rotations;
  for (int i = 0; i <= kMaxRotation; ++i) rotations << rotationName(i);
  for (int c = 0; c < ColumnCount; ++c) {
    const QStringList offered = c == ColName         ? loadPartNames(settings_)
                                : c == ColMatName    ? materials
                                : c == ColRotateName ? rotations
                                                     : QStringList();
    common::restoreColumnWidth(settings_, kLayoutSection, "ColWidth" + std::to_string(c), *grid_, c, offered,
                               c == ColName ? 120 : 0);
  }
  auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
  if (!frame) return;
  // Where the document area puts a new window when no placement is
  // stored, wide enough for the bar, every column shown and the side
  // panel; either way wholly inside the area.
  sizes = splitter_->sizes();
  int wanted = frame->width();
  if (sizes.size() == 3)
    wanted = std::max(wanted, sizes[0] + common::wholeTableWidth(*grid_) + sizes[2] + 2 * splitter_->handleWidth() +
                                  frame->width() - width());
  common::placeDocumentWindow(*frame, common::readDocumentPlacement(settings_, kLayoutSection), QSize(420, 260),
                              QRect(frame->pos(), QSize(wanted, frame->height())));
}

void PartsWindow::saveLayout() {
  try {
    settings_.batch([&] {
      const QList<int> sizes = splitter_->sizes();
      const int barWidth =
          !sizes.isEmpty() && sizes[0] > 0 ? sizes[0] : settings_.readInt(kLayoutSection, "OutLook_Width", 105);
      settings_.writeInt(kLayoutSection, "OutLook_Width", barWidth);
      for (int c = 0; c < ColumnCount; ++c) {
        const int w = grid_->isColumnHidden(c) ? settings_.readInt(kLayoutSection, "ColWidth" + std::to_string(c), 120)
                                               : grid_->columnWidth(c);
        settings_.writeInt(kLayoutSection, "ColWidth" + std::to_string(c), w);
      }
      if (QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        common::writeDocumentPlacement(settings_, kLayoutSection, frame->geometry(), frame->isMaximized(),
                                       frame->isMinimized());
    });
  } catch (const std::exception&) {
    // The layout is a convenience; a settings file that cannot be written
    // must not keep the window from closing.
  }
}

void PartsWindow::reloadPartNames() { grid_->partsDelegate()->setPartNames(loadPartNames(settings_)); }

// ---- Events ----

void PartsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!layoutRestored_) {
    layoutRestored_ = true;
    restoreLayout();
    reloadPartNames();
  }
}

void PartsWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  if (common::isBusy()) {
    event->ignore();
    return;
  }
  postPendingEdit();
  if (doc_->isOpen() && doc_->isModified()) {
    const common::MsgResult answer = common::showMessage(
        QStringLiteral("Сохранить изменения в документе \r") + doc_->caption() + QStringLiteral(" ?"),
        common::MsgIcon::Warning, common::MsgButtons::YesNoCancel, this);
    if (answer == common::MsgResult::Cancel) {
      event->ignore();
      return;
    }
    // The window closes only when the save has been done.
    if (answer == common::MsgResult::Yes && doc_->SaveGroup(false) != SaveResult::Saved) {
      event->ignore();
      return;
    }
  }
  closing_ = true;
  saveLayout();
  const bool recent = doc_->captionOverride().isEmpty() && !doc_->displayName().isEmpty();
  const QString header = recent ? doc_->headerPath() : QString();
  doc_->closeDocument();
  event->accept();
  emit closed(header);
}

}  // namespace kroyna::parts
