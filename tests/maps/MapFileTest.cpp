// The maps file: binary round trip, bytes written by hand from the record
// layout, the fixtures of tests/data/maps, damaged input, the 16-bit limits
// checked before writing, the old INI-style form and the INI export.

#include "maps/model/MapExport.h"
#include "maps/model/MapFile.h"

#include "platform/text/Cp1251.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

namespace kroyna::maps {
namespace {

using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;

const std::filesystem::path kData = std::filesystem::path(KROYNA_TEST_DATA_DIR) / "maps";

MapFileData sampleDocument() {
  MapFileData d;
  d.header.caption = "Вариант раскроя 1: \"Кухня\"";
  d.header.millMode = 2;
  d.header.showBorder = true;
  d.header.showHints = true;
  d.header.detalColour = 0xE0E0E0;
  d.header.sheetColour = 0x808080;
  d.header.font = MapFont{"Times New Roman Cyr", 11, 0x123456, kFontBold | kFontUnderline, 204};

  MapSheetRecord s;
  s.caption = "1: Листы 1 - 3";
  s.remark = "без кромки";
  s.material = 7;
  s.width = 65535;
  s.height = 2070;
  s.colour = 0x808080;
  s.font = d.header.font;
  s.millSize = 4;
  s.quantity = 3;
  s.visible = false;
  s.scrapSquare = 1234567.125;
  s.lostSquare = 0.1;  // not exact in binary: must survive the 80-bit form
  s.detalsSquare = 5.0e9;
  s.millCount = 2;
  s.millLength = 2874.75;
  MapPartRecord p;
  p.title = "Дверь";
  p.left = -32768;
  p.top = 32767;
  p.width = 600;
  p.height = 400;
  p.brushColour = 0xFFFFFF;
  p.showTitle = false;
  p.showBorder = true;
  p.edges = {1, 2, 3, 4};
  p.edgeColours = {0x10, 0x20, 0x30, kSystemWorkspaceColour};
  s.parts.push_back(p);
  p.title = "Полка";
  p.left = 614;
  s.parts.push_back(p);
  s.offcuts.push_back({"Б-12", 10, 414, 2780, 450, 255, false, true, true});
  s.offcuts.push_back({"", 10, 868, 40, 1192, 0, true, false, false});
  s.cuts.push_back({10, 408, 2780, 4, 0xFF0000, true, false});
  s.cuts.push_back({608, 10, 4, 400, 0xFF0000, false, true});
  d.sheets.push_back(s);

  MapSheetRecord offcutSheet;
  offcutSheet.caption = "2: Лист 4 (A-7)";
  offcutSheet.sheetName = "A-7";
  offcutSheet.isScraps = true;
  offcutSheet.material = 7;
  offcutSheet.width = 1200;
  offcutSheet.height = 600;
  offcutSheet.lostSquare = 720000;
  d.sheets.push_back(offcutSheet);

  d.usedSheets.push_back({7, 2800, 2070, 0, 5});
  d.usedSheets.push_back({-1, 32767, -32768, 65535, 65535});
  return d;
}

// ---- Round trip and layout ----

TEST(MapFileBinary, RoundTripKeepsEveryStoredField) {
  const MapFileData d = sampleDocument();
  const std::string bytes = serializeMapFile(d);
  EXPECT_EQ(bytes.size(), kMapHeaderSize + 2 * (1 + kSheetRecordSize) + 2 * (1 + kPartRecordSize) +
                              2 * (1 + kOffcutRecordSize) + 2 * (1 + kCutRecordSize) + 2 * (1 + kUsedSheetRecordSize));
  const MapFileData back = parseMapFile(bytes);
  EXPECT_EQ(back.format, MapFileFormat::Binary);
  EXPECT_EQ(back, d);
  // Writing what was read gives the same bytes.
  EXPECT_EQ(serializeMapFile(back), bytes);
}

TEST(MapFileBinary, EmptyDocumentIsTheHeaderAlone) {
  MapFileData d;
  d.header.caption = "Пусто";
  const std::string bytes = serializeMapFile(d);
  ASSERT_EQ(bytes.size(), kMapHeaderSize);
  const MapFileData back = parseMapFile(bytes);
  EXPECT_EQ(back.format, MapFileFormat::Binary);
  EXPECT_TRUE(back.sheets.empty());
  EXPECT_TRUE(back.usedSheets.empty());
  EXPECT_EQ(back.header.caption, "Пусто");
}

TEST(MapFileBinary, HeaderBytesFollowTheLayout) {
  const MapFileData d = sampleDocument();
  const std::string b = serializeMapFile(d);
  auto u8 = [&](std::size_t o) { return static_cast<unsigned char>(b[o]); };
  auto i32 = [&](std::size_t o) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(u8(o + static_cast<std::size_t>(i))) << (8 * i);
    return static_cast<std::int32_t>(v);
  };
  EXPECT_EQ(b.substr(0, 7), std::string("\x06ZK_MAP"));
  EXPECT_EQ(u8(7), 1);
  EXPECT_EQ(u8(8), 0);
  EXPECT_EQ(u8(9), 0);
  EXPECT_EQ(u8(10), 0);
  const std::string caption = text::utf8ToCp1251(d.header.caption);
  EXPECT_EQ(u8(11), caption.size());
  EXPECT_EQ(b.substr(12, caption.size()), caption);
  EXPECT_EQ(u8(112), 2);          // mill-lines mode
  EXPECT_EQ(u8(113), 1);          // ShowBorder
  EXPECT_EQ(u8(114), 0);          // ShowScrapsText
  EXPECT_EQ(u8(115), 1);          // ShowHints
  EXPECT_EQ(i32(134), 0xFF0000);  // cut pen: MillColor
  EXPECT_EQ(u8(139), 1);          // its width
  EXPECT_EQ(i32(146), 0xE0E0E0);  // parts brush: DetalColor
  EXPECT_EQ(i32(151), 255);       // useful offcuts: ScrapColor
  EXPECT_EQ(i32(156), 0);         // useless offcuts: LostColor
  EXPECT_EQ(i32(161), 0x808080);  // sheets: SheetColor
  for (std::size_t font : {166u, 204u, 242u, 280u}) {
    EXPECT_EQ(u8(font), 19) << font;  // "Times New Roman Cyr"
    EXPECT_EQ(u8(font + 31), 11) << font;
    EXPECT_EQ(i32(font + 32), 0x123456) << font;
    EXPECT_EQ(u8(font + 36), kFontBold | kFontUnderline) << font;
    EXPECT_EQ(u8(font + 37), 204) << font;
  }
  // The first record: tag 1, map index 0, length 65535 at offset 209.
  EXPECT_EQ(u8(318), 1);
  EXPECT_EQ(u8(319), 0);
  EXPECT_EQ(u8(319 + 209), 0xFF);
  EXPECT_EQ(u8(319 + 210), 0xFF);
  // The second sheet record carries index 1.
  const std::size_t second =
      318 + 1 + kSheetRecordSize + 2 * (1 + kPartRecordSize) + 2 * (1 + kOffcutRecordSize) + 2 * (1 + kCutRecordSize);
  EXPECT_EQ(u8(second), 1);
  EXPECT_EQ(u8(second + 1), 1);
}

TEST(MapFileBinary, LongTextsAreCutToTheirFields) {
  MapFileData d;
  d.header.caption = std::string(120, 'x');
  d.header.font.name = std::string(40, 'F');
  MapSheetRecord s;
  s.caption = std::string(55, 'c');
  s.remark = std::string(101, 'r');
  MapPartRecord p;
  for (int i = 0; i < 60; ++i) p.title += "Ж";
  s.parts.push_back(p);
  d.sheets.push_back(s);
  const MapFileData back = parseMapFile(serializeMapFile(d));
  EXPECT_EQ(back.header.caption, std::string(100, 'x'));
  EXPECT_EQ(back.header.font.name, std::string(30, 'F'));
  EXPECT_EQ(back.sheets[0].caption, std::string(50, 'c'));
  EXPECT_EQ(back.sheets[0].remark, std::string(100, 'r'));
  std::string fifty;
  for (int i = 0; i < 50; ++i) fifty += "Ж";
  EXPECT_EQ(back.sheets[0].parts[0].title, fifty);
}

// ---- Bytes written by hand ----

// A buffer filled at the offsets of the record tables.
struct Bytes {
  std::string b;
  explicit Bytes(std::size_t n) : b(n, '\0') {}
  void u8(std::size_t o, unsigned v) { b[o] = static_cast<char>(v); }
  void u16(std::size_t o, unsigned v) {
    u8(o, v & 0xFF);
    u8(o + 1, (v >> 8) & 0xFF);
  }
  void i32(std::size_t o, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (std::size_t i = 0; i < 4; ++i) u8(o + i, (u >> (8 * i)) & 0xFF);
  }
  void raw(std::size_t o, std::string_view s) { b.replace(o, s.size(), s); }
};

TEST(MapFileBinary, ReadsAFileWrittenByHandFromTheLayout) {
  Bytes h(318);
  h.raw(0, "\x06ZK_MAP");
  h.u16(7, 1);
  h.u8(11, 4);
  h.raw(12, text::utf8ToCp1251("Тест"));
  h.raw(16, "garbage after the text");  // meaningless bytes after a str
  h.u8(112, 7);                         // mode out of range: read as 1
  h.u8(113, 1);
  h.i32(134, 0x00FF00);  // MillColor
  h.i32(146, 0x0000FF);  // DetalColor
  h.i32(151, 0x00FFFF);  // ScrapColor
  h.i32(156, 0x101010);  // LostColor
  h.i32(161, 0x202020);  // SheetColor
  // Font at 280, the one the document takes: "Arial" in a str30 whose
  // remaining 25 bytes hold leftovers of a longer name.
  h.u8(280, 5);
  h.raw(281, "ArialXXXXXXXXXXXXXXXXXXXXXXXXX");
  h.u8(311, 12);
  h.i32(312, 0x0000FF);
  h.u8(316, kFontItalic);
  h.u8(317, 204);

  Bytes s(1 + 310);
  s.u8(0, 1);
  s.u16(1, 0);
  s.u8(1 + 53, 7);
  s.raw(1 + 54, text::utf8ToCp1251("1: Лист"));
  s.i32(1 + 205, 12);     // material
  s.u16(1 + 209, 60000);  // above 32767: unsigned
  s.u16(1 + 211, 2070);
  s.i32(1 + 219, 0x00C0C0);  // sheet colour (brush)
  s.u8(1 + 224, 30);         // a str30 holding a name cut to 30 characters
  s.raw(1 + 225, std::string(30, 'N'));
  s.u16(1 + 262, 5);  // kerf
  s.u16(1 + 264, 2);  // quantity
  s.u8(1 + 266, 0);
  // ScrapSquare = 1.5 as an x87 extended float: significand 0xC000...,
  // exponent 16383.
  s.raw(1 + 268, std::string("\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F", 10));
  // LostSquare = -3.0e6 (exponent 16383 + 21, significand 3e6 / 2^21).
  const auto lost = toFloat80(-3.0e6);
  s.raw(1 + 278, std::string(reinterpret_cast<const char*>(lost.data()), 10));
  s.u16(1 + 298, 17);
  s.raw(1 + 300, std::string("\x00\x00\x00\x00\x00\x00\x00\x80\x09\x40", 10));  // 1024.0

  Bytes p(1 + 149);
  p.u8(0, 2);
  p.u8(1 + 2, 2);
  p.raw(1 + 3, "P1");
  p.u16(1 + 53, static_cast<unsigned>(static_cast<std::uint16_t>(-5)));
  p.u16(1 + 55, 20);
  p.u16(1 + 57, 600);
  p.u16(1 + 59, 400);
  p.raw(1 + 61, "junk");    // reserved
  p.i32(1 + 71, 0xABCDEF);  // BrushColor
  p.u8(1 + 114, 1);
  p.u8(1 + 115, 0);
  p.u8(1 + 116, 1);
  p.i32(1 + 117, 3);
  p.i32(1 + 129, 6);
  p.i32(1 + 133, 0x111111);
  p.i32(1 + 145, 0x444444);

  Bytes unknownTag(1);
  unknownTag.u8(0, 9);

  Bytes o(1 + 117);
  o.u8(0, 3);
  o.u8(1 + 2, 3);
  o.raw(1 + 3, "Q-1");
  o.u16(1 + 53, 10);
  o.u16(1 + 57, 300);
  o.u16(1 + 59, 200);
  o.i32(1 + 71, 255);
  o.u8(1 + 114, 0);
  o.u8(1 + 115, 1);
  o.u8(1 + 116, 1);

  Bytes c(1 + 18);
  c.u8(0, 4);
  c.u16(1 + 2, 8);
  c.u16(1 + 4, 406);
  c.u16(1 + 6, 620);
  c.u16(1 + 8, 4);
  c.i32(1 + 10, 0x00FF00);
  c.u8(1 + 16, 1);
  c.u8(1 + 17, 1);

  Bytes u(1 + 63);
  u.u8(0, 5);
  u.i32(1 + 51, 12);
  u.u16(1 + 55, 2800);
  u.u16(1 + 57, 2070);
  u.u16(1 + 59, 3);
  u.u16(1 + 61, 10);

  const MapFileData d = parseMapFile(h.b + s.b + p.b + unknownTag.b + o.b + c.b + u.b);
  EXPECT_EQ(d.header.caption, "Тест");
  EXPECT_EQ(d.header.millMode, 1);
  EXPECT_TRUE(d.header.showBorder);
  EXPECT_FALSE(d.header.showHints);
  EXPECT_EQ(d.header.millColour, 0x00FF00);
  EXPECT_EQ(d.header.detalColour, 0x0000FF);
  EXPECT_EQ(d.header.scrapColour, 0x00FFFF);
  EXPECT_EQ(d.header.lostColour, 0x101010);
  EXPECT_EQ(d.header.sheetColour, 0x202020);
  EXPECT_EQ(d.header.font, (MapFont{"Arial", 12, 0x0000FF, kFontItalic, 204}));
  ASSERT_EQ(d.sheets.size(), 1u);
  const MapSheetRecord& sheet = d.sheets[0];
  EXPECT_EQ(sheet.caption, "1: Лист");
  EXPECT_EQ(sheet.material, 12);
  EXPECT_EQ(sheet.width, 60000);
  EXPECT_EQ(sheet.height, 2070);
  EXPECT_EQ(sheet.colour, 0x00C0C0);
  EXPECT_EQ(sheet.font.name, std::string(30, 'N'));
  EXPECT_EQ(sheet.millSize, 5);
  EXPECT_EQ(sheet.quantity, 2);
  EXPECT_DOUBLE_EQ(sheet.scrapSquare, 1.5);
  EXPECT_DOUBLE_EQ(sheet.lostSquare, -3.0e6);
  EXPECT_DOUBLE_EQ(sheet.detalsSquare, 0.0);
  EXPECT_EQ(sheet.millCount, 17);
  EXPECT_DOUBLE_EQ(sheet.millLength, 1024.0);
  ASSERT_EQ(sheet.parts.size(), 1u);
  EXPECT_EQ(sheet.parts[0].title, "P1");
  EXPECT_EQ(sheet.parts[0].left, -5);
  EXPECT_EQ(sheet.parts[0].brushColour, 0xABCDEF);
  EXPECT_TRUE(sheet.parts[0].showTitle);
  EXPECT_FALSE(sheet.parts[0].showDim);
  EXPECT_TRUE(sheet.parts[0].showBorder);
  EXPECT_EQ(sheet.parts[0].edges, (std::array<std::int32_t, 4>{3, 0, 0, 6}));
  EXPECT_EQ(sheet.parts[0].edgeColours, (std::array<std::int32_t, 4>{0x111111, 0, 0, 0x444444}));
  ASSERT_EQ(sheet.offcuts.size(), 1u);
  EXPECT_EQ(sheet.offcuts[0], (MapOffcutRecord{"Q-1", 10, 0, 300, 200, 255, false, true, true}));
  ASSERT_EQ(sheet.cuts.size(), 1u);
  EXPECT_EQ(sheet.cuts[0], (MapCutRecord{8, 406, 620, 4, 0x00FF00, true, true}));
  ASSERT_EQ(d.usedSheets.size(), 1u);
  EXPECT_EQ(d.usedSheets[0], (MapUsedSheetRecord{12, 2800, 2070, 3, 10}));
}

TEST(MapFileBinary, FixtureFromTheLayoutReadsAndWritesBackByteForByte) {
  const std::string bytes = readBytes(kData / "two_sheets.map");
  ASSERT_FALSE(bytes.empty());
  const MapFileData d = readMapFile(kData / "two_sheets.map");
  EXPECT_EQ(d.header.caption, "Кухня \"Ольха\"");
  EXPECT_EQ(d.header.millMode, 2);
  EXPECT_EQ(d.header.sheetColour, kSystemWorkspaceColour);
  EXPECT_EQ(d.header.font, (MapFont{"Tahoma", 9, 0x000080, kFontBold, 204}));
  ASSERT_EQ(d.sheets.size(), 2u);
  EXPECT_EQ(d.sheets[0].caption, "1: Листы 1 - 2");
  EXPECT_EQ(d.sheets[0].remark, "фасады");
  EXPECT_EQ(d.sheets[0].quantity, 2);
  EXPECT_DOUBLE_EQ(d.sheets[0].scrapSquare, 1250000.5);
  EXPECT_DOUBLE_EQ(d.sheets[0].lostSquare, 3010000.25);
  EXPECT_DOUBLE_EQ(d.sheets[0].detalsSquare, 1536000.0);
  EXPECT_DOUBLE_EQ(d.sheets[0].millLength, 2874.0);
  ASSERT_EQ(d.sheets[0].parts.size(), 2u);
  EXPECT_EQ(d.sheets[0].parts[0].title, "Дверь левая");
  EXPECT_EQ(d.sheets[0].parts[0].edges, (std::array<std::int32_t, 4>{1, 0, 2, 0}));
  ASSERT_EQ(d.sheets[0].offcuts.size(), 2u);
  EXPECT_FALSE(d.sheets[0].offcuts[0].useless);
  EXPECT_TRUE(d.sheets[0].offcuts[1].useless);
  EXPECT_EQ(d.sheets[0].cuts.size(), 2u);
  EXPECT_TRUE(d.sheets[1].isScraps);
  EXPECT_EQ(d.sheets[1].sheetName, "A-7");
  EXPECT_EQ(d.sheets[1].offcuts.at(0).name, "A-7/1");
  ASSERT_EQ(d.usedSheets.size(), 1u);
  EXPECT_EQ(d.usedSheets[0], (MapUsedSheetRecord{3, 2800, 2070, 5, 7}));
  EXPECT_EQ(serializeMapFile(d), bytes);
}

// ---- Extended floats ----

TEST(MapFileFloat80, KnownEncodingsAndRoundTrip) {
  const auto one = toFloat80(1.0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(one.data()), 10),
            std::string("\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F", 10));
  const auto minus = toFloat80(-2.5);  // 1.25 * 2^1
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(minus.data()), 10),
            std::string("\x00\x00\x00\x00\x00\x00\x00\xA0\x00\xC0", 10));
  EXPECT_EQ(toFloat80(0.0), (std::array<std::uint8_t, 10>{}));
  for (double v : {0.1, 1e-300, 5e-324, 1.7976931348623157e308, 123456789.125, -42.0}) {
    const auto bytes = toFloat80(v);
    EXPECT_EQ(fromFloat80(bytes.data()), v) << v;
  }
  // Values beyond the double's range read as infinite, which the file
  // reader refuses.
  const std::uint8_t huge[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F - 0x10};
  EXPECT_TRUE(std::isinf(fromFloat80(huge)));
}

// ---- Damaged input ----

TEST(MapFileDamaged, EveryCutOffFileIsRefusedOrReadsWholeRecords) {
  const std::string bytes = serializeMapFile(sampleDocument());
  std::size_t refused = 0;
  for (std::size_t n = kMapHeaderSize; n < bytes.size(); ++n) {
    try {
      const MapFileData d = parseMapFile(std::string_view(bytes).substr(0, n));
      // Cut at a record boundary: a prefix of the document.
      EXPECT_LE(d.sheets.size(), 2u);
    } catch (const MapFileError& e) {
      ++refused;
      EXPECT_NE(std::string(e.what()).find("повреждён"), std::string::npos);
    }
  }
  EXPECT_GT(refused, bytes.size() - kMapHeaderSize - 12);
}

// Without the magic a file is taken as the old text form, and only a text
// with a [Global] section counting its sheets is one: a cut-off header, a
// wrong magic or an empty file is no maps file at all.
TEST(MapFileDamaged, ShortFileOrWrongMagicIsTakenAsTheOldFormAndRefused) {
  std::string bytes = serializeMapFile(sampleDocument());
  EXPECT_THROW(parseMapFile(std::string_view(bytes).substr(0, 317)), MapFileError);
  bytes[0] = 5;
  EXPECT_THROW(parseMapFile(bytes), MapFileError);
  EXPECT_THROW(parseMapFile(""), MapFileError);
  EXPECT_THROW(parseMapFile("[Global]\r\nSheetsCount=1\r\n"), MapFileError);  // no [Sheet1]
  const MapFileData d = parseMapFile("[Global]\r\nSheetsCount=1\r\n[Sheet1]\r\nWidth=2800\r\n");
  EXPECT_EQ(d.format, MapFileFormat::OldText);
  EXPECT_EQ(d.header.caption, "Вариант раскроя");
  EXPECT_EQ(d.sheets.size(), 1u);
}

TEST(MapFileDamaged, LengthBytesLargerThanTheirFieldAreRefused) {
  std::string bytes = serializeMapFile(sampleDocument());
  std::string badCaption = bytes;
  badCaption[11] = static_cast<char>(101);
  EXPECT_THROW(parseMapFile(badCaption), MapFileError);
  std::string badFont = bytes;
  badFont[280] = static_cast<char>(31);
  EXPECT_THROW(parseMapFile(badFont), MapFileError);
  std::string badTitle = bytes;
  badTitle[318 + 1 + kSheetRecordSize + 1 + 2] = static_cast<char>(255);  // first part's str50
  EXPECT_THROW(parseMapFile(badTitle), MapFileError);
}

TEST(MapFileDamaged, ElementBeforeAnySheetIsRefused) {
  MapFileData d;
  std::string bytes = serializeMapFile(d);
  bytes += '\x04';
  bytes += std::string(kCutRecordSize, '\0');
  EXPECT_THROW(parseMapFile(bytes), MapFileError);
}

TEST(MapFileDamaged, StoredFloatsThatAreNotNumbersAreRefused) {
  MapFileData d;
  d.sheets.emplace_back();
  std::string bytes = serializeMapFile(d);
  std::string nan = bytes;
  nan[318 + 1 + 268 + 8] = '\xFF';
  nan[318 + 1 + 268 + 9] = '\x7F';
  nan[318 + 1 + 268 + 7] = '\xC0';
  EXPECT_THROW(parseMapFile(nan), MapFileError);
}

TEST(MapFileDamaged, UnknownTagsArePassedOver) {
  MapFileData d;
  d.sheets.emplace_back();
  std::string bytes = serializeMapFile(d);
  bytes += std::string("\x00\x07\xFF", 3);
  const MapFileData back = parseMapFile(bytes);
  EXPECT_EQ(back.sheets.size(), 1u);
}

TEST(MapFileDamaged, ReadingAMissingFileSaysSo) {
  TempDir dir;
  EXPECT_THROW(readMapFile(dir / "none.map"), MapFileError);
}

// ---- Limits of the 16-bit fields ----

TEST(MapFileLimits, ValuesOutsideTheirFieldsRefuseTheSave) {
  const MapFileData good = sampleDocument();
  EXPECT_EQ(checkMapFile(good), std::nullopt);

  MapFileData d = good;
  d.sheets[0].width = 70000;
  const std::string fault = checkMapFile(d).value_or("");
  EXPECT_NE(fault.find("70000"), std::string::npos) << fault;
  EXPECT_NE(fault.find("65535"), std::string::npos) << fault;
  EXPECT_NE(fault.find("1: Листы 1 - 3"), std::string::npos) << fault;
  EXPECT_THROW(serializeMapFile(d), MapFileError);

  auto refused = [&](auto change) {
    MapFileData x = good;
    change(x);
    return checkMapFile(x).has_value();
  };
  EXPECT_TRUE(refused([](MapFileData& x) { x.sheets[0].height = -1; }));
  EXPECT_TRUE(refused([](MapFileData& x) { x.sheets[1].quantity = 65536; }));
  EXPECT_TRUE(refused([](MapFileData& x) { x.sheets[0].millCount = 70000; }));
  EXPECT_TRUE(refused([](MapFileData& x) { x.sheets[0].millSize = -4; }));
  EXPECT_TRUE(refused([](MapFileData& x) { x.sheets[0].parts[1].left = 32768; }));
  EXPECT_TRUE(refused([](MapFileData& x) { x.sheets[0].offcuts[0].width = 40000; }));
  EXPECT_TRUE(refused([](MapFileData& x) { x.sheets[0].cuts[0].top = -32769; }));
  EXPECT_TRUE(refused([](MapFileData& x) { x.usedSheets[0].length = 40000; }));
  EXPECT_TRUE(refused([](MapFileData& x) { x.usedSheets[0].remaining = -1; }));
  EXPECT_TRUE(refused([](MapFileData& x) { x.sheets[0].lostSquare = std::nan(""); }));
  EXPECT_TRUE(refused([](MapFileData& x) { x.header.millMode = 3; }));
  EXPECT_FALSE(refused([](MapFileData& x) { x.sheets[0].parts[1].left = 32767; }));
}

TEST(MapFileLimits, ARefusedOrFailedSaveLeavesTheOldFile) {
  TempDir dir;
  const auto path = dir / "old.map";
  writeBytes(path, "previous contents");
  MapFileData d = sampleDocument();
  d.sheets[0].width = 70000;
  EXPECT_THROW(writeMapFile(path, d), MapFileError);
  EXPECT_EQ(readBytes(path), "previous contents");

  // A folder standing where the file should go: the new file cannot be
  // renamed over it, and nothing is left behind.
  std::filesystem::create_directory(dir / "taken.map");
  EXPECT_THROW(writeMapFile(dir / "taken.map", sampleDocument()), MapFileError);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.map"));
  std::size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 2u);

  writeMapFile(path, sampleDocument());
  EXPECT_EQ(readMapFile(path), sampleDocument());
}

// ---- Old text form ----

TEST(MapFileOldForm, FixtureReadsWithItsDefaults) {
  const MapFileData d = readMapFile(kData / "old_format.map");
  EXPECT_EQ(d.format, MapFileFormat::OldText);
  EXPECT_EQ(d.header.caption, "Старый вариант");
  EXPECT_EQ(d.header.millMode, 1);
  EXPECT_FALSE(d.header.showHints);
  EXPECT_FALSE(d.header.showScrapsText);
  EXPECT_EQ(d.header.font, (MapFont{"Arial Cyr", 10, 128, kFontBold, 204}));
  ASSERT_EQ(d.sheets.size(), 2u);

  const MapSheetRecord& s1 = d.sheets[0];
  EXPECT_EQ(s1.material, 3);
  EXPECT_EQ(s1.remark, "заказ 12");
  EXPECT_EQ(s1.width, 2800);
  EXPECT_EQ(s1.height, 2070);
  EXPECT_EQ(s1.colour, kSystemWorkspaceColour);
  EXPECT_EQ(s1.quantity, 3);
  EXPECT_DOUBLE_EQ(s1.millLength, 2874.5);
  EXPECT_EQ(s1.caption, "1: Листы 1 - 3");
  EXPECT_EQ(s1.font, d.header.font);
  // DetalsCount 2 with keys for part 1 only: a second part at 0, 0.
  ASSERT_EQ(s1.parts.size(), 2u);
  EXPECT_EQ(s1.parts[0].title, "Дверь");
  EXPECT_EQ(s1.parts[0].edges, (std::array<std::int32_t, 4>{1, 0, 2, 0}));
  EXPECT_EQ(s1.parts[1].left, 0);
  EXPECT_EQ(s1.parts[1].width, 0);
  EXPECT_EQ(s1.parts[1].brushColour, 0xFFFFFF);
  EXPECT_TRUE(s1.parts[1].showTitle);
  EXPECT_TRUE(s1.parts[1].showDim);
  ASSERT_EQ(s1.offcuts.size(), 1u);
  EXPECT_EQ(s1.offcuts[0].name, "Б-1");
  ASSERT_EQ(s1.cuts.size(), 2u);
  EXPECT_TRUE(s1.cuts[0].alongX);   // no MillOrient, 2780 wide and 4 high
  EXPECT_FALSE(s1.cuts[1].alongX);  // MillOrient2=0

  // Section and key names in other letter case.
  const MapSheetRecord& s2 = d.sheets[1];
  EXPECT_EQ(s2.material, 4);
  EXPECT_EQ(s2.width, 1200);
  EXPECT_TRUE(s2.isScraps);
  EXPECT_EQ(s2.sheetName, "Остаток 5");
  EXPECT_EQ(s2.millSize, 4);
  EXPECT_EQ(s2.quantity, 1);

  // ShowBorder of the document and every part: that of the last part read
  // (Sheet2's part 1 has ShowBorder1=1, overriding Sheet1's 0).
  EXPECT_TRUE(d.header.showBorder);
  EXPECT_TRUE(s1.parts[0].showBorder);
}

TEST(MapFileOldForm, DocumentWithoutPartsHasNoEdgeBanding) {
  const MapFileData d = parseOldMapFile("[Global]\r\nSheetsCount=1\r\nShowBorder=1\r\n[Sheet1]\r\nWidth=100\r\n");
  ASSERT_EQ(d.sheets.size(), 1u);
  EXPECT_FALSE(d.header.showBorder);
  EXPECT_EQ(d.sheets[0].material, -1);
  EXPECT_EQ(d.header.font.name, "Arial Cyr");
}

TEST(MapFileOldForm, DamagedOldFilesAreRefused) {
  // A mill-lines mode that names no menu item.
  EXPECT_THROW(parseOldMapFile("[Global]\nMillState=3\n"), MapFileError);
  EXPECT_THROW(parseOldMapFile("[Global]\nMillState=-1\n"), MapFileError);
  // Counts the file has no room for are refused before anything is made.
  EXPECT_THROW(parseOldMapFile("[Global]\nSheetsCount=2000000000\n"), MapFileError);
  EXPECT_THROW(parseOldMapFile("[Global]\nSheetsCount=60000\n"), MapFileError);
  EXPECT_THROW(parseOldMapFile("[Global]\nSheetsCount=1\n[Sheet1]\nDetalsCount=65535\n"), MapFileError);
  EXPECT_THROW(parseOldMapFile("[Global]\nSheetsCount=1\n[Sheet1]\nMillsCount=99999999\n"), MapFileError);
  // Negative counts are none.
  const MapFileData d = parseOldMapFile("[Global]\nSheetsCount=1\n[Sheet1]\nDetalsCount=-5\n");
  ASSERT_EQ(d.sheets.size(), 1u);
  EXPECT_TRUE(d.sheets[0].parts.empty());
}

TEST(MapFileOldForm, NumbersReadAsTheOldProgramWroteThem) {
  const MapFileData d = parseOldMapFile(
      "[Global]\nSheetsCount=1\n[Sheet1]\nColor=$00FF00\nWidth= 2800 \nHeigth=12abc\n"
      "MillLinesLength=12,5\nQuantity=0x10\nMillSize=99999999999\n");
  const MapSheetRecord& s = d.sheets.at(0);
  EXPECT_EQ(s.colour, 0x00FF00);
  EXPECT_EQ(s.width, 2800);
  EXPECT_EQ(s.height, 0);  // not a number: the default
  EXPECT_DOUBLE_EQ(s.millLength, 12.5);
  EXPECT_EQ(s.quantity, 16);
  EXPECT_EQ(s.millSize, 4);  // out of range: the default
}

// ---- INI export ----

TEST(MapExport, SectionsKeysAndCountsInOrder) {
  MapFileData d;
  MapSheetRecord s;
  s.caption = "1: Лист 1";
  s.material = 3;
  s.width = 2800;
  s.height = 2070;
  s.quantity = 2;
  MapPartRecord p;
  p.title = "Дверь";
  p.width = 600;
  p.height = 400;
  s.parts.push_back(p);
  s.offcuts.push_back({"Б-1", 0, 0, 1000, 500, 0, false, false, false});
  s.offcuts.push_back({"", 0, 0, 30, 500, 0, true, false, false});
  s.offcuts.push_back({"", 0, 0, 900, 450, 0, false, false, false});
  d.sheets.push_back(s);
  MapSheetRecord empty;
  empty.caption = "2: Лист 2";
  empty.material = 99;
  d.sheets.push_back(empty);

  const std::string text = text::cp1251ToUtf8(
      serializeMapExport(d, [](std::int32_t code) { return code == 3 ? std::string("ДСП 16") : std::string(); }));
  EXPECT_EQ(text,
            "[SHEET1]\r\nSNAME=1: Лист 1\r\nSMATERIAL=ДСП 16\r\nSWIDTH=2800\r\nSHEIGHT=2070\r\n"
            "SQUANTITY=2\r\nD1=\"Дверь\",600,400\r\nS1=\"Б-1\",1000,500\r\nLS1=\"\",30,500\r\n"
            "S2=\"\",900,450\r\nDCOUNT=1\r\nSCOUNT=2\r\nLSCOUNT=1\r\n"
            "\r\n[SHEET2]\r\nSNAME=2: Лист 2\r\nSMATERIAL=\r\nSWIDTH=0\r\nSHEIGHT=0\r\nSQUANTITY=1\r\n"
            "DCOUNT=0\r\nSCOUNT=0\r\nLSCOUNT=0\r\n");
}

TEST(MapExport, WriteReplacesTheFileAndKeepsItOnFailure) {
  TempDir dir;
  const auto path = dir / "out.ini";
  writeBytes(path, "old");
  MapFileData d = sampleDocument();
  d.sheets[0].parts[0].title = "two\r\nlines";
  writeMapExport(path, d, {});
  const std::string written = readBytes(path);
  EXPECT_NE(written.find("D1=\"two  lines\",600,400\r\n"), std::string::npos);
  std::filesystem::create_directory(dir / "dir.ini");
  EXPECT_THROW(writeMapExport(dir / "dir.ini", d, {}), MapFileError);
  EXPECT_EQ(readBytes(path), written);
}

}  // namespace
}  // namespace kroyna::maps
