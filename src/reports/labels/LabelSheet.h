#pragma once

// Label sheets without widgets, shared by the program and the headless
// cutter: what one label says, the choices of the label dialogs (size,
// items, font, barcode, the sheet bought), how the text is fitted into the
// label and the barcode placed beside it, and the sheet laid out with the
// template Reports/ScrapsLbl.frf.
//
// A label's text is laid out in its frame: the font shrinks step by step
// down to 5 pt until every chosen item fits; what still does not fit is cut
// and the label ends with "…". A barcode keeps its quiet zone and modules of
// whole 300 dpi dots; a label too small for it is printed without it. The
// prepared sheet's notice says how many labels were cut short or printed
// without their barcode.

#include "platform/report/Barcode.h"
#include "platform/report/PreparedReport.h"
#include "reports/ReportPage.h"

#include <QRectF>
#include <QString>
#include <QStringList>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::reports {

enum class LabelKind { Parts, Offcuts };

// One label: the code of the part or offcut, its size "length x width",
// the material's catalogue name (empty when the catalogue has not got it),
// a comment (the map's remark) and, for parts, one line per banded side
// ("л: name\r", "пр: ...", "в: ...", "н: ..."). `barcode` is what its
// barcode encodes: a part's identifier ("Пример-12-3", see partIdentifier)
// or an offcut's code; empty when there is nothing to encode.
struct Label {
  QString code;
  QString size;
  QString material;
  QString comment;
  QString edges;
  QString barcode;
  bool operator==(const Label&) const = default;
};

// "Ярлычки деталей" / "Ярлычки остатков": the preview's title.
QString labelSheetTitle(LabelKind kind);

// ---- What the dialogs choose ----

enum LabelAlignment { AlignLeft = 0, AlignRight = 1, AlignCenter = 2 };

struct LabelFont {
  std::string name = "Ms Sans Serif";
  int size = 10;  // points
  bool bold = false;
  bool italic = false;
  int charset = 204;
  bool operator==(const LabelFont&) const = default;
};

// A label sheet as shops buy it: A4 sheets of equal labels or a roll for a
// label printer (one label a page). Sizes in millimetres; the page margins
// put the first label where the sheet has it.
struct LabelSheetPreset {
  const char* id;       // stored in the settings
  const char* caption;  // shown in the dialog
  double paperWidth, paperHeight;
  double width, height;  // of one label
  double gapX, gapY;     // between labels
  double left, top, right, bottom;
};
std::span<const LabelSheetPreset> labelSheetPresets();
// Nothing for an empty or unknown id (the user's own size).
const LabelSheetPreset* findLabelSheetPreset(std::string_view id);
// "Свой размер": the caption of no preset.
QString ownLabelSizeCaption();

struct LabelSettings {
  double width = 45;   // label length, mm (0..1000)
  double height = 15;  // mm (0..1000)
  double gapX = 0;     // between labels across and down the page, mm
  double gapY = 0;
  std::string sheet;  // id of the label sheet chosen; empty: own size
  bool code = true;
  bool size = true;
  bool material = true;
  bool comment = true;
  bool edges = true;  // parts only
  bool frame = true;
  bool wordWrap = false;
  int alignment = AlignLeft;  // any other stored value reads as AlignLeft
  LabelFont font;
  // Code 128 in a new data root.
  report::Symbology barcode = report::Symbology::Code128;
  bool operator==(const LabelSettings&) const = default;

  // Takes the label size and gaps of the sheet `id` (or keeps them and
  // forgets the sheet when `id` names none).
  void chooseSheet(std::string_view id);
};

// ---- One label ----

// The text of a label: the chosen items in the order code, size,
// material, comment and (parts) the edge-banding lines, one a line ("\r"
// between them). Empty items make no empty lines; with every item off the
// label is empty (and still printed as a cell).
QString labelText(const Label& label, const LabelSettings& settings, LabelKind kind);

// What the barcode of a label encodes and prints under it with that
// symbology: Code 128 takes the identifier in ASCII ("Primer-12-3").
QString barcodeText(const Label& label, report::Symbology symbology);

// The smallest font a label's text shrinks to, points.
inline constexpr double kMinLabelFontSize = 5;

// Lines of a text fitted into a frame of `width` × `height` report units
// (the frame's inner padding left free): the largest size from the font's
// own down to kMinLabelFontSize, in half points, at which every line fits.
// Lines that still do not fit at the smallest size are cut: a line too
// long (without wrapping) and the last line shown end with "…".
struct FittedText {
  QStringList lines;
  double fontSize = 0;
  bool cutShort = false;
};
FittedText fitLabelText(const QString& text, const LabelFont& font, double width, double height, bool wrap);

// Where the text and the barcode of one label go, in report units from the
// label's top-left corner. A linear barcode runs along the foot of the
// label, a square one stands at its right; the identifier is printed under
// it.
struct LabelLayout {
  enum class Barcode { None, Printed, TooSmall, NothingToEncode };
  QRectF text;
  FittedText fitted;
  Barcode barcode = Barcode::None;
  QRectF barcodeRect;
  double module = 0;  // report units
  QString barcodeText;
};
LabelLayout layoutLabel(const Label& label, const LabelSettings& settings, LabelKind kind);

// ---- The sheet ----

// Cell sizes in report units (mm × 18/5, not rounded), frame and alignment
// as the template's variables take them.
struct LabelSheetVariables {
  double cellWidth = 0;
  double cellHeight = 0;
  int frameType = 0;  // 15: all four lines
  int textAlignment = 0;
};
LabelSheetVariables labelSheetVariables(const LabelSettings& settings);

// How many labels of a sheet did not come out whole.
struct LabelSheetNotes {
  int cutShort = 0;
  int barcodeTooSmall = 0;
  int nothingToEncode = 0;
};
// The preview's notice of those labels (lines joined by "\n"); empty when
// every label came out whole.
QString labelSheetNotice(const LabelSheetNotes& notes, LabelKind kind);

// More labels than this are refused before anything is built: a sheet of
// them would run to thousands of pages.
inline constexpr long long kMaxLabels = 100000;

// Lays the labels out with the template at `templatePath`: one record per
// label. A chosen sheet brings its own paper and margins; otherwise the
// template's paper, turned when `page` says landscape, with `page`'s
// margins. The template's text object "Memo1" shows the label's text in
// the chosen font; its frame object "Frame1" and barcode object "Barcode1"
// are added when the template has none. Throws report::ReportError when the
// template cannot be read or the sheet cannot be laid out.
report::PreparedReport prepareLabelSheet(const std::vector<Label>& labels, const LabelSettings& settings,
                                         LabelKind kind, const QString& templatePath, const ReportPage& page,
                                         LabelSheetNotes* notes = nullptr);

}  // namespace kroyna::reports
