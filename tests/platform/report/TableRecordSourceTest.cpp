#include "ReportTestSupport.h"

#include "platform/report/Report.h"
#include "platform/report/TableRecordSource.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kroyna;
using namespace kroyna::report;

namespace {

const char* kListTemplate = R"(<report><page paper="A4"/>
  <band kind="masterData" height="16"><object class="text" width="600" height="16">
    <text>[NAME]|[Length]x[WIDTH]|[MANY]|[DONE]|[DAY]|[MISSING]</text></object></band>
  <band kind="summary" height="16"><object class="text" width="600" height="16"><text>[COUNT()] / [SUM(MANY)]</text></object></band>
</report>)";

std::vector<std::string> texts(const PreparedReport& r) {
  std::vector<std::string> out;
  for (const auto& p : r.pages)
    for (const auto& o : p.objects) out.push_back(o->texts().join(QLatin1Char('\n')).toStdString());
  return out;
}

class TableSource : public ::testing::Test {
 protected:
  void SetUp() override { test::ensureApp(); }
};

}  // namespace

TEST_F(TableSource, RowsOfATableInMemoryInOrder) {
  dbase::Table t =
      dbase::Table::inMemory({dbase::FieldDef::character("Name", 100), dbase::FieldDef::numeric("LENGTH", 10),
                              dbase::FieldDef::numeric("WIDTH", 10), dbase::FieldDef::numeric("MANY", 10),
                              dbase::FieldDef::logical("DONE"), dbase::FieldDef::date("DAY")});
  t.appendRows({{dbase::Value("Полка"), dbase::Value(600), dbase::Value(400), dbase::Value(2), dbase::Value(true),
                 dbase::Value(dbase::Date{2024, 3, 9})},
                {dbase::Value("Дно"), dbase::Value(800.5), nullptr, dbase::Value(1), dbase::Value(false), nullptr}});
  Report report;
  report.setTemplate(Template::parse(kListTemplate, QStringLiteral("list")));
  TableRecordSource src(t);
  report.setDataSource(&src);
  const auto out = texts(report.prepare());
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], "Полка|600x400|2|1|09.03.2024|");
  EXPECT_EQ(out[1], "Дно|800.5x|1|0||");
  EXPECT_EQ(out[2], "2 / 3");

  // An empty table gives no records.
  dbase::Table empty = dbase::Table::inMemory({dbase::FieldDef::character("NAME", 10)});
  TableRecordSource none(empty);
  report.setDataSource(&none);
  EXPECT_EQ(texts(report.prepare()), std::vector<std::string>{"0 / 0"});
}

TEST_F(TableSource, RowsOfADbaseFileUnderItsFilter) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Group.dbf"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(KROYNA_SOURCE_DATA_DIR "/Pattern/Group.dbf"), path));
  dbase::Table t = dbase::Table::open(path.toStdString());
  const char* names[] = {"Боковина", "Полка", "Дверь", "Цоколь"};
  for (int i = 0; i < 4; ++i) {
    t.append();
    t.setString("NAME", names[i]);
    t.setDouble("LENGTH", 700 + i);
    t.setDouble("WIDTH", 300);
    t.setDouble("MANY", i + 1);
    t.setDouble("MATERIAL", i % 2 ? 2 : 1);
    t.post();
  }
  t.setFilter("MATERIAL=2");
  t.setFiltered(true);
  Report report;
  report.setTemplate(Template::parse(kListTemplate, QStringLiteral("list")));
  TableRecordSource src(t);
  report.setDataSource(&src);
  const auto out = texts(report.prepare());
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], "Полка|701x300|2|||");
  EXPECT_EQ(out[1], "Цоколь|703x300|4|||");
  EXPECT_EQ(out[2], "2 / 6");
}
