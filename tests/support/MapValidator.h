#pragma once

// Checks a cutting result against its job the way a workshop would: every
// part as ordered (turned only where allowed, one orientation for all copies
// of a part that asks for it), inside the trims, at least one kerf apart,
// the sheet cut apart by through-cuts only (within the stages the job
// allows, when it sets a limit), no saw cut through a part, every
// copy accounted for, offcuts used no more often than offered and the
// standard sheets in stock not exceeded. Shared by the engine tests (maps
// from MakeFinishedMap) and the tool tests (maps from kroyna-cut's JSON).

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace kroyna::test {

struct VJobPart {
  std::int32_t length = 0, width = 0, many = 0;
  int rotate = 0;
};

struct VOffcut {
  std::string name;
  std::int32_t length = 0, width = 0;
};

struct VJob {
  std::int32_t kerf = 4;
  std::int32_t trimLeft = 10, trimRight = 10, trimTop = 10, trimBottom = 10;
  std::int32_t sheetLength = 0, sheetWidth = 0;
  bool stockControl = false;
  std::int32_t stockCount = 0;
  std::vector<VOffcut> offcuts;  // offered (one entry per physical offcut)
  std::vector<VJobPart> parts;   // by row
  // At most this many stages of cuts a sheet (0: not checked); the first
  // stage cuts along X (1), along Y (2) or either way (0).
  int maxStages = 0;
  int firstStage = 0;
};

struct VPart {
  std::int32_t row = 0;
  std::int32_t x = 0, y = 0, length = 0, width = 0;  // drawn
  bool rotated = false;
};

struct VCut {
  std::int32_t x = 0, y = 0, length = 0;
  bool alongX = true;
};

struct VMap {
  std::int32_t sheetLength = 0, sheetWidth = 0;
  bool offcut = false;
  std::string name;
  std::int32_t quantity = 1;
  std::vector<VPart> parts;
  std::vector<VCut> cuts;
};

struct VResult {
  std::vector<VMap> maps;
  std::map<std::int32_t, std::int32_t> unplaced;  // row -> copies left
};

namespace detail {

struct Box {
  std::int64_t x1, y1, x2, y2;
};

// Whether the boxes (kerf-enlarged parts) can be separated by straight cuts
// across the whole rectangle, recursively, down to single boxes. Every gap
// across the boxes along one axis is cut at once, so deep patterns of many
// small parts are checked in n log n per level.
inline bool guillotine(std::vector<Box> boxes) {
  if (boxes.size() <= 1) return true;
  for (int axis = 0; axis < 2; ++axis) {
    std::sort(boxes.begin(), boxes.end(), [axis](const Box& a, const Box& b) {
      return axis == 0 ? std::tie(a.x1, a.y1) < std::tie(b.x1, b.y1) : std::tie(a.y1, a.x1) < std::tie(b.y1, b.x1);
    });
    std::vector<std::size_t> starts{0};
    std::int64_t reach = axis == 0 ? boxes[0].x2 : boxes[0].y2;
    for (std::size_t i = 1; i < boxes.size(); ++i) {
      if ((axis == 0 ? boxes[i].x1 : boxes[i].y1) >= reach) starts.push_back(i);
      reach = std::max(reach, axis == 0 ? boxes[i].x2 : boxes[i].y2);
    }
    if (starts.size() == 1) continue;
    starts.push_back(boxes.size());
    for (std::size_t g = 0; g + 1 < starts.size(); ++g) {
      std::vector<Box> group(boxes.begin() + static_cast<std::ptrdiff_t>(starts[g]),
                             boxes.begin() + static_cast<std::ptrdiff_t>(starts[g + 1]));
      if (!guillotine(std::move(group))) return false;
    }
    return true;
  }
  return false;
}

// The fewest stages of through-cuts that cut every box free of `piece`,
// this stage's cuts running along X (lines of constant y) or along Y, more
// than `limit` counting as limit + 1. A box is free when its piece is the
// box itself; a stage that cuts nothing in a piece still counts.
inline int stagesToFree(std::vector<Box> boxes, Box piece, bool alongX, int limit) {
  if (boxes.size() == 1 && boxes[0].x1 == piece.x1 && boxes[0].y1 == piece.y1 && boxes[0].x2 == piece.x2 &&
      boxes[0].y2 == piece.y2)
    return 0;
  if (limit <= 0) return 1;
  std::sort(boxes.begin(), boxes.end(),
            [alongX](const Box& a, const Box& b) { return alongX ? a.y1 < b.y1 : a.x1 < b.x1; });
  int most = 0;
  std::size_t i = 0;
  while (i < boxes.size()) {
    Box strip = piece;
    std::int64_t from = alongX ? boxes[i].y1 : boxes[i].x1, to = alongX ? boxes[i].y2 : boxes[i].x2;
    std::vector<Box> inStrip{boxes[i]};
    for (++i; i < boxes.size() && (alongX ? boxes[i].y1 : boxes[i].x1) < to; ++i) {
      to = std::max(to, alongX ? boxes[i].y2 : boxes[i].x2);
      inStrip.push_back(boxes[i]);
    }
    (alongX ? strip.y1 : strip.x1) = from;
    (alongX ? strip.y2 : strip.x2) = to;
    most = std::max(most, stagesToFree(std::move(inStrip), strip, !alongX, limit - 1));
  }
  return 1 + most;
}

}  // namespace detail

// Returns the faults found, one line each; empty when the result is sound.
inline std::vector<std::string> validate(const VJob& job, const VResult& result) {
  std::vector<std::string> faults;
  auto fault = [&](const std::string& s) {
    if (faults.size() < 20) faults.push_back(s);
  };
  const std::int64_t k = job.kerf;
  const std::int64_t h = k / 2;
  std::map<std::int32_t, std::int64_t> placed;
  std::map<std::int32_t, int> orientation;  // rule-2 rows: 1 as given, 2 turned
  std::map<std::tuple<std::string, std::int32_t, std::int32_t>, std::int64_t> offcutsUsed;
  std::int64_t standardSheets = 0;

  for (std::size_t mi = 0; mi < result.maps.size(); ++mi) {
    const VMap& m = result.maps[mi];
    const std::string at = "map " + std::to_string(mi) + ": ";
    if (m.quantity < 1) fault(at + "quantity below 1");
    if (m.parts.empty()) fault(at + "no parts");
    // The usable rectangle of the sheet.
    std::int64_t ux1 = 0, uy1 = 0, ux2 = m.sheetLength, uy2 = m.sheetWidth;
    if (m.offcut) {
      offcutsUsed[{m.name, m.sheetLength, m.sheetWidth}] += m.quantity;
    } else {
      standardSheets += m.quantity;
      if (m.sheetLength != job.sheetLength || m.sheetWidth != job.sheetWidth) fault(at + "not the standard sheet");
      ux1 = job.trimLeft;
      uy1 = job.trimTop;
      ux2 = job.sheetLength - job.trimRight;
      uy2 = job.sheetWidth - job.trimBottom;
    }
    std::vector<detail::Box> boxes;
    for (const VPart& p : m.parts) {
      const std::string part =
          at + "part row " + std::to_string(p.row) + " at " + std::to_string(p.x) + "," + std::to_string(p.y) + ": ";
      if (p.row < 0 || p.row >= static_cast<std::int32_t>(job.parts.size())) {
        fault(part + "no such row");
        continue;
      }
      const VJobPart& jp = job.parts[static_cast<std::size_t>(p.row)];
      placed[p.row] += m.quantity;
      const bool asGiven = p.length == jp.length && p.width == jp.width;
      const bool turned = p.length == jp.width && p.width == jp.length;
      if (p.rotated ? !turned : !asGiven) fault(part + "size not as ordered");
      if (p.rotated && jp.rotate == 1) fault(part + "turned though it must not be");
      if (jp.rotate == 2) {
        auto [it, added] = orientation.emplace(p.row, p.rotated ? 2 : 1);
        if (!added && it->second != (p.rotated ? 2 : 1)) fault(part + "copies of a one-for-all part turned both ways");
      }
      if (p.x < ux1 || p.y < uy1 || p.x + p.length > ux2 || p.y + p.width > uy2) fault(part + "outside the trims");
      boxes.push_back({p.x, p.y, std::int64_t{p.x} + p.length + k, std::int64_t{p.y} + p.width + k});
    }
    // Enlarged by the kerf, parts less than a kerf apart overlap, and
    // overlapping boxes cannot be cut apart: the through-cut check covers
    // both; the pairs are named when it fails.
    const bool cuttable = detail::guillotine(boxes);
    if (!cuttable) fault(at + "not cut apart by through-cuts");
    if (cuttable && job.maxStages > 0 && !boxes.empty()) {
      // The usable rectangle, enlarged by the kerf as the boxes are.
      const detail::Box piece{ux1, uy1, ux2 + k, uy2 + k};
      int stages = job.maxStages + 1;
      if (job.firstStage != 2) stages = std::min(stages, detail::stagesToFree(boxes, piece, true, job.maxStages));
      if (job.firstStage != 1) stages = std::min(stages, detail::stagesToFree(boxes, piece, false, job.maxStages));
      if (stages > job.maxStages) fault(at + "more than " + std::to_string(job.maxStages) + " stages of cuts");
    }
    const bool small = m.parts.size() <= 3000;  // the checks below are quadratic
    for (std::size_t i = 0; !cuttable && small && i < m.parts.size(); ++i) {
      for (std::size_t j = i + 1; j < m.parts.size(); ++j) {
        const VPart& a = m.parts[i];
        const VPart& b = m.parts[j];
        const bool apart = std::int64_t{a.x} + a.length + k <= b.x || std::int64_t{b.x} + b.length + k <= a.x ||
                           std::int64_t{a.y} + a.width + k <= b.y || std::int64_t{b.y} + b.width + k <= a.y;
        if (!apart)
          fault(at + "parts of rows " + std::to_string(a.row) + " and " + std::to_string(b.row) +
                " less than a kerf apart");
      }
    }
    // No saw cut runs through a part. Cut lines are whole millimetres, so
    // an odd kerf cannot be centred on them; the band checked is the
    // centred 2h of it.
    for (const VCut& c : small ? m.cuts : std::vector<VCut>{}) {
      const std::int64_t bx1 = c.alongX ? c.x : c.x - h;
      const std::int64_t by1 = c.alongX ? c.y - h : c.y;
      const std::int64_t bx2 = c.alongX ? bx1 + c.length : c.x + h;
      const std::int64_t by2 = c.alongX ? c.y + h : by1 + c.length;
      if (c.length < 0) fault(at + "cut of negative length");
      for (const VPart& p : m.parts) {
        if (bx1 < p.x + p.length && p.x < bx2 && by1 < p.y + p.width && p.y < by2) {
          fault(at + "cut at " + std::to_string(c.x) + "," + std::to_string(c.y) + " runs through part row " +
                std::to_string(p.row));
          break;
        }
      }
    }
  }

  // Every copy is on a map or left over, never more than ordered.
  for (std::size_t row = 0; row < job.parts.size(); ++row) {
    const std::int32_t r = static_cast<std::int32_t>(row);
    const std::int64_t asked = std::max(0, job.parts[row].many);
    const std::int64_t left = result.unplaced.count(r) ? result.unplaced.at(r) : 0;
    if (placed[r] + left != asked)
      fault("row " + std::to_string(row) + ": " + std::to_string(placed[r]) + " placed and " + std::to_string(left) +
            " left of " + std::to_string(asked));
  }
  // Offcuts no more often than offered.
  std::map<std::tuple<std::string, std::int32_t, std::int32_t>, std::int64_t> offered;
  for (const VOffcut& o : job.offcuts) ++offered[{o.name, o.length, o.width}];
  for (const auto& [key, used] : offcutsUsed) {
    if (used > offered[key]) fault("offcut \"" + std::get<0>(key) + "\" used " + std::to_string(used) + " times");
  }
  if (job.stockControl && standardSheets > job.stockCount)
    fault(std::to_string(standardSheets) + " standard sheets but " + std::to_string(job.stockCount) + " in stock");
  return faults;
}

}  // namespace kroyna::test
