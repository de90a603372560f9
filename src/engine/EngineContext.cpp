#include "engine/EngineContext.h"

#include <memory>

namespace kroyna::engine {

EngineContext::EngineContext() { Reset(); }

void EngineContext::Reset() {
  Parts = TDetalsList();
  Current.reset();
  Stock = TSheetsList();
  Variants = TVariantsList();
  Variants.KeepBest = true;
  Results = TVariantsList();
  InitialRegions.clear();
  Bits = 0;
  PassNumber = 0;
  LastOrientation = OrientationNone;
  Step = 0;
  State = PassState::Normal;
  PlacedNothing = false;
}

TSheet EngineContext::StandardSheetRegion(std::int32_t sheetIndex) const {
  const CuttingParameters& p = Params;
  const std::int32_t h = p.HalfKerf();
  TSheet r;
  r.X = p.TrimLeft - h;
  r.Y = p.TrimTop - h;
  r.Length = p.SheetLength - p.TrimLeft - p.TrimRight + p.Kerf;
  r.Width = p.SheetWidth - p.TrimTop - p.TrimBottom + p.Kerf;
  r.SheetIndex = sheetIndex;
  r.IsScrap = false;
  return r;
}

TSheet EngineContext::OffcutRegion(const TSheet& stockEntry, std::int32_t sheetIndex) const {
  const std::int32_t h = Params.HalfKerf();
  TSheet r;
  r.X = -h;
  r.Y = -h;
  r.Length = stockEntry.Length + Params.Kerf;
  r.Width = stockEntry.Width + Params.Kerf;
  r.Name = stockEntry.Name;
  r.SheetIndex = sheetIndex;
  r.IsScrap = true;
  return r;
}

void EngineContext::AddStockOffcut(const std::string& name, std::int32_t length, std::int32_t width) {
  Stock.AddRegion(name, 0, 0, length, width, 0).IsScrap = true;
}

LayoutPtr EngineContext::NewPassLayout(LayoutPtr spare) const {
  LayoutPtr layout = std::move(spare);
  if (layout && layout.use_count() == 1) {
    layout->Placements.Clear();
    layout->MillLines.Clear();
    layout->Name.clear();
    layout->Variant = -1;
    layout->Quantity = 0;
    layout->IsScrap = false;
  } else {
    layout = std::make_shared<TSheetsList>();
    layout->Regions.reserve(InitialRegions.size() + 32);
  }
  layout->SheetLength = Params.SheetLength;
  layout->SheetWidth = Params.SheetWidth;
  layout->Regions = InitialRegions;
  return layout;
}

}  // namespace kroyna::engine
