// The wiring of the parts window and of the main-window commands: closing
// with the save question, grid edits, the side panel, the export's
// columns, the already-open rule, the recent bases and the command line.
#include "parts/ui/PartsWindow.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Settings.h"
#include "parts/PartsTestSupport.h"
#include "parts/ui/Parts.h"
#include "parts/ui/PartsGrid.h"
#include "shell/MainWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>

using namespace kroyna;
using namespace kroyna::parts;
using namespace kroyna::parts::test;

namespace {

class PartsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<PartsWindow>(folder.root(), folder.settings());
    window->setCatalogue(sampleCatalogue());
  }

  void addRows() {
    PartsDocument& doc = window->document();
    ASSERT_TRUE(doc.AppendDetal(QStringLiteral("Боковина"), 720, 560, 2, 0, 10, 10, 11, 0, 1));
    ASSERT_TRUE(doc.AppendDetal(QStringLiteral("Полка"), 564, 300, 4, 1, 0, 0, 10, 0, 2));
    ASSERT_TRUE(doc.AppendDetal(QStringLiteral("Крышка"), 800, 560, 1, 2, 10, 10, 10, 10, 1));
  }

  PartsFolder folder;
  MessageLog log;
  std::unique_ptr<PartsWindow> window;
};

}  // namespace

TEST_F(PartsWindowTest, ClosingAChangedBaseClosesOnlyAfterASuccessfulSave) {
  ASSERT_TRUE(window->CreateGroup());
  addRows();
  const QString temp = window->document().dataPath();
  QStringList closedWith;
  QObject::connect(window.get(), &PartsWindow::closed, [&](const QString& h) { closedWith << h; });

  // "Yes", then the save dialog is cancelled: the window stays.
  window->document().setNameChooser([](const QString&) { return QString(); });
  log.answer = common::MsgResult::Yes;
  EXPECT_FALSE(window->close());
  ASSERT_EQ(log.texts.size(), 1);
  EXPECT_EQ(log.texts[0], "Сохранить изменения в документе \rБаза деталей: <без названия> ?");
  EXPECT_TRUE(QFileInfo::exists(temp));
  EXPECT_TRUE(window->document().isOpen());

  // "Cancel" keeps it too; "Yes" with a save that works closes it.
  log.answer = common::MsgResult::Cancel;
  EXPECT_FALSE(window->close());
  log.answer = common::MsgResult::Yes;
  const QString header = folder.path(QStringLiteral("Groups/Закрытая.krb"));
  window->document().setNameChooser([&](const QString&) { return header; });
  EXPECT_TRUE(window->close());
  EXPECT_FALSE(QFileInfo::exists(temp));
  EXPECT_EQ(readPartRows(folder.path(QStringLiteral("Groups/Закрытая.dbf"))).size(), 3u);
  EXPECT_EQ(closedWith, QStringList{header});
}

TEST_F(PartsWindowTest, ClosingWithoutSavingDropsTheUntitledTable) {
  ASSERT_TRUE(window->CreateGroup());
  addRows();
  const QString temp = window->document().dataPath();
  QStringList closedWith;
  QObject::connect(window.get(), &PartsWindow::closed, [&](const QString& h) { closedWith << h; });
  log.answer = common::MsgResult::No;
  EXPECT_TRUE(window->close());
  EXPECT_FALSE(QFileInfo::exists(temp));
  EXPECT_EQ(closedWith, QStringList{QString()});  // nothing for the recent list
  // The layout was kept.
  EXPECT_TRUE(folder.settings().keyExists("Detals_Group", "ColWidth10"));
  EXPECT_TRUE(folder.settings().keyExists("Detals_Group", "OutLook_Width"));
}

TEST_F(PartsWindowTest, GridEditsGoThroughTheDocumentAndBadValuesAreRefused) {
  ASSERT_TRUE(window->CreateGroup());
  addRows();
  QAbstractItemModel* model = window->grid()->model();
  EXPECT_FALSE(model->setData(model->index(0, ColLength), QStringLiteral("длинная")));
  EXPECT_EQ(log.texts.size(), 1);
  EXPECT_EQ(model->index(0, ColLength).data().toString(), "720");
  EXPECT_TRUE(model->setData(model->index(0, ColLength), QStringLiteral("700")));
  EXPECT_EQ(window->statusBar()->findChildren<QLabel*>().size(), 5);
  EXPECT_EQ(window->document().totalsPanels()[1], "Площадь: 1.909 кв м");
  EXPECT_EQ(model->index(1, ColMatName).data().toString(), "МДФ");
  EXPECT_EQ(model->index(1, ColRotateName).data().toString(), "не поворачивать");
  EXPECT_FALSE(model->flags(model->index(0, ColMatName)) & Qt::ItemIsEditable);
  EXPECT_TRUE(window->grid()->isColumnHidden(ColLBorder));
  EXPECT_FALSE(window->grid()->isColumnHidden(ColRotateName));

  // The material bar filters; a new row takes the material shown.
  QListWidget* bar = window->materialBar();
  ASSERT_EQ(bar->count(), 4);
  EXPECT_EQ(bar->item(0)->text(), "<все материалы>");
  window->SetMaterialFilter(2);
  EXPECT_EQ(model->rowCount(), 1);
  window->appendRow();
  EXPECT_EQ(model->rowCount(), 2);
  EXPECT_EQ(window->document().row(1).material, 2);
  EXPECT_TRUE(model->setData(model->index(1, ColName), QStringLiteral("Дверь")));
  window->postPendingEdit();
  window->showAllMaterials();
  EXPECT_EQ(bar->currentRow(), 0);
  EXPECT_EQ(model->rowCount(), 4);
}

void press(QWidget* w, int key) {
  QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &down);
  QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &up);
}

// Down on the last row offers a new row. Going back up without filling it
// in leaves the base as it was: not changed, nothing more saved. A row
// that was filled in stays.
TEST_F(PartsWindowTest, ANewRowLeftUntouchedIsDropped) {
  ASSERT_TRUE(window->CreateGroup());
  addRows();
  const QString header = folder.path(QStringLiteral("Groups/Строки.krb"));
  window->document().setNameChooser([&](const QString&) { return header; });
  ASSERT_EQ(window->SaveGroup(true), SaveResult::Saved);
  ASSERT_FALSE(window->document().isModified());
  PartsGrid* grid = window->grid();
  QAbstractItemModel* model = grid->model();
  window->SetMaterialFilter(kAllMaterials);
  ASSERT_EQ(model->rowCount(), 3);
  grid->setCurrentIndex(model->index(2, ColLength));
  press(grid, Qt::Key_Down);
  ASSERT_EQ(model->rowCount(), 4);
  grid->postPendingEdit();    // the name editor opened on it, closed empty
  press(grid, Qt::Key_Down);  // a second Down stays on the new row
  EXPECT_EQ(model->rowCount(), 4);
  press(grid, Qt::Key_Up);
  EXPECT_EQ(model->rowCount(), 3);
  EXPECT_EQ(grid->currentIndex().row(), 2);
  EXPECT_FALSE(window->document().isModified());
  EXPECT_TRUE(log.texts.isEmpty());

  // Left by saving, by laying out or by closing: the same.
  press(grid, Qt::Key_Down);
  window->postPendingEdit();
  EXPECT_EQ(model->rowCount(), 3);
  EXPECT_FALSE(window->document().isModified());

  // Filled in: kept.
  press(grid, Qt::Key_Down);
  grid->postPendingEdit();
  EXPECT_TRUE(model->setData(model->index(3, ColLength), QStringLiteral("450"), Qt::EditRole));
  press(grid, Qt::Key_Up);
  EXPECT_EQ(model->rowCount(), 4);
  EXPECT_TRUE(window->document().isModified());
  EXPECT_EQ(window->SaveGroup(false), SaveResult::Saved);
  EXPECT_EQ(readPartRows(folder.path(QStringLiteral("Groups/Строки.dbf"))).size(), 4u);
}

TEST_F(PartsWindowTest, SideButtonsSetTheDefaultEdgeOnlyWhenThereIsOne) {
  ASSERT_TRUE(window->CreateGroup());
  addRows();
  window->document().setCurrentRow(1);  // "Полка": only the top edge
  EdgePanel* panel = window->edgePanel();
  EXPECT_FALSE(panel->button(SideLeft)->isChecked());
  EXPECT_TRUE(panel->button(SideTop)->isChecked());
  EXPECT_EQ(panel->button(SideTop)->toolTip(), "ПВХ 2 мм");

  folder.settings().writeInt("Border", "DefBorder", 0);
  panel->button(SideLeft)->click();
  EXPECT_EQ(window->document().row(1).left, 0);
  EXPECT_FALSE(panel->button(SideLeft)->isChecked());

  folder.settings().writeInt("Border", "DefBorder", 11);
  panel->button(SideLeft)->click();
  EXPECT_EQ(window->document().row(1).left, 11);
  EXPECT_TRUE(panel->button(SideLeft)->isChecked());
  panel->button(SideTop)->click();  // pressed before: now up
  EXPECT_EQ(window->document().row(1).top, 0);

  window->rotationButton(2)->click();
  EXPECT_EQ(window->document().row(1).rotation, 2);
  window->setEdgesOfAllSides(false);
  const PartRow& r = window->document().row(1);
  EXPECT_EQ((SideCodes{r.left, r.right, r.top, r.bottom}), (SideCodes{0, 0, 0, 0}));
  EXPECT_EQ(r.rotation, 2);
}

TEST_F(PartsWindowTest, AnEmptyBaseDisablesRowCommandsAndGetsARowFromTheSidePanel) {
  ASSERT_TRUE(window->CreateGroup());
  EXPECT_FALSE(window->copyAction()->isEnabled());
  EXPECT_FALSE(window->deleteAction()->isEnabled());
  EXPECT_FALSE(window->excelAction()->isEnabled());
  EXPECT_FALSE(window->runAction()->isEnabled());
  window->rotationButton(1)->click();
  ASSERT_EQ(window->document().rowCount(), 1);
  EXPECT_EQ(window->document().row(0).rotation, 1);
  EXPECT_TRUE(window->copyAction()->isEnabled());

  // Deleting asks first; "No" keeps the row.
  log.answer = common::MsgResult::No;
  window->deleteRow();
  EXPECT_EQ(log.texts.last(), "Действительно удалить запись?");
  EXPECT_EQ(window->document().rowCount(), 1);
  log.answer = common::MsgResult::Yes;
  window->deleteRow();
  EXPECT_EQ(window->document().rowCount(), 0);
}

// At first start (no widths kept) the material column and the material
// bar show the longest material name whole, and no column cuts its title;
// the widths the window leaves are kept under the same keys and used again.
TEST_F(PartsWindowTest, AtFirstStartColumnsAndTheBarFitTheMaterialNames) {
  const QString longName = QStringLiteral("ДСП ламинированная 16 мм Дуб сонома");
  CatalogueLists lists = sampleCatalogue();
  lists.materials.names << longName;
  lists.materials.codes << QStringLiteral("4");
  window->setCatalogue(lists);
  ASSERT_TRUE(window->CreateGroup());
  addRows();
  window->resize(900, 500);
  window->show();
  QCoreApplication::processEvents();
  PartsGrid* grid = window->grid();
  const QFontMetrics metrics = grid->fontMetrics();
  EXPECT_GE(grid->columnWidth(ColMatName), metrics.horizontalAdvance(longName));
  for (int c : visibleColumnsByDefault())
    EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c)) << c;
  QListWidget* bar = window->materialBar();
  const QRect longEntry = bar->visualItemRect(bar->item(bar->count() - 1));
  EXPECT_GE(bar->viewport()->width(), longEntry.left() + bar->fontMetrics().horizontalAdvance(longName));

  grid->setColumnWidth(ColLength, 77);
  const int material = grid->columnWidth(ColMatName);
  window->saveLayout();
  EXPECT_EQ(folder.settings().readInt("Detals_Group", "ColWidth1", 0), 77);
  EXPECT_EQ(folder.settings().readInt("Detals_Group", "ColWidth9", 0), material);
  EXPECT_EQ(folder.settings().readInt("Detals_Group", "OutLook_Width", 0), bar->parentWidget()->width());
  folder.settings().writeInt("Detals_Group", "ColWidth9", 90);
  folder.settings().writeInt("Detals_Group", "OutLook_Width", 110);
  PartsWindow again(folder.root(), folder.settings());
  again.setCatalogue(lists);
  again.resize(900, 500);
  again.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(again.grid()->columnWidth(ColLength), 77);
  EXPECT_EQ(again.grid()->columnWidth(ColMatName), 90);
  EXPECT_EQ(again.materialBar()->parentWidget()->width(), 110);
}

// The totals show whole while there is room; in a narrow window their
// panels give way (the whole text then in the tooltip) and never overlap,
// nor do they hold the window wider than the user made it.
TEST_F(PartsWindowTest, TotalsPanelsGiveWayInANarrowWindow) {
  ASSERT_TRUE(window->CreateGroup());
  addRows();
  auto panels = [&] {
    QList<QLabel*> shown;
    for (QLabel* label : window->statusBar()->findChildren<QLabel*>())
      if (!label->text().isEmpty()) shown << label;
    std::sort(shown.begin(), shown.end(), [](QLabel* a, QLabel* b) { return a->x() < b->x(); });
    return shown;
  };
  window->resize(900, 420);
  window->show();
  QCoreApplication::processEvents();
  QList<QLabel*> wide = panels();
  ASSERT_EQ(wide.size(), 4);
  for (QLabel* label : wide) {
    EXPECT_GE(label->contentsRect().width() - 8, label->fontMetrics().horizontalAdvance(label->text()))
        << label->text().toStdString();
    EXPECT_TRUE(label->toolTip().isEmpty()) << label->text().toStdString();
  }

  window->setMinimumWidth(0);
  window->resize(360, 420);
  QCoreApplication::processEvents();
  EXPECT_EQ(window->width(), 360);
  QList<QLabel*> narrow = panels();
  ASSERT_EQ(narrow.size(), 4);
  int shortened = 0;
  for (int i = 0; i < narrow.size(); ++i) {
    if (i > 0) {
      EXPECT_GE(narrow[i]->x(), narrow[i - 1]->geometry().right()) << i;
    }
    EXPECT_LE(narrow[i]->geometry().right(), window->statusBar()->width()) << i;
    if (!narrow[i]->toolTip().isEmpty()) {
      ++shortened;
      EXPECT_EQ(narrow[i]->toolTip(), narrow[i]->text());
    }
  }
  EXPECT_GT(shortened, 0);
}

TEST_F(PartsWindowTest, SpreadsheetExportUsesTheColumnsInDisplayOrder) {
  ASSERT_TRUE(window->CreateGroup());
  addRows();
  QHeaderView* header = window->grid()->horizontalHeader();
  header->moveSection(header->visualIndex(ColMatName), 0);
  window->grid()->setColumnHidden(ColRotateName, true);
  EXPECT_EQ(window->visibleColumns(), (std::vector<int>{ColMatName, ColName, ColLength, ColWidth, ColMany}));

  QString opened;
  PartsWindow::setFileOpener([&](const QString& path) {
    opened = path;
    return false;
  });
  window->exportSpreadsheet();
  PartsWindow::setFileOpener({});
  ASSERT_FALSE(opened.isEmpty());
  EXPECT_TRUE(QFileInfo::exists(opened));
  EXPECT_EQ(QFileInfo(opened).absolutePath(), folder.path(QStringLiteral("Export")));
  ASSERT_EQ(log.texts.size(), 1);
  EXPECT_TRUE(log.texts[0].contains(QFileInfo(opened).fileName()));
}

namespace {

// The part of the window's picture that `w` covers.
QImage pictureOf(const QImage& window, const QWidget* top, const QWidget* w) {
  return window.copy(QRect(w->mapTo(top, QPoint(0, 0)), w->size()));
}

bool isDark(QRgb p) { return qGray(p) < 100; }

// Pixels inside `r` that differ clearly from the colour most of them have:
// the ink of a text on its background.
int inkIn(const QImage& picture, const QRect& r) {
  std::map<QRgb, int> colours;
  const QRect in = r.intersected(picture.rect());
  for (int y = in.top(); y <= in.bottom(); ++y)
    for (int x = in.left(); x <= in.right(); ++x) ++colours[picture.pixel(x, y)];
  if (colours.empty()) return 0;
  const QRgb ground =
      std::max_element(colours.begin(), colours.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
  int n = 0;
  for (const auto& [c, k] : colours)
    if (std::abs(qGray(c) - qGray(ground)) > 60) n += k;
  return n;
}

// Pixels of `picture` inside `r` for which `test` holds.
int count(const QImage& picture, const QRect& r, const std::function<bool(QRgb)>& test) {
  int n = 0;
  const QRect in = r.intersected(picture.rect());
  for (int y = in.top(); y <= in.bottom(); ++y)
    for (int x = in.left(); x <= in.right(); ++x) n += test(picture.pixel(x, y)) ? 1 : 0;
  return n;
}

// The bounding box of the pixels for which `test` holds.
QRect boxOf(const QImage& picture, const std::function<bool(QRgb)>& test) {
  QRect box;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (test(picture.pixel(x, y))) box |= QRect(x, y, 1, 1);
  return box;
}

}  // namespace

TEST_F(PartsWindowTest, PictureShowsTheRowsTheEdgesOfTheCurrentPartAndTheTotals) {
  ASSERT_TRUE(window->CreateGroup());
  addRows();
  window->resize(900, 420);
  window->show();
  window->document().setCurrentRow(0);
  QCoreApplication::processEvents();
  QImage picture = window->grab().toImage();
  ASSERT_EQ(picture.size(), QSize(900, 420));

  // The names of the three rows are drawn in the grid, and nothing below them.
  PartsGrid* grid = window->grid();
  const QImage cells = pictureOf(picture, window.get(), grid->viewport());
  QRect cell;
  for (int row = 0; row < 3; ++row) {
    cell = grid->visualRect(grid->model()->index(row, ColName)).adjusted(2, 2, -2, -2);
    ASSERT_TRUE(cell.isValid()) << row;
    EXPECT_GT(inkIn(cells, cell), 10) << "row " << row;
  }
  EXPECT_EQ(inkIn(cells, cell.translated(0, 2 * (cell.height() + 4))), 0);

  // The side panel draws the edges of the current part in their colours:
  // "Боковина" has the green edge 10 left and right, the red edge 11 on top
  // and none at the bottom.
  const EdgePanel* panel = window->findChild<EdgePanel*>();
  ASSERT_NE(panel, nullptr);
  auto isRed = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; };
  auto isGreen = [](QRgb p) { return qGreen(p) > 200 && qRed(p) < 60 && qBlue(p) < 60; };
  auto isEdge = [&](QRgb p) { return isRed(p) || isGreen(p); };
  QImage side = pictureOf(picture, window.get(), panel);
  const QRect outline = boxOf(side, isEdge);
  ASSERT_GT(outline.width(), 40);
  ASSERT_GT(outline.height(), 40);
  // Strips a few pixels thick along the sides, the middle clear of them.
  const QRect top(outline.left(), outline.top(), outline.width(), 4);
  const QRect bottom(outline.left(), outline.bottom() - 3, outline.width(), 4);
  const QRect leftStrip(outline.left(), outline.top() + 8, 4, outline.height() - 16);
  const QRect rightStrip(outline.right() - 3, outline.top() + 8, 4, outline.height() - 16);
  const QRect middle = outline.adjusted(8, 8, -8, -8);
  EXPECT_EQ(count(side, top, isRed), top.width() * top.height());
  EXPECT_EQ(count(side, leftStrip, isGreen), leftStrip.width() * leftStrip.height());
  EXPECT_EQ(count(side, rightStrip, isGreen), rightStrip.width() * rightStrip.height());
  EXPECT_EQ(count(side, bottom.adjusted(8, 0, -8, 0), isEdge), 0);
  EXPECT_EQ(count(side, middle, isEdge), 0);

  // "Крышка" has the green edge on all four sides.
  window->document().setCurrentRow(2);
  QCoreApplication::processEvents();
  picture = window->grab().toImage();
  side = pictureOf(picture, window.get(), panel);
  EXPECT_EQ(boxOf(side, isEdge), outline);
  EXPECT_EQ(count(side, outline, isRed), 0);
  EXPECT_EQ(count(side, top, isGreen), top.width() * top.height());
  EXPECT_EQ(count(side, bottom, isGreen), bottom.width() * bottom.height());
  EXPECT_EQ(count(side, middle, isEdge), 0);

  // The four totals are drawn whole inside the window, with their text.
  const QStringList totals = window->document().totalsPanels();
  ASSERT_EQ(totals.size(), 4);
  int found = 0;
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    if (!totals.contains(label->text())) continue;
    ++found;
    const QRect r(label->mapTo(window.get(), QPoint(0, 0)), label->size());
    EXPECT_TRUE(picture.rect().contains(r)) << label->text().toStdString();
    EXPECT_GT(count(picture, r, isDark), 20) << label->text().toStdString();
  }
  EXPECT_EQ(found, 4);
  log.answer = common::MsgResult::No;
  window->close();
}

// ---- Main-window commands ----

namespace {

class PartsCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = std::make_unique<common::DataRoot>(folder.root());
    settings = std::make_unique<common::Settings>(folder.path(QStringLiteral("Kroyna.ini")).toStdString());
    context = std::make_unique<common::AppContext>(*root, *settings);
    main = std::make_unique<shell::MainWindow>(*root, *settings);
    context->setMainWindow(main.get());
    parts = new PartsSubsystem(*context);
    main->show();
  }
  void TearDown() override {
    log.answer = common::MsgResult::No;
    main->close();
    main.reset();
  }

  // A saved base with one row.
  QString makeBase(const QString& name, const QString& part = QStringLiteral("Деталь")) {
    PartsDocument doc(folder.root(), folder.settings());
    doc.CreateGroup();
    doc.AppendDetal(part, 100, 50, 1, 0, 0, 0, 0, 0, 1);
    const QString path = folder.path(QStringLiteral("Groups/") + name);
    doc.setNameChooser([&](const QString&) { return path; });
    doc.SaveGroup(false);
    doc.closeDocument();
    return path;
  }

  int partsWindows() const { return static_cast<int>(parts->windows().size()); }

  PartsFolder folder;
  MessageLog log;
  std::unique_ptr<common::DataRoot> root;
  std::unique_ptr<common::Settings> settings;
  std::unique_ptr<common::AppContext> context;
  std::unique_ptr<shell::MainWindow> main;
  PartsSubsystem* parts = nullptr;
};

}  // namespace

TEST_F(PartsCommandsTest, OpeningAnOpenBaseOffersAnotherChoiceOrGoesToIt) {
  const QString a = makeBase(QStringLiteral("А.krb"));
  const QString b = makeBase(QStringLiteral("Б.krb"));
  QStringList choices{a, a, b};
  parts->setOpenChooser([&] { return choices.isEmpty() ? QString() : choices.takeFirst(); });
  main->command("group.open")->trigger();
  EXPECT_EQ(partsWindows(), 1);
  EXPECT_TRUE(main->command("group.saveAs")->isEnabled());
  EXPECT_FALSE(main->command("group.save")->isEnabled());

  // Retry: the next choice is another base.
  log.answer = common::MsgResult::Retry;
  main->command("group.open")->trigger();
  EXPECT_EQ(partsWindows(), 2);
  ASSERT_EQ(log.texts.size(), 1);
  EXPECT_TRUE(log.texts[0].startsWith("База деталей \"" + a + "\" уже открыта!"));

  // Cancel: the open window comes to the front.
  main->command("group.new")->trigger();
  EXPECT_EQ(partsWindows(), 3);
  EXPECT_TRUE(main->command("group.save")->isEnabled());  // a new base counts as changed
  choices = {a};
  log.answer = common::MsgResult::Cancel;
  main->command("group.open")->trigger();
  EXPECT_EQ(partsWindows(), 3);
  EXPECT_EQ(parts->activeWindow(), parts->findWindow(a));
}

TEST_F(PartsCommandsTest, RecentBasesAreAddedOnCloseAndCheckedWhenChosen) {
  const QString a = makeBase(QStringLiteral("Первая.krb"));
  const QString b = makeBase(QStringLiteral("Вторая.krb"));
  ASSERT_NE(parts->openBase(a), nullptr);
  ASSERT_NE(parts->openBase(b), nullptr);
  main->documentArea()->closeAllSubWindows();
  QCoreApplication::processEvents();
  EXPECT_EQ(parts->recent().entries(), (QStringList{a, b}));
  QMenu* menu = main->findChild<QMenu*>("menuGroup");
  QStringList captions;
  for (QAction* act : menu->actions())
    if (act->data().toString() == a || act->data().toString() == b) captions << act->data().toString();
  EXPECT_EQ(captions, (QStringList{a, b}));

  parts->openRecent(a);
  EXPECT_EQ(partsWindows(), 1);
  parts->openRecent(a);
  EXPECT_EQ(log.texts, QStringList{"База деталей \"" + a + "\" уже открыта!"});
  EXPECT_EQ(partsWindows(), 1);

  QFile::remove(b);
  log.texts.clear();
  parts->openRecent(b);
  EXPECT_EQ(log.texts, QStringList{"База деталей не найдена."});
  EXPECT_EQ(parts->recent().entries(), QStringList{a});

  emit context->mainWindowClosed();
  EXPECT_EQ(settings->ini().readString("Files", "1"), a.toStdString());
}

TEST_F(PartsCommandsTest, CommandLineOpensEachExistingKrbFileOnce) {
  const QString a = makeBase(QStringLiteral("Из строки.krb"));
  const QString upper = makeBase(QStringLiteral("ЗАГЛАВНЫЕ.KRB"));
  parts->openCommandLineFiles({a, upper, a, folder.path(QStringLiteral("Groups/Нет.krb")), QStringLiteral("--flag")});
  EXPECT_EQ(partsWindows(), 1);
  EXPECT_TRUE(log.texts.isEmpty()) << log.texts.join("|").toStdString();

  // A file that does not open is reported.
  writeGroupHeader(folder.path(QStringLiteral("Groups/Без таблицы.krb")), GroupHeader{QStringLiteral("Нет.dbf"), {}});
  parts->openCommandLineFiles({folder.path(QStringLiteral("Groups/Без таблицы.krb"))});
  EXPECT_EQ(partsWindows(), 1);
  EXPECT_EQ(log.texts.last(), "Ошибка импорта базы деталей.");
}

// A parts window opens wholly inside the document area, even where the
// stored placement puts its title bar above the area or makes it too small
// to use; it opens again where it was closed, and maximised when it was.
TEST_F(PartsCommandsTest, APartsWindowOpensInsideTheAreaWhereItWasLeft) {
  const QString a = makeBase(QStringLiteral("Место.krb"), QStringLiteral("Боковина шкафа левая с пазом"));
  // At first start the window is wide enough for every column it shows.
  ASSERT_NE(parts->openBase(a), nullptr);
  QCoreApplication::processEvents();
  ASSERT_EQ(main->documentArea()->subWindowList().size(), 1);
  PartsWindow* first = parts->windows().front();
  EXPECT_EQ(first->grid()->horizontalScrollBar()->maximum(), 0);
  main->documentArea()->subWindowList().value(0)->close();
  QCoreApplication::processEvents();

  settings->ini().writeString("Detals_Group", "NormPos", "-40,-30,250,100");
  settings->ini().writeInt("Detals_Group", "ShowCmd", 1);
  ASSERT_NE(parts->openBase(a), nullptr);
  QCoreApplication::processEvents();
  const QRect area(QPoint(0, 0), main->documentArea()->viewport()->size());
  QMdiSubWindow* sub = main->documentArea()->subWindowList().value(0);
  ASSERT_NE(sub, nullptr);
  const QRect opened = sub->geometry();
  EXPECT_TRUE(area.contains(opened)) << opened.x() << "," << opened.y();
  EXPECT_GE(opened.width(), 420);
  EXPECT_GE(opened.height(), 260);

  sub->setGeometry(30, 40, 500, 300);
  sub->close();
  QCoreApplication::processEvents();
  EXPECT_EQ(settings->ini().readString("Detals_Group", "NormPos"), "30,40,530,340");
  ASSERT_NE(parts->openBase(a), nullptr);
  QCoreApplication::processEvents();
  sub = main->documentArea()->subWindowList().value(0);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->geometry(), QRect(30, 40, 500, 300));

  sub->showMaximized();
  sub->close();
  QCoreApplication::processEvents();
  EXPECT_EQ(settings->ini().readInt("Detals_Group", "ShowCmd", 0), 3);
  EXPECT_EQ(settings->ini().readString("Detals_Group", "NormPos"), "30,40,530,340");
  ASSERT_NE(parts->openBase(a), nullptr);
  QCoreApplication::processEvents();
  sub = main->documentArea()->subWindowList().value(0);
  ASSERT_NE(sub, nullptr);
  EXPECT_TRUE(sub->isMaximized());
}
