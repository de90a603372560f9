#pragma once

// A panel saw on paper: applies a map's order of cuts to its sheet pass by
// pass, the way an operator would, and reports every pass that could not be
// made as written. Written apart from the program's ordering, from the rules
// alone:
// - a pass cuts one piece lying on the saw, across the whole piece; its
//   kerf takes [c + h - k, c + h) around the centre line c (h = k / 2
//   rounded down: the cut list puts a cut's centre line h before the part
//   after it), and what is left on either side become pieces;
// - it must take material from the piece and leave some, and must not
//   touch a part;
// - its fence is the distance from the piece's reference edge (top for cuts
//   along x, left for cuts along y) to the near side of the kerf;
// - a piece lies the way the pass that made it ran; a pass across that
//   needs the piece turned;
// - in the end every part is a piece of its own, exactly its size;
// - every drawn cut that takes material from the sheet is made by some
//   pass on its line that overlaps it.
// Shared by the engine tests and the kroyna-cut tests.

#include <algorithm>
#include <cstdint>
#include <optional>
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
  std::optional<SimRect> piece;  // may be left out for a trim pass
  bool alongX = true;
  std::int64_t at = 0, fence = 0;
  bool turn = false;
  std::vector<std::int64_t> cuts;
};

struct SimOutcome {
  std::vector<std::string> faults;
  // What each pass left on its near and far side (empty when nothing).
  std::vector<std::optional<SimRect>> nearSide, farSide;
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
    int lies = -1;  // 0 the last cut ran along y, 1 along x, -1 not cut yet
  };
  std::vector<Piece> pieces{{{0, 0, map.sheetLength, map.sheetWidth}, -1}};
  const auto lo = [](const SimRect& r, bool alongX) { return alongX ? r.y : r.x; };
  const auto hi = [](const SimRect& r, bool alongX) { return alongX ? r.y + r.width : r.x + r.length; };
  const auto overlap = [](const SimRect& a, const SimRect& b) {
    return a.x < b.x + b.length && b.x < a.x + a.length && a.y < b.y + b.width && b.y < a.y + a.width;
  };

  for (std::size_t n = 0; n < passes.size(); ++n) {
    const SimPass& p = passes[n];
    const std::string at = "pass " + std::to_string(n + 1) + ": ";
    const std::int64_t b0 = p.at + h - k, b1 = p.at + h;  // the kerf across the line
    std::size_t which = pieces.size();
    if (p.piece) {
      for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].r == *p.piece) which = i;
      }
    } else {
      int crossed = 0;
      for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (b0 < hi(pieces[i].r, p.alongX) && b1 > lo(pieces[i].r, p.alongX)) {
          which = i;
          ++crossed;
        }
      }
      if (crossed > 1) fault(at + "its line crosses more than one piece");
    }
    if (which == pieces.size()) {
      fault(at + "its piece is not on the saw");
      out.nearSide.emplace_back();
      out.farSide.emplace_back();
      continue;
    }
    const Piece piece = pieces[which];
    const SimRect& r = piece.r;
    const std::int64_t plo = lo(r, p.alongX), phi = hi(r, p.alongX);
    // With no kerf the line itself must lie inside the piece.
    const bool cuts = k > 0 ? (b0 < phi && b1 > plo) : (p.at > plo && p.at < phi);
    const bool leaves = b0 > plo || b1 < phi;
    if (!cuts || !leaves) fault(at + "does not split its piece");
    const SimRect band = p.alongX ? SimRect{r.x, b0, r.length, k} : SimRect{b0, r.y, k, r.width};
    for (std::size_t i = 0; k > 0 && i < map.parts.size(); ++i) {
      if (overlap(band, map.parts[i])) fault(at + "runs through part " + std::to_string(i));
    }
    for (std::size_t i = 0; k == 0 && i < map.parts.size(); ++i) {
      const SimRect& q = map.parts[i];
      if (p.alongX ? (q.y < p.at && p.at < q.y + q.width && q.x < r.x + r.length && r.x < q.x + q.length)
                   : (q.x < p.at && p.at < q.x + q.length && q.y < r.y + r.width && r.y < q.y + q.width))
        fault(at + "runs through part " + std::to_string(i));
    }
    if (p.fence != b0 - plo)
      fault(at + "fence " + std::to_string(p.fence) + ", the kerf begins " + std::to_string(b0 - plo) + " in");
    const int axis = p.alongX ? 1 : 0;
    const bool turn = piece.lies >= 0 && piece.lies != axis;
    if (p.turn != turn) fault(at + (turn ? "the piece must be turned first" : "turns a piece that lies right"));
    out.turns += turn ? 1 : 0;

    pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(which));
    std::optional<SimRect> nearSide, farSide;
    if (std::min(b0, phi) > plo) {
      nearSide = p.alongX ? SimRect{r.x, plo, r.length, std::min(b0, phi) - plo}
                          : SimRect{plo, r.y, std::min(b0, phi) - plo, r.width};
      pieces.push_back({*nearSide, axis});
    }
    if (std::max(b1, plo) < phi) {
      const std::int64_t from = std::max(b1, plo);
      farSide = p.alongX ? SimRect{r.x, from, r.length, phi - from} : SimRect{from, r.y, phi - from, r.width};
      pieces.push_back({*farSide, axis});
    }
    out.nearSide.push_back(nearSide);
    out.farSide.push_back(farSide);

    for (const std::int64_t c : p.cuts) {
      if (c < 0 || c >= static_cast<std::int64_t>(map.cuts.size())) {
        fault(at + "names no drawn cut");
        continue;
      }
      const SimCut& d = map.cuts[static_cast<std::size_t>(c)];
      const std::int64_t d0 = d.alongX ? d.x : d.y;
      const std::int64_t s0 = p.alongX ? r.x : r.y, s1 = s0 + (p.alongX ? r.length : r.width);
      if (d.alongX != p.alongX || (d.alongX ? d.y : d.x) != p.at || std::max(d0, s0) > std::min(d0 + d.length, s1))
        fault(at + "names drawn cut " + std::to_string(c) + ", which it does not make");
    }
  }

  // Every part a piece of its own, exactly its size.
  for (const Piece& piece : pieces) {
    int inside = 0;
    bool exact = false;
    for (const SimRect& q : map.parts) {
      if (!overlap(piece.r, q)) continue;
      ++inside;
      exact = q == piece.r;
    }
    if (inside > 1 || (inside == 1 && !exact))
      fault("piece " + std::to_string(piece.r.x) + "," + std::to_string(piece.r.y) + " " +
            std::to_string(piece.r.length) + "x" + std::to_string(piece.r.width) + " holds " + std::to_string(inside) +
            (exact ? " parts" : " part(s) not cut to size"));
  }
  // Every drawn cut that takes material is made.
  std::vector<bool> made(map.cuts.size(), false);
  for (const SimPass& p : passes) {
    for (const std::int64_t c : p.cuts) {
      if (c >= 0 && c < static_cast<std::int64_t>(made.size())) made[static_cast<std::size_t>(c)] = true;
    }
  }
  for (std::size_t i = 0; i < map.cuts.size(); ++i) {
    const SimCut& d = map.cuts[i];
    const std::int64_t across = d.alongX ? map.sheetWidth : map.sheetLength;
    const std::int64_t along = d.alongX ? map.sheetLength : map.sheetWidth;
    const std::int64_t c = d.alongX ? d.y : d.x, s = d.alongX ? d.x : d.y;
    const bool inSheet = (k > 0 ? (c + h - k < across && c + h > 0) : (c > 0 && c < across)) && s < along &&
                         s + d.length > 0 && d.length > 0;
    if (inSheet && !made[i])
      fault("drawn cut " + std::to_string(i) + " at " + std::to_string(d.x) + "," + std::to_string(d.y) +
            (d.alongX ? " along x" : " along y") + " is made by no pass");
  }
  return out;
}

}  // namespace kroyna::test
