#include "parts/PartsDocument.h"

#include "parts/PartsTestSupport.h"
#include "platform/dbase/DbfFile.h"
#include "platform/dbase/FileOps.h"
#include "platform/ini/IniFile.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kroyna;
using namespace kroyna::parts;
using namespace kroyna::parts::test;

namespace {

QByteArray fileBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

// Three rows of two materials with edges; the last has an edge code the
// catalogue does not know.
void addSampleRows(PartsDocument& doc) {
  ASSERT_TRUE(doc.AppendDetal(QStringLiteral("Боковина левая"), 720, 560, 2, 1, 10, 0, 11, 0, 1));
  ASSERT_TRUE(doc.AppendDetal(QStringLiteral("Полка, средняя"), 564, 540, 3, 0, 0, 0, 10, 10, 2));
  ASSERT_TRUE(doc.AppendDetal(QStringLiteral("Дно"), 800, 500, 1, 2, 77, 0, 0, 0, 1));
}

class PartsDocumentTest : public ::testing::Test {
 protected:
  PartsFolder folder;
  MessageLog log;
};

}  // namespace

TEST_F(PartsDocumentTest, NewBaseSavedAndReopenedKeepsEveryField) {
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  EXPECT_EQ(QFileInfo(doc->dataPath()).fileName(), "1$Gr.dbf");
  EXPECT_TRUE(doc->isUntitled());
  EXPECT_TRUE(doc->isModified());
  EXPECT_EQ(doc->caption(), "База деталей: <без названия>");
  addSampleRows(*doc);
  doc->setModels(
      {{QStringLiteral("Шкаф \"Купе\", 2 двери"), QStringLiteral("3")}, {QStringLiteral("Стол"), QStringLiteral("1")}});
  const QString temp = doc->dataPath();

  QString preset = QStringLiteral("unset");
  doc->setSuggestedName(QStringLiteral("Кухня"));
  doc->setNameChooser([&](const QString& p) {
    preset = p;
    return folder.path(QStringLiteral("Groups/Кухня"));
  });
  ASSERT_EQ(doc->SaveGroup(false), SaveResult::Saved) << log.texts.join("|").toStdString();
  EXPECT_EQ(preset, "Кухня");
  EXPECT_FALSE(QFileInfo::exists(temp));
  EXPECT_EQ(doc->headerPath(), folder.path(QStringLiteral("Groups/Кухня.krb")));
  EXPECT_EQ(doc->dataPath(), folder.path(QStringLiteral("Groups/Кухня.dbf")));
  EXPECT_FALSE(doc->isUntitled());
  EXPECT_FALSE(doc->isModified());
  EXPECT_EQ(doc->caption(), "База деталей: Кухня.krb");
  const GroupHeader header = readGroupHeader(doc->headerPath());
  EXPECT_EQ(header.dataFileName, "Кухня.dbf");
  const std::vector<PartRow> saved = doc->allRows();
  const std::vector<ModelEntry> models = doc->models();
  doc->closeDocument();
  EXPECT_TRUE(QFileInfo::exists(folder.path(QStringLiteral("Groups/Кухня.dbf"))));

  auto again = folder.document();
  ASSERT_TRUE(again->LoadGroup(folder.path(QStringLiteral("Groups/Кухня.krb"))));
  EXPECT_EQ(again->allRows(), saved);
  EXPECT_EQ(again->models(), models);
  EXPECT_FALSE(again->isModified());
  EXPECT_EQ(again->allRows()[0].name, "Боковина левая");
  EXPECT_EQ(again->allRows()[2].left, 77);
  EXPECT_TRUE(log.texts.isEmpty()) << log.texts.join("|").toStdString();
}

TEST_F(PartsDocumentTest, UntitledBasesAreNumberedAndTheirTablesGoWhenClosed) {
  auto first = folder.document();
  auto second = folder.document();
  ASSERT_TRUE(first->CreateGroup());
  ASSERT_TRUE(second->CreateGroup());
  EXPECT_EQ(first->dataPath(), folder.path(QStringLiteral("Temp/1$Gr.dbf")));
  EXPECT_EQ(second->dataPath(), folder.path(QStringLiteral("Temp/2$Gr.dbf")));
  EXPECT_TRUE(QFileInfo::exists(first->dataPath()));
  // The table is held: nothing else may delete it while the base is open.
  EXPECT_THROW(dbase::removeFile(first->dataPath().toStdString()), dbase::TableError);
  const QString path = first->dataPath();
  first->closeDocument();
  EXPECT_FALSE(QFileInfo::exists(path));
  // An untitled base never matches a header file.
  EXPECT_EQ(PartsDocument::findOpen(second->dataPath()), nullptr);
}

TEST_F(PartsDocumentTest, SaveAsWritesEditsToTheNewFilesOnly) {
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  addSampleRows(*doc);
  doc->setNameChooser([&](const QString&) { return folder.path(QStringLiteral("Groups/Старая.krb")); });
  ASSERT_EQ(doc->SaveGroup(true), SaveResult::Saved);
  const QByteArray oldTable = fileBytes(doc->dataPath());

  // Unsaved edits, a material filter, then save under a new name.
  doc->SetMaterialFilter(2);
  ASSERT_EQ(doc->rowCount(), 1);
  EXPECT_EQ(doc->setCell(0, ColMany, QStringLiteral("9")), QString());
  EXPECT_TRUE(doc->isModified());
  QString preset;
  doc->setNameChooser([&](const QString& p) {
    preset = p;
    return folder.path(QStringLiteral("Groups/Новая.krb"));
  });
  ASSERT_EQ(doc->SaveGroup(true), SaveResult::Saved);
  EXPECT_EQ(preset, folder.path(QStringLiteral("Groups/Старая.krb")));
  EXPECT_EQ(fileBytes(folder.path(QStringLiteral("Groups/Старая.dbf"))), oldTable);
  const std::vector<PartRow> rows = readPartRows(folder.path(QStringLiteral("Groups/Новая.dbf")));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].quantity, 9);
  EXPECT_EQ(readPartRows(folder.path(QStringLiteral("Groups/Старая.dbf")))[1].quantity, 3);
  EXPECT_EQ(doc->caption(), "База деталей: Новая.krb");

  // Saving under its own name again keeps the rows once.
  doc->setNameChooser([&](const QString& p) { return p; });
  ASSERT_EQ(doc->SaveGroup(true), SaveResult::Saved);
  EXPECT_EQ(readPartRows(doc->dataPath()).size(), 3u);
}

TEST_F(PartsDocumentTest, OpeningCompactsDeletedRowsAndKeepsTheOrder) {
  dbase::DbfTable table = dbase::readDbfFile(folder.path(QStringLiteral("Pattern/Group.dbf")).toStdString());
  const char* names[] = {"Первая", "Удалённая", "Вторая", "Тоже удалённая", "Третья"};
  for (int i = 0; i < 5; ++i) {
    dbase::DbfRecord rec;
    rec.deleted = i == 1 || i == 3;
    rec.values = {dbase::Value(names[i]), dbase::Value(100 + i), dbase::Value(50), dbase::Value(1), dbase::Value(0),
                  dbase::Value(0),        dbase::Value(0),       dbase::Value(0),  dbase::Value(0), dbase::Value(1)};
    table.records.push_back(rec);
  }
  const QString data = folder.path(QStringLiteral("Groups/Старьё.dbf"));
  dbase::writeDbfFile(data.toStdString(), table);
  // Written on Windows, where the letter case of names does not count.
  writeGroupHeader(folder.path(QStringLiteral("Groups/Старьё.krb")), GroupHeader{QStringLiteral("СТАРЬЁ.DBF"), {}});
  // A backup left by an interrupted earlier open is not touched.
  QFile::copy(data, folder.path(QStringLiteral("Temp/~Старьё.dbf")));

  auto doc = folder.document();
  ASSERT_TRUE(doc->LoadGroup(folder.path(QStringLiteral("Groups/Старьё.krb"))));
  ASSERT_EQ(doc->rowCount(), 3);
  EXPECT_EQ(doc->cellText(0, ColName), "Первая");
  EXPECT_EQ(doc->cellText(1, ColName), "Вторая");
  EXPECT_EQ(doc->cellText(2, ColName), "Третья");
  EXPECT_EQ(doc->cellText(2, ColLength), "104");
  const dbase::DbfTable onDisk = dbase::readDbfFile(data.toStdString());
  EXPECT_EQ(onDisk.records.size(), 3u);
  EXPECT_TRUE(QFileInfo::exists(folder.path(QStringLiteral("Temp/~Старьё.dbf"))));
  EXPECT_EQ(doc->caption(), "База деталей: Старьё.krb");
}

TEST_F(PartsDocumentTest, AMissingOrDamagedTableOpensNothingAndIsLeftAsItWas) {
  writeGroupHeader(folder.path(QStringLiteral("Groups/Пустая.krb")), GroupHeader{QStringLiteral("Нет.dbf"), {}});
  auto doc = folder.document();
  EXPECT_FALSE(doc->LoadGroup(folder.path(QStringLiteral("Groups/Пустая.krb"))));
  ASSERT_EQ(log.texts.size(), 1);
  EXPECT_EQ(log.texts[0], "Ошибка чтения группы деталей!\rНе найден файл данных.");
  EXPECT_FALSE(doc->isOpen());

  log.texts.clear();
  const QString data = folder.path(QStringLiteral("Groups/Битая.dbf"));
  QByteArray garbage = fileBytes(folder.path(QStringLiteral("Pattern/Group.dbf")));
  garbage[4] = '\x7f';  // a record count the file cannot hold
  {
    QFile f(data);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(garbage);
  }
  writeGroupHeader(folder.path(QStringLiteral("Groups/Битая.krb")), GroupHeader{QStringLiteral("Битая.dbf"), {}});
  EXPECT_FALSE(doc->LoadGroup(folder.path(QStringLiteral("Groups/Битая.krb"))));
  ASSERT_EQ(log.texts.size(), 1);
  EXPECT_TRUE(log.texts[0].startsWith("Ошибка чтения группы деталей!\rФайл данных повреждён"));
  EXPECT_EQ(fileBytes(data), garbage);
  EXPECT_FALSE(doc->isOpen());
  EXPECT_FALSE(dbase::isTableOpen(data.toStdString()));
}

TEST_F(PartsDocumentTest, AMissingTemplateStopsTheOpenWithTheTableUntouched) {
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  addSampleRows(*doc);
  doc->setNameChooser([&](const QString&) { return folder.path(QStringLiteral("Groups/База.krb")); });
  ASSERT_EQ(doc->SaveGroup(false), SaveResult::Saved);
  doc->closeDocument();
  const QByteArray before = fileBytes(folder.path(QStringLiteral("Groups/База.dbf")));
  QFile::remove(folder.path(QStringLiteral("Pattern/Group.dbf")));
  EXPECT_FALSE(doc->LoadGroup(folder.path(QStringLiteral("Groups/База.krb"))));
  EXPECT_EQ(log.texts, (QStringList{"Ошибка получения шаблона базы деталей", "Ошибка чтения группы деталей!"}));
  EXPECT_EQ(fileBytes(folder.path(QStringLiteral("Groups/База.dbf"))), before);

  log.texts.clear();
  auto fresh = folder.document();
  EXPECT_FALSE(fresh->CreateGroup());
  EXPECT_EQ(log.texts, QStringList{"Ошибка открытия группы деталей!\rВозможно повреждён файл данных."});
}

TEST_F(PartsDocumentTest, AFailedOrCancelledSaveKeepsTheRowsAndTheTemporaryTable) {
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  addSampleRows(*doc);
  const QString temp = doc->dataPath();
  doc->setNameChooser([](const QString&) { return QString(); });
  EXPECT_EQ(doc->SaveGroup(false), SaveResult::Cancelled);
  doc->setNameChooser([&](const QString&) { return folder.path(QStringLiteral("Нет такой папки/База.krb")); });
  EXPECT_EQ(doc->SaveGroup(false), SaveResult::Failed);
  EXPECT_EQ(
      log.texts,
      QStringList{"Ошибка сохранения группы деталей!\r\rПопробуйте изменить название файла\rи сохранить ещё раз."});
  EXPECT_TRUE(doc->isUntitled());
  EXPECT_TRUE(doc->isModified());
  EXPECT_TRUE(QFileInfo::exists(temp));
  EXPECT_EQ(doc->rowCount(), 3);

  // A header named .dbf would overwrite its own table.
  log.texts.clear();
  doc->setNameChooser([&](const QString&) { return folder.path(QStringLiteral("Groups/База.dbf")); });
  EXPECT_EQ(doc->SaveGroup(false), SaveResult::Failed);
  EXPECT_FALSE(QFileInfo::exists(folder.path(QStringLiteral("Groups/База.dbf"))));
}

TEST_F(PartsDocumentTest, ATableOfAnotherBaseIsReplacedOnlyWhenTheUserAgrees) {
  const QString foreign = folder.path(QStringLiteral("Groups/Шкаф.dbf"));
  writePartTable(folder.path(QStringLiteral("Pattern/Group.dbf")), foreign,
                 {PartRow{"Чужая", 1, 1, 1, 0, 0, 0, 0, 0, 1}});
  writeGroupHeader(folder.path(QStringLiteral("Groups/Другая.krb")), GroupHeader{QStringLiteral("Шкаф.dbf"), {}});
  const QByteArray before = fileBytes(foreign);

  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  addSampleRows(*doc);
  doc->setNameChooser([&](const QString&) { return folder.path(QStringLiteral("Groups/Шкаф.krb")); });
  log.answer = common::MsgResult::No;
  EXPECT_EQ(doc->SaveGroup(false), SaveResult::Cancelled);
  ASSERT_EQ(log.texts.size(), 1);
  EXPECT_TRUE(log.texts[0].contains("уже существует"));
  EXPECT_EQ(fileBytes(foreign), before);
  EXPECT_TRUE(doc->isUntitled());

  log.answer = common::MsgResult::Yes;
  EXPECT_EQ(doc->SaveGroup(false), SaveResult::Saved);
  EXPECT_EQ(readPartRows(foreign).size(), 3u);

  // A table held by another open window is never replaced.
  auto other = folder.document();
  ASSERT_TRUE(other->LoadGroup(folder.path(QStringLiteral("Groups/Шкаф.krb"))) == false);  // already held by doc
  log.texts.clear();
  auto third = folder.document();
  ASSERT_TRUE(third->CreateGroup());
  third->setNameChooser([&](const QString&) { return folder.path(QStringLiteral("Groups/Шкаф.krb")); });
  EXPECT_EQ(third->SaveGroup(false), SaveResult::Failed);
  EXPECT_EQ(log.texts,
            QStringList{"База деталей \"" + folder.path(QStringLiteral("Groups/Шкаф.krb")) + "\" уже открыта!"});
}

TEST_F(PartsDocumentTest, AnOpenBaseIsFoundByItsHeaderPath) {
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  doc->setNameChooser([&](const QString&) { return folder.path(QStringLiteral("Groups/Открытая.krb")); });
  ASSERT_EQ(doc->SaveGroup(false), SaveResult::Saved);
  EXPECT_EQ(PartsDocument::findOpen(folder.path(QStringLiteral("Groups/../Groups/Открытая.krb"))), doc.get());
  EXPECT_EQ(PartsDocument::findOpen(folder.path(QStringLiteral("Groups/Другая.krb"))), nullptr);
  doc->closeDocument();
  EXPECT_EQ(PartsDocument::findOpen(folder.path(QStringLiteral("Groups/Открытая.krb"))), nullptr);
}

TEST_F(PartsDocumentTest, TotalsCoverTheRowsShownWithEdgeAllowances) {
  folder.settings().writeInt("Default", "LenDigits", 2);
  folder.settings().writeInt("Default", "SqrDigits", 3);
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  addSampleRows(*doc);
  // Row 1: 2 × (560+5) left, 2 × 720 top (Меламин, no allowance).
  // Row 2: 3 × 2 × (564+5) top and bottom. Row 3: code 77 is unknown.
  const Totals t = doc->totals();
  EXPECT_EQ(t.quantity, 6);
  EXPECT_DOUBLE_EQ(t.area, 720.0 * 560 * 2 + 564.0 * 540 * 3 + 800.0 * 500);
  EXPECT_DOUBLE_EQ(t.perimeter, 2.0 * (720 + 560) * 2 + 2.0 * (564 + 540) * 3 + 2.0 * 1300);
  EXPECT_DOUBLE_EQ(t.edge, 2 * 565 + 2 * 720 + 6 * 569);
  EXPECT_EQ(doc->totalsPanels(),
            (QStringList{"Количество: 6 шт", "Площадь: 2.120 кв м", "Периметр: 14.34 м", "Кромка: 5.98 м"}));
  // Edge use lines: top, bottom, left, right in order of first appearance;
  // the unknown code is listed with an empty name.
  EXPECT_EQ(doc->edgeUseLines(), (QStringList{"Меламин: 1.44 м", "ПВХ 2 мм: 4.54 м", ": 0.50 м"}));

  doc->SetMaterialFilter(2);
  EXPECT_EQ(doc->totals().quantity, 3);
  EXPECT_EQ(doc->totalsPanels()[0], "Количество: 3 шт");
  QList<int> codes;
  QStringList names;
  doc->ListGroupMaterials(codes, names);
  EXPECT_EQ(codes, QList<int>{2});
  doc->SetMaterialFilter(999);
  doc->ListGroupMaterials(codes, names);
  EXPECT_EQ(codes, (QList<int>{1, 2}));
  EXPECT_EQ(names, (QStringList{"ДСП белый", "МДФ"}));
}

TEST_F(PartsDocumentTest, NewRowsTakeTheDefaultsAndTheFilterMaterial) {
  folder.settings().writeInt("Border", "LBorder", 10);
  folder.settings().writeInt("Border", "BBorder", 11);
  folder.settings().writeInt("Rotate", "Default", 2);
  folder.settings().writeString("Default", "DefMaterial", "3");
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  doc->setModified(false);
  const int all = doc->appendNewRow();
  EXPECT_EQ(doc->row(all), (PartRow{"", 0, 0, 0, 2, 10, 0, 0, 11, 3}));
  EXPECT_TRUE(doc->isModified());
  doc->SetMaterialFilter(2);
  const int filtered = doc->appendNewRow();
  EXPECT_EQ(filtered, 0);
  EXPECT_EQ(doc->row(filtered).material, 2);

  // Changing the sides of an empty list adds a row that gets them.
  doc->SetMaterialFilter(1);
  ASSERT_EQ(doc->rowCount(), 0);
  EXPECT_EQ(doc->StoreRowSettings({11, 0, 10, 0}, 1), 0);
  EXPECT_EQ(doc->row(0), (PartRow{"", 0, 0, 0, 1, 11, 0, 10, 0, 1}));
}

TEST_F(PartsDocumentTest, BadCellValuesAreRefusedAndTheRowKept) {
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  addSampleRows(*doc);
  const PartRow before = doc->row(0);
  EXPECT_NE(doc->setCell(0, ColLength, QStringLiteral("сто")), QString());
  EXPECT_NE(doc->setCell(0, ColWidth, QStringLiteral("-5")), QString());
  EXPECT_NE(doc->setCell(0, ColMany, QStringLiteral("1.5")), QString());
  EXPECT_NE(doc->setCell(0, ColMany, QStringLiteral("")), QString());
  EXPECT_NE(doc->setCell(0, ColLength, QStringLiteral("1000000000")), QString());
  EXPECT_NE(doc->setCell(0, ColRotate, QStringLiteral("3")), QString());
  EXPECT_NE(doc->setCell(0, ColName, QString(101, QChar(u'Ж'))), QString());
  EXPECT_NE(doc->setCell(0, ColName, QStringLiteral("Деталь ✓")), QString());
  EXPECT_NE(doc->setCell(0, ColMatName, QStringLiteral("МДФ")), QString());
  EXPECT_EQ(doc->row(0), before);
  EXPECT_EQ(doc->setCell(0, ColLength, QStringLiteral(" 999 ")), QString());
  EXPECT_EQ(doc->setCell(0, ColName, QString(100, QChar(u'Ж'))), QString());
  EXPECT_EQ(doc->row(0).length, 999);

  QString why;
  EXPECT_FALSE(doc->AppendDetal(QStringLiteral("Минус"), -1, 10, 1, 0, 0, 0, 0, 0, 1, &why));
  EXPECT_TRUE(why.contains("Минус"));
  EXPECT_FALSE(doc->AppendDetal(QStringLiteral("Поворот"), 1, 10, 1, 5, 0, 0, 0, 0, 1));
  EXPECT_FALSE(doc->AppendDetal(QStringLiteral("Все"), 1, 10, 1, 0, 0, 0, 0, 0, 999));
  EXPECT_EQ(doc->rowCount(), 3);

  // What the grid accepted reads back from the saved table.
  doc->setNameChooser([&](const QString&) { return folder.path(QStringLiteral("Groups/Проверка.krb")); });
  ASSERT_EQ(doc->SaveGroup(false), SaveResult::Saved);
  EXPECT_EQ(readPartRows(doc->dataPath()), doc->allRows());
}

TEST_F(PartsDocumentTest, RowsAreCopiedDeletedAndGivenMaterials) {
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  addSampleRows(*doc);
  EXPECT_EQ(doc->copyRow(0), 1);
  EXPECT_EQ(doc->row(1), doc->row(0));
  EXPECT_EQ(doc->currentRow(), 1);
  doc->removeRow(1);
  EXPECT_EQ(doc->rowCount(), 3);
  EXPECT_EQ(doc->cellText(1, ColName), "Полка, средняя");

  doc->SetMaterialFilter(1);
  ASSERT_EQ(doc->rowCount(), 2);
  doc->setRowMaterial(0, 3);  // leaves the material shown
  EXPECT_EQ(doc->rowCount(), 1);
  EXPECT_EQ(doc->allRows()[0].material, 3);
  EXPECT_EQ(doc->cellText(0, ColMatName), "ДСП белый");
}

TEST_F(PartsDocumentTest, ReplacingAMaterialChangesItsRowsOrAllRows) {
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  addSampleRows(*doc);
  doc->setModified(false);
  EXPECT_EQ(doc->replaceMaterial(1, 1), 0);
  EXPECT_FALSE(doc->isModified());
  EXPECT_EQ(doc->replaceMaterial(1, 3), 2);
  EXPECT_EQ(doc->allRows()[0].material, 3);
  EXPECT_EQ(doc->allRows()[1].material, 2);
  EXPECT_EQ(doc->allRows()[2].material, 3);
  EXPECT_TRUE(doc->isModified());
  EXPECT_EQ(doc->replaceMaterial(999, 2), 2);
  for (const PartRow& r : doc->allRows()) EXPECT_EQ(r.material, 2);
  EXPECT_EQ(doc->replaceMaterial(2, 999), 0);
}

TEST_F(PartsDocumentTest, LabelRowsRepeatEachPartByItsQuantity) {
  auto doc = folder.document();
  ASSERT_TRUE(doc->CreateGroup());
  addSampleRows(*doc);
  std::vector<LabelRow> labels;
  ASSERT_TRUE(doc->labelRows(labels));
  ASSERT_EQ(labels.size(), 6u);
  EXPECT_EQ(labels[0].size, "720 x 560");
  EXPECT_EQ(labels[0].material, "ДСП белый");
  EXPECT_EQ(labels[0].edges, "л: ПВХ 2 мм\rв: Меламин\r");
  EXPECT_EQ(labels[2].name, "Полка, средняя");
  ASSERT_TRUE(doc->AppendDetal(QStringLiteral("Много"), 10, 10, 200000, 0, 0, 0, 0, 0, 1));
  EXPECT_FALSE(doc->labelRows(labels));
  EXPECT_TRUE(labels.empty());
  EXPECT_EQ(log.texts, QStringList{"Ошибка создания списка деталей."});
}
