#pragma once

// The maps of a cutting result, without Qt: each map the layout of one
// sheet cut in one or more identical copies, with its parts, offcuts
// (useful or useless by the material's offcut criteria) and saw cuts, and
// its statistics. The maps window, the maps file and the headless cutter
// all hold maps in these records. Text is UTF-8.
//
// Sizes are millimetres on the sheet, with the origin at its top-left
// corner: X runs along the sheet's length, Y along its width. A map's
// length is the sheet length (X) and width the sheet width (Y); a
// part's length is its extent along X (shown as "Длина") and width
// its extent along Y ("Ширина").

#include <cstdint>
#include <string>
#include <vector>

#include "common/settings/AllMaterials.h"
#include "common/settings/SettingsValues.h"

namespace kroyna::maps {

// The texts of the maps (shown exactly like this).
inline const char* const kUntitledCaption = "<без названия>";
inline const char* const kUselessOffcutText = "Отход";
inline const char* const kUsefulOffcutText = "Остаток";

// Kind of an offcut.
enum OffcutKind { stLostScrap = 0, stNormalScrap = 1 };

// Modes of drawing the saw cuts: "Не рисовать", "Рисовать", "Последний лист".
enum MillMode { MillHidden = 0, MillShown = 1, MillLastSheet = 2 };

// The five colours of a document, Windows colour values.
struct MapColours {
  std::int32_t sheet = common::kAppWorkspaceColour;  // SheetColor
  std::int32_t detal = 0xFFFFFF;                     // DetalColor
  std::int32_t lost = 0;                             // LostColor
  std::int32_t scrap = 255;                          // ScrapColor
  std::int32_t mill = 0xFF0000;                      // MillColor
  bool operator==(const MapColours&) const = default;
};

// One placed part.
struct MapPart {
  std::int32_t x = 0, y = 0, length = 0, width = 0;
  std::string Title;
  // Edge-banding codes of the sides as placed (0 none).
  std::int32_t LeftBorder = 0, RightBorder = 0, TopBorder = 0, BottomBorder = 0;
  std::int32_t BrushColor = 0xFFFFFF;
  std::int32_t LeftBorderColor = 0xFF0000, RightBorderColor = 0xFF0000, TopBorderColor = 0xFF0000,
               BottomBorderColor = 0xFF0000;
  bool ShowTitle = true;
  bool ShowDim = true;
  bool ShowBorder = false;

  double area() const { return double(length) * double(width); }
  bool operator==(const MapPart&) const = default;
};

// One offcut (free rectangle) of a map.
struct MapOffcut {
  std::int32_t x = 0, y = 0, length = 0, width = 0;
  OffcutKind ScrapType = stLostScrap;
  std::string ScrapName;  // stock name, may be empty
  std::string Text;       // the label drawn
  std::int32_t Color = 0;
  bool ShowText = false;
  bool ShowDim = false;

  bool useful() const { return ScrapType == stNormalScrap; }
  double area() const { return double(length) * double(width); }
  bool operator==(const MapOffcut&) const = default;
};

// One saw cut: the band of one kerf the saw removes.
struct MapCut {
  std::int32_t x = 0, y = 0, length = 0, width = 0;
  bool MillOrient = true;  // runs along X
  std::int32_t Color = 0;
  bool Visible = true;
  bool operator==(const MapCut&) const = default;
};

// One map: one tab of the maps window, one sheet layout.
struct SheetMap {
  int MaterialCode = 0;
  std::string Caption;                               // tab caption
  std::int32_t length = 0;                           // sheet length (X), mm
  std::int32_t width = 0;                            // sheet width (Y), mm
  std::int32_t MillSize = 0;                         // kerf, mm
  std::int32_t Quantity = 1;                         // identical sheets cut with this map
  bool IsScraps = false;                             // the sheet is an offcut from stock
  std::string SheetName;                             // its stock name
  std::string Remark;                                // comment of the material for the run
  std::int32_t Color = common::kAppWorkspaceColour;  // sheet background
  common::FontKeys Font;
  std::vector<MapPart> Parts;      // in placement order
  std::vector<MapOffcut> Offcuts;  // in engine order
  std::vector<MapCut> Cuts;        // in engine order
  std::int32_t MillLinesCount = 0;
  double MillLinesLength = 0;                                                 // mm
  double DetalsSquare = 0, ScrapSquare = 0, LostSquare = 0, TotalSquare = 0;  // mm²

  double sheetArea() const { return double(length) * double(width); }
  bool operator==(const SheetMap&) const = default;
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

class UsedSheets {
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

}  // namespace kroyna::maps
