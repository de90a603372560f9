// The files of the design module: parts files (.dkm) becoming parts
// databases, model lists (.krm) setting selection counts, the start-up
// import of the AutoRun folder, and the import of the old Catalog.ini.

#include "models/DesignImport.h"

#include "models/CatalogIniImport.h"
#include "models/ModelsTestSupport.h"
#include "platform/compound/CompoundFile.h"
#include "support/FailingWrites.h"

#include <QDir>
#include <QFileInfo>

using namespace kroyna;
using namespace kroyna::models;
using namespace kroyna::models::testing;
using kroyna::common::MsgResult;
using kroyna::parts::PartRow;

namespace {

const fs::path kImportData = fs::path(KROYNA_TEST_DATA_DIR) / "imports";

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }
std::string cp(const std::string& utf8) { return text::utf8ToCp1251(utf8); }

PartRow partRow(const std::string& name, int length, int width, int quantity, int rotation, int left = 0, int right = 0,
                int top = 0, int bottom = 0, int material = 0) {
  return PartRow{name, length, width, quantity, rotation, left, right, top, bottom, material};
}

// The AutoRun import as the tests see it: what the hooks were given.
struct AutoRunRecord {
  std::vector<std::string> steps;
  int maximum = -1;
  bool ended = false;
  int selectedShown = 0;
  std::vector<QStringList> asked;
  bool createList = true;
  ModelsBase* base = nullptr;

  AutoRunUi ui(PartsHost& parts) {
    AutoRunUi ui;
    ui.parts = &parts;
    ui.begin = [this](int max) { maximum = max; };
    ui.step = [this](const QString& kind, const QString& file, int progress) {
      steps.push_back((kind + "|" + file + "|" + QString::number(progress)).toStdString());
    };
    ui.end = [this] { ended = true; };
    ui.openModelsBase = [this] { return base; };
    ui.showSelectedModels = [this] { ++selectedShown; };
    ui.askMissingModels = [this](const QStringList& names) {
      asked.push_back(names);
      return createList;
    };
    return ui;
  }
};

std::vector<std::string> filesIn(const fs::path& folder) {
  std::vector<std::string> names;
  if (!fs::exists(folder)) return names;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.is_regular_file()) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

namespace kroyna::models {
void PrintTo(const ModelListEntry& e, std::ostream* os) { *os << "{\"" << e.name << "\", " << e.count << "}"; }
}  // namespace kroyna::models

// ---- Design-module parts files ----

TEST(DesignPartsFile, EverySectionBecomesARowOfANewUntitledBase) {
  ModelsFixture f;
  f.settings.writeInt("Rotate", "Default", 1);
  Messages messages;
  const DesignImportResult r = importDesignFile(q(kImportData / "Wardrobe.dkm"), f.settings, f.host);
  ASSERT_EQ(r.status, DesignImportResult::Status::Imported) << r.message.toStdString();
  ASSERT_EQ(f.host.shown.size(), 1u);
  const parts::PartsDocument& doc = *f.host.shown[0];
  EXPECT_EQ(r.document, &doc);
  EXPECT_EQ(doc.allRows(), (std::vector<PartRow>{partRow("Бок", 720, 560, 2, 1), partRow("Полка", 680, 540, 0, 1),
                                                 partRow("Фасад 'левый' \"А\"", 716, 396, 1, 1, 10, 10, 11, 0, 3)}));
  EXPECT_EQ(doc.caption(), QString::fromUtf8("База деталей: Wardrobe.krb"));
  EXPECT_EQ(doc.suggestedName(), QString::fromUtf8("Wardrobe.krb"));
  EXPECT_TRUE(doc.isUntitled());
  EXPECT_TRUE(doc.isModified());
  EXPECT_TRUE(doc.displayName().isEmpty());  // so closing it adds no temporary table to the recent bases
  EXPECT_TRUE(messages.texts.isEmpty());
}

TEST(DesignPartsFile, ANumberTooLargeOrAPartThatCannotBeStoredIsReported) {
  ModelsFixture f;
  const fs::path file = f.root / "Bad.dkm";
  writeBytes(file, cp("[1]\r\nShifr=Бок\r\nW=99999999999\r\n"));
  DesignImportResult r = importDesignFile(q(file), f.settings, f.host);
  EXPECT_EQ(r.status, DesignImportResult::Status::Failed);
  EXPECT_TRUE(r.message.startsWith(QString::fromUtf8("Ошибка импорта базы деталей."))) << r.message.toStdString();
  EXPECT_TRUE(r.message.contains("Bad.dkm")) << r.message.toStdString();
  EXPECT_TRUE(f.host.shown.empty());

  // The second of three parts has a negative quantity: the first stays in
  // the window, and the message says how many came in.
  writeBytes(file, cp("[1]\r\nShifr=Бок\r\nW=720\r\n[2]\r\nShifr=Полка\r\nQuantity=-1\r\n[3]\r\nShifr=Дно\r\n"));
  r = importDesignFile(q(file), f.settings, f.host);
  EXPECT_EQ(r.status, DesignImportResult::Status::Partial);
  ASSERT_EQ(f.host.shown.size(), 1u);
  EXPECT_EQ(f.host.shown[0]->allRows().size(), 1u);
  EXPECT_TRUE(r.message.startsWith(QString::fromUtf8("Ошибка импорта данных!"))) << r.message.toStdString();
  EXPECT_TRUE(r.message.contains(QString::fromUtf8("раздел [2]"))) << r.message.toStdString();
  EXPECT_TRUE(r.message.contains(QString::fromUtf8("Импортировано деталей: 1 из 3."))) << r.message.toStdString();
}

// ---- Model list files ----

TEST(ModelListFile, EntriesAreReadByNumberAndWrittenBack) {
  const std::vector<ModelListEntry> entries = readModelList(readBytes(kImportData / "Order.krm"), "Order.krm");
  EXPECT_EQ(entries, (std::vector<ModelListEntry>{{"Шкаф", 2}, {"Шкаф-купе, 2 двери", 1}, {"Shkaf", 3}}));
  const std::vector<ModelListEntry> awkward{{"Стол \"Лофт\"", 1}, {" угол ", 2}, {"", 0}, {"a,b", -3}};
  EXPECT_EQ(readModelList(writeModelList(awkward), "x.krm"), awkward);
  // A missing count is 0; a missing section or COUNT is an empty list.
  EXPECT_EQ(readModelList(cp("[MODELS]\r\nCOUNT=1\r\n1=Стол\r\n"), "x"), (std::vector<ModelListEntry>{{"Стол", 0}}));
  EXPECT_TRUE(readModelList("", "x").empty());
}

TEST(ModelListFile, ACountThatIsNoWholeNumberOrTooLargeMakesTheFileDamaged) {
  try {
    readModelList(cp("[MODELS]\r\nCOUNT=2\r\n1=Стол,1\r\n2=Шкаф,2.5\r\n"), "Заказ.krm");
    FAIL() << "a count 2.5 was taken";
  } catch (const DesignFileError& e) {
    EXPECT_NE(std::string(e.what()).find("Заказ.krm"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("2.5"), std::string::npos) << e.what();
  }
  EXPECT_THROW(readModelList("[MODELS]\r\nCOUNT=100001\r\n", "x"), DesignFileError);
  EXPECT_THROW(readModelList("[MODELS]\r\nCOUNT=99999999999\r\n", "x"), DesignFileError);
  EXPECT_NO_THROW(readModelList("[MODELS]\r\nCOUNT=100000\r\n", "x"));
}

TEST(ModelListFile, CountsGoToModelsFoundIgnoringTheCaseOfLatinLettersOnly) {
  ModelsFixture f;
  const ModelSection s = f.file.addSection("Шкафы");
  f.addModel(s.storageName, "Шкаф", "mdl0", {part("X", 700, 400, 1)});
  f.addModel(s.storageName, "Shkaf", "mdl1", {part("Y", 700, 400, 1)});
  f.addModel(s.storageName, "Полка", "mdl2", {part("Z", 700, 400, 1)});
  ASSERT_TRUE(f.base.open());
  f.show(ModelsBase::kAllModels);
  f.base.setCount(f.rowOf("Shkaf"), 1);  // counts add to what is there
  const std::vector<ModelListEntry> missing = applyModelLists(
      f.base, {{"ШКАФ", 1}, {"SHKAF", 2}, {"Шкаф", 2}, {"shkaf", 1}, {"Шкаф", 1}, {"Стол", 0}, {"Стол", 2}});
  // Cyrillic letters are compared exactly: ШКАФ is not Шкаф.
  EXPECT_EQ(missing, (std::vector<ModelListEntry>{{"ШКАФ", 1}, {"Стол", 2}}));
  EXPECT_EQ(f.base.currentEntry(), 1);  // "<Выбранные модели>"
  ASSERT_EQ(f.base.rowCount(), 2);
  EXPECT_EQ(f.base.rowModel(f.rowOf("Шкаф")).count, 3);
  EXPECT_EQ(f.base.rowModel(f.rowOf("Shkaf")).count, 4);
  EXPECT_EQ(f.rowOf("Полка"), -1);
}

TEST(ModelListFile, MissingModelsListIsWrittenUnderTheFirstFreeName) {
  TempDir dir;
  writeBytes(dir / "tmp0.krm", "[MODELS]\r\nCOUNT=0\r\n");
  const QString path = writeMissingModelsList(q(dir.path()), {{"Стол", 1}, {"Стол", 3}});
  EXPECT_EQ(QFileInfo(path).fileName(), "tmp1.krm");
  EXPECT_EQ(readModelList(readBytes(dir / "tmp1.krm"), "tmp1.krm"),
            (std::vector<ModelListEntry>{{"Стол", 1}, {"Стол", 3}}));
  EXPECT_EQ(distinctNames({{"Стол", 1}, {"Комод", 2}, {"Стол", 3}}), (QStringList{"Стол", "Комод"}));
}

// ---- The AutoRun folder ----

TEST(AutoRunFolder, EmptyFolderShowsNothing) {
  ModelsFixture f;
  fs::create_directories(f.root / "AutoRun");
  writeBytes(f.root / "AutoRun" / "notes.txt", "x");
  AutoRunRecord record;
  importAutoRun(f.rootText, f.settings, record.ui(f.host));
  EXPECT_EQ(record.maximum, -1);
  EXPECT_FALSE(record.ended);
}

TEST(AutoRunFolder, ImportsInOrderDeletesWhatCameInAndMovesFailuresAside) {
  ModelsFixture f;
  const ModelSection s = f.file.addSection("Шкафы");
  f.addModel(s.storageName, "Шкаф", "mdl0", {part("X", 700, 400, 1)});
  ASSERT_TRUE(f.base.open());
  const fs::path autoRun = f.root / "AutoRun";
  fs::create_directories(autoRun);
  fs::copy_file(kImportData / "Wardrobe.dkm", autoRun / "b.dkm");
  writeBytes(autoRun / "a.dkm", cp("[1]\r\nShifr=Бок\r\nW=-720\r\n"));  // no part can be stored
  writeBytes(autoRun / "2.krm", cp("[MODELS]\r\nCOUNT=2\r\n1=Стол,3\r\n2=Шкаф,1\r\n"));
  writeBytes(autoRun / "1.krm", cp("[MODELS]\r\nCOUNT=3\r\n1=Стол,1\r\n2=Комод,2\r\n3=Шкаф,2\r\n"));
  writeBytes(autoRun / "bad.krm", cp("[MODELS]\r\nCOUNT=1\r\n1=Шкаф,много\r\n"));
  Messages messages;
  AutoRunRecord record;
  record.base = &f.base;
  importAutoRun(f.rootText, f.settings, record.ui(f.host));

  EXPECT_EQ(record.maximum, 2);
  EXPECT_EQ(record.steps, (std::vector<std::string>{"Описания конструкторских моделей:|Импортируется файл: a.dkm|1",
                                                    "Описания конструкторских моделей:|Импортируется файл: b.dkm|2",
                                                    "Описания моделей мебели||0", "Описания моделей мебели||2"}));
  EXPECT_TRUE(record.ended);
  // b.dkm came in and is gone; a.dkm and bad.krm are kept aside, each
  // named in a message.
  ASSERT_EQ(f.host.shown.size(), 1u);
  EXPECT_EQ(f.host.shown[0]->caption(), QString::fromUtf8("База деталей: b.krb"));
  EXPECT_EQ(filesIn(autoRun / "failed"), (std::vector<std::string>{"a.dkm", "bad.krm"}));
  ASSERT_EQ(messages.texts.size(), 2);
  EXPECT_TRUE(messages.texts[0].contains("a.dkm")) << messages.texts[0].toStdString();
  EXPECT_TRUE(messages.texts[0].contains("failed")) << messages.texts[0].toStdString();
  EXPECT_TRUE(messages.texts[1].contains("bad.krm")) << messages.texts[1].toStdString();
  // The lists came in file order; the missing names are asked about once
  // each, and the list written holds every entry.
  EXPECT_EQ(f.base.rowModel(f.rowOf("Шкаф")).count, 3);
  EXPECT_EQ(record.selectedShown, 1);
  ASSERT_EQ(record.asked.size(), 1u);
  EXPECT_EQ(record.asked[0], (QStringList{"Стол", "Комод"}));
  EXPECT_EQ(filesIn(autoRun), std::vector<std::string>{"tmp0.krm"});
  EXPECT_EQ(readModelList(readBytes(autoRun / "tmp0.krm"), "tmp0.krm"),
            (std::vector<ModelListEntry>{{"Стол", 1}, {"Комод", 2}, {"Стол", 3}}));
}

TEST(AutoRunFolder, ModelListsWaitWhenTheModelsBaseCannotBeOpened) {
  ModelsFixture f;
  const fs::path autoRun = f.root / "AutoRun";
  fs::create_directories(autoRun / "failed");
  writeBytes(autoRun / "order.krm", cp("[MODELS]\r\nCOUNT=1\r\n1=Стол,1\r\n"));
  writeBytes(autoRun / "failed" / "x.dkm", "earlier");
  writeBytes(autoRun / "x.dkm", cp("[1]\r\nW=99999999999\r\n"));
  Messages messages;
  AutoRunRecord record;  // no models base
  record.createList = false;
  importAutoRun(f.rootText, f.settings, record.ui(f.host));
  EXPECT_EQ(filesIn(autoRun), std::vector<std::string>{"order.krm"});
  // A file moved aside before keeps its place; the new one takes a free name.
  EXPECT_EQ(filesIn(autoRun / "failed"), (std::vector<std::string>{"x.dkm", "x_1.dkm"}));
  EXPECT_EQ(readBytes(autoRun / "failed" / "x.dkm"), "earlier");
  EXPECT_TRUE(record.asked.empty());
}

// ---- The old catalogue ----

namespace {

const char* const kCatalogue =
    "[Sections]\r\nK=Кухни\r\nS=Шкафы\r\n"
    "[K]\r\nm1=Кухня \"Ольга\"\r\nm2=Кухня 'Вера'\r\nm3=Угол\r\n"
    "[K_]\r\nm1=cat1\r\nm3=cat3\r\nm2=cat2\r\n"
    "[S]\r\na=Шкаф 1\r\nb=Шкаф 2\r\nc=Шкаф 3\r\n"
    "[S_]\r\na=sh1\r\nb=sh2\r\n";

}  // namespace

TEST(OldCatalogue, SectionsAndModelsBecomeImportStoragesAndStreams) {
  ModelsFixture f;
  f.file.addSection("Старый раздел");
  writeBytes(f.root / "Catalog.ini", cp(kCatalogue));
  Messages messages;
  bool closed = false;
  std::vector<bool> waits;
  CatalogImportUi ui;
  ui.closeModelsWindow = [&] { closed = true; };
  ui.waiting = [&](bool shown) { waits.push_back(shown); };
  ASSERT_TRUE(importOldCatalogue(f.paths, ui)) << messages.texts.join('|').toStdString();
  EXPECT_TRUE(closed);
  EXPECT_EQ(waits, (std::vector<bool>{true, false}));
  ASSERT_EQ(messages.texts.size(), 2);
  EXPECT_EQ(messages.texts[0], QString::fromUtf8("Импортировать данные базы моделей?"));

  const ModelSectionList sections = f.file.load();
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0].name, "Кухни");
  EXPECT_EQ(sections[0].storageName, "imModelSection1");
  EXPECT_EQ(sections[1].name, "Шкафы");
  EXPECT_EQ(sections[1].storageName, "imModelSection2");
  const std::vector<ModelInfo> kitchens{{"Кухня \"Ольга\"", 0, "cat1", 0, "imModel1"},
                                        {"Кухня 'Вера'", 0, "cat2", 0, "imModel2"},
                                        {"Угол", 0, "cat3", 0, "imModel3"}};
  EXPECT_EQ(sections[0].models, kitchens);
  const std::vector<ModelInfo> wardrobes{
      {"Шкаф 1", 0, "sh1", 0, "imModel1"}, {"Шкаф 2", 0, "sh2", 0, "imModel2"}, {"Шкаф 3", 0, "", 0, "imModel3"}};
  EXPECT_EQ(sections[1].models, wardrobes);
  EXPECT_FALSE(fs::exists(f.root / "Temp" / "Models.dat"));
}

TEST(OldCatalogue, NoAnswerOrNoCatalogueChangesNothing) {
  ModelsFixture f;
  f.file.addSection("Старый раздел");
  const std::string before = readBytes(f.root.modelsFile());
  Messages messages;
  messages.answers = {MsgResult::Yes, MsgResult::No};
  EXPECT_FALSE(importOldCatalogue(f.paths, {}));
  EXPECT_EQ(messages.texts.size(), 2);
  // Without Catalog.ini the base is not emptied.
  EXPECT_FALSE(importOldCatalogue(f.paths, {}));
  EXPECT_TRUE(messages.texts.last().startsWith(QString::fromUtf8("Ошибка импорта базы моделей.")))
      << messages.texts.last().toStdString();
  EXPECT_TRUE(messages.texts.last().contains("Catalog.ini")) << messages.texts.last().toStdString();
  EXPECT_EQ(readBytes(f.root.modelsFile()), before);
  EXPECT_FALSE(fs::exists(f.root / "Temp" / "Models.dat"));
}

TEST(OldCatalogue, FailureBringsThePreviousModelsFileBack) {
  ModelsFixture f;
  f.file.addSection("Старый раздел");
  writeBytes(f.root / "Catalog.ini", cp(kCatalogue));
  fs::remove(f.root / "Pattern" / "Models.dat");  // the template is gone
  const std::string before = readBytes(f.root.modelsFile());
  Messages messages;
  EXPECT_FALSE(importOldCatalogue(f.paths, {}));
  EXPECT_TRUE(messages.texts.last().startsWith(QString::fromUtf8("Ошибка импорта базы моделей.")))
      << messages.texts.last().toStdString();
  EXPECT_EQ(readBytes(f.root.modelsFile()), before);
  EXPECT_FALSE(fs::exists(f.root / "Temp" / "Models.dat"));
}

TEST(OldCatalogue, SafetyCopyIsKeptWhenTheModelsFileCannotBeRestored) {
  ModelsFixture f;
  // A models file larger than the empty template.
  for (int i = 0; i < 12; ++i) {
    const ModelSection s = f.file.addSection("Раздел " + std::to_string(i));
    for (int k = 0; k < 6; ++k)
      f.file.addModel(s.storageName, ModelInfo{"Модель " + std::to_string(k), 0, "mdl", 0, ""});
  }
  writeBytes(f.root / "Catalog.ini", cp(kCatalogue));
  const std::string before = readBytes(f.root.modelsFile());
  const auto templateSize = fs::file_size(f.root / "Pattern" / "Models.dat");
  ASSERT_GT(before.size(), templateSize + 512);
  Messages messages;
  // After the safety copy the disk takes the template and no more: the
  // catalogue cannot be written, nor the old file put back.
  std::unique_ptr<kroyna::testing::FailingWrites> full;
  CatalogImportUi ui;
  ui.afterSafetyCopy = [&] { full = std::make_unique<kroyna::testing::FailingWrites>(templateSize); };
  EXPECT_FALSE(importOldCatalogue(f.paths, ui));
  full.reset();
  const fs::path safety = f.root / "Temp" / "Models.dat";
  ASSERT_TRUE(fs::exists(safety));
  EXPECT_EQ(readBytes(safety), before);
  const QString text = messages.texts.last();
  EXPECT_TRUE(text.startsWith(QString::fromUtf8("Ошибка импорта базы моделей."))) << text.toStdString();
  EXPECT_TRUE(text.contains(QDir::toNativeSeparators(q(safety)))) << text.toStdString();
}
