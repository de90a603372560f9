#include "maps/ui/MapsWindow.h"
#include "common/settings/SettingsKeys.h"
#include "platform/text/Literals.h"

#include "catalogues/Catalogues.h"
#include "common/AppState.h"
#include "common/Messages.h"
#include "common/ui/HeaderWidths.h"
#include "common/ui/MapFontDialog.h"
#include "common/ui/StatusPanel.h"
#include "common/ui/WindowPlacement.h"
#include "maps/MapDrawing.h"
#include "maps/ui/StatisticsDialog.h"
#include "platform/ini/IniFile.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <vector>

namespace kroyna::maps {

namespace {

constexpr const char* kSection = "SheetParams";
// The smallest maps window that still shows a map at a readable scale.
constexpr QSize kMinimumMapsWindow(640, 420);
using text::u;
// Message texts keep the program's "\r" line breaks; tooltips need "\n".
QString tooltipText(const QString& text) {
  QString t = text;
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t;
}

}  // namespace

// ---- MapSheetView ----

MapSheetView::MapSheetView(const MapsDocument& document, int mapIndex, QWidget* parent)
    : QWidget(parent), document_(document), map_(mapIndex) {
  resize(20, 20);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapSheetView::setRatio(double ratio) {
  ratio_ = ratio;
  if (!valid()) return;
  resize(sheetSize(sheet(), ratio).expandedTo(QSize(1, 1)));
  update();
}

int MapSheetView::offcutAt(QPoint pos) const {
  if (!valid()) return -1;
  const auto& offcuts = sheet().Offcuts;
  for (int i = static_cast<int>(offcuts.size()) - 1; i >= 0; --i)
    if (elementRect(offcuts[static_cast<std::size_t>(i)], ratio_).contains(pos)) return i;
  return -1;
}

int MapSheetView::partAt(QPoint pos) const {
  if (!valid()) return -1;
  const auto& parts = sheet().Parts;
  for (int i = static_cast<int>(parts.size()) - 1; i >= 0; --i)
    if (elementRect(parts[static_cast<std::size_t>(i)], ratio_).contains(pos)) return i;
  return -1;
}

void MapSheetView::paintEvent(QPaintEvent*) {
  if (!valid()) return;
  QPainter painter(this);
  paintSheet(painter, sheet(), ratio_);
}

bool MapSheetView::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(e);
    QString text;
    if (hints_) {
      if (int o = offcutAt(help->pos()); o >= 0)
        text = document_.offcutInfo(sheet().Offcuts[static_cast<std::size_t>(o)]);
      else if (int p = partAt(help->pos()); p >= 0)
        text = document_.partInfo(sheet().Parts[static_cast<std::size_t>(p)]);
    }
    if (text.isEmpty()) {
      QToolTip::hideText();
      e->ignore();
    } else {
      QToolTip::showText(help->globalPos(), tooltipText(text), this);
    }
    return true;
  }
  return QWidget::event(e);
}

void MapSheetView::contextMenuEvent(QContextMenuEvent* e) {
  if (int o = offcutAt(e->pos()); o >= 0)
    emit offcutMenuRequested(o, e->globalPos());
  else if (int p = partAt(e->pos()); p >= 0)
    emit partMenuRequested(p, e->globalPos());
  else
    emit mapMenuRequested(e->globalPos());
}

// ---- MapStatusLine ----

MapStatusLine::MapStatusLine(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addStretch(1);
  setFixedHeight(fontMetrics().height() + 6);
}

void MapStatusLine::setPanels(const QStringList& texts) {
  auto* layout = static_cast<QHBoxLayout*>(this->layout());
  while (labels_.size() < texts.size()) {
    auto* label = new common::StatusPanel(this);
    layout->insertWidget(static_cast<int>(labels_.size()), label);
    labels_.append(label);
  }
  while (labels_.size() > texts.size()) delete labels_.takeLast();
  for (int i = 0; i < texts.size(); ++i) static_cast<common::StatusPanel*>(labels_[i])->setPanelText(texts[i]);
}

QStringList MapStatusLine::panels() const {
  QStringList out;
  for (QLabel* l : labels_) out << l->text();
  return out;
}

// ---- MapPage ----

MapPage::MapPage(MapsWindow& window, const MapsDocument& document, int mapIndex)
    : window_(window),
      sheet_(new MapSheetView(document, mapIndex, this)),
      line1_(new MapStatusLine(this)),
      line2_(new MapStatusLine(this)) {
  sheet_->move(kSheetMargin, kSheetMargin);
}

int MapPage::statusHeight() const { return line1_->height(); }

void MapPage::resizeEvent(QResizeEvent*) {
  const int h = statusHeight();
  line2_->setGeometry(0, height() - h, width(), h);
  line1_->setGeometry(0, height() - 2 * h, width(), h);
  window_.rescale();
}

// ---- MapsWindow ----

MapsWindowCommands& MapsWindow::commands() {
  static MapsWindowCommands instance;
  return instance;
}

MapsWindow::MapsWindow(const MapsEnvironment& environment, ini::IniFile& settings, QWidget* parent)
    : QWidget(parent), document_(std::make_unique<MapsDocument>(environment)), settings_(settings) {
  setObjectName(QStringLiteral("FormSheets"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  buildToolBar();
  layout->addWidget(toolBar_);

  splitter_ = new QSplitter(Qt::Horizontal, this);
  auto* panel = new QWidget(splitter_);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  auto* find = new QPushButton(u("Материалы"), panel);
  connect(find, &QPushButton::clicked, this, &MapsWindow::findMaterial);
  materials_ = new QListWidget(panel);
  connect(materials_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { selectMaterialRow(materials_->row(item)); });
  panelLayout->addWidget(find);
  panelLayout->addWidget(materials_);
  tabs_ = new QTabWidget(splitter_);
  tabs_->setTabPosition(QTabWidget::North);
  splitter_->addWidget(panel);
  splitter_->addWidget(tabs_);
  splitter_->setStretchFactor(1, 1);
  auto* body = new QHBoxLayout;
  body->setContentsMargins(0, 0, 0, 0);
  body->addWidget(splitter_, 1);
  progress_ = new QProgressBar(this);
  progress_->setOrientation(Qt::Vertical);
  progress_->setTextVisible(false);
  progress_->hide();
  body->addWidget(progress_);
  layout->addLayout(body, 1);

  // Where no panel width is kept, the panel shows its names whole, also
  // those of maps added later, until the user moves the splitter.
  panelFits_ =
      !settings_.keyExists(common::keys::MapsMaterialsPanelWidth.section, common::keys::MapsMaterialsPanelWidth.name);
  connect(splitter_, &QSplitter::splitterMoved, this, [this] { panelFits_ = false; });
  splitter_->setSizes({common::read(settings_, common::keys::MapsMaterialsPanelWidth), 600});
  document_->setMillMode(common::read(settings_, common::keys::CutsShown));
  resize(760, 560);
  refreshMaterialsPanel();
  updateCommands();
  updateTitle();
}

MapsWindow::~MapsWindow() = default;

void MapsWindow::buildToolBar() {
  toolBar_ = new QToolBar(this);
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  auto add = [this](const QString& id, const char* caption, const char* hint) {
    QAction* a = toolBar_->addAction(u(caption));
    a->setObjectName(id);
    if (hint) a->setToolTip(tooltipText(u(hint)));
    return a;
  };
  connect(add(QStringLiteral("save"), "&Сохранить", "Сохранить карты\r\nраскроя"), &QAction::triggered, this, [this] {
    if (auto& save = commands().save) {
      if (save(*this)) emit documentChanged();
    }
  });
  connect(add(QStringLiteral("abort"), "Прервать", nullptr), &QAction::triggered, this, &MapsWindow::askAbort);
  connect(add(QStringLiteral("print"), "&Печать", "Печать карт раскроя"), &QAction::triggered, this, [this] {
    if (auto& print = commands().print) print(*this);
  });
  connect(add(QStringLiteral("font"), "&Шрифт", "Параметры шрифта"), &QAction::triggered, this,
          &MapsWindow::chooseFont);
  connect(add(QStringLiteral("apply"), "П&ринять", "Принять раскрой"), &QAction::triggered, this, [this] {
    if (auto& apply = commands().apply) {
      if (apply(*this)) setApplied();
    }
  });

  cutsMenu_ = new QMenu(this);
  cutsGroup_ = new QActionGroup(this);
  for (int m = MillHidden; m <= MillLastSheet; ++m) {
    QAction* a = cutsMenu_->addAction(millModeName(m));
    a->setCheckable(true);
    a->setData(m);
    cutsGroup_->addAction(a);
    connect(a, &QAction::triggered, this, [this, m] { setMillMode(m); });
  }
  cutsButton_ = new QToolButton(toolBar_);
  cutsButton_->setMenu(cutsMenu_);
  cutsButton_->setPopupMode(QToolButton::InstantPopup);
  QAction* cuts = toolBar_->addWidget(cutsButton_);
  cuts->setObjectName(QStringLiteral("cuts"));

  QAction* edge = add(QStringLiteral("edge"), "&Кромка", "Рисование кромки");
  edge->setCheckable(true);
  connect(edge, &QAction::toggled, this, &MapsWindow::setShowBorder);
  QAction* offcuts = add(QStringLiteral("offcuts"), "&Остатки", "Подписывание остатков");
  offcuts->setCheckable(true);
  connect(offcuts, &QAction::toggled, this, &MapsWindow::setShowScrapsText);
  QAction* hints = add(QStringLiteral("hints"), "Подсказк&и", nullptr);
  hints->setCheckable(true);
  connect(hints, &QAction::toggled, this, &MapsWindow::setShowHints);
  connect(add(QStringLiteral("statistics"), "&Статистика", "Статистика раскроя"), &QAction::triggered, this,
          &MapsWindow::showStatistics);
}

QAction* MapsWindow::action(const QString& id) const {
  for (QAction* a : toolBar_->actions())
    if (a->objectName() == id) return a;
  return nullptr;
}

void MapsWindow::updateCommands() {
  const bool ready = !running_;
  const MapsWindowCommands& c = commands();
  action(QStringLiteral("save"))->setVisible(ready);
  action(QStringLiteral("save"))->setEnabled(ready && bool(c.save));
  action(QStringLiteral("abort"))->setVisible(running_);
  action(QStringLiteral("abort"))->setEnabled(running_);
  action(QStringLiteral("print"))->setEnabled(ready && bool(c.print));
  // A window without maps has nothing to accept.
  action(QStringLiteral("apply"))->setEnabled(ready && bool(c.apply) && !applied_ && document_->mapCount() > 0);
  for (const char* id : {"font", "cuts", "edge", "offcuts", "hints", "statistics"})
    action(QString::fromLatin1(id))->setEnabled(ready);
  cutsButton_->setEnabled(ready);
  const int mode = document_->millMode();
  cutsButton_->setText(u("Резы: ") + millModeName(mode));
  for (QAction* a : cutsGroup_->actions()) a->setChecked(a->data().toInt() == mode);
  const QSignalBlocker b1(action(QStringLiteral("edge")));
  const QSignalBlocker b2(action(QStringLiteral("offcuts")));
  const QSignalBlocker b3(action(QStringLiteral("hints")));
  action(QStringLiteral("edge"))->setChecked(document_->showBorder());
  action(QStringLiteral("offcuts"))->setChecked(document_->showScrapsText());
  action(QStringLiteral("hints"))->setChecked(document_->showHints());
}

void MapsWindow::updateTitle() { setWindowTitle(running_ ? u("Пожалуйста подождите ...") : document_->caption()); }

void MapsWindow::setCaption(const QString& caption) {
  document_->setCaption(caption);
  updateTitle();
}

// ---- Maps and pages ----

int MapsWindow::pageCount() const { return tabs_->count(); }

MapPage* MapsWindow::page(int index) const { return qobject_cast<MapPage*>(tabs_->widget(index)); }

void MapsWindow::addPage(int mapIndex) {
  auto* page = new MapPage(*this, *document_, mapIndex);
  MapSheetView* sheet = page->sheet();
  sheet->setShowAllHints(document_->showHints());
  connect(sheet, &MapSheetView::partMenuRequested, this,
          [this, mapIndex](int part, QPoint at) { openPartMenu(mapIndex, part, at); });
  connect(sheet, &MapSheetView::offcutMenuRequested, this,
          [this, mapIndex](int offcut, QPoint at) { openOffcutMenu(mapIndex, offcut, at); });
  connect(sheet, &MapSheetView::mapMenuRequested, this, [this](QPoint at) {
    QMenu menu;
    menu.addAction(u("Информация"), this, &MapsWindow::showMapInfo);
    menu.exec(at);
  });
  const int tab = tabs_->addTab(page, QString::fromStdString(document_->map(mapIndex).Caption));
  tabs_->setTabVisible(tab, document_->isVisible(mapIndex));
  refreshStatus(mapIndex);
  sheet->setRatio(ratio_);
}

int MapsWindow::addMap(const QString& tabCaption, int materialCode, const engine::FinishedMap& finished,
                       std::int32_t kerf, const QString& remark) {
  std::vector<std::array<double, 4>> before;
  before.reserve(static_cast<std::size_t>(document_->mapCount()));
  for (const SheetMap& m : document_->maps())
    before.push_back({m.DetalsSquare, m.ScrapSquare, m.LostSquare, m.TotalSquare});
  const int index = document_->addMap(tabCaption, materialCode, finished, kerf, remark);
  // Earlier maps were recomputed too: the status lines of those whose
  // figures changed (the settings changed meanwhile) follow.
  for (int i = 0; i < pageCount() && i < static_cast<int>(before.size()); ++i) {
    const SheetMap& m = document_->map(i);
    if (before[static_cast<std::size_t>(i)] != std::array{m.DetalsSquare, m.ScrapSquare, m.LostSquare, m.TotalSquare})
      refreshStatus(i);
  }
  addPage(index);
  tabs_->setCurrentIndex(index);
  const auto [w, h] = document_->largestSheet();
  // The first map (or a larger one) sets the scale for all.
  if (ratio_ == 0 || toPixels(w, ratio_) > tabs_->width() || toPixels(h, ratio_) > tabs_->height()) rescale();
  repaintMaps();
  if (index == 0) updateCommands();  // the first map makes something to accept
  return index;
}

void MapsWindow::refreshStatus(int mapIndex) {
  MapPage* p = page(mapIndex);
  if (!p) return;
  QStringList line1 = document_->statusLine1(mapIndex);
  if (!acceptedNote_.isEmpty()) line1 << u("Принят на склад ") + acceptedNote_;
  p->line1()->setPanels(line1);
  p->line2()->setPanels(document_->statusLine2(mapIndex));
}

void MapsWindow::refreshFromDocument() {
  while (tabs_->count() > 0) {
    QWidget* w = tabs_->widget(0);
    tabs_->removeTab(0);
    delete w;
  }
  for (int i = 0; i < document_->mapCount(); ++i) addPage(i);
  refreshMaterialsPanel();
  updateCommands();
  updateTitle();
  rescale();
}

void MapsWindow::rescale() {
  // Only the current page follows the window's size (hidden pages keep
  // theirs until shown), so it sets the scale for all.
  auto* current = qobject_cast<MapPage*>(tabs_->currentWidget());
  if (!current) return;
  const auto [w, h] = document_->largestSheet();
  ratio_ = mapsRatio(current->size(), current->statusHeight(), w, h);
  for (int i = 0; i < pageCount(); ++i) page(i)->sheet()->setRatio(ratio_);
}

void MapsWindow::refreshMaps() {
  for (int i = 0; i < pageCount(); ++i) refreshStatus(i);
  repaintMaps();
}

void MapsWindow::setDisplayFlags(bool showName, bool showDim, bool showScrapsText, bool showHints, bool showBorder) {
  document_->setShowTitleForNew(showName);
  document_->setShowDimForNew(showDim);
  document_->setShowScrapsText(showScrapsText);
  document_->setShowBorder(showBorder);
  setShowHints(showHints);
  repaintMaps();
}

void MapsWindow::repaintMaps() {
  for (int i = 0; i < pageCount(); ++i) page(i)->sheet()->update();
}

void MapsWindow::applyVisibility() {
  for (int i = 0; i < pageCount(); ++i) tabs_->setTabVisible(i, document_->isVisible(i));
  repaintMaps();
}

// ---- Run ----

void MapsWindow::beginRun() {
  running_ = true;
  progress_->setValue(0);
  progress_->show();
  updateCommands();
  updateTitle();
}

void MapsWindow::endRun() {
  running_ = false;
  progress_->hide();
  updateCommands();
  updateTitle();
  refreshMaterialsPanel();
  rescale();
}

void MapsWindow::setProgress(std::int64_t done, std::int64_t total) {
  // The bar paints itself at once on every step it can show; a run makes
  // thousands of steps a second, so the bar follows at most every 40 ms
  // (and at the start and the end of a pass).
  if (done > 0 && done < total && progressShown_.isValid() && progressShown_.elapsed() < 40) return;
  progressShown_.start();
  const int max = static_cast<int>(std::clamp<std::int64_t>(total, 0, 1 << 30));
  progress_->setRange(0, std::max(1, max));
  progress_->setValue(static_cast<int>(std::clamp<std::int64_t>(done, 0, max)));
}

void MapsWindow::askAbort() {
  if (common::showMessage(u("Действительно прервать разложение?"), common::MsgIcon::Confirmation,
                          common::MsgButtons::YesNo, this) == common::MsgResult::Yes)
    emit abortRequested();
}

void MapsWindow::closeWithoutQuestion() {
  closeWithoutQuestion_ = true;
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
    sub->close();
  else
    close();
}

// ---- Display commands ----

void MapsWindow::setMillMode(int mode) {
  document_->setMillMode(mode);
  updateCommands();
  repaintMaps();
}

void MapsWindow::setShowBorder(bool on) {
  document_->setShowBorder(on);
  updateCommands();
  repaintMaps();
}

void MapsWindow::setShowScrapsText(bool on) {
  document_->setShowScrapsText(on);
  updateCommands();
  repaintMaps();
}

void MapsWindow::setShowHints(bool on) {
  document_->setShowHints(on);
  for (int i = 0; i < pageCount(); ++i) page(i)->sheet()->setShowAllHints(on);
  updateCommands();
}

void MapsWindow::setMapFont(const common::FontKeys& font) {
  document_->setFont(font);
  repaintMaps();
}

void MapsWindow::chooseFont() {
  common::MapFontDialog dialog(document_->font(), this);
  if (dialog.exec() == QDialog::Accepted && dialog.mapFont() != document_->font()) setMapFont(dialog.mapFont());
}

// ---- Materials panel ----

void MapsWindow::refreshMaterialsPanel() {
  const int code = document_->materialFilter();
  panelCodes_ = QList<int>{kAllMaterials} + document_->materialPanelCodes();
  materials_->clear();
  for (int c : panelCodes_) {
    QString name = c == kAllMaterials ? u(catalogues::kAllMaterialsName) : document_->environment().materialName(c);
    // A material the catalogue no longer has still gets an entry to click.
    if (name.isEmpty()) name = QStringLiteral("<%1>").arg(c);
    materials_->addItem(name);
  }
  const int row = std::max(0, static_cast<int>(panelCodes_.indexOf(code)));
  materials_->setCurrentRow(row);
  if (panelCodes_[row] != code) selectMaterialRow(row);
  if (panelFits_) fitMaterialsPanel();
}

void MapsWindow::fitMaterialsPanel() {
  const auto* button = materials_->parentWidget()->findChild<QPushButton*>();
  const int panel = common::fittingListWidth(*materials_, button ? button->sizeHint().width() : 0, 300);
  const QList<int> sizes = splitter_->sizes();
  if (sizes.size() != 2 || sizes[0] == panel) return;
  const int total = sizes[0] + sizes[1];
  splitter_->setSizes({panel, total > panel ? total - panel : 600});
}

void MapsWindow::selectMaterialRow(int row) {
  if (row < 0 || row >= panelCodes_.size()) return;
  materials_->setCurrentRow(row);
  if (document_->setMaterialFilter(panelCodes_[row])) applyVisibility();
}

void MapsWindow::showAllMaterials() {
  selectMaterialRow(0);
  if (materials_->count() > 0) materials_->scrollToItem(materials_->item(0));
}

QString MapsWindow::selectedMaterialName() const {
  const QListWidgetItem* item = materials_->currentItem();
  return item ? item->text() : u(catalogues::kAllMaterialsName);
}

int MapsWindow::selectedMaterialCode() const { return document_->materialFilter(); }

void MapsWindow::findMaterial() {
  QList<catalogues::MaterialBarEntry> entries;
  for (int i = 0; i < panelCodes_.size(); ++i) entries.append({materials_->item(i)->text(), panelCodes_[i]});
  const int chosen = catalogues::findMaterialDialog(entries, materials_->currentRow(), this);
  if (chosen < 0) return;
  selectMaterialRow(chosen);
  materials_->scrollToItem(materials_->item(chosen));
}

// ---- Statistics, info, offcuts ----

void MapsWindow::showStatistics() {
  auto* dialog = new StatisticsDialog(statisticsFigures(*document_, selectedMaterialName()), document_->environment(),
                                      settings_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  if (auto& print = commands().printStatistics) {
    dialog->enablePrint([this, print] { print(*this); });
  }
  dialog->open();
}

void MapsWindow::showPartInfo(int map, int part) {
  common::showMessage(document_->partInfo(document_->map(map).Parts.at(static_cast<std::size_t>(part))),
                      common::MsgIcon::Information, common::MsgButtons::Ok, this);
}

void MapsWindow::showOffcutInfo(int map, int offcut) {
  common::showMessage(document_->offcutInfo(document_->map(map).Offcuts.at(static_cast<std::size_t>(offcut))),
                      common::MsgIcon::Information, common::MsgButtons::Ok, this);
}

void MapsWindow::showMapInfo() {
  const int index = tabs_->currentIndex();
  if (index < 0 || index >= document_->mapCount()) return;
  common::showMessage(document_->mapInfo(index), common::MsgIcon::Information, common::MsgButtons::Ok, this);
}

void MapsWindow::toggleOffcutKind(int map, int offcut) {
  const bool useful = document_->map(map).Offcuts.at(static_cast<std::size_t>(offcut)).useful();
  document_->setOffcutUseful(map, offcut, !useful);
  refreshStatus(map);
  if (MapPage* p = page(map)) p->sheet()->update();
  emit documentChanged();
}

void MapsWindow::renameOffcut(int map, int offcut, const QString& name) {
  if (!document_->renameOffcut(map, offcut, name)) return;
  if (MapPage* p = page(map)) p->sheet()->update();
  emit documentChanged();
}

void MapsWindow::openPartMenu(int map, int part, QPoint globalPos) {
  QMenu menu;
  menu.addAction(u("Информация"), this, [this, map, part] { showPartInfo(map, part); });
  menu.exec(globalPos);
}

void MapsWindow::openOffcutMenu(int map, int offcut, QPoint globalPos) {
  const MapOffcut& o = document_->map(map).Offcuts.at(static_cast<std::size_t>(offcut));
  QMenu menu;
  menu.addAction(u("Информация"), this, [this, map, offcut] { showOffcutInfo(map, offcut); });
  QAction* rename = menu.addAction(u("Изменить шифр"), this, [this, map, offcut] {
    const QString current =
        QString::fromStdString(document_->map(map).Offcuts.at(static_cast<std::size_t>(offcut)).ScrapName);
    if (auto name = askOffcutCode(current, this)) renameOffcut(map, offcut, *name);
  });
  rename->setVisible(o.useful());
  menu.addSeparator();
  QAction* kind = menu.addAction(u("Остаток"), this, [this, map, offcut] { toggleOffcutKind(map, offcut); });
  kind->setCheckable(true);
  kind->setChecked(o.useful());
  menu.exec(globalPos);
}

void MapsWindow::setApplied() {
  applied_ = true;
  updateCommands();
}

void MapsWindow::setAcceptedNote(const QString& when) {
  acceptedNote_ = when;
  QString hint = u("Принять раскрой");
  if (!when.isEmpty()) hint += u("\nУже принят на склад ") + when;
  action(QStringLiteral("apply"))->setToolTip(hint);
  for (int i = 0; i < pageCount(); ++i) refreshStatus(i);
}

// ---- Show, resize, close ----

void MapsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  refreshMaterialsPanel();
  // The placement the last maps window had, wholly inside the document
  // area and big enough to read the maps; a first maps window fills the
  // area.
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
    common::placeDocumentWindow(*frame, common::readDocumentPlacement(settings_, kSection), kMinimumMapsWindow);
}

void MapsWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  rescale();
}

void MapsWindow::saveWindowSettings() {
  try {
    const QList<int> sizes = splitter_->sizes();
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    settings_.batch([&] {
      if (!sizes.isEmpty()) common::write(settings_, common::keys::MapsMaterialsPanelWidth, sizes.first());
      if (frame)
        common::writeDocumentPlacement(settings_, kSection, frame->geometry(), frame->isMaximized(),
                                       frame->isMinimized());
      // Earlier builds kept the frame as a binary blob, which put a later
      // window partly outside the area; it is read no more.
      if (settings_.keyExists(kSection, "Placement")) settings_.eraseKey(kSection, "Placement");
    });
  } catch (const std::exception&) {
    // The window's size is not worth keeping it open for.
  }
}

void MapsWindow::closeEvent(QCloseEvent* event) {
  if (running_ || common::isBusy()) {
    if (!closeWithoutQuestion_) {
      closeRequested_ = true;
      event->ignore();
      return;
    }
  } else if (!closeWithoutQuestion_ && document_->isModified()) {
    const common::MsgResult answer =
        common::showMessage(u("Карты раскроя \"%1\" были изменеы.\rСохранить?").arg(document_->caption()),
                            common::MsgIcon::Warning, common::MsgButtons::YesNoCancel, this);
    if (answer == common::MsgResult::Cancel) {
      event->ignore();
      return;
    }
    if (answer == common::MsgResult::Yes) {
      // The result is kept unless it was really saved: a cancelled dialog,
      // a failed save or no way to save leaves the window open.
      auto& save = commands().save;
      if (!save || !save(*this)) {
        event->ignore();
        return;
      }
    }
  }
  saveWindowSettings();
  event->accept();
}

// ---- Offcut code dialog ----

std::optional<QString> askOffcutCode(const QString& current, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(u("Изменение шифра"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(u("Укажите новый шифр остатка"), &dialog));
  auto* edit = new QLineEdit(current, &dialog);
  layout->addWidget(edit);
  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(u("&Да"), QDialogButtonBox::AcceptRole);
  buttons->addButton(u("&Отмена"), QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  edit->setFocus();
  edit->selectAll();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return edit->text().trimmed();
}

}  // namespace kroyna::maps
