#pragma once

// Helpers of the maps tests: an environment with settings held in memory,
// and engine layouts built by hand or by a real cutting of a material.

#include "engine/CuttingModel.h"
#include "engine/EngineContext.h"
#include "engine/FinishedMap.h"
#include "engine/MaterialRun.h"
#include "maps/MapsDocument.h"

#include <QMap>

#include <array>

#include <map>
#include <string>
#include <vector>

namespace kroyna::maps::testing {

struct TestEdge {
  std::int32_t colour = 0;
  int allowance = 0;
  QString name;
};

class FakeEnvironment : public MapsEnvironment {
 public:
  MapColours colourValues;
  std::map<int, common::ScrapCriteria> criteria;
  std::map<int, QString> materials;  // code -> name
  QList<int> order;                  // catalogue order
  std::map<int, TestEdge> edges;
  common::FontKeys font;
  int sqr = 3;
  int len = 2;
  mutable int criteriaReads = 0;

  MapColours colours() const override { return colourValues; }
  common::ScrapCriteria scrapCriteria(int code) const override {
    ++criteriaReads;
    auto it = criteria.find(code);
    return it == criteria.end() ? common::ScrapCriteria{} : it->second;
  }
  QString materialName(int code) const override {
    auto it = materials.find(code);
    return it == materials.end() ? QString() : it->second;
  }
  QList<int> materialOrder() const override { return order; }
  std::int32_t edgeColour(int code, std::int32_t def) const override {
    auto it = edges.find(code);
    return it == edges.end() ? def : it->second.colour;
  }
  int edgeAllowance(int code) const override {
    auto it = edges.find(code);
    return it == edges.end() ? 0 : it->second.allowance;
  }
  QString edgeName(int code) const override {
    auto it = edges.find(code);
    return it == edges.end() ? QString() : it->second.name;
  }
  common::FontKeys mapFont() const override { return font; }
  int sqrDigits() const override { return sqr; }
  int lenDigits() const override { return len; }
};

// Criteria "shorter than p1 or narrower than p2 is waste" (normal mode).
inline common::ScrapCriteria minimumSize(std::int32_t p1, std::int32_t p2) {
  common::ScrapCriteria c;
  c.lengthOn = true;
  c.p1 = p1;
  c.widthOn = true;
  c.p2 = p2;
  return c;
}

// A layout of one sheet with the given parts placed as given at search
// coordinates and the given free rectangles (search sizes, kerf included).
struct LayoutBuilder {
  engine::TDetalsList parts;
  engine::TSheetsList layout;
  std::int32_t kerf = 4;

  LayoutBuilder(std::int32_t sheetLength, std::int32_t sheetWidth, std::int32_t k = 4) : kerf(k) {
    layout.SheetLength = sheetLength;
    layout.SheetWidth = sheetWidth;
    layout.Quantity = 1;
  }
  int part(const std::string& name, std::int32_t length, std::int32_t width,
           std::array<std::int32_t, 4> edges = {0, 0, 0, 0}) {
    engine::TDetal& d = parts.AddDetal(name, length, width, 1, engine::RotateFree);
    d.LBorder = edges[0];
    d.RBorder = edges[1];
    d.TBorder = edges[2];
    d.BBorder = edges[3];
    return parts.Count() - 1;
  }
  void place(int detal, std::int32_t x, std::int32_t y, bool rotated = false) {
    layout.Placements.AddPlacement(detal, 0, engine::TPoint{x, y}, rotated);
  }
  void region(std::int32_t x, std::int32_t y, std::int32_t length, std::int32_t width) {
    layout.AddRegion("", x, y, length, width, 0);
  }
  void cut(std::int32_t x, std::int32_t y, bool alongX, std::int32_t length) {
    layout.MillLines.AddCut(x, y, 0, alongX, length);
  }
  engine::FinishedMap finished() const { return engine::MakeFinishedMap(layout, parts, kerf); }
};

// Lays out one material with the real engine and returns its finished
// maps in order.
inline std::vector<engine::FinishedMap> cutMaterial(const engine::MaterialInput& input) {
  engine::EngineContext ctx;
  std::vector<engine::FinishedMap> maps;
  if (engine::LoadMaterial(ctx, input)) return maps;
  engine::MaterialHooks hooks;
  hooks.MapsReady = [&](const engine::EngineContext& c, int first, int count, std::int32_t) {
    for (int i = first; i < first + count; ++i)
      maps.push_back(engine::MakeFinishedMap(*c.Results.Items(i), c.Parts, c.Params.Kerf));
  };
  engine::RunMaterial(ctx, hooks);
  return maps;
}

}  // namespace kroyna::maps::testing
