// The main-window commands of maps files and the maps window's save button,
// with the file dialogs answered by the test.

#include "maps/AcceptJournal.h"
#include "maps/AcceptResult.h"
#include "maps/MapsTestSupport.h"
#include "maps/ui/MapFileCommands.h"
#include "maps/ui/Maps.h"
#include "maps/ui/MapsWindow.h"
#include "platform/text/Literals.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "shell/MainWindow.h"
#include "support/TempDir.h"
#include "warehouse/ui/Warehouse.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>

#include "platform/dbase/Statements.h"

#include <gtest/gtest.h>

#include <memory>

namespace kroyna::maps {
namespace {

using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;

using text::u;
QString qpath(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

// A main window with the maps subsystem and the file commands installed;
// the dialogs answer from `answer` and record where they started.
class MapFileCommandsTest : public ::testing::Test {
 protected:
  MapFileCommandsTest()
      : root(qpath(dir.path())),
        settings((dir / "Kroyna.ini")),
        mainWindow(root, settings),
        context(root, settings),
        savedDialogs(mapFileDialogs()),
        savedCommands(MapsWindow::commands()),
        messages([this](const QString& text, common::MsgIcon, common::MsgButtons) {
          shown << text;
          return reply;
        }) {
    std::filesystem::create_directories(dir / "Maps");
    std::filesystem::create_directories(dir / "Export");
    context.setMainWindow(&mainWindow);
    install(context);
    installMapFileCommands(context);
    auto dialog = [this](QWidget*, const QString& from) {
      started << from;
      return answer;
    };
    mapFileDialogs() = MapFileDialogs{dialog, dialog, dialog};
    mainWindow.show();
  }
  ~MapFileCommandsTest() override {
    for (QMdiSubWindow* w : mainWindow.documentArea()->subWindowList())
      if (auto* maps = qobject_cast<MapsWindow*>(w->widget())) maps->document().setModified(false);
    mainWindow.documentArea()->closeAllSubWindows();
    QApplication::processEvents();
    mapFileDialogs() = savedDialogs;
    MapsWindow::commands() = savedCommands;
  }

  // A maps window holding one map of material 3.
  MapsWindow* resultWindow(const char* part = "Дверь") {
    MapsWindow* w = openMapsWindow(mainWindow);
    testing::LayoutBuilder b(2800, 2070);
    b.place(b.part(part, 600, 400), 8, 8);
    b.region(612, 8, 2000, 1000);
    w->addMap(u("1: Лист 1"), 3, b.finished(), 4, QString());
    w->setCaption(u("Вариант раскроя 1: \"Кухня\""));
    QApplication::processEvents();
    return w;
  }

  QAction* command(const char* id) { return mainWindow.command(QString::fromLatin1(id)); }

  TempDir dir;
  common::DataRoot root;
  common::Settings settings;
  shell::MainWindow mainWindow;
  common::AppContext context;
  MapFileDialogs savedDialogs;
  MapsWindowCommands savedCommands;
  QString answer;
  QStringList started;
  QStringList shown;
  common::MsgResult reply = common::MsgResult::Ok;
  common::ScopedMessageHandler messages;
};

TEST_F(MapFileCommandsTest, SaveWritesTheFileAndRenamesTheWindow) {
  MapsWindow* w = resultWindow();
  ASSERT_TRUE(command("cut.saveMaps")->isEnabled());
  ASSERT_TRUE(command("cut.exportIni")->isEnabled());
  ASSERT_TRUE(w->action(u("save"))->isEnabled());

  answer = qpath(dir / "Maps" / "kitchen");  // no extension typed
  command("cut.saveMaps")->trigger();
  ASSERT_EQ(started.size(), 1);
  EXPECT_EQ(started[0], root.folder(u("Maps")));
  EXPECT_TRUE(std::filesystem::exists(dir / "Maps" / "kitchen.map"));
  EXPECT_EQ(w->windowTitle(), u("Карты раскроя: kitchen.map"));
  EXPECT_FALSE(w->document().isModified());
  EXPECT_TRUE(shown.isEmpty());

  // The next save starts at the document's file; the window's own button
  // does the same.
  answer = qpath(dir / "Maps" / "second.map");
  w->action(u("save"))->trigger();
  ASSERT_EQ(started.size(), 2);
  EXPECT_EQ(started[1], qpath(dir / "Maps" / "kitchen.map"));
  EXPECT_EQ(w->windowTitle(), u("Карты раскроя: second.map"));

  // Cancelled dialog: nothing happens.
  w->document().setModified(true);
  answer.clear();
  w->action(u("save"))->trigger();
  EXPECT_TRUE(w->document().isModified());
  EXPECT_EQ(w->windowTitle(), u("Карты раскроя: second.map"));
}

TEST_F(MapFileCommandsTest, FailedSaveShowsWhyAndKeepsTheDocumentChanged) {
  MapsWindow* w = resultWindow();
  answer = qpath(dir / "no such folder" / "a.map");
  command("cut.saveMaps")->trigger();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_NE(shown[0].indexOf(u("Ошибка записи файла карт раскроя")), -1) << shown[0].toStdString();
  EXPECT_TRUE(w->document().isModified());
  EXPECT_EQ(w->windowTitle(), u("Вариант раскроя 1: \"Кухня\""));
}

TEST_F(MapFileCommandsTest, OpenMakesANewWindowFromTheFile) {
  MapsWindow* w = resultWindow();
  answer = qpath(dir / "Maps" / "a.map");
  command("cut.saveMaps")->trigger();
  ASSERT_TRUE(shown.isEmpty());
  // The window moves on to another file: a.map is held by none.
  answer = qpath(dir / "Maps" / "b.map");
  command("cut.saveMaps")->trigger();
  answer = qpath(dir / "Maps" / "a.map");

  ASSERT_TRUE(command("cut.openMaps")->isEnabled());
  command("cut.openMaps")->trigger();
  QApplication::processEvents();
  EXPECT_EQ(started.last(), root.folder(u("Maps")));
  const auto windows = mainWindow.documentArea()->subWindowList();
  ASSERT_EQ(windows.size(), 2);
  MapsWindow* opened = activeMapsWindow(mainWindow);
  ASSERT_NE(opened, nullptr);
  ASSERT_NE(opened, w);
  EXPECT_EQ(opened->windowTitle(), u("Карты раскроя: a.map"));
  EXPECT_FALSE(opened->document().isModified());
  ASSERT_EQ(opened->document().mapCount(), 1);
  EXPECT_EQ(opened->tabs()->count(), 1);
  EXPECT_EQ(opened->tabs()->tabText(0), u("1: Лист 1"));
}

TEST_F(MapFileCommandsTest, DamagedFileShowsTheOpenErrorAndLeavesNoWindow) {
  writeBytes(dir / "Maps" / "bad.map", "[Global]\r\nSheetsCount=1\r\nMillState=9\r\n");
  answer = qpath(dir / "Maps" / "bad.map");
  command("cut.openMaps")->trigger();
  QApplication::processEvents();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0], u("Ошибка открытия карт раскроя\rиз файла \"%1\".").arg(answer));
  EXPECT_TRUE(mainWindow.documentArea()->subWindowList().isEmpty());
}

TEST_F(MapFileCommandsTest, MapsFilesOfTheCommandLineOpenWhenTheMainWindowIsShown) {
  resultWindow();
  answer = qpath(dir / "Maps" / "a.map");
  command("cut.saveMaps")->trigger();
  ASSERT_TRUE(shown.isEmpty());
  mainWindow.documentArea()->closeAllSubWindows();
  QApplication::processEvents();
  ASSERT_TRUE(mainWindow.documentArea()->subWindowList().isEmpty());
  writeBytes(dir / "Maps" / "bad.map", "[Global]\r\nSheetsCount=1\r\nMillState=9\r\n");
  writeBytes(dir / "Maps" / "notes.txt", "not a maps file");

  // Parts databases, other files and missing maps are left to others or
  // passed over; a damaged maps file says so and leaves no window.
  mainWindow.setStartupFiles({qpath(dir / "Maps" / "a.map"), qpath(dir / "Maps" / "notes.txt"),
                              qpath(dir / "Maps" / "missing.map"), qpath(dir / "Maps" / "bad.map"),
                              qpath(dir / "Groups" / "kitchen.krb")});
  emit context.mainWindowShown();
  QApplication::processEvents();
  const auto windows = mainWindow.documentArea()->subWindowList();
  ASSERT_EQ(windows.size(), 1);
  auto* opened = qobject_cast<MapsWindow*>(windows[0]->widget());
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->windowTitle(), u("Карты раскроя: a.map"));
  EXPECT_EQ(opened->document().mapCount(), 1);
  EXPECT_FALSE(opened->document().isModified());
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0], u("Ошибка открытия карт раскроя\rиз файла \"%1\".").arg(qpath(dir / "Maps" / "bad.map")));
}

TEST_F(MapFileCommandsTest, ExportWritesTheIniFileOrSaysItFailed) {
  resultWindow();
  answer = qpath(dir / "Export" / "maps");
  command("cut.exportIni")->trigger();
  EXPECT_EQ(started.last(), root.folder(u("Export")));
  const std::string text = readBytes(dir / "Export" / "maps.ini");
  EXPECT_EQ(text.rfind("[SHEET1]\r\n", 0), 0u);
  EXPECT_NE(text.find("DCOUNT=1\r\nSCOUNT=1\r\nLSCOUNT=0\r\n"), std::string::npos);
  EXPECT_TRUE(shown.isEmpty());

  answer = qpath(dir / "no such folder" / "maps.ini");
  command("cut.exportIni")->trigger();
  EXPECT_EQ(shown, QStringList{u("Ошибка экспорта данных!")});
}

TEST_F(MapFileCommandsTest, ClosingAChangedResultWithYesSavesIt) {
  MapsWindow* w = resultWindow();
  answer = qpath(dir / "Maps" / "closing.map");
  reply = common::MsgResult::Yes;
  mainWindow.documentArea()->closeAllSubWindows();
  QApplication::processEvents();
  EXPECT_TRUE(std::filesystem::exists(dir / "Maps" / "closing.map"));
  EXPECT_TRUE(mainWindow.documentArea()->subWindowList().isEmpty());
  (void)w;
}

TEST_F(MapFileCommandsTest, AcceptOnTheWindowBooksOffcutsAndStaysDisabledOnlyWhenDone) {
  ASSERT_FALSE(root.prepare(QString::fromUtf8(KROYNA_SOURCE_DATA_DIR)).has_value());
  auto stock = std::make_unique<warehouse::Warehouse>(context);
  const auto workingScraps = stock->module().workingCopy(warehouse::StockKind::Scraps);
  const std::size_t before = dbase::RowSource(workingScraps).rows().size();

  MapsWindow* w = resultWindow();
  QAction* apply = w->action(u("apply"));
  ASSERT_TRUE(apply->isEnabled());
  reply = common::MsgResult::No;
  apply->trigger();
  EXPECT_EQ(shown, QStringList{u(kAcceptQuestion)});
  EXPECT_TRUE(apply->isEnabled());
  EXPECT_EQ(dbase::RowSource(workingScraps).rows().size(), before);

  reply = common::MsgResult::Yes;
  apply->trigger();
  EXPECT_EQ(shown.size(), 2);
  EXPECT_FALSE(apply->isEnabled());
  EXPECT_TRUE(w->isApplied());
  EXPECT_EQ(dbase::RowSource(workingScraps).rows().size(), before + 1);
  EXPECT_TRUE(stock->module().scrapsChanged());

  // A failing acceptance shows its message and leaves the command on.
  MapsWindow* second = resultWindow("Полка");
  std::filesystem::remove(dir / "Pattern" / "Scraps.dbf");
  shown.clear();
  second->action(u("apply"))->trigger();
  EXPECT_EQ(shown, (QStringList{u(kAcceptQuestion), u(kMergeFailed)}));
  EXPECT_TRUE(second->action(u("apply"))->isEnabled());
  EXPECT_EQ(dbase::RowSource(workingScraps).rows().size(), before + 1);
  // The maps windows go before the warehouse, as they do when the program
  // ends.
  for (QMdiSubWindow* sub : mainWindow.documentArea()->subWindowList())
    if (auto* maps = qobject_cast<MapsWindow*>(sub->widget())) {
      maps->document().setModified(false);
      delete sub;
    }
  stock.reset();
}

// Accepted, saved, reopened: the window says when it was accepted, and a
// second accept asks first; "Нет" leaves the stock alone. The same file,
// however it is named, is held by one window.
TEST_F(MapFileCommandsTest, AReopenedAcceptedFileAsksBeforeItIsAcceptedAgain) {
  ASSERT_FALSE(root.prepare(QString::fromUtf8(KROYNA_SOURCE_DATA_DIR)).has_value());
  auto stock = std::make_unique<warehouse::Warehouse>(context);
  const auto workingScraps = stock->module().workingCopy(warehouse::StockKind::Scraps);
  MapsWindow* w = resultWindow();
  reply = common::MsgResult::Yes;
  w->action(u("apply"))->trigger();
  ASSERT_TRUE(w->isApplied());
  EXPECT_TRUE(w->page(0)->line1()->panels().last().startsWith(u("Принят на склад ")));
  answer = qpath(dir / "Maps" / "Пример-кухня.map");
  w->action(u("save"))->trigger();
  ASSERT_EQ(shown, QStringList{u(kAcceptQuestion)});
  const std::string scrapsAccepted = readBytes(workingScraps);
  // The next morning.
  delete w->parentWidget();

  QStringList names{answer, qpath(dir / "Maps" / ".." / "Maps" / "Пример-кухня.map")};
  std::filesystem::create_symlink(dir / "Maps", dir / "link");
  names << qpath(dir / "link" / "Пример-кухня.map");
  // Its own window, and the file's again under other names.
  MapsWindow* reopened = nullptr;
  for (const QString& name : names) {
    answer = name;
    command("cut.openMaps")->trigger();
    QApplication::processEvents();
    if (!reopened) reopened = activeMapsWindow(mainWindow);
    EXPECT_EQ(activeMapsWindow(mainWindow), reopened) << name.toStdString();
    EXPECT_EQ(mainWindow.documentArea()->subWindowList().size(), 2) << name.toStdString();  // and the warehouse
  }
  ASSERT_NE(reopened, nullptr);
  EXPECT_TRUE(reopened->page(0)->line1()->panels().last().startsWith(u("Принят на склад ")));
  EXPECT_TRUE(reopened->action(u("apply"))->toolTip().contains(u("Уже принят на склад ")));
  ASSERT_TRUE(reopened->action(u("apply"))->isEnabled());

  shown.clear();
  reply = common::MsgResult::No;
  reopened->action(u("apply"))->trigger();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith(u("Этот раскрой уже принят на склад "))) << shown[0].toStdString();
  EXPECT_TRUE(shown[0].endsWith(u(". Принять его ещё раз?")));
  EXPECT_EQ(readBytes(workingScraps), scrapsAccepted);
  EXPECT_TRUE(reopened->action(u("apply"))->isEnabled());
  delete reopened->parentWidget();
  stock.reset();
}

// What is not a maps file is refused with the open error, and leaves no
// window; an empty maps file opens but has nothing to accept.
TEST_F(MapFileCommandsTest, OnlyMapsFilesOpen) {
  std::string noise(4000, '\0');
  unsigned v = 12345;
  for (char& c : noise) c = static_cast<char>((v = v * 1103515245u + 12345u) >> 16);
  const std::pair<const char*, std::string> refused[] = {
      {"notes.map", "Купить ДСП 16 мм, 3 листа\r\nПозвонить заказчику\r\n"},
      {"noise.map", noise},
      {"global.map", "[Global]\r\nSheetsCount=0\r\n"},
  };
  MapsDocument empty(programEnvironment());
  ASSERT_EQ(saveMapsTo(empty, qpath(dir / "Maps" / "empty.map")), QString());
  for (const auto& [name, bytes] : refused) {
    shown.clear();
    writeBytes(dir / "Maps" / name, bytes);
    answer = qpath(dir / "Maps" / name);
    command("cut.openMaps")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(shown, QStringList{u("Ошибка открытия карт раскроя\rиз файла \"%1\".").arg(answer)}) << name;
    EXPECT_TRUE(mainWindow.documentArea()->subWindowList().isEmpty()) << name;
  }
  answer = qpath(dir / "Maps" / "empty.map");
  command("cut.openMaps")->trigger();
  QApplication::processEvents();
  MapsWindow* opened = activeMapsWindow(mainWindow);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->document().mapCount(), 0);
  EXPECT_FALSE(opened->action(u("apply"))->isEnabled());
}

}  // namespace
}  // namespace kroyna::maps
