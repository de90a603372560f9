#include "reports/MapPrintSettings.h"

#include "platform/ini/IniFile.h"
#include "shell/SettingsKeys.h"

#include <algorithm>
#include <string>

namespace kroyna::reports {

namespace {

using shell::BoolKey;
using shell::IntKey;
using shell::OutOfRange;

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
  s.font = shell::readFont(ini, A, prefix + "Font");
  s.brush = shell::readBrush(ini, A, prefix + "Brush");
  s.pen = shell::readPen(ini, A, prefix + "Pen");
  // Outlines of parts and offcuts are always one pixel wide.
  s.pen.width = 1;
  return s;
}

void writeElement(ini::IniFile& ini, const std::string& prefix, const ElementStyle& s) {
  ini.writeBool(A, prefix + "Draw", s.draw);
  ini.writeBool(A, prefix + "Title", s.title);
  ini.writeBool(A, prefix + "Dim", s.dim);
  ini.writeBool(A, prefix + "TruncText", s.truncText);
  shell::writeFont(ini, A, prefix + "Font", s.font);
  shell::writeBrush(ini, A, prefix + "Brush", s.brush);
  shell::PenKeys pen = s.pen;
  pen.width = 1;
  shell::writePen(ini, A, prefix + "Pen", pen);
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
  p.position = shell::read(ini, Position);
  p.mapQuantity = shell::read(ini, MapQuantity);
  p.millStat = shell::read(ini, MillStat);
  p.totalWStat = shell::read(ini, TotalWStat);
  p.usefulWStat = shell::read(ini, UsefulWStat);
  p.uselessWStat = shell::read(ini, UselessWStat);
  p.detalStat = shell::read(ini, DetalStat);
  p.showDetailList = shell::read(ini, ShowDetailList);
  p.detailListFormat = shell::read(ini, DetailListFormat);
  p.showDetailOutline = shell::read(ini, ShowDetailOutline);
  p.showBlackOutline = shell::read(ini, ShowBlackOutline);
  p.showOutlineBorderCodes = shell::read(ini, ShowOutlineBorderCodes);
  p.showBorderList = shell::read(ini, ShowBorderList);
  p.borderListPosition = shell::read(ini, BorderListPosition);
  p.borderListFormat = shell::read(ini, BorderListFormat);
  p.showBordersOnMaps = shell::read(ini, ShowBordersOnMaps);
  p.bordersOnMapsStyle = shell::read(ini, BordersOnMapsStyle);
  p.mapFont = shell::readFont(ini, P, MapFont);
  return p;
}

void writeMapPageParams(ini::IniFile& ini, const MapPageParams& p) {
  ini.batch([&] {
    shell::write(ini, Position, p.position);
    shell::write(ini, MapQuantity, p.mapQuantity);
    shell::write(ini, MillStat, p.millStat);
    shell::write(ini, TotalWStat, p.totalWStat);
    shell::write(ini, UsefulWStat, p.usefulWStat);
    shell::write(ini, UselessWStat, p.uselessWStat);
    shell::write(ini, DetalStat, p.detalStat);
    shell::write(ini, ShowDetailList, p.showDetailList);
    shell::write(ini, DetailListFormat, p.detailListFormat);
    shell::write(ini, ShowDetailOutline, p.showDetailOutline);
    shell::write(ini, ShowBlackOutline, p.showBlackOutline);
    shell::write(ini, ShowOutlineBorderCodes, p.showOutlineBorderCodes);
    shell::write(ini, ShowBorderList, p.showBorderList);
    shell::write(ini, BorderListPosition, p.borderListPosition);
    shell::write(ini, BorderListFormat, p.borderListFormat);
    shell::write(ini, ShowBordersOnMaps, p.showBordersOnMaps);
    shell::write(ini, BordersOnMapsStyle, p.bordersOnMapsStyle);
    shell::writeFont(ini, P, MapFont, p.mapFont);
  });
}

MapDrawStyles readMapDrawStyles(const ini::IniFile& ini) {
  MapDrawStyles s;
  s.currentPage = shell::read(ini, CurrentPage);
  s.parts = readElement(ini, "Detal");
  s.millDraw = shell::read(ini, MillDraw);
  s.millPen = shell::readPen(ini, A, MillPen);
  s.millPen.width = std::clamp(s.millPen.width, kMinCutWidth, kMaxCutWidth);
  s.offcuts = readElement(ini, "Scrap");
  s.waste = readElement(ini, "LostScrap");
  return s;
}

void writeMapDrawStyles(ini::IniFile& ini, const MapDrawStyles& s) {
  ini.batch([&] {
    shell::write(ini, CurrentPage, s.currentPage);
    writeElement(ini, "Detal", s.parts);
    shell::write(ini, MillDraw, s.millDraw);
    shell::PenKeys mill = s.millPen;
    mill.width = std::clamp(mill.width, kMinCutWidth, kMaxCutWidth);
    shell::writePen(ini, A, MillPen, mill);
    writeElement(ini, "Scrap", s.offcuts);
    writeElement(ini, "LostScrap", s.waste);
  });
}

}  // namespace kroyna::reports
