#pragma once

// The settings of printed cutting maps, kept in the settings file:
// - section [Sheet_Page_Params]: what the print dialog "Параметры печати
//   раскроя" shows (maps per page, statistics lines, parts and edges
//   lists, edge labels on the maps, the print font);
// - section [PrnSetupAdv]: the drawing styles of parts, cuts, useful
//   offcuts and useless offcuts of the dialog "Дополнительные параметры
//   печати".
// Standard C++ only.

#include "common/settings/SettingsValues.h"

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::reports {

inline constexpr const char* kSheetPageParamsSection = "Sheet_Page_Params";
inline constexpr const char* kPrnSetupAdvSection = "PrnSetupAdv";

// Maps per page: "по одной на листе", "по две на листе", "другое".
enum MapsPerPageChoice { OneMapPerPage = 0, TwoMapsPerPage = 1, OtherMapsPerPage = 2 };
// The number of "другое": a spin field from 1 to 5.
inline constexpr int kMinOtherMaps = 1;
inline constexpr int kMaxOtherMaps = 5;

// Formats of the edges list: "Название [Код]: Длина", "[Код] Название:
// Длина", "Название: Длина", "[Код]: Длина".
enum EdgeListFormat { EdgeNameCode = 0, EdgeCodeName = 1, EdgeName = 2, EdgeCode = 3 };
// Where the edges list goes: "Под списком деталей", "Над списком деталей".
enum EdgeListPosition { EdgesBelowParts = 0, EdgesAbovePartList = 1 };
// Edge labels on the maps: "Код", "Название".
enum EdgeLabelStyle { EdgeLabelCodes = 0, EdgeLabelNames = 1 };

// [Sheet_Page_Params].
struct MapPageParams {
  int position = OneMapPerPage;              // Position
  int mapQuantity = 0;                       // MapQuantity: the number of "другое"
  bool millStat = true;                      // MillStat: "Статистика резов"
  bool totalWStat = true;                    // TotalWStat: "Общая статистика остатков"
  bool usefulWStat = true;                   // UsefulWStat: "Статистика остатков"
  bool uselessWStat = true;                  // UselessWStat: "Статистика отходов"
  bool detalStat = true;                     // DetalStat: "Статистика деталей"
  bool showDetailList = true;                // ShowDetailList
  int detailListFormat = 0;                  // DetailListFormat: one format
  bool showDetailOutline = true;             // ShowDetailOutline: the sketch with its edges
  bool showBlackOutline = false;             // ShowBlackOutline: sketch sides in black
  bool showOutlineBorderCodes = false;       // ShowOutlineBorderCodes: codes on the sketch
  bool showBorderList = true;                // ShowBorderList
  int borderListPosition = EdgesBelowParts;  // BorderListPosition
  int borderListFormat = EdgeNameCode;       // BorderListFormat
  bool showBordersOnMaps = true;             // ShowBordersOnMaps
  int bordersOnMapsStyle = EdgeLabelCodes;   // BordersOnMapsStyle
  common::FontKeys mapFont;                  // MapFont: the print font

  // 1, 2 or the number of "другое" (brought into 1..5).
  int mapsPerPage() const;
  // The number "другое" shows: MapQuantity brought into 1..5.
  int otherMaps() const;
  bool operator==(const MapPageParams&) const = default;
};

// The look of one kind of element on the printed map.
struct ElementStyle {
  bool draw = true;       // "Рисовать ..."
  bool title = true;      // "Подписать название ..."
  bool dim = true;        // "Подписать размер ..."
  bool truncText = true;  // "Обрезать текст"
  common::FontKeys font;
  common::BrushKeys brush;
  common::PenKeys pen;  // width always 1
  bool operator==(const ElementStyle&) const = default;
};

// The pages of the advanced dialog: "Детали", "Резы", "Остатки", "Отходы".
enum AdvancedPage { PartsPage = 0, CutsPage = 1, OffcutsPage = 2, WastePage = 3 };
// Width of cut lines: 1 to 10.
inline constexpr int kMinCutWidth = 1;
inline constexpr int kMaxCutWidth = 10;

// [PrnSetupAdv]: CurrentPage; DetalDraw, DetalTitle, DetalDim,
// DetalTruncText, DetalFont, DetalBrush, DetalPen; MillDraw, MillPen;
// ScrapDraw, ... ScrapPen; LostScrapDraw, ... LostScrapPen.
struct MapDrawStyles {
  int currentPage = PartsPage;
  ElementStyle parts;
  bool millDraw = true;
  common::PenKeys millPen;
  ElementStyle offcuts;  // useful offcuts
  ElementStyle waste;    // useless offcuts
  bool operator==(const MapDrawStyles&) const = default;
};

// Keys missing from the file take the defaults above. Values out of range
// read as follows: Position outside 0..2 as 0; the edge list position
// outside 0..1 and the edge list format outside 0..3 as 0; a
// BordersOnMapsStyle other than 1 as 0 ("Код"); CurrentPage outside 0..3
// as 0; a cut width as the nearer end of 1..10; other pen widths as 1.
MapPageParams readMapPageParams(const ini::IniFile& ini);
void writeMapPageParams(ini::IniFile& ini, const MapPageParams& params);
MapDrawStyles readMapDrawStyles(const ini::IniFile& ini);
void writeMapDrawStyles(ini::IniFile& ini, const MapDrawStyles& styles);

}  // namespace kroyna::reports
