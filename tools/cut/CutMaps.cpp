#include "CutMaps.h"

#include "engine/FinishedMap.h"
#include "maps/model/MapRules.h"

namespace kroyna::cut {

maps::MapFileData resultMaps(const engine::EngineContext& ctx, const CutJob& job, std::int32_t materialCode) {
  maps::MapFileData data;
  data.header.caption =
      job.MaterialName.empty() ? "Вариант раскроя 1" : "Вариант раскроя 1: \"" + job.MaterialName + "\"";
  // The maps as the maps window builds them, with the program's defaults
  // standing for its settings and catalogues.
  maps::NewMap settings;
  settings.materialCode = materialCode;
  settings.kerf = ctx.Params.Kerf;
  settings.remark = job.Params.Remark;
  settings.font = maps::fromMapFont(data.header.font);
  settings.showBorder = data.header.showBorder;
  maps::TabCaptions captions;
  std::vector<maps::SheetMap> maps;
  for (int i = 0; i < ctx.Results.Count(); ++i) {
    const engine::FinishedMap map = engine::MakeFinishedMap(*ctx.Results.Items(i), ctx.Parts, ctx.Params.Kerf);
    settings.caption = captions.next(i, map);
    maps.push_back(maps::makeMap(map, settings));
  }
  maps::classifyMaps(maps, maps::DefaultMapLook(), data.header.showScrapsText);
  maps::applyMillMode(maps, data.header.millMode, kAllMaterials);
  for (const maps::SheetMap& m : maps) data.sheets.push_back(maps::toRecord(m, true));
  if (job.Params.StockControl) {
    data.usedSheets.push_back(
        {materialCode, job.Params.SheetLength, job.Params.SheetWidth, ctx.StockCount, job.StockCount});
  }
  return data;
}

}  // namespace kroyna::cut
