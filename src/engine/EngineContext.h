#pragma once

// The engine context: everything the cutting engine works on for one
// material. The cutting run resets it before and after each material, loads
// the parts list and the stock list, sets the parameters and the stock
// counter, and then calls FirstPass once and LaterPass repeatedly
// (VariantSearch.h).

#include "engine/CuttingModel.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kroyna::engine {

enum class SearchMode : std::uint8_t {
  Quick = 0,  // no skips
  Full = 1,   // the bit source may defer parts (skips)
};

enum class SelectionRule : std::uint8_t {
  PartFirst = 0,    // for each part, the smallest rectangle it fits
  RegionFirst = 1,  // for each rectangle from the smallest, the first part that fits
};

// Outcome of the last pass call.
enum class PassState : std::uint8_t {
  Normal = 0,        // a map was made
  NoSheetLeft = 1,   // stock control on and no standard sheet left; no map
  AllPlaced = 2,     // every copy already placed (later passes only); no map
  SheetsUsedUp = 3,  // a map was made and its repetitions used up the sheets in stock
};

// Which way the cuts of the first stage run across a sheet.
enum class FirstStageCuts : std::uint8_t {
  Either = 0,
  AlongX = 1,  // along the sheet's length: strips as long as the sheet
  AlongY = 2,  // along its width
};

// The parameters of one material's cutting.
struct CuttingParameters {
  std::int32_t Kerf = 4;       // saw kerf k, mm
  std::int32_t TrimLeft = 10;  // trims of standard sheets (not of offcuts)
  std::int32_t TrimRight = 10;
  std::int32_t TrimTop = 10;
  std::int32_t TrimBottom = 10;
  std::int32_t SheetLength = 0;  // standard sheet L (along X)
  std::int32_t SheetWidth = 0;   // standard sheet W (along Y)
  Criterion Optimization = Criterion::OffcutArea;
  std::int32_t MaxCutLength = 0;  // P: maximum cut length, 0 = no limit
  bool MultiSaw = false;
  SearchMode Search = SearchMode::Quick;
  std::int32_t Variants = 0;  // N: variants 0..N are built per pass
  // The improved search (ImprovedSearch.h) lays the material out instead;
  // Search, Variants and the selection options then give the search it is
  // compared with (and falls back to under a machine limit).
  bool Improved = false;
  std::int32_t Effort = 5;   // work of the improved search, 1..10
  std::int32_t Threads = 0;  // its worker threads; 0 as many as the machine has
  // The improved search cuts each sheet in at most this many stages (2, 3
  // or 4; 0 no limit), the first stage as FirstStage says. The quick and
  // full search keep to no such limit.
  std::int32_t MaxStages = 0;
  FirstStageCuts FirstStage = FirstStageCuts::Either;
  SelectionRule Rule = SelectionRule::PartFirst;
  bool OneSize = false;       // one-size optimisation
  bool StockControl = false;  // count down standard sheets
  bool UseOffcuts = false;    // offcuts from stock are offered to the first pass
  std::string Remark;

  std::int32_t HalfKerf() const { return Kerf / 2; }
};

class EngineContext {
 public:
  EngineContext();

  // Destroys the parts list, the current layout, the stock list and both
  // layout lists and creates them empty again, and clears the state of the
  // passes. Parameters, the stock counter, the hooks and the abort flag are
  // kept: the abort flag belongs to the whole cutting run, which resets the
  // context around every material.
  void Reset();

  // The free rectangle of a whole standard sheet in search coordinates:
  // (tL - h, tT - h), (L - tL - tR + k) x (W - tT - tB + k).
  TSheet StandardSheetRegion(std::int32_t sheetIndex) const;
  // The free rectangle of a stock offcut of size length x width:
  // (-h, -h), (length + k) x (width + k).
  TSheet OffcutRegion(const TSheet& stockEntry, std::int32_t sheetIndex) const;

  // Adds one stock entry (one physical offcut) to the stock list.
  void AddStockOffcut(const std::string& name, std::int32_t length, std::int32_t width);

  CuttingParameters Params;

  TDetalsList Parts;
  LayoutPtr Current;       // the layout being built, then the chosen one
  TSheetsList Stock;       // its Regions are the stock entries
  TVariantsList Variants;  // keep-best list of the running pass
  TVariantsList Results;   // every finished map of the material, in order

  // The free rectangles every variant of the running pass starts from.
  std::vector<TSheet> InitialRegions;

  // Run state.
  std::int32_t Bits = 0;  // bit source B
  std::int32_t PassNumber = 0;
  std::uint8_t LastOrientation = OrientationNone;  // Z
  std::int32_t Step = 0;                           // step counter C of the variant
  PassState State = PassState::Normal;
  std::int32_t StockCount = 0;  // S: standard sheets still available
  // Set by the user interface (from ProcessEvents) to end the running pass
  // after the current variant; no later pass or material runs then.
  // Cleared only by the caller at the start of a cutting run.
  bool Abort = false;
  // A time limit for the whole run: once it has passed, the search stops
  // the way Abort stops it (checked between variants and every few
  // thousand steps of a variant, so that a single huge variant ends too).
  std::optional<std::chrono::steady_clock::time_point> Deadline;
  // Sets Abort when the time limit has passed; returns Abort.
  bool CheckDeadline() {
    if (Deadline && !Abort && std::chrono::steady_clock::now() >= *Deadline) Abort = true;
    return Abort;
  }
  // Set while a variant is built again without joining free rectangles,
  // because the joins had made its layout one that through-cuts cannot cut
  // apart (see BuildVariants).
  bool KeepRegionsApart = false;
  // The parts the variant being built placed a copy of or put aside (with
  // repeats), so that only they need making ready for the next variant.
  std::vector<int> TouchedParts;
  // Set when the variant being built put a copy into a joined free
  // rectangle (only then can its layout be one that through-cuts cannot
  // cut apart).
  bool JoinedRegions = false;
  // Set by a pass whose best variant placed no copy: such a pass makes no
  // map and the material must end (repeating it would never finish).
  bool PlacedNothing = false;

  // Called with (variants done, variants in all) at the start of a pass and
  // after each variant.
  std::function<void(std::int64_t, std::int64_t)> Progress;
  // Called after each variant so that the user interface can process its
  // pending events (and possibly set Abort).
  std::function<void()> ProcessEvents;

  // Returns the next bit of the bit source: B mod 2, then B := B div 2.
  bool NextBit() {
    const bool bit = (Bits & 1) != 0;
    Bits >>= 1;
    return bit;
  }

  // A new, empty layout of the standard sheet size holding the initial
  // rectangles of the running pass; made in the room of `spare` when no
  // one else holds that layout.
  LayoutPtr NewPassLayout(LayoutPtr spare = nullptr) const;
};

}  // namespace kroyna::engine
