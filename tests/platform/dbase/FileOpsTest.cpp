#include "platform/dbase/FileOps.h"

#include "platform/dbase/DbaseTestUtil.h"
#include "platform/dbase/Table.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace kroyna::dbase;
using namespace kroyna::dbase::testing;

namespace {

std::size_t filesIn(const std::filesystem::path& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

}  // namespace

TEST(FileOps, CopyOverReplacesTheTargetWhole) {
  TempDir dir;
  makeTable(dir / "TempSh.dbf", sheetFields(), {{Value(2800), Value(2070), Value(5), Value(3)}});
  makeTable(dir / "Sheets.dbf", sheetFields(), {});
  copyOver(dir / "TempSh.dbf", dir / "Sheets.dbf");
  EXPECT_EQ(readBytes(dir / "Sheets.dbf"), readBytes(dir / "TempSh.dbf"));
  copyOver(dir / "TempSh.dbf", dir / "1.wh");  // a new file
  EXPECT_TRUE(fileExists(dir / "1.wh"));
  copyOver(dir / "TempSh.dbf", dir / "TempSh.dbf");  // onto itself: unchanged
  EXPECT_EQ(records(dir / "TempSh.dbf").size(), 1u);
  EXPECT_EQ(filesIn(dir.path()), 3u);
}

TEST(FileOps, AFailedCopyLeavesTheTargetAndIsReported) {
  TempDir dir;
  makeTable(dir / "Sheets.dbf", sheetFields(), {{Value(1), Value(1), Value(1), Value(1)}});
  const std::string before = readBytes(dir / "Sheets.dbf");
  EXPECT_THROW(copyOver(dir / "Missing.dbf", dir / "Sheets.dbf"), TableError);
  EXPECT_EQ(readBytes(dir / "Sheets.dbf"), before);
  EXPECT_THROW(copyOver(dir / "Sheets.dbf", dir / "NoFolder" / "Sheets.dbf"), TableError);
  if (::geteuid() != 0) {  // root writes into read-only folders anyway
    std::filesystem::create_directory(dir / "locked");
    makeTable(dir / "locked" / "Sheets.dbf", sheetFields(), {});
    ::chmod((dir / "locked").c_str(), 0500);
    EXPECT_THROW(copyOver(dir / "Sheets.dbf", dir / "locked" / "Sheets.dbf"), TableError);
    ::chmod((dir / "locked").c_str(), 0700);
    EXPECT_TRUE(records(dir / "locked" / "Sheets.dbf").empty());
  }
  EXPECT_EQ(filesIn(dir.path()), ::geteuid() != 0 ? 2u : 1u);  // no temporary files left
}

TEST(FileOps, OpenTablesCannotBeReplacedMovedOrDeleted) {
  TempDir dir;
  makeTable(dir / "Group.dbf", sheetFields(), {{Value(1), Value(1), Value(1), Value(1)}});
  makeTable(dir / "Other.dbf", sheetFields(), {});
  {
    Table open = Table::open(dir.path(), "Group.dbf", {.cachedUpdates = true});
    EXPECT_THROW(copyOver(dir / "Other.dbf", dir / "Group.dbf"), TableError);
    EXPECT_THROW(copyOver(dir / "Other.dbf", dir / "." / "Group.dbf"), TableError);  // same file, other spelling
    EXPECT_THROW(moveFile(dir / "Group.dbf", dir / "~Group.dbf"), TableError);
    EXPECT_THROW(moveFile(dir / "Other.dbf", dir / "Group.dbf"), TableError);
    EXPECT_THROW(removeFile(dir / "Group.dbf"), TableError);
    EXPECT_THROW(createFromTemplate(dir.path(), "Other.dbf", dir / "Group.dbf"), TableError);
    copyOver(dir / "Group.dbf", dir / "Copy.dbf");  // reading it is fine
    try {
      removeFile(dir / "Group.dbf");
      FAIL() << "an open table was deleted";
    } catch (const TableError& e) {
      EXPECT_NE(std::string(e.what()).find("Group.dbf"), std::string::npos);
      EXPECT_NE(std::string(e.what()).find("открыта в другом окне"), std::string::npos) << e.what();
    }
  }
  EXPECT_TRUE(removeFile(dir / "Group.dbf"));
}

TEST(FileOps, MoveRemoveAndExists) {
  TempDir dir;
  makeTable(dir / "1$Gr.dbf", sheetFields(), {});
  moveFile(dir / "1$Gr.dbf", dir / "Кухня.dbf");
  EXPECT_FALSE(fileExists(dir / "1$Gr.dbf"));
  EXPECT_TRUE(fileExists(dir / "Кухня.dbf"));
  makeTable(dir / "2$Gr.dbf", sheetFields(), {});
  EXPECT_THROW(moveFile(dir / "2$Gr.dbf", dir / "Кухня.dbf"), TableError);  // never over an existing file
  EXPECT_THROW(moveFile(dir / "Missing.dbf", dir / "X.dbf"), TableError);
  EXPECT_TRUE(removeFile(dir / "2$Gr.dbf"));
  EXPECT_FALSE(removeFile(dir / "2$Gr.dbf"));
  EXPECT_FALSE(fileExists(dir.path()));  // a folder is not a table file
}

TEST(FileOps, AMoveNeverReplacesANameThatIsTaken) {
  // A link to a share that is not mounted names no file, yet its name is
  // taken: the move must not put the table in its place.
  TempDir dir;
  makeTable(dir / "1$Gr.dbf", sheetFields(), {});
  std::filesystem::create_symlink("/nonexistent/share/Кухня.dbf", dir / "Кухня.dbf");
  EXPECT_THROW(moveFile(dir / "1$Gr.dbf", dir / "Кухня.dbf"), TableError);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "Кухня.dbf"));
  EXPECT_TRUE(fileExists(dir / "1$Gr.dbf"));
}

TEST(FileOps, TablesAreMadeFromTemplates) {
  TempDir dir;
  std::filesystem::create_directory(dir / "Pattern");
  makeTable(dir / "Pattern" / "Scraps.dbf", scrapFields(), {});
  makeTable(dir / "TempSc.dbf", sheetFields(), {{Value(1), Value(1), Value(1), Value(1)}});
  createFromTemplate(dir / "Pattern", "Scraps.dbf", dir / "TempSc.dbf");
  const DbfTable made = readDbfFile(dir / "TempSc.dbf");
  EXPECT_EQ(made.fields, scrapFields());
  EXPECT_TRUE(made.records.empty());
  EXPECT_THROW(createFromTemplate(dir / "Pattern", "Group.dbf", dir / "New.dbf"), TableError);
  writeBytes(dir / "Pattern" / "Broken.dbf", "not a table");
  EXPECT_THROW(createFromTemplate(dir / "Pattern", "Broken.dbf", dir / "New.dbf"), TableError);
  EXPECT_FALSE(fileExists(dir / "New.dbf"));
}

TEST(FileOps, ShippedTemplatesOpenAsEmptyTables) {
  const std::filesystem::path pattern = std::filesystem::path(KROYNA_SOURCE_DATA_DIR) / "Pattern";
  TempDir dir;
  for (const char* name : {"Group.dbf", "Types.dbf", "Borders.dbf", "Sheets.dbf", "Scraps.dbf", "Quantity.dbf"}) {
    createFromTemplate(pattern, name, dir / name);
    Table t = Table::open(dir.path(), name);
    EXPECT_TRUE(t.isEmpty()) << name;
    EXPECT_FALSE(t.isReadOnly()) << name;
  }
  Table group = Table::open(dir / "Group.dbf");
  EXPECT_EQ(group.field(0).width, 100);
  group.append();
  group.setRow({Value(std::string(100, 'x')), Value(99999), Value(99999), Value(9999999), Value(2), Value(1), Value(2),
                Value(3), Value(4), Value(998)});
  EXPECT_NO_THROW(group.post());
  Table borders = Table::open(dir / "Borders.dbf");
  borders.append();
  borders.setRow({Value(1), Value("Кромка ПВХ 2 мм"), Value(-2147483633.0), Value(5)});
  EXPECT_NO_THROW(borders.post());
}
