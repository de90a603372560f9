#pragma once

// A panel saw on paper: applies a map's order of cuts to its sheet pass by
// pass and reports every pass that cannot be made as written. Written apart
// from the program's ordering, from the rules alone:
// - a pass cuts one piece lying on the saw, across the whole piece; its
//   kerf takes [c + h - k, c + h) around the centre line c (h = k / 2
//   rounded down: the cut list puts a cut's centre line h before the part
//   after it); what is left on either side are the new pieces;
// - it must take material from the piece, leave some, and touch no part;
// - its fence is the distance from the piece's reference edge (top for cuts
//   along x, left for cuts along y) to the near side of the kerf;
// - a piece lies the way the pass that made it ran; a pass across that
//   needs the piece turned;
// - in the end every part is a piece of its own, exactly its size, and
//   every drawn cut that takes material from the sheet is made by a pass
//   on its line that overlaps it.

#include "engine/CutSequence.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kroyna::test {

struct SimRect {
  std::int64_t x = 0, y = 0, length = 0, width = 0;
  bool operator==(const SimRect&) const = default;
};
struct SimCut {
  std::int64_t x = 0, y = 0, length = 0;
  bool alongX = true;
};
struct SimMap {
  std::int64_t sheetLength = 0, sheetWidth = 0, kerf = 0;
  std::vector<SimRect> parts;
  std::vector<SimCut> cuts;
};
struct SimPass {
  SimRect piece;
  bool alongX = true;
  std::int64_t at = 0, fence = 0;
  bool turn = false;
  std::vector<std::int64_t> cuts;
};
struct SimOutcome {
  std::vector<std::string> faults;
  int turns = 0;
};

inline SimOutcome simulateSaw(const SimMap& map, const std::vector<SimPass>& passes) {
  SimOutcome out;
  auto fault = [&](const std::string& s) {
    if (out.faults.size() < 20) out.faults.push_back(s);
  };
  const std::int64_t k = map.kerf, h = k / 2;
  struct Piece {
    SimRect r;
    int lies;  // 0 the last cut ran along y, 1 along x, -1 never cut
  };
  std::vector<Piece> pieces{{{0, 0, map.sheetLength, map.sheetWidth}, -1}};
  const auto overlap = [](const SimRect& a, const SimRect& b) {
    return a.x < b.x + b.length && b.x < a.x + a.length && a.y < b.y + b.width && b.y < a.y + a.width;
  };
  std::vector<bool> made(map.cuts.size(), false);
  for (std::size_t n = 0; n < passes.size(); ++n) {
    const SimPass& p = passes[n];
    const std::string at = "pass " + std::to_string(n + 1) + ": ";
    std::size_t which = 0;
    while (which < pieces.size() && !(pieces[which].r == p.piece)) ++which;
    if (which == pieces.size()) {
      fault(at + "its piece is not on the saw");
      continue;
    }
    const Piece piece = pieces[which];
    const SimRect& r = piece.r;
    const std::int64_t b0 = p.at + h - k, b1 = p.at + h;  // with no kerf, the line
    const std::int64_t lo = p.alongX ? r.y : r.x, hi = lo + (p.alongX ? r.width : r.length);
    if (!(b0 < hi && b1 > lo && (b0 > lo || b1 < hi))) fault(at + "does not split its piece");
    for (std::size_t i = 0; i < map.parts.size(); ++i) {
      const SimRect& q = map.parts[i];
      const std::int64_t q0 = p.alongX ? q.y : q.x, q1 = q0 + (p.alongX ? q.width : q.length);
      if (overlap(q, r) && q0 < b1 && b0 < q1) fault(at + "runs through part " + std::to_string(i));
    }
    if (p.fence != b0 - lo) fault(at + "fence " + std::to_string(p.fence) + ", not " + std::to_string(b0 - lo));
    const int axis = p.alongX ? 1 : 0;
    const bool turn = piece.lies >= 0 && piece.lies != axis;
    if (p.turn != turn) fault(at + (turn ? "the piece must be turned first" : "turns a piece that lies right"));
    out.turns += turn;
    pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(which));
    for (const auto& [from, to] : {std::pair(lo, std::min(b0, hi)), std::pair(std::max(b1, lo), hi)}) {
      if (to > from)
        pieces.push_back(
            {p.alongX ? SimRect{r.x, from, r.length, to - from} : SimRect{from, r.y, to - from, r.width}, axis});
    }
    for (const std::int64_t c : p.cuts) {
      const SimCut* d =
          c >= 0 && c < static_cast<std::int64_t>(map.cuts.size()) ? &map.cuts[static_cast<std::size_t>(c)] : nullptr;
      const std::int64_t s0 = p.alongX ? r.x : r.y, s1 = s0 + (p.alongX ? r.length : r.width);
      const std::int64_t d0 = d ? (d->alongX ? d->x : d->y) : 0;
      if (!d || d->alongX != p.alongX || (d->alongX ? d->y : d->x) != p.at || d0 > s1 || d0 + d->length < s0)
        fault(at + "names drawn cut " + std::to_string(c) + ", which it does not make");
      else
        made[static_cast<std::size_t>(c)] = true;
    }
  }
  for (const Piece& piece : pieces) {
    int inside = 0, exact = 0;
    for (const SimRect& q : map.parts) {
      inside += overlap(piece.r, q);
      exact += q == piece.r;
    }
    if (inside > 1 || inside > exact)
      fault("piece " + std::to_string(piece.r.x) + "," + std::to_string(piece.r.y) + " holds " +
            std::to_string(inside) + " part(s), not one cut to size");
  }
  for (std::size_t i = 0; i < map.cuts.size(); ++i) {
    const SimCut& d = map.cuts[i];
    const std::int64_t c = d.alongX ? d.y : d.x, s = d.alongX ? d.x : d.y;
    const std::int64_t across = d.alongX ? map.sheetWidth : map.sheetLength;
    const std::int64_t along = d.alongX ? map.sheetLength : map.sheetWidth;
    const bool takes = c + h - k < across && c + h > 0 && s < along && s + d.length > 0;
    if (takes && d.length > 0 && !made[i]) fault("drawn cut " + std::to_string(i) + " is made by no pass");
  }
  return out;
}

// The same for the program's own records.
inline SimOutcome simulateSaw(const engine::SequenceInput& in, const engine::CutSequence& seq) {
  SimMap map{in.sheetLength, in.sheetWidth, in.kerf, {}, {}};
  for (const engine::PlainRect& p : in.parts) map.parts.push_back({p.x, p.y, p.length, p.width});
  for (const engine::PlainCut& c : in.cuts) map.cuts.push_back({c.x, c.y, c.length, c.alongX});
  std::vector<SimPass> passes;
  for (const engine::SawPass& p : seq.passes)
    passes.push_back({{p.piece.x, p.piece.y, p.piece.length, p.piece.width},
                      p.alongX,
                      p.at,
                      p.fence,
                      p.turn,
                      std::vector<std::int64_t>(p.cuts.begin(), p.cuts.end())});
  return simulateSaw(map, passes);
}

}  // namespace kroyna::test
