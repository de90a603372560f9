#include "common/SettingsUpgrade.h"

#include <array>
#include <fstream>
#include <iterator>
#include <string>

#include "common/settings/MaterialSettings.h"
#include "platform/file/ReadFile.h"
#include "platform/ini/CommaList.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"

namespace kroyna::common {
namespace {

// Keys of the per-material sections of layout version 1.
constexpr std::array<const char*, 27> kOldKeys = {
    "MarkNumbering", "MarkPrefix",        "MarkSuffix",       "MarkMaxNumber",   "CheckLogicSumma", "CheckLength",
    "Length",        "CheckHeight",       "Height",           "CheckSquare",     "Square",          "CheckSquareWidth",
    "SquareWidth",   "CheckSquareHeight", "SquareHeight",     "Enabled",         "SheetWidth",      "SheetHeight",
    "UseScraps",     "Standart",          "ExSearch",         "AlgorithmNumber", "DefQuantity",     "Algorithm",
    "Remark",        "OneDimOpt",         "MinSheetsQuantity"};

bool isMaterialSection(const std::string& name) { return text::toUpperUtf8(name).rfind("MATERIAL", 0) == 0; }

bool hasOldKeys(const ini::IniFile& ini, const std::string& section) {
  for (const char* k : kOldKeys)
    if (ini.keyExists(section, k)) return true;
  return false;
}

void convertMaterialSection(ini::IniFile& ini, const std::string& s) {
  auto b = [&](const char* k, bool def = false) { return ini.readBool(s, k, def); };
  auto i = [&](const char* k) { return ini.readInt(s, k, 0); };
  auto str = [&](const char* k) { return ini.readString(s, k); };

  ini::CommaList mark;
  mark.add(b("MarkNumbering")).add(str("MarkPrefix")).add(str("MarkSuffix")).add(i("MarkMaxNumber"));

  ini::CommaList scrap;
  scrap.add(b("CheckLogicSumma"))
      .add(b("CheckLength"))
      .add(i("Length"))
      .add(b("CheckHeight"))
      .add(i("Height"))
      .add(b("CheckSquare"))
      .add(i("Square"))
      .add(b("CheckSquareWidth"))
      .add(i("SquareWidth"))
      .add(b("CheckSquareHeight"))
      .add(i("SquareHeight"))
      .add(1);

  ini::CommaList optim;
  optim.add(b("Enabled", true))
      .add(i("SheetWidth"))
      .add(i("SheetHeight"))
      .add(b("UseScraps"))
      .add(b("Standart"))
      .add(i("ExSearch"))
      .add(i("AlgorithmNumber"))
      .add(i("DefQuantity"))
      .add(i("Algorithm"))
      .add(str("Remark"))
      .add(b("OneDimOpt"));

  ini::CommaList wh;
  wh.add(i("MinSheetsQuantity"));

  ini.eraseSection(s);
  using Item = MaterialSettings::Item;
  ini.writeString(s, MaterialSettings::key(Item::OffcutCodes), mark.joined());
  ini.writeString(s, MaterialSettings::key(Item::OffcutCriteria), scrap.joined());
  ini.writeString(s, MaterialSettings::key(Item::LayoutOptions), optim.joined());
  ini.writeString(s, MaterialSettings::key(Item::MinimumSheets), wh.joined());
}

}  // namespace

std::filesystem::path settingsBackupPath(const std::filesystem::path& settingsFile) {
  std::filesystem::path backup = settingsFile;
  backup.replace_extension(".~ini");
  return backup;
}

bool upgradeSettings(ini::IniFile& ini) {
  if (ini.readInt("Default", "Version", 1) != 1) return false;

  // The backup is the file exactly as it is on disk. Without a backup
  // there is no upgrade.
  std::error_code ec;
  if (std::filesystem::exists(ini.path(), ec)) {
    platform::ReadFailure why;
    const std::optional<std::string> bytes = platform::readWholeFile(ini.path(), why);
    if (!bytes)
      throw ini::IniError("Файл настроек \"" + ini.path().string() +
                          "\": не удалось прочитать его для резервной копии");
    ini::writeFileAtomically(settingsBackupPath(ini.path()), *bytes);
  }

  ini.batch([&] {
    for (const std::string& section : ini.sections())
      if (isMaterialSection(section) && hasOldKeys(ini, section)) convertMaterialSection(ini, section);
    ini.writeInt("Default", "Version", 2);
  });
  return true;
}

}  // namespace kroyna::common
