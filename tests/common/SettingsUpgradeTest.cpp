#include "common/SettingsUpgrade.h"

#include <gtest/gtest.h>

#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"
#include "support/TempDir.h"

using kroyna::common::settingsBackupPath;
using kroyna::common::upgradeSettings;
using kroyna::ini::IniError;
using kroyna::ini::IniFile;
using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;
using kroyna::text::utf8ToCp1251;

namespace {

// A version 1 settings file: no `Version` key, one material with every
// old key, one with a single old key, one already in the new layout, and
// a window section whose name also begins with "Material".
std::string versionOneFile() {
  return utf8ToCp1251(
      "[Default]\r\n"
      "LenDigits=2\r\n"
      "\r\n"
      "[Material5]\r\n"
      "MarkNumbering=1\r\nMarkPrefix=ОСТ\r\nMarkSuffix=-A b\r\nMarkMaxNumber=17\r\n"
      "CheckLogicSumma=1\r\nCheckLength=1\r\nLength=300\r\nCheckHeight=0\r\nHeight=200\r\n"
      "CheckSquare=1\r\nSquare=90000\r\nCheckSquareWidth=0\r\nSquareWidth=100\r\n"
      "CheckSquareHeight=1\r\nSquareHeight=150\r\n"
      "Enabled=0\r\nSheetWidth=2750\r\nSheetHeight=1830\r\nUseScraps=1\r\nStandart=1\r\n"
      "ExSearch=3\r\nAlgorithmNumber=2\r\nDefQuantity=10\r\nAlgorithm=1\r\n"
      "Remark=Заказ, срочно\r\nOneDimOpt=1\r\nMinSheetsQuantity=5\r\n"
      "\r\n"
      "[material12]\r\n"
      "length=250\r\n"
      "\r\n"
      "[Material9]\r\n"
      "Mark=0,,,0\r\nScrap=0,0,0,0,0,0,0,0,0,0,0,1\r\nOptim=1,2500,1830,0,1,0,0,0,0,,0\r\nWH=2\r\n"
      "\r\n"
      "[Materials_Window]\r\n"
      "ColWidth=150\r\n");
}

}  // namespace

TEST(SettingsUpgrade, VersionOneIsUpgradedOnceWithABackup) {
  TempDir dir;
  const auto path = dir / "Kroyna.ini";
  const std::string original = versionOneFile();
  writeBytes(path, original);
  IniFile ini(path);

  EXPECT_TRUE(upgradeSettings(ini));
  EXPECT_EQ(settingsBackupPath(path), dir / "Kroyna.~ini");
  EXPECT_EQ(readBytes(dir / "Kroyna.~ini"), original);

  const IniFile after(path);
  EXPECT_EQ(after.readInt("Default", "Version", 0), 2);
  EXPECT_EQ(after.readSectionKeys("Material5"), (std::vector<std::string>{"Mark", "Scrap", "Optim", "WH"}));
  EXPECT_EQ(after.readString("Material5", "Mark"), "1,ОСТ,\"-A b\",17");
  EXPECT_EQ(after.readString("Material5", "Scrap"), "1,1,300,0,200,1,90000,0,100,1,150,1");
  EXPECT_EQ(after.readString("Material5", "Optim"), "0,2750,1830,1,1,3,2,10,1,\"Заказ, срочно\",1");
  EXPECT_EQ(after.readString("Material5", "WH"), "5");
  // Missing old keys take their defaults; `Enabled` defaults to true.
  EXPECT_EQ(after.readSectionKeys("Material12"), (std::vector<std::string>{"Mark", "Scrap", "Optim", "WH"}));
  EXPECT_EQ(after.readString("Material12", "Mark"), "0,,,0");
  EXPECT_EQ(after.readString("Material12", "Scrap"), "0,0,250,0,0,0,0,0,0,0,0,1");
  EXPECT_EQ(after.readString("Material12", "Optim"), "1,0,0,0,0,0,0,0,0,,0");
  EXPECT_EQ(after.readString("Material12", "WH"), "0");
  // Sections without old keys keep what they hold.
  EXPECT_EQ(after.readString("Material9", "Optim"), "1,2500,1830,0,1,0,0,0,0,,0");
  EXPECT_EQ(after.readString("Material9", "WH"), "2");
  EXPECT_EQ(after.readSectionValues("Materials_Window"),
            (std::vector<std::pair<std::string, std::string>>{{"ColWidth", "150"}}));
  EXPECT_EQ(after.readInt("Default", "LenDigits", 0), 2);

  // A second start leaves the file and the backup alone.
  const std::string upgraded = readBytes(path);
  std::filesystem::remove(dir / "Kroyna.~ini");
  IniFile second(path);
  EXPECT_FALSE(upgradeSettings(second));
  EXPECT_EQ(readBytes(path), upgraded);
  EXPECT_FALSE(std::filesystem::exists(dir / "Kroyna.~ini"));
}

TEST(SettingsUpgrade, MissingFileGetsVersionTwoAndNoBackup) {
  TempDir dir;
  IniFile ini(dir / "Kroyna.ini");
  EXPECT_TRUE(upgradeSettings(ini));
  EXPECT_EQ(readBytes(dir / "Kroyna.ini"), "[Default]\r\nVersion=2\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "Kroyna.~ini"));
}

TEST(SettingsUpgrade, LaterVersionsAreNotTouched) {
  TempDir dir;
  const std::string text = "[Default]\r\nVersion=3\r\n[Material1]\r\nLength=5\r\n";
  writeBytes(dir / "Kroyna.ini", text);
  IniFile ini(dir / "Kroyna.ini");
  EXPECT_FALSE(upgradeSettings(ini));
  EXPECT_EQ(readBytes(dir / "Kroyna.ini"), text);
  EXPECT_FALSE(std::filesystem::exists(dir / "Kroyna.~ini"));
}

TEST(SettingsUpgrade, NoBackupMeansNoUpgrade) {
  TempDir dir;
  const std::string original = versionOneFile();
  writeBytes(dir / "Kroyna.ini", original);
  std::filesystem::create_directories(dir / "Kroyna.~ini" / "occupied");
  IniFile ini(dir / "Kroyna.ini");
  try {
    upgradeSettings(ini);
    FAIL() << "upgraded without a backup";
  } catch (const IniError& e) {
    EXPECT_NE(std::string(e.what()).find((dir / "Kroyna.~ini").string()), std::string::npos) << e.what();
  }
  EXPECT_EQ(readBytes(dir / "Kroyna.ini"), original);
  EXPECT_FALSE(ini.keyExists("Default", "Version"));
}
