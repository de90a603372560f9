#pragma once

#include "platform/report/PreparedReport.h"
#include "platform/report/RecordSource.h"

#include <QString>

#include <memory>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::parts {

class PartsDocument;

// The two printed parts lists: "список" (the rows in their order, or
// sorted by material and name) and "группировка по материалам" (grouped by
// material name).
enum class PartsListKind { List, Grouped };

struct PartsListOptions {
  bool borders = false;    // `Default`/`PrintDetalBorders`: the edge columns
  bool sortByName = true;  // `Default`/`PrintDetalSort`
  static PartsListOptions read(const ini::IniFile& settings);
};

// Page setup of a printed list: margins in mm and the printer's
// orientation.
struct PageSetupMm {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool landscape = false;
};

// Template file name of a list: "Group.frf", "Group_brd.frf",
// "Group2.frf" or "Group2_brd.frf".
QString partsListTemplate(PartsListKind kind, bool borders);

// The records of a printed list, with the fields NAME, LENGTH, WIDTH,
// MANY, ROTATE, LBORDER, RBORDER, TBORDER, BBORDER, MATERIAL, MATNAME,
// ROTATENAME, DETAL_BORDERS1 (top and bottom edge names) and
// DETAL_BORDERS2 (left and right). The grouped list and the sorted list
// hold only rows whose material the catalogue has, ordered by material
// name and, when sorting, by part name; the unsorted list holds every row
// shown in its order.
std::unique_ptr<report::RowsRecordSource> partsListRecords(const PartsDocument& doc, PartsListKind kind,
                                                           bool sortByName);

// Loads the template from `reportsFolder` and lays the list out, with the
// values BASENAME, QUANTITY, SQUARE, PERIMETR, BORDERLEN, BORDERS and
// Arr_RotateArray_0..2. Throws report::ReportError.
report::PreparedReport preparePartsList(const PartsDocument& doc, PartsListKind kind, const PartsListOptions& options,
                                        const QString& reportsFolder, const PageSetupMm& page);

// The models list of a base (`ModelsList.frf`): one record per entry with
// MODELNAME and MODELCOUNT.
report::PreparedReport prepareModelsList(const PartsDocument& doc, const QString& reportsFolder,
                                         const PageSetupMm& page);

}  // namespace kroyna::parts
