#pragma once

// Labels for cut parts and for offcuts that go back to stock, without
// widgets: one label per physical piece, its text by the items the user
// chose, the settings of the two label dialogs, and the label sheet made
// from Reports/ScrapsLbl.frf.
//
// A label sheet is a grid of equal cells, one cell per label. The texts
// come from the window that is active when the command is given: a maps
// window (parts and useful offcuts of the maps the material filter shows,
// each map counting as many times as identical sheets are cut with it), a
// parts database window (its rows as shown, MANY times each) or the
// warehouse window (its offcut rows as shown, MANY times each).

#include "maps/MapsDocument.h"
#include "platform/report/PreparedReport.h"
#include "reports/ReportPage.h"

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

enum class LabelKind { Parts, Offcuts };

// One label: the code of the part or offcut, its size "length x width",
// the material's catalogue name (empty when the catalogue has not got it),
// a comment (the map's remark) and, for parts, one line per banded side
// ("л: name\r", "пр: ...", "в: ...", "н: ...").
struct Label {
  QString code;
  QString size;
  QString material;
  QString comment;
  QString edges;
  bool operator==(const Label&) const = default;
};

// ---- How many labels ----

// More labels than this are refused before anything is built: a sheet of
// them would run to thousands of pages, and a wrong quantity typed into a
// parts row or an offcut row would otherwise take all the memory there is.
inline constexpr long long kMaxLabels = 100000;

// A count of labels; `overflow` when it does not fit a 64-bit number.
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
// as many times as the map's Quantity; for offcuts, every useful offcut so
// (waste gets no label). Check countLabels() first.
std::vector<Label> mapLabels(const maps::MapsDocument& document, LabelKind kind);
// The labels of a parts database as its window shows it (empty comment).
// Nothing, after the parts database's own message ("Ошибка создания списка
// деталей."), when they cannot be built.
std::optional<std::vector<Label>> partsDatabaseLabels(const parts::PartsDocument& document);
// The offcut label rows of the warehouse (empty comment).
std::vector<Label> warehouseLabels(const warehouse::OffcutLabelRows& rows);

// ---- Settings of the two dialogs ----

// Section of each dialog in the settings file; the page margins of both
// are in `Lbl_PageParams`.
const char* labelSection(LabelKind kind);
inline constexpr const char* kLabelPageSection = "Lbl_PageParams";

enum LabelAlignment { AlignLeft = 0, AlignRight = 1, AlignCenter = 2 };

struct LabelFont {
  std::string name = "Ms Sans Serif";
  int size = 10;  // points
  bool bold = false;
  bool italic = false;
  int charset = 204;
  bool operator==(const LabelFont&) const = default;
};

struct LabelSettings {
  int width = 45;   // label length, mm (0..1000)
  int height = 15;  // mm (0..1000)
  bool code = true;
  bool size = true;
  bool material = true;
  bool comment = true;
  bool edges = true;  // parts only
  bool frame = true;
  bool wordWrap = false;
  int alignment = AlignLeft;  // any other stored value reads as AlignLeft
  LabelFont font;
  bool operator==(const LabelSettings&) const = default;
};

LabelSettings readLabelSettings(const ini::IniFile& ini, LabelKind kind);
// Writes every key of the dialog's section in one write (the edge item
// only for parts). Throws ini::IniError when the file cannot be written.
void writeLabelSettings(ini::IniFile& ini, LabelKind kind, const LabelSettings& settings);

// ---- The label sheet ----

// The text of a label (report variable DATA): the chosen items in the
// order code, size, material, each followed by "\r", then the comment —
// for offcuts with nothing after it, for parts followed by "\r" and the
// edge-banding lines. Items not chosen give nothing, so a label with
// every item off is empty (and still printed as a cell).
QString labelText(const Label& label, const LabelSettings& settings, LabelKind kind);

// Cell sizes in report units (mm × 18/5, not rounded), frame and alignment
// as the template's variables take them.
struct LabelSheetVariables {
  double cellWidth = 0;
  double cellHeight = 0;
  int frameType = 0;  // 15: all four lines
  int textAlignment = 0;
};
LabelSheetVariables labelSheetVariables(const LabelSettings& settings);

// Lays the labels out with the template at `templatePath`: one record per
// label, the text object "Memo1" in the chosen font and word wrap.
// Throws report::ReportError when the template cannot be read or the
// sheet cannot be laid out.
report::PreparedReport prepareLabelSheet(const std::vector<Label>& labels, const LabelSettings& settings,
                                         LabelKind kind, const QString& templatePath, const ReportPage& page);

}  // namespace kroyna::reports
