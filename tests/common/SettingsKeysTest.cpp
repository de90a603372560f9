#include "common/settings/SettingsKeys.h"

#include <gtest/gtest.h>

#include "common/settings/AllMaterials.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"
#include "support/TempDir.h"

namespace kroyna::common {
namespace {

using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;

ini::IniFile fileWith(const TempDir& dir, const std::string& text) {
  writeBytes(dir / "Kroyna.ini", text::utf8ToCp1251(text));
  return ini::IniFile(dir / "Kroyna.ini");
}

TEST(SettingsKeys, ValuesOutsideTheirRangeReadAsTheKeySays) {
  TempDir dir;
  ini::IniFile ini = fileWith(dir,
                              "[Default]\r\nLenDigits=15\r\nSqrDigits=-2\r\nOptimization=7\r\nMill=-3\r\n"
                              "[SheetParams]\r\nMillState=5\r\n[Rotate]\r\nDefault=9\r\n");
  EXPECT_EQ(read(ini, keys::LenDigits), 10);  // the nearer end
  EXPECT_EQ(read(ini, keys::SqrDigits), 0);
  EXPECT_EQ(read(ini, keys::Criterion), 0);  // the default
  EXPECT_EQ(read(ini, keys::CutsShown), 0);  // a mode above 2 hides the cuts
  EXPECT_EQ(read(ini, keys::Kerf), 0);
  EXPECT_EQ(read(ini, keys::DefRotation), 2);
  // Missing keys give their defaults.
  EXPECT_EQ(read(ini, keys::TrimLeft), 10);
  EXPECT_EQ(read(ini, keys::SheetColour), kAppWorkspaceColour);
  EXPECT_TRUE(read(ini, keys::ShowName));
  EXPECT_EQ(read(ini, keys::MaxCutLength), "0");
  // Writing brings a value into the range the same way.
  write(ini, keys::LenDigits, 40);
  EXPECT_EQ(ini.readInt("Default", "LenDigits", 0), 10);
}

TEST(SettingsKeys, TheMapFontIsOneKeyGroupWhateverTheCaseItWasWrittenIn) {
  TempDir dir;
  ini::IniFile ini = fileWith(dir,
                              "[SheetParams]\r\nFontName=Tahoma\r\nFontCharSet=186\r\nFontSize=11\r\n"
                              "FontBold=1\r\nFontColor=255\r\n");
  FontKeys f = readMapFont(ini);
  EXPECT_EQ(f.name, "Tahoma");
  EXPECT_EQ(f.charset, 186);
  EXPECT_EQ(f.size, 11);
  EXPECT_TRUE(f.bold);
  EXPECT_EQ(f.colour, 255);
  f.charset = 204;
  writeMapFont(ini, f);
  // The key keeps one entry in the file, under the spelling it had.
  const std::string bytes = readBytes(dir / "Kroyna.ini");
  EXPECT_NE(bytes.find("FontCharSet=204"), std::string::npos) << bytes;
  EXPECT_EQ(bytes.find("FontCharset"), std::string::npos) << bytes;
  EXPECT_EQ(readMapFont(ini), f);
  // Without keys: the maps' default font.
  TempDir empty;
  const FontKeys def = readMapFont(ini::IniFile(empty / "Kroyna.ini"));
  EXPECT_EQ(def.name, "MS Sans Serif");
  EXPECT_EQ(def.size, 8);
  EXPECT_EQ(def.charset, 204);
}

TEST(SettingsKeys, ANewRowTakesTheFiltersMaterialOrTheDefaultMaterial) {
  TempDir dir;
  ini::IniFile ini = fileWith(dir, "[Default]\r\nDefMaterial=4\r\n");
  EXPECT_EQ(newRowMaterial(ini, 7), 7);
  EXPECT_EQ(newRowMaterial(ini, kAllMaterials), 4);
  ini.writeString("Default", "DefMaterial", "999");
  EXPECT_EQ(newRowMaterial(ini, kAllMaterials), 0);
  ini.writeString("Default", "DefMaterial", "-5");
  EXPECT_EQ(newRowMaterial(ini, kAllMaterials), 0);
}

}  // namespace
}  // namespace kroyna::common
