#include "platform/dbase/DbfFile.h"

#include "platform/dbase/DbaseTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kroyna::dbase;
using namespace kroyna::dbase::testing;

namespace {

const std::vector<FieldDef> kAllTypes = {FieldDef::character("NAME", 12),
                                         FieldDef::numeric("QTY", 6),
                                         FieldDef::numeric("PRICE", 9, 2),
                                         FieldDef{"RATIO", FieldType::Float, 10, 4, 'F'},
                                         FieldDef::date("DAY"),
                                         FieldDef::logical("OK")};

std::string serialize(const std::vector<Row>& rows, const std::vector<bool>& deleted = {}) {
  DbfTable t;
  t.fields = kAllTypes;
  t.lastUpdate = Date{2005, 3, 1};
  for (std::size_t i = 0; i < rows.size(); ++i) t.records.push_back({i < deleted.size() && deleted[i], rows[i]});
  return serializeDbf(t, "t.dbf");
}

void expectDamaged(const std::string& bytes, const std::string& fragment) {
  try {
    (void)parseDbf(bytes, "/data/Sheets/Broken.dbf");
    FAIL() << "accepted damaged input, expected: " << fragment;
  } catch (const TableError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find(fragment), std::string::npos) << "expected \"" << fragment << "\" in: " << what;
    EXPECT_NE(what.find(" (файл: /data/Sheets/Broken.dbf)"), std::string::npos) << what;
  }
}

}  // namespace

TEST(DbfFile, EveryFieldTypeRoundTrips) {
  const std::vector<Row> rows = {
      {Value("Полка верх"), Value(12), Value(1234.5), Value(-0.125), Value(Date{2005, 3, 1}), Value(true)},
      {Value(""), Value(-99999), Value(0.01), Value(99999.9999), Value(Date{1999, 12, 31}), Value(false)},
      {Value("  lead"), Value(), Value(), Value(), Value(), Value()},
  };
  const DbfTable back = parseDbf(serialize(rows, {false, true, false}), "t.dbf");
  EXPECT_EQ(back.version, 0x03);
  EXPECT_EQ(back.languageDriver, 0xC9);
  EXPECT_EQ(back.lastUpdate, (Date{2005, 3, 1}));
  EXPECT_TRUE(back.readOnlyReason.empty());
  ASSERT_EQ(back.fields, kAllTypes);
  ASSERT_EQ(back.records.size(), 3u);
  EXPECT_FALSE(back.records[0].deleted);
  EXPECT_TRUE(back.records[1].deleted);
  for (std::size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(back.records[r].values, rows[r]) << "row " << r;
}

TEST(DbfFile, LayoutOfWrittenFile) {
  const std::string bytes =
      serialize({{Value("Дверь"), Value(7), Value(3.456), Value(2.0), Value(Date{2024, 2, 29}), Value(true)}});
  const std::size_t header = 32 + 32 * kAllTypes.size() + 1;
  const std::size_t record = 1 + 12 + 6 + 9 + 10 + 8 + 1;
  ASSERT_EQ(bytes.size(), header + record + 1);
  EXPECT_EQ(bytes[header - 1], '\x0D');
  EXPECT_EQ(bytes.back(), '\x1A');
  EXPECT_EQ(static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8, static_cast<int>(header));
  EXPECT_EQ(bytes[4], 1);  // record count
  // Code page 1251 text padded with blanks; numbers right-aligned with their decimals.
  EXPECT_EQ(bytes.substr(header, 1 + 12), std::string(" \xC4\xE2\xE5\xF0\xFC       ", 13));
  EXPECT_EQ(bytes.substr(header + 13, 6), "     7");
  EXPECT_EQ(bytes.substr(header + 19, 9), "     3.46");
  EXPECT_EQ(bytes.substr(header + 28, 10), "    2.0000");
  EXPECT_EQ(bytes.substr(header + 38, 8), "20240229");
  EXPECT_EQ(bytes.substr(header + 46, 1), "T");
}

TEST(DbfFile, NumbersAreRoundedHalfAwayFromZeroAndMustFit) {
  const FieldDef n = FieldDef::numeric("N", 5, 1);
  EXPECT_EQ(encodeCell(n, Value(2.25), "t.dbf"), "  2.3");
  EXPECT_EQ(encodeCell(n, Value(-2.25), "t.dbf"), " -2.3");
  EXPECT_EQ(encodeCell(FieldDef::numeric("W", 3), Value(0.5), "t.dbf"), "  1");
  EXPECT_EQ(encodeCell(FieldDef::numeric("W", 3), Value(-0.2), "t.dbf"), "  0");  // no "-0"
  EXPECT_EQ(encodeCell(n, Value(999.9), "t.dbf"), "999.9");
  EXPECT_THROW(encodeCell(n, Value(1000.0), "t.dbf"), TableError);
  EXPECT_THROW(encodeCell(n, Value(999.96), "t.dbf"), TableError);  // rounds to 1000.0
  EXPECT_THROW(encodeCell(FieldDef::numeric("W", 3), Value(-100), "t.dbf"), TableError);
  EXPECT_THROW(encodeCell(n, Value(std::numeric_limits<double>::quiet_NaN()), "t.dbf"), TableError);
  EXPECT_THROW(encodeCell(n, Value(std::numeric_limits<double>::infinity()), "t.dbf"), TableError);
  try {
    encodeCell(FieldDef::numeric("LENGTH", 5), Value(123456), "/x/Sheets.dbf");
    FAIL() << "a value wider than its field was accepted";
  } catch (const TableError& e) {
    // The message names the value, the field with its size and the file.
    EXPECT_EQ(std::string(e.what()), "Значение 123456 не помещается в поле LENGTH (N 5,0) (файл: /x/Sheets.dbf)");
  }
}

TEST(DbfFile, TextIsCutToTheFieldByCharactersNotBytes) {
  const FieldDef c = FieldDef::character("NAME", 4);
  EXPECT_EQ(coerceForField(c, Value("Шкафчик"), "t.dbf"), Value("Шкаф"));
  EXPECT_EQ(encodeCell(c, Value("Шкафчик"), "t.dbf"), "\xD8\xEA\xE0\xF4");
  // Characters outside the code page become '?', never a broken byte.
  EXPECT_EQ(decodeCell(c, encodeCell(c, Value("a中b"), "t.dbf")), Value("a?b"));
}

TEST(DbfFile, CellsReadLeniently) {
  const FieldDef n = FieldDef::numeric("N", 6, 2);
  EXPECT_EQ(decodeCell(n, "      "), Value());
  EXPECT_EQ(decodeCell(n, "  -1.5"), Value(-1.5));
  EXPECT_EQ(decodeCell(n, "  +1.5"), Value(1.5));
  EXPECT_EQ(decodeCell(n, "******"), Value());  // overflow marks of other writers
  EXPECT_EQ(decodeCell(n, " 1,5  "), Value());
  EXPECT_EQ(decodeCell(FieldDef::date("D"), "        "), Value());
  EXPECT_EQ(decodeCell(FieldDef::date("D"), "20050230"), Value());  // no such day
  EXPECT_EQ(decodeCell(FieldDef::date("D"), "00000000"), Value());
  EXPECT_EQ(decodeCell(FieldDef::logical("L"), "y"), Value(true));
  EXPECT_EQ(decodeCell(FieldDef::logical("L"), "N"), Value(false));
  EXPECT_EQ(decodeCell(FieldDef::logical("L"), "?"), Value());
  EXPECT_EQ(decodeCell(FieldDef::character("C", 5), std::string("ab\0\0\0", 5)), Value("ab"));
}

TEST(DbfFile, ValuesAreConvertedToTheFieldKindOrRefused) {
  const FieldDef n = FieldDef::numeric("N", 6);
  EXPECT_EQ(coerceForField(n, Value(" 42 "), "t.dbf"), Value(42));
  EXPECT_EQ(coerceForField(n, Value(""), "t.dbf"), Value());
  EXPECT_THROW(coerceForField(n, Value("сорок"), "t.dbf"), TableError);
  EXPECT_THROW(coerceForField(n, Value(Date{2005, 1, 1}), "t.dbf"), TableError);
  EXPECT_EQ(coerceForField(FieldDef::date("D"), Value("01.03.2005"), "t.dbf"), Value(Date{2005, 3, 1}));
  EXPECT_THROW(coerceForField(FieldDef::date("D"), Value("31.02.2005"), "t.dbf"), TableError);
  EXPECT_EQ(coerceForField(FieldDef::character("C", 10), Value(12.5), "t.dbf"), Value("12.5"));
  EXPECT_EQ(coerceForField(FieldDef::logical("L"), Value("T"), "t.dbf"), Value(true));
}

TEST(DbfFile, StructuresThatCannotBeWrittenAreRefused) {
  EXPECT_THROW(validateFields({}, "t.dbf"), TableError);
  EXPECT_THROW(validateFields({FieldDef::character("NAME", 0)}, "t.dbf"), TableError);
  EXPECT_THROW(validateFields({FieldDef::character("NAME", 255)}, "t.dbf"), TableError);
  EXPECT_THROW(validateFields({FieldDef::numeric("N", 21)}, "t.dbf"), TableError);
  EXPECT_THROW(validateFields({FieldDef::numeric("N", 5, 5)}, "t.dbf"), TableError);
  EXPECT_THROW(validateFields({FieldDef::character("TOOLONGNAME", 5)}, "t.dbf"), TableError);
  EXPECT_THROW(validateFields({FieldDef::character("ИМЯ", 5)}, "t.dbf"), TableError);
  EXPECT_THROW(validateFields({FieldDef::character("Name", 5), FieldDef::numeric("NAME", 5)}, "t.dbf"), TableError);
  EXPECT_NO_THROW(validateFields({FieldDef::character("NAME_2", 254), FieldDef::numeric("N", 20, 15)}, "t.dbf"));
}

TEST(DbfFile, DamagedFilesAreRefusedWithTheFileName) {
  const std::string good = serialize({{Value("a"), Value(1), Value(2), Value(3), Value(Date{2005, 1, 1}), Value(true)},
                                      {Value("b"), Value(4), Value(5), Value(6), Value(), Value()}});
  const std::size_t header = 32 + 32 * kAllTypes.size() + 1;
  const std::size_t record = 47;
  ASSERT_NO_THROW(parseDbf(good, "t.dbf"));

  expectDamaged("", "слишком короткий (0 байт)");
  expectDamaged(good.substr(0, 20), "слишком короткий (20 байт)");
  expectDamaged(good.substr(0, 23), "слишком короткий (23 байта)");
  expectDamaged(good.substr(0, header - 5), "длина заголовка");
  expectDamaged(good.substr(0, header + record + 10), "число записей в заголовке 2, а в файле помещается только 1");

  std::string s = good;
  s[4] = static_cast<char>(200);  // record count far beyond the file size
  expectDamaged(s, "число записей в заголовке 200,");
  s = good;
  s[7] = static_cast<char>(0xFF);  // a count that overflows 32 bits times the record length
  expectDamaged(s, "число записей");

  s = good;
  s[32 + 16] = 0;  // zero width of the first field
  expectDamaged(s, "у поля NAME (C 0) нулевая длина");
  s = good;
  s[32 + 32 + 16] = static_cast<char>(200);  // numeric field 200 wide
  expectDamaged(s, "у поля QTY (N 200,0) недопустимая длина");
  s = good;
  s[32 + 32 * 4 + 16] = 9;  // date field 9 wide
  expectDamaged(s, "у поля DAY (D 9) длина не равна 8");
  s = good;
  s[32 + 32 * 2 + 17] = 12;  // 12 decimals in a 9-wide field
  expectDamaged(s, "у поля PRICE (N 9,12) недопустимое число знаков");

  s = good;
  s[10] = 5;  // record length disagrees with the fields
  expectDamaged(s, "длина записи 5");
  s = good;
  s[8] = static_cast<char>(33);  // header too small for one field
  s[9] = 0;
  expectDamaged(s, "длина заголовка 33 меньше допустимой");
  s = good;
  s[header - 1] = 'X';  // no end mark of the field list
  expectDamaged(s, "выходит за конец заголовка");
  s = good;
  s[32] = 0;  // nameless field
  expectDamaged(s, "у поля 1 нет имени");
  s = good;
  s[header + record] = 'Q';  // second record without deletion flag
  expectDamaged(s, "запись 2 не начинается");
}

TEST(DbfFile, ExtraBytesAfterTheRecordsAreIgnored) {
  std::string s = serialize({{Value("a"), Value(1), Value(), Value(), Value(), Value()}});
  s += std::string(100, '\0');
  EXPECT_EQ(parseDbf(s, "t.dbf").records.size(), 1u);
}

TEST(DbfFile, UnknownTypesAndLevelsOpenReadOnly) {
  std::string s = serialize({{Value("a"), Value(1), Value(), Value(), Value(), Value()}});
  s[32 + 11] = 'M';  // NAME becomes a memo-like field of 12 bytes
  DbfTable t = parseDbf(s, "t.dbf");
  EXPECT_EQ(t.fields[0].type, FieldType::Other);
  EXPECT_EQ(t.records[0].values[0], Value());
  EXPECT_NE(t.readOnlyReason.find("NAME"), std::string::npos);
  EXPECT_THROW(serializeDbf(t, "t.dbf"), TableError);

  s = serialize({});
  s[0] = static_cast<char>(0x83);
  t = parseDbf(s, "t.dbf");
  EXPECT_NE(t.readOnlyReason.find("мемо-файл (уровень 0x83)"), std::string::npos);
  EXPECT_THROW(serializeDbf(t, "t.dbf"), TableError);
}

TEST(DbfFile, FileWriterReplacesTheFileWhole) {
  TempDir dir;
  const auto p = dir / "Sheets.dbf";
  makeTable(p, sheetFields(), {{Value(2800), Value(2070), Value(5), Value(3)}});
  makeTable(p, sheetFields(), {{Value(2440), Value(1830), Value(1), Value(4)}});
  const auto recs = records(p);
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0].values[0], Value(2440));
  // No temporary files left beside it.
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u);
  EXPECT_THROW(readDbfFile(dir / "Missing.dbf"), TableError);
}

TEST(DbfFile, RecordsWrittenInPlaceKeepTheOthers) {
  TempDir dir;
  const auto p = dir / "Sheets.dbf";
  makeTable(p, sheetFields(), {{Value(1), Value(1), Value(1), Value(1)}, {Value(2), Value(2), Value(2), Value(2)}});
  writeRecordInPlace(p, sheetFields(), 0, DbfRecord{true, {Value(1), Value(1), Value(1), Value(1)}});
  EXPECT_EQ(appendRecordInPlace(p, sheetFields(), DbfRecord{false, {Value(3), Value(3), Value(3), Value(3)}}), 2u);
  auto recs = records(p);
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_TRUE(recs[0].deleted);
  EXPECT_EQ(recs[1].values[0], Value(2));
  EXPECT_EQ(recs[2].values[3], Value(3));
  EXPECT_EQ(readBytes(p).back(), '\x1A');
  // A value that does not fit changes nothing.
  EXPECT_THROW(writeRecordInPlace(p, sheetFields(), 1, DbfRecord{false, {Value(1e12), Value(), Value(), Value()}}),
               TableError);
  EXPECT_EQ(records(p)[1].values[0], Value(2));
  // A file of another structure is not written into.
  EXPECT_THROW(appendRecordInPlace(p, scrapFields(), DbfRecord{}), TableError);
  EXPECT_THROW(writeRecordInPlace(p, sheetFields(), 7, DbfRecord{false, {}}), TableError);
}
