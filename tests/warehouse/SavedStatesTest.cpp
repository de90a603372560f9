#include "StockFixture.h"

#include "common/AppState.h"
#include "common/Messages.h"
#include "platform/ini/IniFile.h"
#include "support/FailingWrites.h"
#include "warehouse/SavedStatesController.h"
#include "warehouse/WarehouseController.h"
#include "warehouse/ui/SavedStatesDialogs.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <deque>

namespace kroyna::warehouse {
namespace {

namespace fs = std::filesystem;
using common::MsgButtons;
using common::MsgIcon;
using common::MsgResult;
using testing::Answers;
using testing::OffcutSpec;
using testing::readBytes;
using testing::rowsOf;
using testing::StockFolder;
using testing::writeBytes;

const QString kSaveSheets = QStringLiteral("Сохранить изменения в базе стандартных листов?");
const QString kSaveOffcuts = QStringLiteral("Сохранить изменения в базе остатков?");
const QString kSaveFirst = QStringLiteral(
    "ВНИМАНИЕ!\r\rПеред восстановлением сохраненного состояния склада\rрекомендуется сохранить его текущее "
    "состояние!\r\rСохранить?");
const QString kSaveFailed = QStringLiteral("Ошибка сохранения состояния склада.");
const QString kDelete = QStringLiteral("Действительно удалить сохраненное состояние склада?");

// Every file of a folder with its bytes.
std::map<std::string, std::string> filesOf(const fs::path& folder) {
  std::map<std::string, std::string> out;
  if (!fs::exists(folder)) return out;
  for (const auto& e : fs::directory_iterator(folder)) out[e.path().filename().string()] = readBytes(e.path());
  return out;
}

// A warehouse with stock of materials 3 and 4, two states already saved
// (numbers 1 and 3, so the next save takes 2) and the states commands.
struct States {
  States() : ini(f.root() / "Kroyna.ini") {
    f.storeSheet(2800, 2070, 5, 3);
    f.storeSheet(2440, 1830, 2, 4);
    f.storeOffcut({"A-1", 600, 400, 1, 3});
    f.storeOffcut({"B-7", 900, 300, 2, 4, {2005, 2, 1}});
    module = std::make_unique<StockModule>(f.root(), *f.materials);
    warehouse = std::make_unique<WarehouseController>(*module, ini);
    warehouse->makeWorkingCopies();
    warehouse->rebuildBar(kAllMaterials);
    states = std::make_unique<SavedStatesController>(*warehouse, [this](const QString& text) {
      prompted << text;
      std::optional<QString> r = descriptions.empty() ? std::nullopt : descriptions.front();
      if (!descriptions.empty()) descriptions.pop_front();
      return r;
    });
    states->setClock([this] { return now; });
    // Two earlier states: 1 holds an empty warehouse, 3 one sheet row.
    fs::create_directories(folder());
    dbase::createFromTemplate(f.root() / "Pattern", "Sheets.dbf", folder() / "1.wh");
    dbase::createFromTemplate(f.root() / "Pattern", "Scraps.dbf", folder() / "1_.wh");
    dbase::createFromTemplate(f.root() / "Pattern", "Sheets.dbf", folder() / "3.wh");
    dbase::insertValues(folder() / "3.wh", {dbase::Value(1830), dbase::Value(1220), dbase::Value(9), dbase::Value(5)});
    dbase::createFromTemplate(f.root() / "Pattern", "Scraps.dbf", folder() / "3_.wh");
    ini::IniFile index(folder() / "WHSave.ini");
    index.writeString("Root", "Sections", "1,3");
    index.writeString("1", "Date", "15.01.2005");
    index.writeString("1", "Time", "10:00:00");
    index.writeString("1", "Remark", "Пустой склад");
    index.writeString("3", "Date", "01.02.2005");
    index.writeString("3", "Time", "09:30:00");
    index.writeString("3", "Remark", "Один лист");
  }

  fs::path folder() const { return f.root() / "Warehouse"; }
  std::string stored(StockKind k) const { return readBytes(module->storedTable(k)); }
  std::string working(StockKind k) const { return readBytes(module->workingCopy(k)); }

  StockFolder f;
  ini::IniFile ini;
  std::unique_ptr<StockModule> module;
  std::unique_ptr<WarehouseController> warehouse;
  std::unique_ptr<SavedStatesController> states;
  std::deque<std::optional<QString>> descriptions;
  QStringList prompted;
  QDateTime now{QDate(2005, 3, 7), QTime(14, 5, 33)};
};

TEST(SavedStates, SavingTakesTheFirstFreeNumberAndCopiesTheStoredTablesByteForByte) {
  States s;
  s.descriptions = {QStringLiteral("Перед заказом Иванова")};
  Answers a;
  EXPECT_EQ(s.states->saveState(), 2);
  EXPECT_TRUE(a.shown.isEmpty());  // nothing unsaved: no question
  EXPECT_EQ(s.prompted, QStringList{QString()});
  EXPECT_EQ(readBytes(s.folder() / "2.wh"), s.stored(StockKind::Sheets));
  EXPECT_EQ(readBytes(s.folder() / "2_.wh"), s.stored(StockKind::Scraps));
  const ini::IniFile index(s.folder() / "WHSave.ini");
  EXPECT_EQ(index.readString("Root", "Sections"), "1,3,2");
  EXPECT_EQ(index.readString("2", "Date"), "07.03.2005");
  EXPECT_EQ(index.readString("2", "Time"), "14:05:33");
  EXPECT_EQ(index.readString("2", "Remark"), "Перед заказом Иванова");
  // The earlier states are as they were.
  EXPECT_EQ(index.readString("3", "Remark"), "Один лист");
  EXPECT_EQ(rowsOf(s.folder() / "3.wh").size(), 1u);
  // No file of the copying is left behind.
  EXPECT_EQ(filesOf(s.folder()).size(), 7u);
}

TEST(SavedStates, TheListIsInRealDateOrderOldestFirst) {
  States s;
  s.descriptions = {QStringLiteral("Третье")};
  s.now = QDateTime(QDate(2005, 1, 15), QTime(9, 0, 0));  // the same day as state 1, earlier
  ASSERT_EQ(s.states->saveState(), 2);
  std::vector<int> order;
  for (const SavedState& st : s.states->states()) order.push_back(st.number);
  // 15.01.2005 09:00, 15.01.2005 10:00, 01.02.2005: as text "01.02.2005"
  // would come first.
  EXPECT_EQ(order, (std::vector<int>{2, 1, 3}));

  // A state whose date cannot be read goes last; an unlisted section is
  // no state at all.
  ini::IniFile index(s.folder() / "WHSave.ini");
  index.writeString("Root", "Sections", "3,x,1,2,7");
  index.writeString("7", "Date", "вчера");
  index.writeString("9", "Date", "01.01.2000");
  order.clear();
  for (const SavedState& st : s.states->states()) order.push_back(st.number);
  EXPECT_EQ(order, (std::vector<int>{2, 1, 3, 7}));
  EXPECT_EQ(s.states->store().nextNumber(), 4);
}

TEST(SavedStates, UnsavedChangesAreAskedAboutAndNoKeepsThemOutOfTheState) {
  States s;
  s.module->addSheets(1000, 1000, 4, 3);
  s.module->bookInOffcut("C-1", 700, 300, 1, 3, {2005, 3, 1});
  const std::string storedOffcuts = s.stored(StockKind::Scraps);
  s.descriptions = {QStringLiteral("С листами")};
  Answers a({MsgResult::Yes, MsgResult::No});
  ASSERT_EQ(s.states->saveState(), 2);
  EXPECT_EQ(a.shown, (QStringList{kSaveSheets, kSaveOffcuts}));
  // Yes saved the sheets into the stock and the state; No left the offcuts
  // as last saved, in the stock and in the state.
  EXPECT_EQ(rowsOf(s.folder() / "2.wh").size(), 3u);
  EXPECT_EQ(readBytes(s.folder() / "2_.wh"), storedOffcuts);
  EXPECT_FALSE(s.module->sheetsChanged());
  EXPECT_TRUE(s.module->scrapsChanged());

  // Cancel to a question, or to the description, saves nothing.
  Answers cancel({MsgResult::Cancel});
  EXPECT_FALSE(s.states->saveState());
  s.descriptions = {std::nullopt};
  Answers no({MsgResult::No});
  EXPECT_FALSE(s.states->saveState());
  EXPECT_EQ(ini::IniFile(s.folder() / "WHSave.ini").readString("Root", "Sections"), "1,3,2");
}

TEST(SavedStates, AFailedCopyIsReportedAndAddsNothing) {
  States s;
  const auto before = filesOf(s.folder());
  const std::string sheets = s.stored(StockKind::Sheets), offcuts = s.stored(StockKind::Scraps);
  s.descriptions = {QStringLiteral("Не поместится")};
  Answers a;
  {
    testing::FailingWrites full(100);  // smaller than either table
    EXPECT_FALSE(s.states->saveState());
  }
  ASSERT_EQ(a.shown.size(), 1);
  EXPECT_TRUE(a.shown[0].startsWith(kSaveFailed + "\r"));
  EXPECT_TRUE(a.shown[0].contains("2.wh"));  // names the file it could not write
  // No entry, no file: the folder is exactly as it was; the stock too.
  EXPECT_EQ(filesOf(s.folder()), before);
  EXPECT_EQ(s.stored(StockKind::Sheets), sheets);
  EXPECT_EQ(s.stored(StockKind::Scraps), offcuts);
  EXPECT_EQ(s.working(StockKind::Sheets), sheets);
}

TEST(SavedStates, DeletingRemovesTheSectionAndTheFilesAndFreesTheNumber) {
  States s;
  {
    Answers no({MsgResult::No});
    EXPECT_FALSE(s.states->deleteState(3));
    EXPECT_EQ(no.shown, QStringList{kDelete});
    EXPECT_TRUE(fs::exists(s.folder() / "3.wh"));
  }
  Answers yes({MsgResult::Yes});
  EXPECT_TRUE(s.states->deleteState(3));
  const ini::IniFile index(s.folder() / "WHSave.ini");
  EXPECT_EQ(index.readString("Root", "Sections"), "1");
  EXPECT_FALSE(index.sectionExists("3"));
  EXPECT_FALSE(fs::exists(s.folder() / "3.wh"));
  EXPECT_FALSE(fs::exists(s.folder() / "3_.wh"));
  EXPECT_TRUE(fs::exists(s.folder() / "1.wh"));
  EXPECT_EQ(s.states->store().nextNumber(), 2);

  // Deleting the only state leaves an empty list.
  Answers again({MsgResult::Yes});
  EXPECT_TRUE(s.states->deleteState(1));
  EXPECT_EQ(ini::IniFile(s.folder() / "WHSave.ini").readString("Root", "Sections"), "");
  EXPECT_TRUE(s.states->states().empty());
}

TEST(SavedStates, ChangingADescriptionWritesOnlyThatRemark) {
  States s;
  s.descriptions = {QStringLiteral("Пусто после инвентаризации")};
  EXPECT_TRUE(s.states->changeRemark(1));
  EXPECT_EQ(s.prompted, QStringList{QStringLiteral("Пустой склад")});
  const ini::IniFile index(s.folder() / "WHSave.ini");
  EXPECT_EQ(index.readString("1", "Remark"), "Пусто после инвентаризации");
  EXPECT_EQ(index.readString("1", "Date"), "15.01.2005");
  s.descriptions = {std::nullopt};
  EXPECT_FALSE(s.states->changeRemark(1));
  EXPECT_EQ(ini::IniFile(s.folder() / "WHSave.ini").readString("1", "Remark"), "Пусто после инвентаризации");
  EXPECT_TRUE(checkDescription(QStringLiteral("Заказ №5")) == std::nullopt);
  EXPECT_TRUE(checkDescription(QStringLiteral("Заказ 订单")).has_value());
}

TEST(SavedStates, RestoringPutsTheCopiesInPlaceOfTheStockAndTheViewsShowThemWithTheirFilter) {
  States s;
  s.descriptions = {QStringLiteral("До заказа")};
  ASSERT_EQ(s.states->saveState(), 2);
  const std::string sheetsCopy = readBytes(s.folder() / "2.wh");
  const std::string offcutsCopy = readBytes(s.folder() / "2_.wh");
  // The stock moves on: saved and unsaved changes.
  s.module->addSheets(2800, 2070, 10, 3);
  ASSERT_TRUE(s.warehouse->save(StockKind::Sheets));
  s.module->bookInOffcut("", 500, 500, 1, 3, {2005, 3, 8});
  s.warehouse->select(3);
  ASSERT_EQ(s.module->tblSheets().rowCount(), 1u);
  EXPECT_EQ(s.module->tblSheets().asInteger("MANY"), 15);

  Answers a({MsgResult::No});
  EXPECT_TRUE(s.states->restoreState(2));
  EXPECT_EQ(a.shown, QStringList{kSaveFirst});
  EXPECT_EQ(s.stored(StockKind::Sheets), sheetsCopy);
  EXPECT_EQ(s.working(StockKind::Sheets), sheetsCopy);
  EXPECT_EQ(s.stored(StockKind::Scraps), offcutsCopy);
  EXPECT_EQ(s.working(StockKind::Scraps), offcutsCopy);
  // Both views are open again on material 3 and show the restored rows.
  EXPECT_EQ(s.warehouse->selectedCode(), 3);
  ASSERT_TRUE(s.module->tblSheets().isOpen());
  EXPECT_EQ(s.module->tblSheets().rowCount(), 1u);
  EXPECT_EQ(s.module->tblSheets().asInteger("MANY"), 5);
  EXPECT_EQ(s.module->tblScraps().rowCount(), 1u);
  EXPECT_EQ(s.module->tblScraps().asString("NAME"), "A-1");
  // The flags stay as they were; the state stays and restores again.
  EXPECT_TRUE(s.module->scrapsChanged());
  Answers again({MsgResult::No});
  EXPECT_TRUE(s.states->restoreState(3));
  EXPECT_EQ(rowsOf(s.module->storedTable(StockKind::Sheets)),
            (std::vector<std::vector<std::string>>{{"1830", "1220", "9", "5"}}));
  EXPECT_EQ(s.working(StockKind::Sheets), readBytes(s.folder() / "3.wh"));
  EXPECT_EQ(s.module->tblSheets().rowCount(), 0u);  // material 3 has none in state 3
}

TEST(SavedStates, RestoringWithYesSavesTheCurrentStateFirst) {
  States s;
  s.descriptions = {QStringLiteral("Перед восстановлением")};
  const std::string sheets = s.stored(StockKind::Sheets);
  Answers a({MsgResult::Yes});
  EXPECT_TRUE(s.states->restoreState(1));
  ASSERT_EQ(s.states->store().states().size(), 3u);
  EXPECT_EQ(readBytes(s.folder() / "2.wh"), sheets);
  EXPECT_TRUE(rowsOf(s.module->storedTable(StockKind::Sheets)).empty());
}

TEST(SavedStates, ARestoreWhoseSaveIsCancelledOrFailsChangesNothing) {
  States s;
  s.module->addSheets(1000, 1000, 1, 3);  // unsaved
  const auto tables = [&] {
    return std::vector<std::string>{s.stored(StockKind::Sheets), s.working(StockKind::Sheets),
                                    s.stored(StockKind::Scraps), s.working(StockKind::Scraps)};
  };
  const auto before = tables();
  const auto folder = filesOf(s.folder());
  {
    // Yes to saving first, then Cancel to the sheets question.
    Answers a({MsgResult::Yes, MsgResult::Cancel});
    EXPECT_FALSE(s.states->restoreState(1));
    EXPECT_EQ(a.shown, (QStringList{kSaveFirst, kSaveSheets}));
  }
  {
    // Yes, No to the sheets, then "&Отмена" in the description dialog.
    s.descriptions = {std::nullopt};
    Answers a({MsgResult::Yes, MsgResult::No});
    EXPECT_FALSE(s.states->restoreState(1));
  }
  {
    // Cancel to the first question.
    Answers a({MsgResult::Cancel});
    EXPECT_FALSE(s.states->restoreState(1));
  }
  {
    // Yes, No, a description, and the copy fails on a full disk.
    s.descriptions = {QStringLiteral("Не поместится")};
    Answers a({MsgResult::Yes, MsgResult::No});
    testing::FailingWrites full(100);
    EXPECT_FALSE(s.states->restoreState(1));
    ASSERT_EQ(a.shown.size(), 3);
    EXPECT_TRUE(a.shown[2].startsWith(kSaveFailed));
  }
  EXPECT_EQ(tables(), before);
  EXPECT_EQ(filesOf(s.folder()), folder);
  EXPECT_TRUE(s.module->tblSheets().isOpen());
  EXPECT_TRUE(s.module->sheetsChanged());
}

TEST(SavedStates, AFailedRestoreIsReportedAndPutsBackTheTableAlreadyReplaced) {
  States s;
  // State 4: a small sheets table and an offcuts table too big for the
  // "disk" below, so the offcuts fail after the sheets were replaced.
  dbase::createFromTemplate(s.f.root() / "Pattern", "Sheets.dbf", s.folder() / "4.wh");
  dbase::insertValues(s.folder() / "4.wh", {dbase::Value(100), dbase::Value(100), dbase::Value(1), dbase::Value(3)});
  dbase::createFromTemplate(s.f.root() / "Pattern", "Scraps.dbf", s.folder() / "4_.wh");
  for (int i = 0; i < 10; ++i)
    dbase::insertValues(s.folder() / "4_.wh",
                        {dbase::Value("X-" + std::to_string(i)), dbase::Value(300), dbase::Value(200), dbase::Value(1),
                         dbase::Value(3), dbase::Value(dbase::Date{2005, 1, 1})});
  ini::IniFile(s.folder() / "WHSave.ini").writeString("Root", "Sections", "1,3,4");
  s.warehouse->select(3);
  const std::vector<std::string> before = {s.stored(StockKind::Sheets), s.working(StockKind::Sheets),
                                           s.stored(StockKind::Scraps), s.working(StockKind::Scraps)};
  const std::size_t limit = 400;
  ASSERT_LT(readBytes(s.folder() / "4.wh").size(), limit);
  ASSERT_LT(before[0].size(), limit);
  ASSERT_GT(readBytes(s.folder() / "4_.wh").size(), limit);

  Answers a({MsgResult::No});
  {
    testing::FailingWrites full(limit);
    EXPECT_FALSE(s.states->restoreState(4));
  }
  ASSERT_EQ(a.shown.size(), 2);
  EXPECT_TRUE(a.shown[1].startsWith("Ошибка восстановления состояния склада.\r"));
  EXPECT_TRUE(a.shown[1].contains("Scraps.dbf"));
  EXPECT_TRUE(a.shown[1].endsWith("Склад не изменился."));
  EXPECT_EQ((std::vector<std::string>{s.stored(StockKind::Sheets), s.working(StockKind::Sheets),
                                      s.stored(StockKind::Scraps), s.working(StockKind::Scraps)}),
            before);
  // The window shows the stock it had, with its filter.
  EXPECT_EQ(s.module->tblSheets().rowCount(), 1u);
  EXPECT_EQ(s.module->tblScraps().rowCount(), 1u);
}

TEST(SavedStates, ACopyThatIsNoStockTableIsRefusedBeforeAnythingChanges) {
  States s;
  writeBytes(s.folder() / "3_.wh", "not a table at all");
  fs::remove(s.folder() / "1.wh");
  const std::string sheets = s.stored(StockKind::Sheets);
  for (int n : {3, 1}) {
    Answers a({MsgResult::No});
    EXPECT_FALSE(s.states->restoreState(n));
    ASSERT_EQ(a.shown.size(), 2);
    EXPECT_TRUE(a.shown[1].contains(n == 3 ? "3_.wh" : "1.wh"));
  }
  EXPECT_EQ(s.stored(StockKind::Sheets), sheets);
  EXPECT_EQ(s.working(StockKind::Sheets), sheets);
}

TEST(SavedStates, NoRestoreDuringACuttingRun) {
  States s;
  s.module->openSheetView(3);  // the run's view of the sheets
  common::BusyScope busy;
  Answers a;
  EXPECT_FALSE(s.states->restoreState(1));
  ASSERT_EQ(a.shown.size(), 1);
  EXPECT_TRUE(a.shown[0].startsWith("Идёт разложение деталей."));
  EXPECT_TRUE(s.module->tblSheets2().isOpen());
  EXPECT_EQ(rowsOf(s.module->storedTable(StockKind::Sheets)).size(), 2u);
}

// Saves a picture of a dialog for the documentation when asked to
// (KROYNA_SCREENSHOT_DIR, under a real display).
void keepScreenshot(QWidget& w, const char* name) {
  const QString dir = qEnvironmentVariable("KROYNA_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QApplication::processEvents();
  w.grab().save(dir + "/" + name);
}

TEST(SavedStatesDialog, ListsStatesOldestFirstAndOffersTheCommandsOnlyForASelectedRow) {
  States s;
  s.descriptions = {QStringLiteral("Перед заказом кухни «Ольха»")};
  ASSERT_EQ(s.states->saveState(), 2);
  s.ini.writeInt("ViewWHs", "lvwWHs_Width0", 111);
  s.ini.writeInt("ViewWHs", "lvwWHs_Width1", 77);
  auto d = std::make_unique<SavedStatesDialog>(*s.states, s.ini);
  EXPECT_EQ(d->windowTitle(), "Просмотр состояний склада");
  QTreeWidget* list = d->list();
  EXPECT_EQ(list->headerItem()->text(0), "Дата");
  EXPECT_EQ(list->headerItem()->text(1), "Время");
  EXPECT_EQ(list->headerItem()->text(2), "Описание");
  EXPECT_EQ(d->rowNumbers(), (QList<int>{1, 3, 2}));
  EXPECT_EQ(list->topLevelItem(2)->text(0), "07.03.2005");
  EXPECT_EQ(list->topLevelItem(2)->text(1), "14:05:33");
  EXPECT_EQ(list->topLevelItem(2)->text(2), "Перед заказом кухни «Ольха»");
  EXPECT_EQ(list->header()->sectionSize(0), 111);
  EXPECT_EQ(list->header()->sectionSize(1), 77);
  // The newest state is selected when the list opens.
  ASSERT_EQ(list->selectedItems().size(), 1);
  EXPECT_EQ(list->selectedItems()[0], list->topLevelItem(2));
  for (const char* b : {"Изменить", "Восстановить", "Удалить"}) EXPECT_TRUE(d->button(b)->isEnabled()) << b;
  list->clearSelection();
  for (const char* b : {"Изменить", "Восстановить", "Удалить"}) EXPECT_FALSE(d->button(b)->isEnabled()) << b;
  EXPECT_TRUE(d->button("Закрыть")->isEnabled());
  d->show();
  list->setCurrentItem(list->topLevelItem(1));
  for (const char* b : {"Изменить", "Восстановить", "Удалить"}) EXPECT_TRUE(d->button(b)->isEnabled()) << b;
  keepScreenshot(*d, "warehouse-states.png");

  // A double click and Enter on a row change its description.
  s.descriptions = {QStringLiteral("Один лист ДВП")};
  emit list->itemDoubleClicked(list->topLevelItem(1), 0);
  EXPECT_EQ(list->topLevelItem(1)->text(2), "Один лист ДВП");
  s.descriptions = {QStringLiteral("Один лист ДВП 3")};
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  list->setFocus();
  QApplication::sendEvent(list, &enter);
  EXPECT_EQ(list->topLevelItem(1)->text(2), "Один лист ДВП 3");
  EXPECT_EQ(s.prompted.mid(1), (QStringList{"Один лист", "Один лист ДВП"}));

  // Deleting takes the row away; nothing is selected after it.
  {
    Answers yes({MsgResult::Yes});
    d->button("Удалить")->click();
  }
  EXPECT_EQ(d->rowNumbers(), (QList<int>{1, 2}));
  EXPECT_FALSE(d->button("Восстановить")->isEnabled());

  // A restore that went through closes the dialog.
  list->setCurrentItem(list->topLevelItem(0));
  {
    Answers no({MsgResult::No});
    d->button("Восстановить")->click();
  }
  EXPECT_EQ(d->result(), QDialog::Accepted);
  EXPECT_TRUE(rowsOf(s.module->storedTable(StockKind::Sheets)).empty());

  // The column widths are kept when the dialog goes.
  list->header()->resizeSection(0, 95);
  list->header()->resizeSection(2, 150);
  d.reset();
  EXPECT_EQ(s.ini.readInt("ViewWHs", "lvwWHs_Width0", 0), 95);
  EXPECT_EQ(s.ini.readInt("ViewWHs", "lvwWHs_Width1", 0), 77);
  EXPECT_GT(s.ini.readInt("ViewWHs", "lvwWHs_Width2", 0), 0);
}

TEST(SavedStatesDialog, TheDescriptionDialogRefusesTextTheIndexCannotHold) {
  StateDescriptionDialog d(QStringLiteral("Склад"));
  EXPECT_EQ(d.windowTitle(), "Сохрание состояния склада");
  EXPECT_EQ(d.edit()->text(), "Склад");
  QStringList shown;
  common::ScopedMessageHandler h([&](const QString& text, MsgIcon, MsgButtons) {
    shown << text;
    return MsgResult::Ok;
  });
  d.edit()->setText(QStringLiteral("Заказ 订单"));
  d.accept();
  EXPECT_EQ(shown.size(), 1);
  EXPECT_NE(d.result(), QDialog::Accepted);
  d.edit()->setText(QStringLiteral("Заказ №7"));
  d.accept();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.text(), "Заказ №7");
}

}  // namespace
}  // namespace kroyna::warehouse
