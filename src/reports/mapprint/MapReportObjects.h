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
// of 20, length in mm, code, int32); then, only when the list goes on in
// a second room, that room (four int32).
//
// Qt Gui only (drawing with QPainter); no widgets.

#include "common/settings/SettingsValues.h"
#include "maps/model/MapLabels.h"
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

  // What the element shows inside itself: its title when ShowTitle, its
  // size when ShowDim, and for a part its edge labels.
  maps::LabelTexts labelTexts() const;
  // Its texts laid out inside `frame` with its font at `points` (smaller
  // when they do not fit); `number` stands alone when nothing else fits.
  maps::FittedLabel planTexts(const maps::TextBox& frame, const maps::FontMeasure& font, double points,
                              const std::string& number = {}) const;

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

// Where a saw pass's number stands: the stretch of cut (x, y along x
// when width is 0, else along y; length or width long), Title the number.
class MapCutNumberElement : public MapElement {
 public:
  static constexpr int kKind = 4;
  std::unique_ptr<MapElement> clone() const override { return std::make_unique<MapCutNumberElement>(*this); }
  const common::BrushKeys* brush(const MapReportView&) const override { return nullptr; }
  const common::PenKeys& pen(const MapReportView& map) const override;
  const common::FontKeys* font(const MapReportView& map) const override;
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

// A text of a cutting map as it is drawn: report units on the page, its
// font at `points`.
struct MapText {
  std::string text;
  maps::TextBox box;
  bool vertical = false;
  double points = 0;
  const common::FontKeys* font = nullptr;
  bool passNumber = false;  // a saw pass's number: bold, in a frame
  int element = -1;         // the element it belongs to
};

// The texts of a cutting map object: those of each part and offcut inside
// it (a part too small for its texts shows its row in the parts list), then
// the saw passes' numbers along the cuts, clear of them all. Nothing lies
// outside the sheet.
std::vector<MapText> planMapTexts(const MapReportView& view);

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
  // How much of its height the lists take from the top as they are drawn
  // (all of it when they flow into a second column, go on in the second
  // room or are cut short), and the same for each room (its own rectangle,
  // then the second room when it has one).
  double usedHeight() const;
  std::vector<double> usedHeights() const;
  // Whether every row of the lists is shown (none is left out for "… ещё N").
  bool fitsWhole() const;
  // What the object shows in its rectangle: the size the lists fit at, in
  // how many columns, and their lines ("… ещё N" last when rows are left
  // out).
  struct Shown {
    double points = 0;
    int columns = 0;
    std::vector<std::string> lines;
  };
  Shown shown() const;

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
  // A second room the lists go on in (the room under the map), relative
  // to the object's top-left corner; none when it has no size. Kept after
  // the edge rows in the stream (four int32, hundredths of a report unit),
  // only when there is one.
  double moreX = 0, moreY = 0, moreWidth = 0, moreHeight = 0;

 private:
  std::vector<QRectF> rooms() const;
};

// ---- The cut order table ---------------------------------------------------

// One saw pass in the table "Порядок резов": its number, direction ("по
// длине", "по ширине", after "↻ " when the piece is turned first), fence
// setting and length in mm, and what it gives ("Бок 720x300", "полоса",
// "отход").
// The mark before the direction of a pass for which the piece is turned.
inline constexpr std::string_view kTurnMark = "↻ ";

struct CutOrderRow {
  std::int32_t number = 0;
  std::string direction;
  std::int32_t fence = 0, length = 0;
  std::string yields;
  bool operator==(const CutOrderRow&) const = default;
};

// The table "Порядок резов" of a map: the heading, then one row per pass in
// as many blocks side by side as its rectangle holds, continued in a
// second room (the free part of the column beside the map), the font made
// smaller down to 6 pt where the rows do not fit, and "… ещё N" in place of
// the rows that still do not. A map without an order shows `note` instead.
//
// Stream: font; note (string); row count int32; per row number int32,
// turned (uint8, 1 when the direction starts with the turn mark, which
// code page 1251 lacks), direction without the mark (string), fence
// int32, length int32, yields (string); the
// second room's x, y, width, height (int32, hundredths of a report unit).
class CutOrderReportView : public report::ReportObject {
 public:
  static constexpr const char* kClassName = "TfrCutOrderView";

  std::string className() const override { return kClassName; }
  std::unique_ptr<report::ReportObject> clone() const override { return std::make_unique<CutOrderReportView>(*this); }
  void draw(const report::RenderContext& rc) const override;
  void saveProperties(QXmlStreamWriter& w) const override;
  void loadProperties(QXmlStreamReader& r) override;
  QStringList texts() const override;

  std::string saveStream() const;
  void loadStream(std::string_view bytes);
  // Whether every row fits its rooms at the font's own size.
  bool fitsWhole() const;

  common::FontKeys font;
  std::string note;
  std::vector<CutOrderRow> rows;
  // The second room, relative to the object's top-left corner; none when
  // it has no size.
  double moreX = 0, moreY = 0, moreWidth = 0, moreHeight = 0;

 private:
  std::vector<QRectF> rooms() const;
};

// The font sizes lists and tables shrink to before rows are left out.
inline constexpr double kMinListPoints = 6;

// Registers the classes with the report engine under their captions;
// later calls do nothing.
void registerMapReportObjects();

// A Windows colour value as a QColor (system colours as the usual ones).
QColor windowsColour(std::int32_t colour);

// A map font as the report engine takes it: "Arial" when no name is
// stored, the size times `sizeFactor` and at least 0.1 point.
report::FontSpec reportFont(const common::FontKeys& f, double sizeFactor = 1);

}  // namespace kroyna::reports
