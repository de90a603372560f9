// The models base window's state and commands, driven without widgets:
// building a parts database from selected models, sections and their names,
// selection counts, models' properties, opening, deleting and exporting
// models, adding a model from a parts window, and printing the selection.
#include "models/ModelsBase.h"

#include "models/ModelsTestSupport.h"
#include "platform/compound/CompoundFile.h"
#include "platform/report/PreparedReport.h"
#include "support/FailingWrites.h"

#include <QFileInfo>

using namespace kroyna::models;
using namespace kroyna::models::testing;
using kroyna::common::MsgResult;
using kroyna::parts::PartRow;

namespace {

std::vector<PartRow> rowsOf(const kroyna::parts::PartsDocument& doc) { return doc.allRows(); }

}  // namespace

// ---- "&Создать" ----

TEST(ModelsBuild, SharedPartsAreSummedAndTheModelsListed) {
  ModelsFixture f;
  const ModelSection kitchens = f.file.addSection("Кухни");
  const ModelSection tables = f.file.addSection("Столы");
  f.addModel(kitchens.storageName, "A", "mdl0", {part("X", 700, 400, 2), part("Y", 500, 300, 1)});
  f.addModel(tables.storageName, "B", "mdl1", {part("X", 700, 400, 1)});
  f.addModel(tables.storageName, "Не выбрана", "mdl2", {part("Z", 100, 100, 9)});
  ASSERT_TRUE(f.base.open());
  f.base.setCount(f.rowOf("A"), 3);
  f.base.setCount(f.rowOf("B"), 2);
  Messages messages;
  f.base.buildPartsBase();
  EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();
  ASSERT_EQ(f.host.shown.size(), 1u);
  const auto& doc = *f.host.shown[0];
  EXPECT_EQ(rowsOf(doc), (std::vector<PartRow>{part("X", 700, 400, 8), part("Y", 500, 300, 3)}));
  EXPECT_EQ(doc.models(), (std::vector<kroyna::parts::ModelEntry>{{"A", "3"}, {"B", "2"}}));
  EXPECT_TRUE(doc.isUntitled());
  EXPECT_TRUE(doc.isModified());
  EXPECT_FALSE(QFileInfo::exists(f.rootText + "/Temp/OpenElem.dbf"));

  // Nothing selected: an empty untitled base.
  f.base.clearAll();
  f.base.buildPartsBase();
  ASSERT_EQ(f.host.shown.size(), 2u);
  EXPECT_TRUE(f.host.shown[1]->allRows().empty());
  EXPECT_TRUE(f.host.shown[1]->models().empty());
}

TEST(ModelsBuild, AModelWhoseTableIsGoneIsLeftOut) {
  ModelsFixture f;
  const ModelSection s = f.file.addSection("Кухни");
  f.addModel(s.storageName, "Есть", "mdl0", {part("X", 700, 400, 2)});
  f.addModel(s.storageName, "Пропала", "mdl1", {part("Y", 500, 300, 1)});
  std::filesystem::remove(f.root / "Catalog" / "mdl1.dbf");
  ASSERT_TRUE(f.base.open());
  f.base.setCount(f.rowOf("Есть"), 1);
  f.base.setCount(f.rowOf("Пропала"), 4);
  Messages messages;
  f.base.buildPartsBase();
  EXPECT_TRUE(messages.texts.isEmpty());
  ASSERT_EQ(f.host.shown.size(), 1u);
  EXPECT_EQ(rowsOf(*f.host.shown[0]), (std::vector<PartRow>{part("X", 700, 400, 2)}));
  EXPECT_EQ(f.host.shown[0]->models(), (std::vector<kroyna::parts::ModelEntry>{{"Есть", "1"}}));
}

TEST(ModelsBuild, FailedGroupingStillGivesEveryPart) {
  ModelsFixture f;
  const ModelSection s = f.file.addSection("Кухни");
  // Each quantity fits a parts database, their sum does not.
  f.addModel(s.storageName, "A", "mdl0", {part("Полка", 500, 300, 600000000)});
  f.addModel(s.storageName, "B", "mdl1", {part("Полка", 500, 300, 600000000)});
  ASSERT_TRUE(f.base.open());
  f.base.setCount(f.rowOf("A"), 1);
  f.base.setCount(f.rowOf("B"), 1);
  Messages messages;
  f.base.buildPartsBase();
  EXPECT_EQ(messages.texts, QStringList{"Внутренняя ошибка при подсчёте одинаковых деталей!"});
  ASSERT_EQ(f.host.shown.size(), 1u);
  EXPECT_EQ(rowsOf(*f.host.shown[0]),
            (std::vector<PartRow>{part("Полка", 500, 300, 600000000), part("Полка", 500, 300, 600000000)}));
  EXPECT_EQ(f.host.shown[0]->models().size(), 2u);
}

TEST(ModelsBuild, FailuresCloseTheNewWindowWithTheirMessage) {
  ModelsFixture f;
  const ModelSection s = f.file.addSection("Кухни");
  f.addModel(s.storageName, "A", "mdl0", {part("Полка", 500, 300, 2)});
  ASSERT_TRUE(f.base.open());
  f.base.setCount(f.rowOf("A"), 2000000000);  // 4e9 parts cannot be held
  {
    Messages messages;
    f.base.buildPartsBase();
    EXPECT_EQ(messages.texts, QStringList{"Ошибка создания базы деталей."});
    EXPECT_TRUE(f.host.shown.empty());
    EXPECT_EQ(f.host.discarded, 1);
  }
  f.base.setCount(f.rowOf("A"), 1);
  std::filesystem::remove(f.root / "Pattern" / "Group.dbf");
  {
    Messages messages;
    f.base.buildPartsBase();
    EXPECT_EQ(messages.texts, QStringList{"Ошибка копирования файла шаблона базы деталей."});
    EXPECT_TRUE(f.host.shown.empty());
  }
  // A damaged model table.
  std::filesystem::copy_file(kShippedPattern / "Group.dbf", f.root / "Pattern" / "Group.dbf");
  writeBytes(f.root / "Catalog" / "mdl0.dbf", "damaged");
  {
    Messages messages;
    f.base.buildPartsBase();
    EXPECT_EQ(messages.texts, QStringList{"Ошибка создания базы деталей."});
    EXPECT_TRUE(f.host.shown.empty());
  }
}

// ---- Sections ----

TEST(ModelsSections, BarOrderAndNameChecks) {
  ModelsFixture f;
  const ModelSection b = f.file.addSection("Б");
  f.file.addSection("В");
  f.file.addSection("А");
  f.addModel(b.storageName, "Стол", "mdl0", {});
  ASSERT_TRUE(f.base.open());
  EXPECT_EQ(f.base.entryNames(), (QStringList{"<Все модели>", "<Выбранные модели>", "А", "Б", "В"}));

  // Renaming Б to Я: the bar is sorted again and Я shows the former Б.
  f.show("Б");
  QStringList asked;
  f.base.ui().askSectionName = [&](const QString& initial) -> std::optional<QString> {
    asked << initial;
    return QString("Я");
  };
  f.base.renameSection();
  EXPECT_EQ(asked, QStringList{"Б"});
  EXPECT_EQ(f.base.entryNames(), (QStringList{"<Все модели>", "<Выбранные модели>", "А", "В", "Я"}));
  EXPECT_EQ(f.base.currentEntry(), 4);
  ASSERT_EQ(f.base.rowCount(), 1);
  EXPECT_EQ(f.base.rowModel(0).name, "Стол");
  EXPECT_EQ(f.file.load()[0].name, "Я");

  // Taken names, the pseudo-sections included, are refused ignoring case
  // and asked again with the text typed; "&Отмена" ends.
  std::deque<QString> answers{"<все модели>", "а", "  ", "Новый"};
  asked.clear();
  f.base.ui().askSectionName = [&](const QString& initial) -> std::optional<QString> {
    asked << initial;
    if (answers.empty()) return std::nullopt;
    QString next = answers.front();
    answers.pop_front();
    return next.trimmed().isEmpty() ? std::nullopt : std::optional<QString>(next);
  };
  Messages messages;
  f.base.addSection();
  const QString taken = "Раздел базы моделей с указанным названием уже существует.\r\rПовторите ввод еще раз.";
  EXPECT_EQ(messages.texts, (QStringList{taken, taken}));
  EXPECT_EQ(asked, (QStringList{"", "<все модели>", "а"}));
  EXPECT_EQ(f.file.load().size(), 3u);  // cancelled: nothing added

  answers = {"<Выбранные модели>", "Новый"};
  messages.texts.clear();
  f.base.addSection();
  EXPECT_EQ(messages.texts, QStringList{taken});
  EXPECT_EQ(f.base.entryNames().last(), "Я");
  EXPECT_EQ(f.base.entryNames()[f.base.currentEntry()], "Новый");
  EXPECT_EQ(f.file.load().size(), 4u);

  // A section keeps its own name in another case.
  f.show("Я");
  answers = {"я"};
  messages.texts.clear();
  f.base.renameSection();
  EXPECT_TRUE(messages.texts.isEmpty());
  EXPECT_EQ(f.base.entryNames()[f.base.currentEntry()], "я");
}

TEST(ModelsSections, DeletingAskTwiceAndNumberingStartsAgain) {
  ModelsFixture f;
  const ModelSection first = f.file.addSection("Кухни");
  f.file.addSection("Шкафы");
  f.addModel(first.storageName, "Стол", "mdl0", {part("X", 1, 1, 1)});
  f.addModel(first.storageName, "Тумба", "mdl1", {part("Y", 1, 1, 1)});
  ASSERT_TRUE(f.base.open());
  f.show("Кухни");

  Messages messages;
  messages.answers = {MsgResult::Yes, MsgResult::No};
  f.base.deleteSection();
  EXPECT_EQ(messages.texts,
            (QStringList{"Удалить раздел базы моделей?",
                         "ВНИМАНИЕ!\r\rВсе данные в текущем разделе базы моделей будут уничтожены!\r\rПродолжить?"}));
  EXPECT_EQ(f.file.load().size(), 2u);

  messages.texts.clear();
  f.base.deleteSection();
  EXPECT_EQ(messages.texts.size(), 2);
  EXPECT_EQ(f.file.load().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(f.root / "Catalog" / "mdl0.dbf"));
  EXPECT_FALSE(std::filesystem::exists(f.root / "Catalog" / "mdl1.dbf"));
  EXPECT_EQ(f.base.currentEntry(), 0);
  EXPECT_EQ(f.base.entryNames(), (QStringList{"<Все модели>", "<Выбранные модели>", "Шкафы"}));

  f.base.ui().askSectionName = [](const QString&) { return std::optional<QString>("Прихожие"); };
  f.base.addSection();
  const ModelSectionList now = f.file.load();
  EXPECT_EQ(now[findSection(now, "Прихожие")].storageName, "ModelSection1");
  EXPECT_EQ(f.base.sections()[0].storageName, "ModelSection1");
}

// ---- Counts ----

TEST(ModelsCounts, CheckBoxesPopupAndSelectedModels) {
  ModelsFixture f;
  const ModelSection a = f.file.addSection("А");
  const ModelSection b = f.file.addSection("Б");
  f.addModel(a.storageName, "Шкаф", "mdl0", {});
  f.addModel(a.storageName, "Стол", "mdl1", {});
  f.addModel(b.storageName, "Тумба", "mdl2", {});
  ASSERT_TRUE(f.base.open());
  // Every model, sorted by name; the first row current.
  ASSERT_EQ(f.base.rowCount(), 3);
  EXPECT_EQ(f.base.rowModel(0).name, "Стол");
  EXPECT_EQ(f.base.rowModel(2).name, "Шкаф");
  EXPECT_EQ(f.base.currentRow(), 0);

  f.base.setChecked(f.rowOf("Шкаф"), true);
  EXPECT_EQ(f.base.rowModel(f.rowOf("Шкаф")).count, 1);
  f.base.setCount(f.rowOf("Шкаф"), 5);
  f.base.setChecked(f.rowOf("Шкаф"), true);  // already checked: stays 5
  EXPECT_EQ(f.base.rowModel(f.rowOf("Шкаф")).count, 5);
  f.base.setCount(f.rowOf("Тумба"), 2);
  f.show("<Выбранные модели>");
  EXPECT_EQ(f.base.rowCount(), 2);
  f.base.setCount(f.rowOf("Шкаф"), 0);
  f.show("<Выбранные модели>");
  ASSERT_EQ(f.base.rowCount(), 1);
  EXPECT_EQ(f.base.rowModel(0).name, "Тумба");

  // "Разотметить" on a section clears that section only.
  f.show("А");
  f.base.setCount(f.rowOf("Стол"), 7);
  f.base.clearEntry();
  f.show("<Все модели>");
  EXPECT_EQ(f.base.rowModel(f.rowOf("Стол")).count, 0);
  EXPECT_EQ(f.base.rowModel(f.rowOf("Тумба")).count, 2);
  f.base.clearAll();
  EXPECT_EQ(f.base.rowModel(f.rowOf("Тумба")).count, 0);

  // Counts survive a reload, also when another program added a section.
  f.base.setCount(f.rowOf("Тумба"), 3);
  ModelsFile(f.root.modelsFile()).addSection("Чужой");
  f.base.reload();
  EXPECT_EQ(f.base.entryNames().size(), 5);
  EXPECT_EQ(f.base.rowModel(f.rowOf("Тумба")).count, 3);
}

TEST(ModelsCounts, PopupTextLimits) {
  EXPECT_EQ(countFromText(""), 0);
  EXPECT_EQ(countFromText("  "), 0);
  EXPECT_EQ(countFromText("7"), 7);
  EXPECT_EQ(countFromText("2,5"), 3);
  EXPECT_EQ(countFromText("2.4"), 2);
  EXPECT_EQ(countFromText("7."), 7);
  EXPECT_EQ(countFromText("0.4"), 0);
  EXPECT_EQ(countFromText("2147483647"), 2147483647);
  EXPECT_EQ(countFromText("2147483647.9"), 2147483647);
  EXPECT_EQ(countFromText("9999999999"), 2147483647);
  EXPECT_EQ(countFromText("-3"), 0);
  EXPECT_EQ(countFromText("три"), std::nullopt);
}

// ---- Models ----

TEST(ModelsModels, PropertiesRenameAndMove) {
  ModelsFixture f;
  const ModelSection a = f.file.addSection("А");
  const ModelSection b = f.file.addSection("Б");
  f.addModel(a.storageName, "Шкаф", "mdl0", {});
  f.addModel(b.storageName, "Тумба", "mdl1", {});
  ASSERT_TRUE(f.base.open());
  f.show("А");
  f.base.setCount(0, 4);

  QStringList offered;
  ModelProperties opened;
  std::optional<ModelProperties> answer = ModelProperties{"А", "Шкаф-купе"};
  f.base.ui().askModelProperties = [&](const QStringList& sections, const ModelProperties& initial) {
    offered = sections;
    opened = initial;
    return answer;
  };
  f.base.editModel();
  EXPECT_EQ(offered, (QStringList{"А", "Б"}));
  EXPECT_EQ(opened.section, "А");
  EXPECT_EQ(opened.name, "Шкаф");
  EXPECT_EQ(f.base.rowModel(0).name, "Шкаф-купе");
  EXPECT_EQ(f.base.rowModel(0).count, 4);
  EXPECT_EQ(f.file.load()[0].models[0].name, "Шкаф-купе");

  // Into another section: a free stream name there, the same table, the
  // count kept; the old section is shown.
  answer = ModelProperties{"Б", "Шкаф-купе"};
  f.base.editModel();
  EXPECT_EQ(f.base.entryNames()[f.base.currentEntry()], "А");
  EXPECT_EQ(f.base.rowCount(), 0);
  const ModelSectionList stored = f.file.load();
  ASSERT_EQ(stored[1].models.size(), 2u);
  EXPECT_EQ(stored[1].models[1].streamName, "Model2");
  EXPECT_EQ(stored[1].models[1].tableName, "mdl0");
  f.show("Б");
  EXPECT_EQ(f.base.rowModel(f.rowOf("Шкаф-купе")).count, 4);
}

TEST(ModelsModels, PropertiesDialogChecks) {
  EXPECT_EQ(checkModelProperties({"Кухни", "  "}), "Необходимо указать название модели");
  EXPECT_EQ(checkModelProperties({"", "Стол"}), "Необходимо указать название раздела базы моделей");
  EXPECT_EQ(checkModelProperties({"Кухни", " Стол "}), "");
  EXPECT_FALSE(checkModelProperties({"Кухни", "Стол 😀"}).isEmpty());
  const QStringList sections{"Kitchen", "Кухни"};
  EXPECT_EQ(preselectedSection(sections, "KITCHEN"), 0);
  EXPECT_EQ(preselectedSection(sections, "КУХНИ"), -1);  // only a-z are folded
  EXPECT_EQ(preselectedSection(sections, ""), -1);
}

TEST(ModelsModels, OpeningPartsAndTheAlreadyOpenMessage) {
  ModelsFixture f;
  const ModelSection s = f.file.addSection("Кухни");
  f.addModel(s.storageName, "Стол", "mdl0", {part("Столешница", 1200, 600, 1), part("Ножка", 700, 50, 4)});
  ASSERT_TRUE(f.base.open());
  Messages messages;
  f.base.openModelParts();
  ASSERT_EQ(f.host.shown.size(), 1u);
  const auto& doc = *f.host.shown[0];
  EXPECT_EQ(doc.caption(), "Стол");
  EXPECT_EQ(doc.allRows().size(), 2u);
  EXPECT_TRUE(kroyna::parts::PartsDocument::samePath(doc.dataPath(), f.rootText + "/Catalog/mdl0.dbf"));
  EXPECT_FALSE(QFileInfo::exists(f.rootText + "/Catalog/tmp.ini"));

  f.base.openModelParts();
  EXPECT_EQ(messages.texts, QStringList{"Модель \"Стол\" уже открыта."});
  EXPECT_EQ(f.host.shown.size(), 1u);
  // Nor can the model be deleted while its parts are open.
  messages.texts.clear();
  f.base.deleteModel();
  EXPECT_EQ(messages.texts.size(), 2);
  EXPECT_EQ(f.file.load()[0].models.size(), 1u);
}

TEST(ModelsModels, DeletingRemovesTheRecordBeforeTheTable) {
  ModelsFixture f;
  const ModelSection s = f.file.addSection("Кухни");
  f.addModel(s.storageName, "Стол", "mdl0", {part("X", 1, 1, 1)});
  f.addModel(s.storageName, "Тумба", "mdl1", {part("Y", 1, 1, 1)});
  // An imported model sharing a table keeps it.
  f.file.addModel(s.storageName, ModelInfo{"Копия тумбы", 0, "mdl1", 0, ""});
  ASSERT_TRUE(f.base.open());
  f.show("<Все модели>");

  Messages messages;
  messages.answers = {MsgResult::No};
  f.base.setCurrentRow(f.rowOf("Стол"));
  f.base.deleteModel();
  EXPECT_EQ(messages.texts, QStringList{"Действительно удалить модель <Стол>?"});
  EXPECT_EQ(f.file.load()[0].models.size(), 3u);

  messages.texts.clear();
  f.base.deleteModel();
  EXPECT_EQ(messages.texts.size(), 1);
  EXPECT_EQ(f.file.load()[0].models.size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(f.root / "Catalog" / "mdl0.dbf"));
  EXPECT_EQ(f.base.entryNames()[f.base.currentEntry()], "Кухни");  // the model's section is shown

  f.base.setCurrentRow(f.rowOf("Тумба"));
  f.base.deleteModel();
  EXPECT_TRUE(std::filesystem::exists(f.root / "Catalog" / "mdl1.dbf"));

  // A table that cannot be deleted is reported; the record is gone anyway.
  std::filesystem::remove(f.root / "Catalog" / "mdl1.dbf");
  std::filesystem::create_directories(f.root / "Catalog" / "mdl1.dbf" / "inside");
  messages.texts.clear();
  f.base.setCurrentRow(f.rowOf("Копия тумбы"));
  f.base.deleteModel();
  ASSERT_EQ(messages.texts.size(), 2);
  EXPECT_TRUE(messages.texts[1].startsWith("Ошибка удаления модели <Копия тумбы>.")) << messages.texts[1].toStdString();
  EXPECT_TRUE(f.file.load()[0].models.empty());
}

TEST(ModelsModels, ExportWritesTheIniFileOrKeepsTheOldOne) {
  ModelsFixture f;
  const ModelSection s = f.file.addSection("Кухни");
  f.addModel(s.storageName, "Стол", "mdl0", {part("Столешница", 1200, 600, 1, 1), part("Ножка \"Н\"", 700, 50, 4, 2)});
  f.addModel(s.storageName, "Пустая", "mdl1", {});
  f.addModel(s.storageName, "Пропала", "mdl2", {});
  std::filesystem::remove(f.root / "Catalog" / "mdl2.dbf");
  ASSERT_TRUE(f.base.open());
  const std::string target = (f.root / "Export" / "Стол.ini").string();
  f.base.ui().chooseExportFile = [&](const QString&) { return QString::fromStdString(target); };
  f.base.ui().materialName = [](int code) { return code == 1 ? QString("ДСП белый") : QString("МДФ"); };
  int waits = 0;
  f.base.ui().waiting = [&](bool shown) { waits += shown ? 1 : 0; };

  Messages messages;
  f.base.setCurrentRow(f.rowOf("Стол"));
  f.base.exportModel();
  EXPECT_TRUE(messages.texts.isEmpty());
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(readBytes(target), kroyna::text::utf8ToCp1251("[DETALS]\r\n"
                                                          "1=\"Столешница\",1200,600,1,\"ДСП белый\"\r\n"
                                                          "2=\"Ножка \"Н\"\",700,50,4,\"МДФ\"\r\n"
                                                          "DCOUNT=2\r\n"));

  f.base.setCurrentRow(f.rowOf("Пустая"));
  f.base.exportModel();
  EXPECT_EQ(readBytes(target), "[DETALS]\r\nDCOUNT=0\r\n");

  f.base.setCurrentRow(f.rowOf("Пропала"));
  f.base.exportModel();
  EXPECT_EQ(messages.texts, QStringList{"Ошибка чтения файла модели!\r\rОшибка экспорта данных!"});
  EXPECT_EQ(readBytes(target), "[DETALS]\r\nDCOUNT=0\r\n");

  // A full disk keeps the file as it was.
  messages.texts.clear();
  f.base.setCurrentRow(f.rowOf("Стол"));
  {
    kroyna::testing::FailingWrites full(8);
    f.base.exportModel();
  }
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_TRUE(messages.texts[0].startsWith("Ошибка экспорта данных!"));
  EXPECT_EQ(readBytes(target), "[DETALS]\r\nDCOUNT=0\r\n");
}

TEST(ModelsModels, AddingAModelFromAPartsWindow) {
  ModelsFixture f;
  const ModelSection s = f.file.addSection("Кухни");
  f.file.addSection("Kitchen");
  // A record that names mdl0 whose table was lost: the new table does not
  // take its name.
  f.file.addModel(s.storageName, ModelInfo{"Потерянная", 0, "mdl0", 0, ""});
  kroyna::parts::PartsDocument doc(f.rootText, f.settings);
  ASSERT_TRUE(doc.CreateGroup());
  doc.AppendDetal("Бок", 720, 560, 2, 0, 0, 0, 0, 0, 1);
  doc.AppendDetal("Фасад", 716, 396, 1, 1, 0, 0, 0, 0, 2);
  doc.SetMaterialFilter(1);  // the rows shown go in

  QStringList offered;
  QString preselected;
  ModelsUi ui;
  ui.askModelProperties = [&](const QStringList& sections, const ModelProperties& initial) {
    offered = sections;
    preselected = initial.section;
    return std::optional<ModelProperties>(ModelProperties{"Кухни", "Тумба "});
  };
  Messages messages;
  const auto added = addModelFromParts(f.paths, doc.shownRows(), ui, "kitchen");
  ASSERT_TRUE(added);
  EXPECT_TRUE(messages.texts.isEmpty());
  EXPECT_EQ(offered, (QStringList{"Kitchen", "Кухни"}));
  EXPECT_EQ(preselected, "kitchen");
  EXPECT_EQ(added->second.name, "Тумба ");  // as typed
  EXPECT_EQ(added->second.tableName, "mdl1");
  EXPECT_EQ(kroyna::parts::readPartRows(f.rootText + "/Catalog/mdl1.dbf"),
            (std::vector<PartRow>{part("Бок", 720, 560, 2, 1)}));
  EXPECT_EQ(f.file.load()[findSection(f.file.load(), "Кухни")].models.back().name, "Тумба ");

  // The table is written but the models file cannot take the record (a
  // disk that fills up in between): the new table goes again.
  const std::string before = readBytes(f.root.modelsFile());
  std::optional<std::pair<std::string, ModelInfo>> failed;
  {
    kroyna::testing::FailingWrites full(1200);
    failed = addModelFromParts(f.paths, doc.shownRows(), ui);
  }
  EXPECT_FALSE(failed);
  EXPECT_EQ(readBytes(f.root.modelsFile()), before);
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_TRUE(messages.texts[0].startsWith("Ошибка добавления в базу элементов!"));
  EXPECT_TRUE(messages.texts[0].contains("Models.dat")) << messages.texts[0].toStdString();
  EXPECT_FALSE(QFileInfo::exists(f.rootText + "/Catalog/mdl2.dbf"));
}

TEST(ModelsBase, DamagedOrMissingFileIsReportedAndKept) {
  ModelsFixture f;
  writeBytes(f.root.modelsFile(), "damaged");
  Messages messages;
  EXPECT_FALSE(f.base.open());
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_TRUE(messages.texts[0].contains(QString::fromStdString(f.root.modelsFile().string())));
  EXPECT_EQ(readBytes(f.root.modelsFile()), "damaged");

  // A missing file is made from the template.
  std::filesystem::remove(f.root.modelsFile());
  messages.texts.clear();
  EXPECT_TRUE(f.base.open());
  EXPECT_TRUE(messages.texts.isEmpty());
  EXPECT_EQ(readBytes(f.root.modelsFile()), readBytes(kShippedPattern / "Models.dat"));
}

TEST(ModelsBase, PrintedListHoldsTheSelectedModelsShown) {
  ModelsFixture f;
  const ModelSection s = f.file.addSection("Кухни");
  f.addModel(s.storageName, "Стол", "mdl0", {});
  f.addModel(s.storageName, "Тумба", "mdl1", {});
  f.addModel(s.storageName, "Шкаф", "mdl2", {});
  ASSERT_TRUE(f.base.open());
  f.base.setCount(f.rowOf("Стол"), 2);
  f.base.setCount(f.rowOf("Шкаф"), 11);
  const kroyna::report::PreparedReport r = f.base.prepareSelectedList(10, 10, 10, 10, false);
  EXPECT_FALSE(r.find("Стол").empty());
  EXPECT_FALSE(r.find("Шкаф").empty());
  EXPECT_FALSE(r.find("11").empty());
  EXPECT_TRUE(r.find("Тумба").empty());
}
