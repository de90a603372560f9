#pragma once

// Labels for cut parts and for offcuts that go back to stock, from the
// program's windows: one label per physical piece, and the settings of the
// two label dialogs. The label sheet itself (texts, barcodes, sheets bought)
// is in reports/labels/, shared with the headless cutter.
//
// The texts come from the window that is active when the command is
// given: a maps window (parts and useful offcuts of the maps the material
// filter shows, each map counting as many times as identical sheets are
// cut with it), a parts database window (its rows as shown, MANY times
// each) or the warehouse window (its offcut rows as shown, MANY times
// each).

#include "maps/MapsDocument.h"
#include "reports/labels/LabelSheet.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace kroyna::ini {
class IniFile;
}
namespace kroyna::parts {
class PartsDocument;
}
namespace kroyna::warehouse {
struct OffcutLabelRows;
}

namespace kroyna::reports {

// ---- How many labels ----

// More than kMaxLabels labels are refused before anything is built: a
// wrong quantity typed into a parts row or an offcut row would otherwise
// take all the memory there is. A count of labels; `overflow` when it does not fit a 64-bit number.
struct LabelCount {
  long long count = 0;
  bool overflow = false;
  bool tooMany() const { return overflow || count > kMaxLabels; }
  // Adds `times` × `each` (negative factors count as 0).
  void add(long long times, long long each);
};

// The message that refuses a count that is too large; nothing for a
// count that may be printed.
std::optional<QString> labelCountRefusal(const LabelCount& count);

LabelCount countLabels(const maps::MapsDocument& document, LabelKind kind);
LabelCount countPartLabels(const parts::PartsDocument& document);

// ---- Label rows ----

// "л: name\r" and so on for each side with an edge code above 0, in the
// order left, right, top, bottom; the name is empty when the catalogue has
// not got the code.
QString edgeBandingText(int left, int right, int top, int bottom, const maps::MapsEnvironment& env);

// The labels of the maps the filter shows: for parts, every part of a map
// as many times as the map's Quantity, in the part's own terms (length,
// width and edges as in its parts database, turned or not) with the
// identifier of its parts database (named by the document's caption), row
// and copy; for offcuts, every useful offcut so (waste gets no label).
// Check countLabels() first.
std::vector<Label> mapLabels(const maps::MapsDocument& document, LabelKind kind);
// The labels of a parts database as its window shows it (empty comment),
// identified by the file's short name, the row and the copy. Nothing, after
// the parts database's own message ("Ошибка создания списка деталей."),
// when they cannot be built.
std::optional<std::vector<Label>> partsDatabaseLabels(const parts::PartsDocument& document);
// The offcut label rows of the warehouse (empty comment), each barcode its
// code.
std::vector<Label> warehouseLabels(const warehouse::OffcutLabelRows& rows);

// ---- Settings of the two dialogs ----

// Section of each dialog in the settings file; the page margins of both
// are in `Lbl_PageParams`.
const char* labelSection(LabelKind kind);
inline constexpr const char* kLabelPageSection = "Lbl_PageParams";

// Besides the keys the dialogs always had, each section keeps `Barcode`
// (0 none, 1 Code 128, 2 DataMatrix, 3 QR), `Sheet` (the label sheet
// chosen; empty for the user's own size) and the gaps `GapX`, `GapY`; sizes
// and gaps are millimetres to a hundredth. A section without `Barcode`
// reads none when the dialog has been used before (its labels keep
// printing as they did) and Code 128 in a new data root.
LabelSettings readLabelSettings(const ini::IniFile& ini, LabelKind kind);
// Writes every key of the dialog's section in one write (the edge item
// only for parts). Throws ini::IniError when the file cannot be written.
void writeLabelSettings(ini::IniFile& ini, LabelKind kind, const LabelSettings& settings);

}  // namespace kroyna::reports
