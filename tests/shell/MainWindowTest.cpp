#include "shell/MainWindow.h"

#include "common/AppState.h"
#include "common/DataRoot.h"
#include "common/Settings.h"
#include "common/ui/WindowPlacement.h"
#include "platform/ini/IniFile.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace kroyna;
using namespace kroyna::shell;
using namespace kroyna::common;

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    root_ = std::make_unique<DataRoot>(tmp_.path());
    ini_ = std::make_unique<Settings>((tmp_.path() + "/Kroyna.ini").toStdString());
    window_ = std::make_unique<MainWindow>(*root_, *ini_);
  }
  void TearDown() override { setBusy(false); }

  QStringList menuTitles() const {
    QStringList titles;
    for (QAction* a : window_->menuBar()->actions()) titles << a->text();
    return titles;
  }

  QTemporaryDir tmp_;
  std::unique_ptr<DataRoot> root_;
  std::unique_ptr<Settings> ini_;
  std::unique_ptr<MainWindow> window_;
};

// The items after the last separator: the window list.
QStringList windowListItems(QMenu* menu) {
  QStringList items;
  bool afterSeparator = false;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) {
      afterSeparator = true;
      items.clear();
      continue;
    }
    if (afterSeparator) items << (a->isChecked() ? "*" : "") + a->text();
  }
  return items;
}

}  // namespace

TEST_F(MainWindowTest, MenusAndShortcutsAreThoseOfTheCommandTable) {
  EXPECT_EQ(window_->windowTitle(), "Раскрой листового материала");
  EXPECT_EQ(menuTitles(),
            (QStringList{"&База деталей", "&Модели", "&Склад", "&Раскрой", "&Установки", "&Окно", "&Помощь"}));
  const std::pair<const char*, const char*> shortcuts[] = {
      {"group.new", "Ctrl+N"},
      {"group.open", "Ctrl+O"},
      {"group.save", "Ctrl+S"},
      {"group.saveAs", "Shift+Ctrl+S"},
      {"group.printGrouped", "Ctrl+P"},
      {"group.printExcel", "Ctrl+E"},
      {"cut.run", "Ctrl+R"},
      {"models.base", "Ctrl+M"},
  };
  for (auto [id, keys] : shortcuts)
    EXPECT_EQ(window_->command(id)->shortcut(), QKeySequence(QString::fromLatin1(keys))) << id;
  EXPECT_EQ(window_->command("group.saveAs")->text(), "Сохранить как ...");
  EXPECT_EQ(window_->command("set.materials")->text(), "Материлы");
}

TEST_F(MainWindowTest, OnlyCommandsWithAHandlerAreEnabled) {
  // Commands whose subsystem has not attached a handler must not pretend
  // to work.
  EXPECT_FALSE(window_->command("group.new")->isEnabled());
  EXPECT_FALSE(window_->command("cut.run")->isEnabled());
  for (const char* id : {"app.exit", "help.about", "set.page", "set.printer", "win.cascade", "win.tileH",
                         "set.autoCheckSheets", "set.autoScrapsMark", "set.toolbar"})
    EXPECT_TRUE(window_->command(id)->isEnabled()) << id;

  int calls = 0;
  window_->attachCommand("group.new", [&] { ++calls; });
  EXPECT_TRUE(window_->command("group.new")->isEnabled());
  window_->command("group.new")->trigger();
  EXPECT_EQ(calls, 1);
}

TEST_F(MainWindowTest, CheckItemsWriteTheirKeysAtOnce) {
  window_->command("set.autoCheckSheets")->setChecked(true);
  window_->command("set.autoScrapsMark")->setChecked(true);
  ini::IniFile reread(ini_->ini().path());
  EXPECT_EQ(reread.readString("Default", "CheckStdSheetsQuantity"), "1");
  EXPECT_EQ(reread.readString("Default", "AutoScrapsMark"), "1");
  window_->command("set.autoScrapsMark")->setChecked(false);
  EXPECT_EQ(ini::IniFile(ini_->ini().path()).readString("Default", "AutoScrapsMark"), "0");
}

TEST_F(MainWindowTest, WindowMenuListsDocumentsWithTheActiveOneChecked) {
  window_->show();
  QList<QMdiSubWindow*> subs;
  for (int i = 1; i <= 11; ++i) {
    auto* w = new QLabel;
    w->setWindowTitle(QString("База %1[*]").arg(i));
    subs << window_->addDocument(w);
  }
  window_->documentArea()->setActiveSubWindow(subs[2]);
  window_->rebuildWindowMenu();
  const QStringList items = windowListItems(window_->windowMenu());
  ASSERT_EQ(items.size(), 11);
  EXPECT_EQ(items[0], "&1. База 1");
  EXPECT_EQ(items[2], "*&3. База 3");
  EXPECT_EQ(items[9], "10. База 10");
  // Rebuilding replaces the list instead of adding to it.
  window_->rebuildWindowMenu();
  EXPECT_EQ(windowListItems(window_->windowMenu()).size(), 11);

  subs[0]->close();
  window_->rebuildWindowMenu();
  EXPECT_EQ(windowListItems(window_->windowMenu()).size(), 10);
}

TEST_F(MainWindowTest, BusyFlagRefusesClosing) {
  window_->show();
  setBusy(true);
  window_->command("app.exit")->trigger();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_FALSE(window_->close());
  setBusy(false);
  EXPECT_TRUE(window_->close());
  // Closing saved the placement.
  EXPECT_TRUE(ini::IniFile(ini_->ini().path()).keyExists("Main_Form", "Geometry"));
}

TEST_F(MainWindowTest, PlacementAndToolbarVisibilitySurviveARestart) {
  window_->show();
  window_->setGeometry(40, 50, 700, 500);
  window_->command("set.toolbar")->setChecked(false);
  EXPECT_FALSE(window_->standardToolBar()->isVisible());
  window_->savePlacement();
  EXPECT_EQ(ini::IniFile(ini_->ini().path()).readString("tbar97Standart", "Visible"), "0");

  MainWindow again(*root_, *ini_);
  again.restorePlacement();
  again.show();
  EXPECT_EQ(again.size(), QSize(700, 500));
  EXPECT_FALSE(again.standardToolBar()->isVisible());
}

TEST(PageMarginsSettings, ClampedToTheDialogRange) {
  QTemporaryDir tmp;
  ini::IniFile ini((tmp.path() + "/Kroyna.ini").toStdString());
  ini.writeInt("PageParams", "Top", 250);
  ini.writeInt("PageParams", "Left", -5);
  ini.writeInt("PageParams", "Right", 12);
  EXPECT_EQ(readPageMargins(ini), (PageMargins{100, 0, 12, 0}));
  writePageMargins(ini, {5, 6, 7, 8});
  EXPECT_EQ(ini.readInt("PageParams", "Bottom", -1), 8);
  EXPECT_EQ(readPageMargins(ini), (PageMargins{5, 6, 7, 8}));
}

// "Параметры принтера" only sets the printer up: its confirm button must not
// promise to print.
TEST_F(MainWindowTest, PrinterSetUpConfirmsWithoutPrinting) {
  QString confirm, title;
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    seen = true;
    title = dialog->windowTitle();
    if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
      if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) confirm = ok->text();
    dialog->reject();
  });
  window_->command(QStringLiteral("set.printer"))->trigger();
  ASSERT_TRUE(seen);
  EXPECT_EQ(title, "Параметры принтера");
  EXPECT_EQ(confirm, "ОК");
}
