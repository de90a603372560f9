#pragma once

// The result of a job as a maps file (kroyna-cut --map): the maps of the
// result in order, built as the program's maps window builds them, under
// the caption and tab captions the cutting run gives, so that the program
// opens the file as it opens its own saved results.

#include "CutJob.h"

#include "maps/model/MapFile.h"

#include <cstdint>

namespace kroyna::cut {

// Material code stored with the maps when none is given: no material of
// the catalogue (the maps show under "<все материалы>" only).
inline constexpr std::int32_t NoMaterialCode = -1;

// Every map of ctx.Results in order. The program's defaults stand for its
// settings: default colours and map font, cuts not drawn, and no offcut
// criteria, so every offcut counts as useful. Under stock control the
// used-sheets list holds the standard sheet with the count the job started
// with and the count left.
maps::MapFileData resultMaps(const engine::EngineContext& ctx, const CutJob& job, std::int32_t materialCode);

}  // namespace kroyna::cut
