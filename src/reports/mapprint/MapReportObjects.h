#pragma once

// The two report object classes of printed cutting maps:
// - the cutting map (MapReportView, "Карта раскроя"): a sheet drawn to
//   scale from its elements (parts, offcuts, cuts) in millimetres, with
//   the fonts, brushes and pens of the printed map;
// - the parts list (PartsListReportView, "Список деталей"): the parts of a
//   map with a sketch of each part's edge-banding, and the edges list.
//
// Each object keeps its properties in one binary stream (MapReportStream.h)
// stored base64 in the object's <data> element of templates and prepared
// reports, so that a saved prepared report reopens with its maps drawn:
//
// Cutting map: font parts, font useful offcuts, font useless offcuts;
// brush x3 in that order (colour int32, style uint8); pen x4 (parts,
// useful offcuts, useless offcuts, cuts; colour int32, style uint8, width
// uint8); edge labels flag uint8; edge label style int32; Ratio (view
// units per mm) as extended float; element count int32; per element its
// kind uint8 (1 part, 2 offcut, 3 cut), Title (string), x,
// y, length, width (int32), ShowTitle, ShowDim, TruncText
// (uint8); a part then has its edge labels flag uint8, edge label style
// int32 and four 25-byte edge records (left, right, top, bottom: name as
// short string of 20, code int32); an offcut has its useless flag uint8.
//
// Parts list: font; show parts list uint8; list format int32; show
// sketch uint8; show edges list uint8; edges list format int32; edges
// list first int32; show codes on the sketch uint8; part row count int32
// and 65-byte rows (name short string of 20, length, width, count, edge
// codes left, right, top, bottom, edge colours left, right, top, bottom,
// all int32); edge row count int32 and 29-byte rows (name short string
// of 20, length in mm, code, int32).
//
// Qt Gui only (drawing with QPainter); no widgets.

#include "common/settings/SettingsValues.h"
#include "platform/report/ReportObject.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace kroyna::reports {

class StreamReader;
class StreamWriter;
class MapReportView;

// Names of edges and parts in the rows and edge records: at most 20 characters.
inline constexpr int kShortNameLength = 20;

// ---- Texts inside a part or an offcut ------------------------------------

// How the title and the size are laid out inside an element.
enum class TextLayout { Standard, OneLineHorizontal, TwoLineHorizontal, OneLineVertical, TwoLineVertical };

// Measures of an element and its texts in device units: the inner size w
// and h, th the height of "A", tw the width of the title (0 unless it is
// shown), hw and ww the widths of the width and length numbers (0
// unless the size is shown), xw the width of "x".
struct TextMeasures {
  double w = 0, h = 0, th = 0, tw = 0, hw = 0, ww = 0, xw = 0;
};

// The first layout that applies: standard when the size fits beside and
// below the title (h - 2th >= hw, w >= tw, w >= ww); else the first of
// one-line horizontal (w >= tw + hw + ww + xw + xd), two-line horizontal
// (w >= hw + ww + xd, w >= tw, 2th < h), one-line vertical (tw + hw + ww +
// xw + xd <= h) and two-line vertical (hw + ww + xd <= h, tw <= h, w > 2th)
// that fits, xd being xw when the size is shown; when none fits, standard
// when (h - 2th >= hw and w >= ww) or w >= tw, else two-line horizontal
// when the text is cut off at the element's edge and one-line horizontal
// when it may run over.
TextLayout chooseTextLayout(const TextMeasures& m, bool showDim, bool truncText);

// One text as drawn: horizontal text has the top-left corner of its line
// at (x, y); vertical text reads upwards, the top-left corner of its line
// (before turning) at (x, y). The text is clipped to the clip rectangle.
struct TextRun {
  std::string text;
  double x = 0, y = 0;
  bool vertical = false;
  double clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
  bool operator==(const TextRun&) const = default;
};

// The line height and the text width of the element's font, device units.
struct TextMetrics {
  double lineHeight = 0;
  std::function<double(const std::string&)> width;
};

// ---- Elements of a cutting map ------------------------------------------

// An element of a printed map, in mm relative to the sheet.
class MapElement {
 public:
  MapElement() = default;
  MapElement(const MapElement&) = default;
  MapElement& operator=(const MapElement&) = default;
  virtual ~MapElement() = default;
  virtual std::unique_ptr<MapElement> clone() const = 0;

  // The style objects of the owning map that apply to the element;
  // nullptr when the element has none.
  virtual const common::BrushKeys* brush(const MapReportView& map) const = 0;
  virtual const common::PenKeys& pen(const MapReportView& map) const = 0;
  virtual const common::FontKeys* font(const MapReportView& map) const = 0;
  // The element's data after its kind byte.
  virtual void load(StreamReader& in);
  virtual void save(StreamWriter& out) const;
  virtual int kind() const = 0;
  virtual bool edgeLabelsWanted() const { return false; }
  // Edge labels of the top and bottom edge, of the left and right edge.
  virtual std::string topBottomLabels() const { return {}; }
  virtual std::string leftRightLabels() const { return {}; }

  // The texts inside the element of w x h device units at (L, T).
  std::vector<TextRun> planTexts(double L, double T, double w, double h, const TextMetrics& m) const;

  std::int32_t x = 0, y = 0, length = 0, width = 0;
  std::string Title;
  bool ShowTitle = true;
  bool ShowDim = true;
  bool TruncText = true;
};

// One side of a part: the catalogue name of its edge-banding (at most 20
// characters) and its code, 0 for none.
struct EdgeRecord {
  std::string name;
  std::int32_t code = 0;
  bool operator==(const EdgeRecord&) const = default;
};

enum Side { LeftSide = 0, RightSide = 1, TopSide = 2, BottomSide = 3 };

class MapPartElement : public MapElement {
 public:
  static constexpr int kKind = 1;
  std::unique_ptr<MapElement> clone() const override { return std::make_unique<MapPartElement>(*this); }
  const common::BrushKeys* brush(const MapReportView& map) const override;
  const common::PenKeys& pen(const MapReportView& map) const override;
  const common::FontKeys* font(const MapReportView& map) const override;
  void load(StreamReader& in) override;
  void save(StreamWriter& out) const override;
  int kind() const override { return kKind; }
  bool edgeLabelsWanted() const override { return edgeLabels; }
  // "[" + name + "]" (names) or "[" + code + "]" (codes) of each banded
  // side; empty when labels are off.
  std::string topBottomLabels() const override;
  std::string leftRightLabels() const override;

  bool edgeLabels = false;
  int edgeLabelStyle = 0;           // 0 codes, otherwise names
  std::array<EdgeRecord, 4> edges;  // left, right, top, bottom

 private:
  std::string label(Side side) const;
};

class MapOffcutElement : public MapElement {
 public:
  static constexpr int kKind = 2;
  std::unique_ptr<MapElement> clone() const override { return std::make_unique<MapOffcutElement>(*this); }
  const common::BrushKeys* brush(const MapReportView& map) const override;
  const common::PenKeys& pen(const MapReportView& map) const override;
  const common::FontKeys* font(const MapReportView& map) const override;
  void load(StreamReader& in) override;
  void save(StreamWriter& out) const override;
  int kind() const override { return kKind; }

  bool useless = false;
};

// A cut reduced to the centre line of its kerf band (width 0 along
// X, length 0 along Y).
class MapCutElement : public MapElement {
 public:
  static constexpr int kKind = 3;
  std::unique_ptr<MapElement> clone() const override { return std::make_unique<MapCutElement>(*this); }
  const common::BrushKeys* brush(const MapReportView&) const override { return nullptr; }
  const common::PenKeys& pen(const MapReportView& map) const override;
  const common::FontKeys* font(const MapReportView&) const override { return nullptr; }
  int kind() const override { return kKind; }
};

// ---- The cutting map object -----------------------------------------------

class MapReportView : public report::ReportObject {
 public:
  static constexpr const char* kClassName = "TfrRskMapView";

  MapReportView();
  MapReportView(const MapReportView& other);
  MapReportView& operator=(const MapReportView& other);
  ~MapReportView() override;

  std::string className() const override { return kClassName; }
  std::unique_ptr<report::ReportObject> clone() const override { return std::make_unique<MapReportView>(*this); }
  // Frame and fill of the object, then every element in list order.
  void draw(const report::RenderContext& rc) const override;
  void saveProperties(QXmlStreamWriter& w) const override;
  void loadProperties(QXmlStreamReader& r) override;
  QStringList texts() const override;

  std::string saveStream() const;
  // Throws report::ReportError for a damaged stream.
  void loadStream(std::string_view bytes);

  // Parts, useful offcuts, useless offcuts (and cuts for the pens).
  common::FontKeys partFont, offcutFont, wasteFont;
  common::BrushKeys partBrush, offcutBrush, wasteBrush;
  common::PenKeys partPen, offcutPen, wastePen, cutPen;
  bool edgeLabels = false;
  int edgeLabelStyle = 0;  // 0 codes, otherwise names
  double Ratio = 0;        // view (report) units per mm; 0 draws no elements
  std::vector<std::unique_ptr<MapElement>> elements;
};

// ---- The parts list object ------------------------------------------------

// A part row: name, size, count per sheet, edge codes and colours of the
// left, right, top and bottom side.
struct ListPartRow {
  std::string name;
  std::int32_t length = 0, width = 0, count = 0;
  std::array<std::int32_t, 4> edges{};
  std::array<std::int32_t, 4> colours{};
  bool operator==(const ListPartRow&) const = default;
};

// An edge row: catalogue name, length in mm, code.
struct ListEdgeRow {
  std::string name;
  std::int32_t length = 0;
  std::int32_t code = 0;
  bool operator==(const ListEdgeRow&) const = default;
};

class PartsListReportView : public report::ReportObject {
 public:
  static constexpr const char* kClassName = "TfrDetalsListView";

  PartsListReportView();
  std::string className() const override { return kClassName; }
  std::unique_ptr<report::ReportObject> clone() const override { return std::make_unique<PartsListReportView>(*this); }
  void draw(const report::RenderContext& rc) const override;
  void saveProperties(QXmlStreamWriter& w) const override;
  void loadProperties(QXmlStreamReader& r) override;
  QStringList texts() const override;

  std::string saveStream() const;
  void loadStream(std::string_view bytes);

  // The lines of the parts list and of the edges list as printed (the
  // sketches are not text).
  std::vector<std::string> partLines() const;
  std::vector<std::string> edgeLines() const;

  common::FontKeys font;
  bool showPartsList = true;
  int listFormat = 0;  // kept, one format only
  bool showSketch = true;
  bool showEdgesList = true;
  int edgesListFormat = 0;  // 0..3, see EdgeListFormat
  int edgesListFirst = 0;   // non-zero: the edges list above the parts list
  bool showSketchCodes = false;
  std::vector<ListPartRow> partRows;
  std::vector<ListEdgeRow> edgeRows;
};

// Registers both classes with the report engine under their captions;
// later calls do nothing.
void registerMapReportObjects();

// A Windows colour value as a QColor (system colours as the usual ones).
QColor windowsColour(std::int32_t colour);

// A map font as the report engine takes it: "Arial" when no name is
// stored, the size times `sizeFactor` and at least 0.1 point.
report::FontSpec reportFont(const common::FontKeys& f, double sizeFactor = 1);

}  // namespace kroyna::reports
