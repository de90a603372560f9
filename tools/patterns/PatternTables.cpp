#include "PatternTables.h"

namespace kroyna::patterns {

using dbase::FieldDef;

namespace {

// Lengths, widths, quantities and codes: 11 digits hold every 32-bit whole
// number with its sign (sizes up to 2147483647 mm, Windows colour values
// such as -2147483633).
FieldDef whole(const char* name) { return FieldDef::numeric(name, 11, 0); }

}  // namespace

std::vector<PatternTable> patternTables() {
  return {
      // Parts database data table, also the model parts tables.
      {"Group.dbf",
       {FieldDef::character("NAME", 100), whole("LENGTH"), whole("WIDTH"), whole("MANY"),
        FieldDef::numeric("ROTATE", 2, 0), whole("LBORDER"), whole("RBORDER"), whole("TBORDER"), whole("BBORDER"),
        whole("MATERIAL")}},
      // Materials catalogue (local and external).
      {"Types.dbf", {FieldDef::character("MATERIAL", 100), whole("CODE")}},
      // Edge-banding catalogue (local and external).
      {"Borders.dbf", {whole("CODE"), FieldDef::character("NAME", 100), whole("COLOR"), whole("PRIPUSK")}},
      // Standard sheets in stock.
      {"Sheets.dbf", {whole("LENGTH"), whole("WIDTH"), whole("MANY"), whole("CODE")}},
      // Offcuts in stock; offcut codes are kept to 20 characters.
      {"Scraps.dbf",
       {FieldDef::character("NAME", 20), whole("LENGTH"), whole("WIDTH"), whole("MANY"), whole("CODE"),
        FieldDef::date("DATE")}},
      // Scratch table of the minimum stock dialog.
      {"Quantity.dbf", {whole("MATERIAL"), FieldDef::character("NAME", 35), whole("QUANTITY")}},
  };
}

std::string patternBytes(const PatternTable& table) {
  dbase::DbfTable t;
  t.fields = table.fields;
  t.lastUpdate = kPatternDate;
  return dbase::serializeDbf(t, table.fileName);
}

}  // namespace kroyna::patterns
