#pragma once

// The cutting job file of the headless cutter (one material, JSON) and the
// result it prints. The reader checks every field and refuses bad input with
// a JobError whose message is one line naming the field; the writers give
// back text the reader (or any JSON reader) takes.

#include "engine/EngineContext.h"
#include "engine/MaterialRun.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kroyna::cut {

struct JobError : std::runtime_error {
  using runtime_error::runtime_error;
};

// Limits of the job fields.
inline constexpr std::int32_t MaxKerf = 1000;         // as the defaults dialog allows
inline constexpr std::int32_t MaxSize = 100000;       // mm, any length, width, trim or cut length
inline constexpr std::int32_t MaxQuantity = 1000000;  // copies, offcuts, sheets in stock
inline constexpr std::int32_t MaxKinds = 100000;      // entries of `parts`
inline constexpr std::int32_t MaxThreads = 256;

// A job is one material's input; the program's defaults apply to every field
// the file leaves out (kerf 4, trims 10, variants 0, quick search,
// part-first, criterion 0, no machine limit, no stock control, no offcuts).
using CutJob = engine::MaterialInput;

// Parses a job. Offcuts listed in the file are offered to the first pass
// (Params.UseOffcuts is set when there is at least one). Comments (// and
// /* */) are allowed; a key given twice in one object is refused. Throws
// JobError.
CutJob parseJob(std::string_view bytes);

// The first part (with copies) that fits the usable sheet in no allowed
// orientation, as one line: "parts[3] Бок 3000x600: larger than the usable
// sheet 2780x2050 (sheet less trims)"; nothing when every part fits.
std::optional<std::string> oversizePart(const CutJob& job);

// What the result says besides the maps.
struct ResultNotes {
  bool stopped = false;  // the time limit (or the search's safety cap) cut the run short
};

// Text as the file has it with control characters written as \uXXXX, so
// that a name or key shows in a message on one line and sends nothing to a
// terminal.
std::string printable(const std::string& text);

// A message of the cutting run or the report engine (lines broken with
// "\r" or "\n") as one line.
std::string oneLine(const std::string& message);

// Writes a job in the form parseJob reads.
std::string serializeJob(const CutJob& job);

// Writes the result of a run: every map of ctx.Results in order with the
// pass that made it, the state of the last pass call, and the parts with
// copies left in job order.
std::string serializeResult(const engine::EngineContext& ctx, const engine::MaterialOutcome& outcome,
                            const ResultNotes& notes = {});

}  // namespace kroyna::cut
