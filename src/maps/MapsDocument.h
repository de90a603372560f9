#pragma once

// The maps document: the maps of one cutting result, each the layout of one
// sheet cut in one or more identical copies, with its parts, offcuts
// (judged useful or useless by the material's offcut criteria) and saw
// cuts, the statistics of each map and the totals over the maps the
// material filter shows. The maps window shows a document; the cutting run
// fills it from engine output, the map file reader and writer fill and read
// every stored field, and the acceptance into stock reads the sheets used
// and the useful offcuts.

#include "shell/SettingsUtils.h"
#include "warehouse/ScrapCriteria.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

namespace kroyna::engine {
struct FinishedMap;
}

namespace kroyna::maps {

// The texts of the document (shown exactly like this).
inline const char* const kUntitledCaption = "<без названия>";
inline const char* const kUselessOffcutText = "Отход";
inline const char* const kUsefulOffcutText = "Остаток";

// Kind of an offcut.
enum TScrapType { stLostScrap = 0, stNormalScrap = 1 };

// Modes of drawing the saw cuts.
enum MillMode { MillHidden = 0, MillShown = 1, MillLastSheet = 2 };
// "Не рисовать", "Рисовать", "Последний лист".
QString millModeName(int mode);

// The five colours of a document, Windows colour values.
struct MapColours {
  std::int32_t sheet = shell::kAppWorkspaceColour;  // SheetColor
  std::int32_t detal = 0xFFFFFF;                    // DetalColor
  std::int32_t lost = 0;                            // LostColor
  std::int32_t scrap = 255;                         // ScrapColor
  std::int32_t mill = 0xFF0000;                     // MillColor
  bool operator==(const MapColours&) const = default;
};

// One placed part. Real* are millimetres on the sheet: RealWidth runs along
// X (shown as "Длина"), RealHeight along Y ("Ширина").
struct MapPart {
  std::int32_t RealLeft = 0, RealTop = 0, RealWidth = 0, RealHeight = 0;
  QString Title;
  std::int32_t LeftBorder = 0, RightBorder = 0, TopBorder = 0, BottomBorder = 0;
  std::int32_t BrushColor = 0xFFFFFF;
  std::int32_t LeftBorderColor = 0xFF0000, RightBorderColor = 0xFF0000, TopBorderColor = 0xFF0000,
               BottomBorderColor = 0xFF0000;
  bool ShowTitle = true;
  bool ShowDim = true;
  bool ShowBorder = false;
  QString Hint;  // tooltip: the part's info text
};

// One offcut (free rectangle) of a map.
struct MapOffcut {
  std::int32_t RealLeft = 0, RealTop = 0, RealWidth = 0, RealHeight = 0;
  TScrapType ScrapType = stLostScrap;
  QString ScrapName;  // stock name, may be empty
  QString Text;       // the label drawn
  std::int32_t Color = 0;
  bool ShowText = false;
  bool ShowDim = false;
  QString Hint;

  bool useful() const { return ScrapType == stNormalScrap; }
  double area() const { return double(RealWidth) * double(RealHeight); }
};

// One saw cut: the band of one kerf the saw removes.
struct MapCut {
  std::int32_t RealLeft = 0, RealTop = 0, RealWidth = 0, RealHeight = 0;
  bool MillOrient = true;  // runs along X
  std::int32_t Color = 0;
  bool Visible = true;
};

// One map: one tab of the window, one sheet layout.
struct SheetMap {
  int MaterialCode = 0;
  QString Caption;                                  // tab caption
  std::int32_t RealWidth = 0;                       // sheet length (X), mm
  std::int32_t RealHeight = 0;                      // sheet width (Y), mm
  std::int32_t MillSize = 0;                        // kerf, mm
  std::int32_t Quantity = 1;                        // identical sheets cut with this map
  bool IsScraps = false;                            // the sheet is an offcut from stock
  QString SheetName;                                // its stock name
  QString Remark;                                   // comment of the material for the run
  std::int32_t Color = shell::kAppWorkspaceColour;  // sheet background
  shell::FontKeys Font;
  std::vector<MapPart> Parts;      // in placement order
  std::vector<MapOffcut> Offcuts;  // in engine order
  std::vector<MapCut> Cuts;        // in engine order
  std::int32_t MillLinesCount = 0;
  double MillLinesLength = 0;                                                 // mm
  double DetalsSquare = 0, ScrapSquare = 0, LostSquare = 0, TotalSquare = 0;  // mm²

  double sheetArea() const { return double(RealWidth) * double(RealHeight); }
};

// Standard sheets consumed by the run under stock control: one entry per
// material and sheet size, with the stock count at the start and what is
// left.
struct UsedSheet {
  int materialCode = 0;
  std::int32_t length = 0;
  std::int32_t width = 0;
  std::int32_t remaining = 0;
  std::int32_t initial = 0;
  bool operator==(const UsedSheet&) const = default;
};

class TUsingSheets {
 public:
  void add(int materialCode, std::int32_t length, std::int32_t width, std::int32_t initial, std::int32_t remaining);
  // Sets the remaining count of every entry of that material and size;
  // false when there is none.
  bool setRemaining(int materialCode, std::int32_t length, std::int32_t width, std::int32_t remaining);
  int count() const { return static_cast<int>(entries_.size()); }
  const UsedSheet& at(int i) const { return entries_[static_cast<std::size_t>(i)]; }
  const std::vector<UsedSheet>& entries() const { return entries_; }
  void clear() { entries_.clear(); }

 private:
  std::vector<UsedSheet> entries_;
};

// One row of the material summary (waste per material over all maps).
struct TMaterialData {
  int code = 0;
  QString name;
  double scrap = 0;  // useful offcuts, mm²
  double lost = 0;   // useless waste, mm²
};

// Totals over the maps the filter shows, each counted Quantity times.
struct MapTotals {
  double lost = 0;    // useless waste, mm²
  double scrap = 0;   // useful offcuts, mm²
  double total = 0;   // total waste, mm²
  double detals = 0;  // parts, mm²
  long long millCount = 0;
  double millLength = 0;  // mm
  // Edge code and length in mm with allowances, in order of first use;
  // code 0 (sides without banding) left out.
  std::vector<std::pair<int, long long>> edges;
  double sheetArea = 0;  // Σ Quantity × sheet area
};

// What the document takes from the running program: settings, offcut
// criteria and the catalogues. Read at every use, so that a change of the
// settings or catalogues shows at the next recompute.
class MapsEnvironment {
 public:
  virtual ~MapsEnvironment() = default;
  // [Default] SheetColor, DetalColor, LostColor, ScrapColor, MillColor.
  virtual MapColours colours() const = 0;
  // Key Scrap of the material's section.
  virtual warehouse::ScrapCriteria scrapCriteria(int materialCode) const = 0;
  // Empty when the material is not in the catalogue.
  virtual QString materialName(int materialCode) const = 0;
  // Codes of the catalogue's materials in its order (by name).
  virtual QList<int> materialOrder() const = 0;
  virtual std::int32_t edgeColour(int edgeCode, std::int32_t def) const = 0;
  virtual int edgeAllowance(int edgeCode) const = 0;
  virtual QString edgeName(int edgeCode) const = 0;
  // The map font of section [SheetParams].
  virtual shell::FontKeys mapFont() const = 0;
  // [Default] SqrDigits and LenDigits.
  virtual int sqrDigits() const = 0;
  virtual int lenDigits() const = 0;
};

// Number formats shared by the maps and their reports.
QString formatArea(double mm2, int sqrDigits);    // m², no unit
QString formatLength(double mm, int lenDigits);   // m, no unit
QString formatPercent(double part, double base);  // 2 decimals; 0 for a base of 0

class MapsDocument {
 public:
  explicit MapsDocument(const MapsEnvironment& env);

  const MapsEnvironment& environment() const { return env_; }

  // ---- Caption, file, modified flag ----
  const QString& caption() const { return caption_; }
  // An empty text shows "<без названия>".
  void setCaption(const QString& text);
  const QString& fileName() const { return fileName_; }
  void setFileName(const QString& path) { fileName_ = path; }
  bool isModified() const { return modified_; }
  void setModified(bool modified) { modified_ = modified; }

  // ---- Maps ----
  int mapCount() const { return static_cast<int>(maps_.size()); }
  SheetMap& map(int i) { return maps_[static_cast<std::size_t>(i)]; }
  const SheetMap& map(int i) const { return maps_[static_cast<std::size_t>(i)]; }
  const std::vector<SheetMap>& maps() const { return maps_; }

  // The run's map: builds the map from the finished map of the engine with
  // the run's kerf and the material's remark, appends it, sets the
  // modified flag, recomputes every map and applies the mill-lines mode
  // again. Returns the index of the new map.
  int addMap(const QString& tabCaption, int materialCode, const engine::FinishedMap& finished, std::int32_t kerf,
             const QString& remark);
  // A map as stored (map files): appended as it is, with no recompute and
  // no change of the modified flag. Returns its index.
  int appendStoredMap(SheetMap map);
  void clearMaps();

  // Classification, colours, tooltips and statistics of every map, from
  // the current settings and offcut criteria.
  void recompute();
  // Statistics of one map from its parts and the kinds of its offcuts.
  void recomputeSquares(int map);
  // Tooltips of every element of every map (after reading a stored file).
  void rebuildHints();

  // ---- Display ----
  const MapColours& colours() const { return colours_; }
  void setColours(const MapColours& colours) { colours_ = colours; }
  // Re-reads the five colours from the settings.
  void rereadColours() { colours_ = env_.colours(); }

  int materialFilter() const { return filter_; }
  // Returns false (and changes nothing) when `code` is the filter already.
  bool setMaterialFilter(int code);
  bool isVisible(int map) const;
  // The map cuts are shown on in mode "Последний лист": the last map when
  // the filter shows all, else the last visible map; -1 when none.
  int lastVisibleMap() const;

  int millMode() const { return millMode_; }
  // Values outside 0..2 count as 0.
  void setMillMode(int mode);
  // Shows or hides the cuts of every map by the mode and the filter.
  void applyMillMode();

  bool showBorder() const { return showBorder_; }
  void setShowBorder(bool on);
  bool showScrapsText() const { return showScrapsText_; }
  void setShowScrapsText(bool on);
  bool showHints() const { return showHints_; }
  void setShowHints(bool on) { showHints_ = on; }
  // Initial ShowTitle and ShowDim of parts the run adds.
  bool showTitleForNew() const { return showTitleForNew_; }
  bool showDimForNew() const { return showDimForNew_; }
  void setShowTitleForNew(bool on) { showTitleForNew_ = on; }
  void setShowDimForNew(bool on) { showDimForNew_ = on; }

  const shell::FontKeys& font() const { return font_; }
  // The font of the document and of every map.
  void setFont(const shell::FontKeys& font);

  // ---- Sheets used and material codes ----
  TUsingSheets& usingSheets() { return usingSheets_; }
  const TUsingSheets& usingSheets() const { return usingSheets_; }
  // Material codes of the maps (0 or more), in order of first appearance.
  QList<int> materialCodes() const;
  // The materials panel: codes of the document's materials in catalogue
  // order, those the catalogue does not know at the end.
  QList<int> materialPanelCodes() const;

  // ---- Statistics ----
  MapTotals totals() const;
  // Per material over all maps, ordered by name with the locale's
  // comparison.
  std::vector<TMaterialData> materialSummary() const;
  // The largest sheet length and width over all maps; (0, 0) when none.
  std::pair<std::int32_t, std::int32_t> largestSheet() const;

  // The two status lines under a map: four and five panel texts.
  QStringList statusLine1(int map) const;
  QStringList statusLine2(int map) const;

  // ---- Info texts (lines separated by "\r") ----
  QString partInfo(const MapPart& part) const;
  QString offcutInfo(const MapOffcut& offcut) const;
  QString mapInfo(int map) const;

  // ---- Offcuts by hand ----
  // Turns an offcut useful or useless and moves its area between the
  // useful and useless totals of its map. Sets the modified flag. Does
  // nothing when the offcut has that kind already.
  void setOffcutUseful(int map, int offcut, bool useful);
  // Gives a useful offcut a new stock name (its label and tooltip follow)
  // and, unless `markModified` is false, sets the modified flag so that the
  // name is not lost on close. Useless offcuts are left as they are;
  // returns whether it was renamed.
  bool renameOffcut(int map, int offcut, const QString& name, bool markModified = true);

 private:
  void classify(SheetMap& map, const warehouse::ScrapCriteria& criteria);
  void makeUseful(MapOffcut& offcut) const;
  void makeUseless(MapOffcut& offcut) const;
  QString areaText(double mm2) const;

  const MapsEnvironment& env_;
  QString caption_;
  QString fileName_;
  bool modified_ = true;
  std::vector<SheetMap> maps_;
  int filter_ = 999;
  int millMode_ = MillHidden;
  bool showBorder_ = false;
  bool showScrapsText_ = false;
  bool showHints_ = false;
  bool showTitleForNew_ = true;
  bool showDimForNew_ = true;
  MapColours colours_;
  shell::FontKeys font_;
  TUsingSheets usingSheets_;
};

}  // namespace kroyna::maps
