#include "maps/model/MapCutOrder.h"

#include <algorithm>

namespace kroyna::maps {

std::vector<NumberStretch> numberStretches(const engine::CutSequence& order, const engine::SequenceInput& input) {
  std::vector<NumberStretch> out;
  out.reserve(order.marks.size());
  for (const engine::PassMark& m : order.marks) {
    if (m.pass < 0 || static_cast<std::size_t>(m.pass) >= order.passes.size()) continue;
    const engine::SawPass& p = order.passes[static_cast<std::size_t>(m.pass)];
    NumberStretch s;
    s.number = p.number;
    s.alongX = p.alongX;
    s.at = p.at;
    s.from = p.alongX ? p.piece.x : p.piece.y;
    s.to = s.from + (p.alongX ? p.piece.length : p.piece.width);
    if (m.cut >= 0 && static_cast<std::size_t>(m.cut) < input.cuts.size()) {
      const engine::PlainCut& c = input.cuts[static_cast<std::size_t>(m.cut)];
      const std::int32_t c0 = p.alongX ? c.x : c.y;
      s.from = std::max(s.from, c0);
      s.to = std::min(s.to, c0 + c.length);
      if (s.to < s.from) s.to = s.from;
    }
    out.push_back(s);
  }
  return out;
}

}  // namespace kroyna::maps
