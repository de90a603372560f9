#include "maps/MapsTestSupport.h"
#include "maps/ui/Maps.h"
#include "maps/ui/MapsWindow.h"
#include "platform/ini/IniFile.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "shell/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace kroyna::maps {
namespace {

TEST(MapsInstall, MapsCommandsActOnTheActiveMapsWindowOnly) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  common::DataRoot root(tmp.path());
  common::Settings settings((tmp.path() + "/Kroyna.ini").toStdString());
  shell::MainWindow mainWindow(root, settings);
  common::AppContext context(root, settings);
  context.setMainWindow(&mainWindow);
  install(context);
  mainWindow.show();

  MapsWindow* target = nullptr;
  attachMapsCommand(mainWindow, QStringLiteral("cut.saveMaps"), [&](MapsWindow& w) { target = &w; });
  QAction* save = mainWindow.command(QStringLiteral("cut.saveMaps"));
  EXPECT_FALSE(save->isEnabled());

  MapsWindow* maps = openMapsWindow(mainWindow);
  ASSERT_NE(maps, nullptr);
  QApplication::processEvents();
  EXPECT_EQ(maps->windowTitle(), QString::fromUtf8("<без названия>"));
  EXPECT_EQ(activeMapsWindow(mainWindow), maps);
  EXPECT_TRUE(save->isEnabled());
  save->trigger();
  EXPECT_EQ(target, maps);

  // Another kind of document window: the command goes off.
  QMdiSubWindow* other = mainWindow.addDocument(new QLabel(QStringLiteral("parts")));
  mainWindow.documentArea()->setActiveSubWindow(other);
  QApplication::processEvents();
  EXPECT_EQ(activeMapsWindow(mainWindow), nullptr);
  EXPECT_FALSE(save->isEnabled());

  // Closing the untouched-but-new result asks; "No" closes it.
  common::ScopedMessageHandler answers(
      [](const QString&, common::MsgIcon, common::MsgButtons) { return common::MsgResult::No; });
  mainWindow.documentArea()->closeAllSubWindows();
  QApplication::processEvents();
  EXPECT_TRUE(mainWindow.documentArea()->subWindowList().isEmpty());
}

engine::FinishedMap sheetWithParts() {
  testing::LayoutBuilder b(2800, 2070);
  b.place(b.part("Боковина", 720, 560), 10, 10);
  b.place(b.part("Полка", 564, 300), 740, 10);
  return b.finished();
}

// No two status panels of a map share a pixel, and all lie inside their
// line.
void expectStatusLinesApart(MapsWindow& w) {
  MapPage* page = w.page(w.tabs()->currentIndex());
  ASSERT_NE(page, nullptr);
  EXPECT_LE(page->line1()->geometry().bottom(), page->line2()->geometry().top());
  for (MapStatusLine* line : {page->line1(), page->line2()}) {
    QList<QRect> panels;
    int wanted = 0;
    for (QLabel* l : line->findChildren<QLabel*>()) {
      panels << l->geometry();
      wanted += l->sizeHint().width() + 2;
    }
    ASSERT_FALSE(panels.isEmpty());
    // Where the line has room for every whole text, none is shortened (a
    // shortened one has the whole text as its tooltip).
    if (wanted <= line->width()) {
      for (QLabel* l : line->findChildren<QLabel*>()) EXPECT_TRUE(l->toolTip().isEmpty()) << l->text().toStdString();
    }
    for (int i = 0; i < panels.size(); ++i) {
      EXPECT_GE(panels[i].left(), 0);
      EXPECT_LE(panels[i].right(), line->width() - 1);
      for (int j = i + 1; j < panels.size(); ++j) EXPECT_FALSE(panels[i].intersects(panels[j]));
    }
  }
}

// A maps window opened after another was closed opens like the first:
// filling the document area. A stored placement with its title bar above
// the area, or too small to read a map, is brought inside and to a usable
// size; and however narrow the window, its status lines never overlap.
TEST(MapsInstall, LaterMapsWindowsOpenInsideTheAreaAndBigEnough) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  common::DataRoot root(tmp.path());
  common::Settings settings((tmp.path() + "/Kroyna.ini").toStdString());
  shell::MainWindow mainWindow(root, settings);
  common::AppContext context(root, settings);
  context.setMainWindow(&mainWindow);
  install(context);
  mainWindow.resize(1024, 720);
  mainWindow.show();
  QApplication::processEvents();
  common::ScopedMessageHandler answers(
      [](const QString&, common::MsgIcon, common::MsgButtons) { return common::MsgResult::No; });
  const QRect area(QPoint(0, 0), mainWindow.documentArea()->viewport()->size());

  auto open = [&] {
    MapsWindow* w = openMapsWindow(mainWindow);
    w->addMap(QStringLiteral("1: Лист 1"), 1, sheetWithParts(), 4, QString());
    QApplication::processEvents();
    return w;
  };
  // Earlier builds kept a blob here that put the next window partly above
  // the area; it is no longer read, and goes when a window closes.
  settings.ini().writeString("SheetParams", "Placement", "AdnQywADAAAAAAAAAAAAAA==");
  MapsWindow* first = open();
  EXPECT_EQ(first->parentWidget()->geometry(), area);
  const double firstRatio = first->ratio();
  first->parentWidget()->close();
  QApplication::processEvents();

  EXPECT_FALSE(settings.ini().keyExists("SheetParams", "Placement"));

  MapsWindow* second = open();
  EXPECT_EQ(second->parentWidget()->geometry(), area);
  EXPECT_DOUBLE_EQ(second->ratio(), firstRatio);
  expectStatusLinesApart(*second);
  second->parentWidget()->close();
  QApplication::processEvents();

  // A placement whose title bar is above the area and which is too small.
  settings.ini().writeString("SheetParams", "NormPos", "-40,-30,650,230");
  MapsWindow* third = open();
  const QRect g = third->parentWidget()->geometry();
  EXPECT_TRUE(area.contains(g)) << g.x() << "," << g.y() << " " << g.width() << "x" << g.height();
  EXPECT_GE(g.width(), 640);
  EXPECT_GE(g.height(), 420);

  // Narrowed by the user: the panels give way, down to the narrowest
  // window the frame allows.
  for (int width : {700, 520, 360, 240, 120}) {
    third->parentWidget()->resize(width, 420);
    QApplication::processEvents();
    SCOPED_TRACE(third->parentWidget()->width());
    expectStatusLinesApart(*third);
  }
}

}  // namespace
}  // namespace kroyna::maps
