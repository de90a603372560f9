// The merge of another parts database into the open one.

#include "parts/PartsMerge.h"

#include "parts/ImportTestSupport.h"
#include "support/FailingWrites.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kroyna;
using namespace kroyna::parts;
using namespace kroyna::parts::test;

namespace {

class PartsMergeTest : public ::testing::Test {
 protected:
  PartsMergeTest() {
    ui.chooseBase = [this] { return other; };
    ui.askCount = [this] { return count; };
  }

  // A saved base at Groups/<name>.krb.
  std::unique_ptr<PartsDocument> saved(const QString& name, const std::vector<PartRow>& rows,
                                       std::vector<ModelEntry> models) {
    auto doc = folder.document();
    EXPECT_TRUE(doc->CreateGroup());
    for (const PartRow& r : rows) EXPECT_TRUE(doc->appendImportedRow(r));
    doc->setModels(std::move(models));
    doc->setNameChooser([&, name](const QString&) { return folder.path(QStringLiteral("Groups/") + name); });
    EXPECT_EQ(doc->SaveGroup(true), SaveResult::Saved);
    return doc;
  }

  PartsFolder folder;
  Answers messages;
  MergeUi ui;
  QString other;
  std::optional<int> count = 1;
};

}  // namespace

TEST_F(PartsMergeTest, MergingTwiceGroupsSharedRowsSumsCountsAndSavesTheBase) {
  auto base = saved(QStringLiteral("Kitchen.krb"), {row("Бок", 720, 560, 2), row("Полка", 564, 300, 1, 1, 10)},
                    {{u("Шкаф"), QStringLiteral("1")}});
  auto second = saved(QStringLiteral("Hall.krb"), {row("Бок", 720, 560, 1), row("Дверь 'А'", 700, 400, 3)},
                      {{u("ШКАФ"), QStringLiteral("2")}, {u("Стол"), QStringLiteral("1")}});
  other = second->headerPath();

  count = 2;
  ASSERT_TRUE(mergeBases(*base, folder.root(), ui)) << messages.texts.join('|');
  EXPECT_EQ(base->allRows(), (std::vector<PartRow>{row("Бок", 720, 560, 4), row("Полка", 564, 300, 1, 1, 10),
                                                   row("Дверь 'А'", 700, 400, 6)}));
  EXPECT_EQ(base->models(),
            (std::vector<ModelEntry>{{u("Шкаф"), QStringLiteral("5")}, {u("Стол"), QStringLiteral("2")}}));
  // Only the first question: the base had no unsaved changes.
  EXPECT_EQ(messages.texts.size(), 1);
  EXPECT_FALSE(base->isModified());

  count = 1;
  ASSERT_TRUE(mergeBases(*base, folder.root(), ui));
  EXPECT_EQ(base->allRows(), (std::vector<PartRow>{row("Бок", 720, 560, 5), row("Полка", 564, 300, 1, 1, 10),
                                                   row("Дверь 'А'", 700, 400, 9)}));
  // The base on disk, table and header, holds the merge.
  EXPECT_EQ(readPartRows(base->dataPath()), base->allRows());
  EXPECT_EQ(readGroupHeader(base->headerPath()).models,
            (std::vector<ModelEntry>{{u("Шкаф"), QStringLiteral("7")}, {u("Стол"), QStringLiteral("3")}}));
  EXPECT_FALSE(QFileInfo::exists(folder.path(QStringLiteral("Temp/$Merge$.dbf"))));
}

TEST_F(PartsMergeTest, MergingABaseWithItselfDoublesItWithItsUnsavedRows) {
  auto base = saved(QStringLiteral("Kitchen.krb"), {row("Бок", 720, 560, 2), row("Бок", 720, 560, 3)}, {});
  // Two equal rows, one not yet saved, become one row.
  ASSERT_TRUE(base->appendImportedRow(row("Дно", 800, 500, 1)));
  other = base->headerPath();
  ASSERT_TRUE(mergeBases(*base, folder.root(), ui)) << messages.texts.join('|');
  EXPECT_EQ(base->allRows(), (std::vector<PartRow>{row("Бок", 720, 560, 10), row("Дно", 800, 500, 2)}));
  // The second question came: the base had unsaved changes.
  ASSERT_EQ(messages.texts.size(), 2);
  EXPECT_TRUE(messages.texts[1].contains(u("Перед слиянием необходимо сохранить"))) << messages.texts[1];
}

TEST_F(PartsMergeTest, UntitledBaseTakesTheRowsAndStaysModified) {
  auto second = saved(QStringLiteral("Hall.krb"), {row("Дверь", 700, 400, 3)}, {{u("Стол"), QStringLiteral("x")}});
  auto base = folder.document();
  ASSERT_TRUE(base->CreateGroup());
  other = second->headerPath();
  ASSERT_TRUE(mergeBases(*base, folder.root(), ui));
  EXPECT_EQ(base->allRows(), std::vector<PartRow>{row("Дверь", 700, 400, 3)});
  // A count that is no whole number counts as 0.
  EXPECT_EQ(base->models(), (std::vector<ModelEntry>{{u("Стол"), QStringLiteral("0")}}));
  EXPECT_TRUE(base->isUntitled());
  EXPECT_TRUE(base->isModified());
}

TEST_F(PartsMergeTest, FailedMergeLeavesTheBaseAsItWas) {
  auto base = saved(QStringLiteral("Kitchen.krb"), {row("Бок", 720, 560, 2)}, {{u("Шкаф"), QStringLiteral("1")}});
  const QByteArray table = fileBytes(base->dataPath());
  const QByteArray header = fileBytes(base->headerPath());
  const std::vector<PartRow> rows = base->allRows();
  auto unchanged = [&] {
    EXPECT_EQ(base->allRows(), rows);
    EXPECT_EQ(base->models().size(), 1u);
    EXPECT_EQ(fileBytes(base->dataPath()), table);
    EXPECT_EQ(fileBytes(base->headerPath()), header);
    EXPECT_FALSE(QFileInfo::exists(folder.path(QStringLiteral("Temp/$Merge$.dbf"))));
  };

  // A sum of quantities no part can hold.
  auto huge = saved(QStringLiteral("Huge.krb"), {row("Бок", 720, 560, 600000000)}, {});
  other = huge->headerPath();
  count = 2;
  EXPECT_FALSE(mergeBases(*base, folder.root(), ui));
  EXPECT_TRUE(messages.last().startsWith(u("Ошибка слияния баз!"))) << messages.last();
  unchanged();

  // A full disk while the merged table is written.
  auto small = saved(QStringLiteral("Small.krb"), {row("Дно", 800, 500, 1)}, {{u("Стол"), QStringLiteral("1")}});
  other = small->headerPath();
  count = 1;
  {
    kroyna::testing::FailingWrites full(64);
    EXPECT_FALSE(mergeBases(*base, folder.root(), ui));
  }
  EXPECT_TRUE(messages.last().startsWith(u("Ошибка слияния баз!"))) << messages.last();
  unchanged();

  // The other base's table is missing.
  QFile::remove(small->dataPath());
  EXPECT_FALSE(mergeBases(*base, folder.root(), ui));
  EXPECT_EQ(messages.last(), u("Файл данных отсутствует!"));
  unchanged();
}

TEST_F(PartsMergeTest, AnswerNoOrCancelEndsTheMerge) {
  auto base = saved(QStringLiteral("Kitchen.krb"), {row("Бок", 720, 560, 2)}, {});
  auto second = saved(QStringLiteral("Hall.krb"), {row("Дно", 800, 500, 1)}, {});
  other = second->headerPath();
  messages.answers = {common::MsgResult::No};
  EXPECT_FALSE(mergeBases(*base, folder.root(), ui));
  EXPECT_TRUE(messages.last().startsWith(u("ВНИМАНИЕ!\r\rПри слиянии баз деталей"))) << messages.last();
  base->appendNewRow();
  messages.answers = {common::MsgResult::Yes, common::MsgResult::No};
  EXPECT_FALSE(mergeBases(*base, folder.root(), ui));
  count.reset();
  EXPECT_FALSE(mergeBases(*base, folder.root(), ui));
  other.clear();
  count = 1;
  EXPECT_FALSE(mergeBases(*base, folder.root(), ui));
  EXPECT_EQ(base->allRows().size(), 2u);
}

TEST(MergeModels, EntriesOfOneNameBecomeOneWithTheSummedCount) {
  EXPECT_EQ(collapseModels({{u("Шкаф"), "1"}, {u("ШКАФ"), "2"}}), (std::vector<ModelEntry>{{u("Шкаф"), "3"}}));
  EXPECT_EQ(collapseModels({{u("Стол"), "1"}, {u("стол"), "x"}, {u("СТОЛ"), "4"}, {u("Шкаф"), "2"}}),
            (std::vector<ModelEntry>{{u("Стол"), "5"}, {u("Шкаф"), "2"}}));
  // An entry without a namesake keeps its count as written.
  EXPECT_EQ(collapseModels({{u("Стол"), "abc"}}), (std::vector<ModelEntry>{{u("Стол"), "abc"}}));
  EXPECT_THROW(collapseModels({{u("Стол"), "2000000000"}, {u("стол"), "2000000000"}}), GroupFileError);
}
