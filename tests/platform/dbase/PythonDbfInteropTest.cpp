// Interoperability with Debian's python3-dbf: tables written here read the
// same there, and tables written there read the same here.
#include "platform/dbase/Table.h"

#include "platform/dbase/DbaseTestUtil.h"
#include "platform/dbase/FileOps.h"
#include "support/CommandOutput.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>

using namespace kroyna::dbase;
using namespace kroyna::dbase::testing;

namespace {

const std::filesystem::path kScript =
    std::filesystem::path(KROYNA_TEST_DATA_DIR) / ".." / "platform" / "dbase" / "dbf_interop.py";
const char* const kPython = "/usr/bin/python3";

using PythonRun = kroyna::testing::CommandResult;

PythonRun python(const std::string& args) {
  const std::string cmd = std::string("PYTHONIOENCODING=utf-8 ") + kPython + " '" + kScript.string() + "' " + args;
  return kroyna::testing::runCommand(cmd);
}

void skipWithoutPythonDbf() {
  if (!fileExists(kPython)) GTEST_SKIP() << "no " << kPython;
  if (python("check").status == 3) GTEST_SKIP() << "python3-dbf is not installed";
}

// The sample table of dbf_interop.py, as this layer reads it.
const std::vector<Row> kPythonSample = {
    {Value("Боковина левая"), Value(720), Value(12.5), Value(Date{2005, 3, 1}), Value(true)},
    {Value("Полка \"угловая\" 'Ё'"), Value(-5), Value(-3.25), Value(Date{1999, 12, 31}), Value(false)},
};

void expectPythonSample(const std::filesystem::path& file) {
  Table t = Table::open(file);
  ASSERT_EQ(t.fieldCount(), 5);
  EXPECT_EQ(t.field(0).type, FieldType::Character);
  EXPECT_EQ(t.field(0).width, 40);
  EXPECT_EQ(t.field(2).decimals, 2);
  std::vector<Row> rows;
  for (t.first(); !t.eof(); t.next()) rows.push_back(t.currentRow());
  EXPECT_EQ(rows, kPythonSample);  // the deleted record is not seen
  EXPECT_EQ(records(file).size(), 3u);
}

}  // namespace

TEST(PythonDbf, ReadsWhatThisLayerWrites) {
  skipWithoutPythonDbf();
  TempDir dir;
  const auto file = dir / "Group.dbf";
  makeTable(file,
            {FieldDef::character("NAME", 100), FieldDef::numeric("LENGTH", 11), FieldDef::numeric("PRICE", 10, 2),
             FieldDef::date("DAY"), FieldDef::logical("OK")},
            {{Value("Стенка задняя ДВП"), Value(1780), Value(99.95), Value(Date{2005, 3, 1}), Value(true)},
             {Value("удалена"), Value(1), Value(1), Value(), Value()},
             {Value("Шкаф \"Купе\" ёЁ №2"), Value(-40), Value(), Value(), Value()},
             {Value(""), Value(0), Value(0.1), Value(Date{2024, 2, 29}), Value(false)}},
            {false, true, false, false});
  const PythonRun r = python("read '" + file.string() + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out,
            " \tСтенка задняя ДВП\t1780\t99.95\t01.03.2005\tT\n"
            "*\tудалена\t1\t1\t<null>\t<null>\n"
            " \tШкаф \"Купе\" ёЁ №2\t-40\t<null>\t<null>\t<null>\n"
            " \t\t0\t0.1\t29.02.2024\tF\n");
}

TEST(PythonDbf, ThisLayerReadsWhatPythonWrites) {
  skipWithoutPythonDbf();
  TempDir dir;
  const auto file = dir / "FromPython.dbf";
  const PythonRun r = python("write '" + file.string() + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  expectPythonSample(file);
  // Changed here, it still reads there.
  {
    Table t = Table::open(file);
    t.first();
    t.edit();
    t.setString("Name", "Боковина правая");
    t.post();
  }
  const PythonRun back = python("read '" + file.string() + "'");
  ASSERT_EQ(back.status, 0);
  EXPECT_EQ(back.out.substr(0, back.out.find('\n')), " \tБоковина правая\t720\t12.5\t01.03.2005\tT");
}

TEST(PythonDbf, CommittedSampleWrittenByPythonReads) {
  expectPythonSample(std::filesystem::path(KROYNA_TEST_DATA_DIR) / "dbase" / "python_dbf_sample.dbf");
}
