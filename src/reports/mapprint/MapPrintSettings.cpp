#include "reports/mapprint/MapPrintSettings.h"

#include "common/settings/SettingsKeys.h"
#include "platform/ini/IniFile.h"

#include <algorithm>
#include <string>

namespace kroyna::reports {

namespace {

using common::BoolKey;
using common::IntKey;
using common::OutOfRange;

constexpr const char* P = kSheetPageParamsSection;
constexpr const char* A = kPrnSetupAdvSection;

constexpr IntKey Position{P, "Position", OneMapPerPage, OneMapPerPage, OtherMapsPerPage, OutOfRange::Default};
// A stored 0 is kept: the dialog shows it as 1.
constexpr IntKey MapQuantity{P, "MapQuantity", 0, 0, kMaxOtherMaps};
constexpr BoolKey MillStat{P, "MillStat", true};
constexpr BoolKey TotalWStat{P, "TotalWStat", true};
constexpr BoolKey UsefulWStat{P, "UsefulWStat", true};
constexpr BoolKey UselessWStat{P, "UselessWStat", true};
constexpr BoolKey DetalStat{P, "DetalStat", true};
constexpr BoolKey ShowDetailList{P, "ShowDetailList", true};
constexpr IntKey DetailListFormat{P, "DetailListFormat", 0, 0, 0, OutOfRange::Default};
constexpr BoolKey ShowDetailOutline{P, "ShowDetailOutline", true};
constexpr BoolKey ShowBlackOutline{P, "ShowBlackOutline", false};
constexpr BoolKey ShowOutlineBorderCodes{P, "ShowOutlineBorderCodes", false};
constexpr BoolKey ShowBorderList{P, "ShowBorderList", true};
constexpr IntKey BorderListPosition{
    P, "BorderListPosition", EdgesBelowParts, EdgesBelowParts, EdgesAbovePartList, OutOfRange::Default};
constexpr IntKey BorderListFormat{P, "BorderListFormat", EdgeNameCode, EdgeNameCode, EdgeCode, OutOfRange::Default};
constexpr BoolKey ShowBordersOnMaps{P, "ShowBordersOnMaps", true};
constexpr IntKey BordersOnMapsStyle{
    P, "BordersOnMapsStyle", EdgeLabelCodes, EdgeLabelCodes, EdgeLabelNames, OutOfRange::Default};
constexpr const char* MapFont = "MapFont";

constexpr IntKey CurrentPage{A, "CurrentPage", PartsPage, PartsPage, WastePage, OutOfRange::Default};
constexpr BoolKey MillDraw{A, "MillDraw", true};
constexpr const char* MillPen = "MillPen";

// The keys of one kind of element: prefix "Detal", "Scrap" or "LostScrap".
ElementStyle readElement(const ini::IniFile& ini, const std::string& prefix) {
  ElementStyle s;
  s.draw = ini.readBool(A, prefix + "Draw", true);
  s.title = ini.readBool(A, prefix + "Title", true);
  s.dim = ini.readBool(A, prefix + "Dim", true);
  s.truncText = ini.readBool(A, prefix + "TruncText", true);
  s.font = common::readFont(ini, A, prefix + "Font");
  s.brush = common::readBrush(ini, A, prefix + "Brush");
  s.pen = common::readPen(ini, A, prefix + "Pen");
  // Outlines of parts and offcuts are always one pixel wide.
  s.pen.width = 1;
  return s;
}

void writeElement(ini::IniFile& ini, const std::string& prefix, const ElementStyle& s) {
  ini.writeBool(A, prefix + "Draw", s.draw);
  ini.writeBool(A, prefix + "Title", s.title);
  ini.writeBool(A, prefix + "Dim", s.dim);
  ini.writeBool(A, prefix + "TruncText", s.truncText);
  common::writeFont(ini, A, prefix + "Font", s.font);
  common::writeBrush(ini, A, prefix + "Brush", s.brush);
  common::PenKeys pen = s.pen;
  pen.width = 1;
  common::writePen(ini, A, prefix + "Pen", pen);
}

}  // namespace

int MapPageParams::otherMaps() const { return std::clamp(mapQuantity, kMinOtherMaps, kMaxOtherMaps); }

int MapPageParams::mapsPerPage() const {
  switch (position) {
    case TwoMapsPerPage: return 2;
    case OtherMapsPerPage: return otherMaps();
    default: return 1;
  }
}

MapPageParams readMapPageParams(const ini::IniFile& ini) {
  MapPageParams p;
  p.position = common::read(ini, Position);
  p.mapQuantity = common::read(ini, MapQuantity);
  p.millStat = common::read(ini, MillStat);
  p.totalWStat = common::read(ini, TotalWStat);
  p.usefulWStat = common::read(ini, UsefulWStat);
  p.uselessWStat = common::read(ini, UselessWStat);
  p.detalStat = common::read(ini, DetalStat);
  p.showDetailList = common::read(ini, ShowDetailList);
  p.detailListFormat = common::read(ini, DetailListFormat);
  p.showDetailOutline = common::read(ini, ShowDetailOutline);
  p.showBlackOutline = common::read(ini, ShowBlackOutline);
  p.showOutlineBorderCodes = common::read(ini, ShowOutlineBorderCodes);
  p.showBorderList = common::read(ini, ShowBorderList);
  p.borderListPosition = common::read(ini, BorderListPosition);
  p.borderListFormat = common::read(ini, BorderListFormat);
  p.showBordersOnMaps = common::read(ini, ShowBordersOnMaps);
  p.bordersOnMapsStyle = common::read(ini, BordersOnMapsStyle);
  p.mapFont = common::readFont(ini, P, MapFont);
  return p;
}

void writeMapPageParams(ini::IniFile& ini, const MapPageParams& p) {
  ini.batch([&] {
    common::write(ini, Position, p.position);
    common::write(ini, MapQuantity, p.mapQuantity);
    common::write(ini, MillStat, p.millStat);
    common::write(ini, TotalWStat, p.totalWStat);
    common::write(ini, UsefulWStat, p.usefulWStat);
    common::write(ini, UselessWStat, p.uselessWStat);
    common::write(ini, DetalStat, p.detalStat);
    common::write(ini, ShowDetailList, p.showDetailList);
    common::write(ini, DetailListFormat, p.detailListFormat);
    common::write(ini, ShowDetailOutline, p.showDetailOutline);
    common::write(ini, ShowBlackOutline, p.showBlackOutline);
    common::write(ini, ShowOutlineBorderCodes, p.showOutlineBorderCodes);
    common::write(ini, ShowBorderList, p.showBorderList);
    common::write(ini, BorderListPosition, p.borderListPosition);
    common::write(ini, BorderListFormat, p.borderListFormat);
    common::write(ini, ShowBordersOnMaps, p.showBordersOnMaps);
    common::write(ini, BordersOnMapsStyle, p.bordersOnMapsStyle);
    common::writeFont(ini, P, MapFont, p.mapFont);
  });
}

MapDrawStyles readMapDrawStyles(const ini::IniFile& ini) {
  MapDrawStyles s;
  s.currentPage = common::read(ini, CurrentPage);
  s.parts = readElement(ini, "Detal");
  s.millDraw = common::read(ini, MillDraw);
  s.millPen = common::readPen(ini, A, MillPen);
  s.millPen.width = std::clamp(s.millPen.width, kMinCutWidth, kMaxCutWidth);
  s.offcuts = readElement(ini, "Scrap");
  s.waste = readElement(ini, "LostScrap");
  return s;
}

void writeMapDrawStyles(ini::IniFile& ini, const MapDrawStyles& s) {
  ini.batch([&] {
    common::write(ini, CurrentPage, s.currentPage);
    writeElement(ini, "Detal", s.parts);
    common::write(ini, MillDraw, s.millDraw);
    common::PenKeys mill = s.millPen;
    mill.width = std::clamp(mill.width, kMinCutWidth, kMaxCutWidth);
    common::writePen(ini, A, MillPen, mill);
    writeElement(ini, "Scrap", s.offcuts);
    writeElement(ini, "LostScrap", s.waste);
  });
}

}  // namespace kroyna::reports
