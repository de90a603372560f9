#include "common/SettingsUtils.h"
#include "common/ui/HeaderWidths.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QPalette>
#include <QTableWidget>

#include <set>
#include <stdexcept>

#include "platform/ini/IniFile.h"
#include "support/TempDir.h"

using namespace kroyna::common;
using kroyna::ini::IniFile;
using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;

TEST(SettingsColours, WindowsColourIntegers) {
  EXPECT_EQ(toQColor(255), QColor(255, 0, 0));
  EXPECT_EQ(toQColor(0xFF0000), QColor(0, 0, 255));
  EXPECT_EQ(toQColor(0x00FF00), QColor(0, 255, 0));
  EXPECT_EQ(fromQColor(QColor(0x12, 0x34, 0x56)), 0x563412);
  EXPECT_EQ(toQColor(kAppWorkspaceColour), QGuiApplication::palette().color(QPalette::Dark));
  EXPECT_EQ(toQColor(kButtonFaceColour), QGuiApplication::palette().color(QPalette::Button));
  EXPECT_EQ(kAppWorkspaceColour, -2147483636);

  TempDir dir;
  writeBytes(dir / "c.ini", "[C]\r\nsigned=-2147483636\r\nunsigned=2147483660\r\nbad=red\r\n");
  IniFile ini(dir / "c.ini");
  EXPECT_EQ(readColour(ini, "C", "signed", 0), kAppWorkspaceColour);
  EXPECT_EQ(readColour(ini, "C", "unsigned", 0), kAppWorkspaceColour);
  EXPECT_EQ(readColour(ini, "C", "bad", 255), 255);
  EXPECT_EQ(readColour(ini, "C", "missing", 0xFFFFFF), 0xFFFFFF);
  writeColour(ini, "C", "out", kButtonFaceColour);
  EXPECT_EQ(ini.readString("C", "out"), "-2147483633");
}

TEST(SettingsStyleKeys, FontBrushPenDefaultsRoundTripAndConversion) {
  TempDir dir;
  IniFile ini(dir / "s.ini");
  // Defaults on an empty file.
  EXPECT_EQ(readFont(ini, "PrnSetupAdv", "DetalFont"), FontKeys{});
  EXPECT_EQ(readBrush(ini, "PrnSetupAdv", "DetalBrush").colour, 0xFFFFFF);
  EXPECT_EQ(readPen(ini, "PrnSetupAdv", "MillPen").width, 1);

  FontKeys f;
  f.name = "DejaVu Sans";
  f.colour = 0x0000FF;
  f.size = 12;
  f.charset = 0;
  f.bold = f.strikeOut = true;
  writeFont(ini, "PrnSetupAdv", "DetalFont", f);
  writeBrush(ini, "PrnSetupAdv", "ScrapBrush", {0x00FF00, 6});
  writePen(ini, "PrnSetupAdv", "MillPen", {0xFF0000, 2, 3});
  EXPECT_EQ(ini.readString("PrnSetupAdv", "DetalFont_Style_B"), "1");
  EXPECT_EQ(ini.readString("PrnSetupAdv", "MillPen_Width"), "3");

  const IniFile again(dir / "s.ini");
  EXPECT_EQ(readFont(again, "prnsetupadv", "DETALFONT"), f);
  EXPECT_EQ(readBrush(again, "PrnSetupAdv", "ScrapBrush"), (BrushKeys{0x00FF00, 6}));
  EXPECT_EQ(readPen(again, "PrnSetupAdv", "MillPen"), (PenKeys{0xFF0000, 2, 3}));

  const QFont qf = toQFont(f);
  EXPECT_EQ(qf.family(), "DejaVu Sans");
  EXPECT_EQ(qf.pointSize(), 12);
  EXPECT_TRUE(qf.bold());
  EXPECT_TRUE(qf.strikeOut());
  EXPECT_FALSE(qf.italic());
  EXPECT_EQ(fromQFont(qf, f.colour, f.charset), f);
  FontKeys damaged;
  damaged.size = -3;
  EXPECT_EQ(toQFont(damaged).pointSize(), 10);

  const QBrush b = toQBrush({0x00FF00, 6});
  EXPECT_EQ(b.style(), Qt::CrossPattern);
  EXPECT_EQ(b.color(), QColor(0, 255, 0));
  EXPECT_EQ(brushStyle(1), Qt::NoBrush);
  EXPECT_EQ(brushStyle(4), Qt::FDiagPattern);
  EXPECT_EQ(brushStyle(99), Qt::SolidPattern);

  const QPen p = toQPen({0xFF0000, 2, 3});
  EXPECT_EQ(p.style(), Qt::DotLine);
  EXPECT_EQ(p.width(), 3);
  EXPECT_EQ(p.color(), QColor(0, 0, 255));
  EXPECT_EQ(penStyle(5), Qt::NoPen);
  EXPECT_EQ(penStyle(-1), Qt::SolidLine);
  EXPECT_EQ(toQPen({0, 0, 0}).width(), 1);
}

TEST(SettingsColumnWidths, VectorAndHeaderView) {
  TempDir dir;
  writeBytes(dir / "w.ini", "[ModelsBase]\r\nlvw_Width0=80\r\nlvw_Width2=-5\r\nlvw_Width3=x\r\n");
  IniFile ini(dir / "w.ini");
  // Missing, negative or damaged widths keep the current width.
  EXPECT_EQ(readColumnWidths(ini, "ModelsBase", "lvw", {65, 65, 65, 65}), (std::vector<int>{80, 65, 65, 65}));
  writeColumnWidths(ini, "ModelsBase", "lvw", {10, 20, 30});
  EXPECT_EQ(readBytes(dir / "w.ini"),
            "[ModelsBase]\r\nlvw_Width0=10\r\nlvw_Width2=30\r\nlvw_Width3=x\r\nlvw_Width1=20\r\n");

  QTableWidget table(1, 3);
  QHeaderView& header = *table.horizontalHeader();
  header.resizeSection(0, 41);
  header.resizeSection(1, 52);
  header.resizeSection(2, 63);
  writeColumnWidths(ini, "BorderInfo_Window", "grid", header);
  header.resizeSection(0, 100);
  header.resizeSection(2, 100);
  readColumnWidths(ini, "BorderInfo_Window", "grid", header);
  EXPECT_EQ(header.sectionSize(0), 41);
  EXPECT_EQ(header.sectionSize(1), 52);
  EXPECT_EQ(header.sectionSize(2), 63);
}

TEST(SettingsNumbered, AppendTakesTheSmallestFreeNumber) {
  TempDir dir;
  writeBytes(dir / "n.ini", "[Files]\r\n1=a.krb\r\n2=b.krb\r\n4=d.krb\r\n");
  IniFile ini(dir / "n.ini");
  EXPECT_EQ(appendNumbered(ini, "Files", "c.krb"), 3);
  EXPECT_EQ(appendNumbered(ini, "files", "e.krb"), 5);
  EXPECT_EQ(ini.readString("Files", "3"), "c.krb");
  EXPECT_EQ(appendNumbered(ini, "Empty", "x"), 1);
}

TEST(SettingsNumbers, LengthAndAreaFormats) {
  EXPECT_EQ(fixedPointPattern(2), "#0.00");
  EXPECT_EQ(fixedPointPattern(0), "#0.");
  EXPECT_EQ(formatLength(1234, 2), "1.23");
  EXPECT_EQ(formatLength(1005, 2), "1.01");  // a decimal half rounds up
  EXPECT_EQ(formatLength(1004, 2), "1.00");
  EXPECT_EQ(formatLength(-1005, 2), "-1.01");
  EXPECT_EQ(formatLength(-1, 2), "0.00");  // no "-0.00"
  EXPECT_EQ(formatLength(0, 2), "0.00");
  EXPECT_EQ(formatLength(45, 2), "0.05");
  EXPECT_EQ(formatLength(1500, 0), "2");
  EXPECT_EQ(formatLength(1234, 10), "1.2340000000");
  EXPECT_EQ(formatLength(1234, 25), "1.2340000000");  // at most 10 decimals
  EXPECT_EQ(formatArea(2500000, 3), "2.500");
  EXPECT_EQ(formatArea(1500, 3), "0.002");
  EXPECT_EQ(formatArea(2745 * 1830.0, 3), "5.023");  // 5.02335
  EXPECT_EQ(formatArea(5.0e13, 2), "50000000.00");
  EXPECT_EQ(formatFixed(2.345, 1), "2.3");
  EXPECT_EQ(formatFixed(99.96, 1), "100.0");
}

TEST(SettingsNumbers, TextToFloatGivesZeroForNonNumbers) {
  EXPECT_DOUBLE_EQ(textToFloat(QStringLiteral("1.5")), 1.5);
  EXPECT_DOUBLE_EQ(textToFloat(QStringLiteral(" -2.25 ")), -2.25);
  EXPECT_DOUBLE_EQ(textToFloat(QStringLiteral("+3")), 3);
  EXPECT_DOUBLE_EQ(textToFloat(QStringLiteral("1e3")), 1000);
  EXPECT_DOUBLE_EQ(textToFloat(QStringLiteral("abc")), 0);
  EXPECT_DOUBLE_EQ(textToFloat(QStringLiteral("")), 0);
  EXPECT_DOUBLE_EQ(textToFloat(QStringLiteral("1,5")), 0);
  EXPECT_DOUBLE_EQ(textToFloat(QStringLiteral("12 мм")), 0);
  EXPECT_DOUBLE_EQ(textToFloat(QStringLiteral("inf")), 0);
  EXPECT_DOUBLE_EQ(textToFloat(std::string_view("7.25")), 7.25);
}

TEST(SettingsFolders, NormalizeFolder) {
  EXPECT_EQ(normalizeFolder(QStringLiteral("  D:\\Склад\\Базы  ")), QStringLiteral("D:/Склад/Базы/"));
  EXPECT_EQ(normalizeFolder(QStringLiteral("/home/user/mat/")), QStringLiteral("/home/user/mat/"));
  EXPECT_EQ(normalizeFolder(QStringLiteral("rel")), QStringLiteral("rel/"));
  EXPECT_EQ(normalizeFolder(QStringLiteral("   ")), QString());
  EXPECT_EQ(normalizeFolder(std::string_view("a\\b")), "a/b/");
}

TEST(SettingsCodes, RandomUnusedCode) {
  std::set<int> used = {1, 2, 3, 5, 6, 7, 8, 9};
  for (int i = 0; i < 20; ++i) EXPECT_EQ(randomUnusedCode(10, [&](int c) { return used.count(c) > 0; }), 4);

  std::set<int> seen;
  for (int i = 0; i < 200; ++i) {
    const int c = randomUnusedCode(1000, [](int c) { return c % 2 == 0; });
    EXPECT_GE(c, 1);
    EXPECT_LE(c, 999);
    EXPECT_EQ(c % 2, 1);
    seen.insert(c);
  }
  EXPECT_GT(seen.size(), 50u);  // random, not always the same code

  int calls = 0;
  EXPECT_THROW(randomUnusedCode(100000,
                                [&](int) {
                                  ++calls;
                                  return true;
                                }),
               std::runtime_error);
  EXPECT_LE(calls, 100000 + 256);
  EXPECT_THROW(randomUnusedCode(1, [](int) { return false; }), std::invalid_argument);
}
