#pragma once

// The maps document: the maps of one cutting result, each the layout of one
// sheet cut in one or more identical copies, with its parts, offcuts
// (judged useful or useless by the material's offcut criteria) and saw
// cuts, the statistics of each map and the totals over the maps the
// material filter shows. The maps window shows a document; the cutting run
// fills it from engine output, the map file reader and writer fill and read
// every stored field, and the acceptance into stock reads the sheets used
// and the useful offcuts.

#include "common/SettingsUtils.h"
#include "maps/model/MapModel.h"
#include "maps/model/MapRules.h"

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

// "Не рисовать", "Рисовать", "Последний лист".
QString millModeName(int mode);

// One row of the material summary (waste per material over all maps).
struct MaterialSummaryRow {
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
class MapsEnvironment : public MapLook {
 public:
  // Empty when the material is not in the catalogue.
  virtual QString materialName(int materialCode) const = 0;
  // Codes of the catalogue's materials in its order (by name).
  virtual QList<int> materialOrder() const = 0;
  virtual int edgeAllowance(int edgeCode) const = 0;
  virtual QString edgeName(int edgeCode) const = 0;
  // The map font of section [SheetParams].
  virtual common::FontKeys mapFont() const = 0;
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

  // ---- Display ----
  const MapColours& colours() const { return colours_; }
  void setColours(const MapColours& colours) { colours_ = colours; }
  // Re-reads the five colours from the settings.
  void rereadColours() { colours_ = env_.colours(); }

  int materialFilter() const { return filter_; }
  // Returns false (and changes nothing) when `code` is the filter already.
  bool setMaterialFilter(int code);
  bool isVisible(int map) const;
  // The map cuts are shown on in mode "Последний лист" (lastMapForCuts).
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

  const common::FontKeys& font() const { return font_; }
  // The font of the document and of every map.
  void setFont(const common::FontKeys& font);

  // ---- Sheets used and material codes ----
  UsedSheets& usingSheets() { return usingSheets_; }
  const UsedSheets& usingSheets() const { return usingSheets_; }
  // Material codes of the maps (0 or more), in order of first appearance.
  QList<int> materialCodes() const;
  // The materials panel: codes of the document's materials in catalogue
  // order, those the catalogue does not know at the end.
  QList<int> materialPanelCodes() const;

  // ---- What laid the maps out ----
  // The search that laid out a material's maps in the run that made them
  // ("Быстрый", "Полный", "Улучшенный"). Maps files do not keep it: the
  // maps of an opened file have none.
  void setMaterialSearch(int materialCode, const QString& search);
  // The searches of the materials the filter shows, in the order the run
  // laid them out, each once; empty when none is known.
  QStringList searchesShown() const;

  // ---- Statistics ----
  MapTotals totals() const;
  // Per material over all maps, ordered by name with the locale's
  // comparison.
  std::vector<MaterialSummaryRow> materialSummary() const;
  // The largest sheet length and width over all maps; (0, 0) when none.
  std::pair<std::int32_t, std::int32_t> largestSheet() const;

  // The two status lines under a map: four and five panel texts.
  QStringList statusLine1(int map) const;
  QStringList statusLine2(int map) const;

  // ---- Info texts (lines separated by "\r"); the part and offcut texts
  // are also their tooltips ----
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
  QString areaText(double mm2) const;

  const MapsEnvironment& env_;
  QString caption_;
  QString fileName_;
  bool modified_ = true;
  std::vector<SheetMap> maps_;
  int filter_ = kAllMaterials;
  int millMode_ = MillHidden;
  bool showBorder_ = false;
  bool showScrapsText_ = false;
  bool showHints_ = false;
  bool showTitleForNew_ = true;
  bool showDimForNew_ = true;
  MapColours colours_;
  common::FontKeys font_;
  UsedSheets usingSheets_;
  std::vector<std::pair<int, QString>> searches_;  // material code, search
};

}  // namespace kroyna::maps
