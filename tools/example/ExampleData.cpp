#include "ExampleData.h"

#include "common/settings/MaterialSettings.h"
#include "common/settings/SettingsKeys.h"
#include "platform/dbase/DbfFile.h"
#include "platform/ini/IniFile.h"

#include <fstream>
#include <stdexcept>

namespace kroyna::example {

namespace fs = std::filesystem;
using dbase::Row;

namespace {

// The header date of every table, fixed so that the files do not change
// from one run of the generator to the next.
constexpr dbase::Date kExampleDate{2026, 1, 12};

// Materials.
constexpr int kWhite = 1;  // body
constexpr int kOak = 2;    // fronts
constexpr int kHdf = 3;    // backs (in stock, not in the order)
// Edge banding: codes as the catalogue editor gives them.
constexpr int kThin = 4117;   // "ПВХ 0,4 мм белая"
constexpr int kThick = 5203;  // "ПВХ 2 мм дуб сонома"

void writeTable(const fs::path& patternFolder, const std::string& templateName, const fs::path& target,
                const std::vector<Row>& rows) {
  dbase::DbfTable table = dbase::readDbfFile(patternFolder / templateName);
  table.lastUpdate = kExampleDate;
  table.records.clear();
  for (const Row& r : rows) {
    if (r.size() != table.fields.size())
      throw std::runtime_error(target.string() + ": a row does not match the template " + templateName);
    dbase::DbfRecord record;
    for (std::size_t i = 0; i < r.size(); ++i)
      record.values.push_back(dbase::coerceForField(table.fields[i], r[i], target));
    table.records.push_back(std::move(record));
  }
  fs::create_directories(target.parent_path());
  dbase::writeDbfFile(target, table);
}

// One row of the order: name, length, width, copies, rotation rule, edges
// left, right, top, bottom, material.
Row part(const char* name, int length, int width, int many, int rotate, int left, int right, int top, int bottom,
         int material) {
  return {name, length, width, many, rotate, left, right, top, bottom, material};
}

}  // namespace

std::vector<std::string> exampleFiles() {
  return {"Kroyna.ini",        "Groups/Пример.krb", "Groups/Пример.dbf", "Sheets/Borders.dbf",
          "Sheets/Sheets.dbf", "Sheets/Scraps.dbf", "Sheets/Types.dbf"};
}

void writeExample(const fs::path& patternFolder, const fs::path& target) {
  writeTable(patternFolder, "Types.dbf", target / "Sheets" / "Types.dbf",
             {{"ЛДСП Белый 16 мм", kWhite}, {"ЛДСП Дуб сонома 16 мм", kOak}, {"ХДФ 3 мм", kHdf}});
  // Colours are Windows colour values (red in the lowest byte).
  writeTable(patternFolder, "Borders.dbf", target / "Sheets" / "Borders.dbf",
             {{kThin, "ПВХ 0,4 мм белая", 0xC08000, 2}, {kThick, "ПВХ 2 мм дуб сонома", 0x0060D0, 5}});
  writeTable(patternFolder, "Sheets.dbf", target / "Sheets" / "Sheets.dbf",
             {{2800, 2070, 12, kWhite}, {2750, 1830, 4, kWhite}, {2800, 2070, 4, kOak}, {2800, 2070, 5, kHdf}});
  const dbase::Date booked{2026, 1, 12};
  writeTable(patternFolder, "Scraps.dbf", target / "Sheets" / "Scraps.dbf",
             {{"О-101", 1200, 600, 1, kWhite, booked},
              {"О-102", 900, 450, 2, kWhite, booked},
              {"О-201", 1450, 820, 1, kOak, booked},
              {"О-301", 1000, 500, 1, kHdf, booked}});

  // A kitchen: wall and base cabinets and a tall unit in white, fronts in
  // oak. Body parts may be turned; shelves take one orientation for all
  // copies; oak fronts and the tall sides keep their grain (never turned).
  writeTable(
      patternFolder, "Group.dbf", target / "Groups" / "Пример.dbf",
      {part("Бок навесной", 720, 300, 8, 0, 0, 0, kThin, 0, kWhite),
       part("Дно навесное", 564, 300, 4, 0, 0, 0, kThin, 0, kWhite),
       part("Полка навесная", 560, 280, 8, 2, 0, 0, kThin, 0, kWhite),
       part("Бок напольный", 820, 560, 6, 0, 0, 0, kThin, 0, kWhite),
       part("Дно напольное", 568, 560, 3, 0, 0, 0, kThin, 0, kWhite), part("Царга", 568, 100, 6, 0, 0, 0, 0, 0, kWhite),
       part("Полка напольная", 564, 500, 3, 2, 0, 0, kThin, 0, kWhite),
       part("Бок пенала", 2100, 560, 2, 1, 0, 0, kThin, 0, kWhite),
       part("Полка пенала", 564, 540, 5, 2, 0, 0, kThin, 0, kWhite),
       part("Фасад навесной", 716, 396, 8, 1, kThick, kThick, kThick, kThick, kOak),
       part("Фасад напольный", 716, 396, 4, 1, kThick, kThick, kThick, kThick, kOak),
       part("Фасад ящика", 396, 176, 6, 1, kThick, kThick, kThick, kThick, kOak),
       part("Фасад пенала", 2096, 446, 2, 1, kThick, kThick, kThick, kThick, kOak),
       part("Планка цоколя", 2400, 100, 1, 0, 0, 0, kThick, 0, kOak)});

  ini::IniFile header(target / "Groups" / "Пример.krb");
  header.batch([&] {
    header.writeString("Header", "FName", "Пример.dbf");
    header.eraseSection("ModelsList");
  });

  // Settings: the current layout version, per material the layout options
  // (sheet 2800 x 2070, offcuts and stock control on, 200 extra variants)
  // and the offcut criteria (shorter than 200 mm, narrower than 100 mm or
  // smaller than 0.1 m² is waste), and the remarks of the order's maps.
  ini::IniFile settings(target / "Kroyna.ini");
  settings.batch([&] {
    settings.writeString("Default", "Version", "2");
    // New rows of a parts database start with the white chipboard.
    settings.writeString(kroyna::common::keys::DefMaterial.section, kroyna::common::keys::DefMaterial.name,
                         std::to_string(kWhite));
    // The default edge: a click on a side of a part bands it with the thin
    // white edge, and a tab-separated import keeps the marked sides.
    kroyna::common::write(settings, kroyna::common::keys::DefBorder, kThin);
    for (int code : {kWhite, kOak, kHdf}) {
      using kroyna::common::MaterialSettings;
      const MaterialSettings material(code);
      kroyna::common::OptimRecord options;
      options.length = 2800;
      options.width = 2070;
      options.useScraps = true;
      options.stockControl = true;
      options.depth = 200;
      // Only the layout options: the improved search stays that of the
      // defaults.
      settings.writeString(material.section(), MaterialSettings::key(MaterialSettings::Item::LayoutOptions),
                           kroyna::common::formatOptim(options));
      kroyna::common::ScrapCriteria criteria;
      criteria.lengthOn = true;
      criteria.p1 = 200;
      criteria.widthOn = true;
      criteria.p2 = 100;
      criteria.areaOn = true;
      criteria.area = 100000;
      material.setOffcutCriteria(settings, criteria);
    }
    // The remark of the maps of a material comes from the remarks list.
    settings.writeString("Remarks", std::to_string(kWhite), "Кухня (пример)");
    settings.writeString("Remarks", std::to_string(kOak), "Кухня (пример)");
  });
}

}  // namespace kroyna::example
