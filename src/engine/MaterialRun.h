#pragma once

// Laying out one material from start to end, without any window: loading
// the parts and offered offcuts into the engine context, checking that every
// part fits the standard sheet, the first pass, and later passes until every
// copy is placed, the run is aborted, the user stops when standard sheets run
// out, or a pass places nothing. The GUI's cutting run and the headless
// cutter share this code; what differs between them (showing maps, asking
// how to go on) comes in through MaterialHooks.

#include "engine/EngineContext.h"
#include "engine/ImprovedSearch.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kroyna::engine {

// One row of the parts database for the material.
struct PartRow {
  std::string Name;  // UTF-8
  std::int32_t Length = 0;
  std::int32_t Width = 0;
  std::int32_t Many = 0;
  std::uint8_t Rotate = RotateFree;
  std::int32_t LBorder = 0;
  std::int32_t RBorder = 0;
  std::int32_t TBorder = 0;
  std::int32_t BBorder = 0;
};

// One row of the offcut stock for the material: Many physical offcuts.
struct OffcutRow {
  std::string Name;
  std::int32_t Length = 0;
  std::int32_t Width = 0;
  std::int32_t Many = 1;
};

struct MaterialInput {
  std::string MaterialName;  // for the messages
  CuttingParameters Params;
  std::int32_t StockCount = 0;     // S: standard sheets of L x W in stock
  std::vector<PartRow> Parts;      // in table order
  std::vector<OffcutRow> Offcuts;  // offered when Params.UseOffcuts is set
};

// "Разложение невозможно!..." when no row has Many > 0 and a size.
std::string NoPartsMessage(const std::string& materialName);
// "Разложение деталей материала <...> невозможно!..." when a part is larger
// than the usable sheet.
std::string PartTooLargeMessage(const std::string& materialName);

// "Разложение деталей материала <...> невозможно!..." when a size, a trim
// or the kerf is out of the engine's range.
std::string OutOfRangeMessage(const std::string& materialName);

// The largest size, trim or kerf the engine takes, in mm: every
// coordinate and every sum the searches make of them then stays far inside
// 32-bit arithmetic (and every area inside 64 bits).
inline constexpr std::int32_t kMaxEngineLength = 1'000'000;
// At most this many offered offcut sheets.
inline constexpr std::int64_t kMaxEngineOffcuts = 1'000'000;

// Whether a part fits the usable area of the standard sheet (sheet less
// trims, without kerf): as given, or turned unless its rule forbids turning.
bool FitsStandardSheet(const CuttingParameters& params, std::int32_t length, std::int32_t width, std::uint8_t rotate);

// Resets the context (the abort flag stays as it is) and loads the
// material: parameters, stock counter, one stock entry per physical offcut
// (when offered), and every part row with Many > 0 and a length and width
// above 0 (TDetal::Row is the row's index in input.Parts). Returns the
// refusal message when a number is out of range (a negative trim or kerf, a
// size above kMaxEngineLength, more copies or offcuts than the engine
// counts), when no part is left, or when some part does not fit the
// standard sheet; the material must then not be laid out, and the context
// is left empty.
std::optional<std::string> LoadMaterial(EngineContext& ctx, const MaterialInput& input);

// What the user answers when standard sheets run out.
struct RunOutAnswer {
  enum class Choice {
    Finish,             // "Завершить разложение"
    ContinueUnlimited,  // "Продолжить разложение на листах текущего размера"
    OtherSize,          // "Продолжить разложение на листах другого размера"
  };
  Choice Action = Choice::Finish;
  std::int32_t SheetLength = 0;  // for OtherSize
  std::int32_t SheetWidth = 0;
  std::int32_t StockCount = 0;
};

struct MaterialHooks {
  // After each pass that made maps: ctx.Results[first, first + count) are
  // new, made by pass number `pass`. The maps stay valid until the next
  // reset of the context.
  std::function<void(const EngineContext& ctx, int first, int count, std::int32_t pass)> MapsReady;
  // Under stock control, after each pass that made maps, with the new S.
  std::function<void(const EngineContext& ctx)> StockCountChanged;
  // Called before each pass (the count of copies still to lay out can be
  // shown from ctx.Parts.RemainingTotal()).
  std::function<void(const EngineContext& ctx)> BeforePass;
  // Standard sheets ran out with copies left; without a hook the run
  // finishes.
  std::function<RunOutAnswer(const EngineContext& ctx)> SheetsRunOut;
};

enum class MaterialEnd {
  AllPlaced,      // every copy is on a map
  Aborted,        // the abort flag ended the run
  Finished,       // standard sheets ran out and the user chose to stop
  PlacedNothing,  // a pass placed no copy; the copies left stay unplaced
  Failed,         // the layout failed (MaterialOutcome::Failure says why); the copies left stay unplaced
};

struct MaterialOutcome {
  MaterialEnd End = MaterialEnd::AllPlaced;
  // State of the last pass call; once every copy is placed, that of the
  // last pass that made a map (0, or 3 when it used up the sheets in stock).
  PassState LastState = PassState::Normal;
  std::vector<std::int32_t> MapPasses;  // pass number of each map of ctx.Results
  std::vector<SearchUsed> MapSearch;    // what made each map of ctx.Results
  // What made the maps: the improved search when it made any of them.
  SearchUsed Search = SearchUsed::Quick;
  // Why the quick or full search laid the material out although the
  // improved search was asked for.
  ImprovedFallback Fallback = ImprovedFallback::None;
  // The improved search was cut short (abort, time limit or its safety
  // time cap): its maps are the best found until then.
  bool Stopped = false;
  // Why the layout failed (End is Failed), e.g. "std::bad_alloc".
  std::string Failure;
};

// Runs the first pass and the later passes on a loaded context (or the
// passes of the improved search when the parameters ask for it and no
// machine limit or size keeps it out). A failure of the improved search
// (an exception on any of its threads, such as std::bad_alloc) ends the
// material with End Failed and the maps handed over so far.
MaterialOutcome RunMaterial(EngineContext& ctx, const MaterialHooks& hooks);

}  // namespace kroyna::engine
