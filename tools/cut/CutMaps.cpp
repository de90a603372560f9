#include "CutMaps.h"

#include "engine/FinishedMap.h"
#include "maps/MapFileBuild.h"

namespace kroyna::cut {

maps::MapFileData resultMaps(const engine::EngineContext& ctx, const CutJob& job, std::int32_t materialCode) {
  maps::MapFileData data;
  data.header.caption =
      job.MaterialName.empty() ? "Вариант раскроя 1" : "Вариант раскроя 1: \"" + job.MaterialName + "\"";
  maps::MapBuildSettings settings;
  settings.kerf = ctx.Params.Kerf;
  settings.material = materialCode;
  settings.remark = job.Params.Remark;
  settings.document = data.header;

  std::int64_t sheets = 0;
  for (int i = 0; i < ctx.Results.Count(); ++i) {
    const engine::FinishedMap map = engine::MakeFinishedMap(*ctx.Results.Items(i), ctx.Parts, ctx.Params.Kerf);
    const std::string caption = maps::runTabCaption(i, sheets, map.Quantity, map.Name);
    sheets += map.Quantity;
    data.sheets.push_back(maps::buildMapSheet(map, caption, settings));
  }
  maps::applyMillMode(data);
  if (job.Params.StockControl) {
    data.usedSheets.push_back(
        {materialCode, job.Params.SheetLength, job.Params.SheetWidth, ctx.StockCount, job.StockCount});
  }
  return data;
}

}  // namespace kroyna::cut
