#include "engine/SheetLayout.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kroyna::engine {

namespace {

struct Candidate {
  int part = -1;
  int region = -1;
  bool turned = false;

  explicit operator bool() const { return part >= 0; }
};

// Extents of a part in an orientation (kerf-enlarged during a pass).
std::int32_t extentX(const TDetal& d, bool turned) { return turned ? d.Width : d.Length; }
std::int32_t extentY(const TDetal& d, bool turned) { return turned ? d.Length : d.Width; }

bool fits(const TDetal& d, const TSheet& r, bool turned) {
  return r.Length >= extentX(d, turned) && r.Width >= extentY(d, turned);
}

bool fitsExactly(const TDetal& d, const TSheet& r, bool turned) {
  return fits(d, r, turned) && (extentX(d, turned) == r.Length || extentY(d, turned) == r.Width);
}

// Orientations a part's rotation rule allows.
bool allowed(const TDetal& d, bool turned) {
  switch (d.Rotate) {
    case RotateNever: return !turned;
    case RotateOneForAll:
      if (d.Orientation == OrientationNone) return true;
      return d.Orientation == (turned ? OrientationTurned : OrientationAsGiven);
    default: return true;
  }
}

bool isCandidate(const TDetal& d) { return !d.Skipped && d.Pending > 0; }

class VariantBuilder {
 public:
  explicit VariantBuilder(EngineContext& ctx)
      : ctx_(ctx), parts_(ctx.Parts), layout_(*ctx.Current), params_(ctx.Params) {}

  void run() {
    const bool full = params_.Search == SearchMode::Full;
    for (;;) {
      ++ctx_.Step;
      // A time limit also ends a variant that would take too long; what is
      // placed so far stays.
      if (ctx_.Deadline && (ctx_.Step & 1023) == 0 && ctx_.CheckDeadline()) return;
      Candidate c = find();
      if (!c && full && parts_.AnySkipped()) {
        parts_.ClearSkipped();
        c = find();
      }
      if (!c) return;

      TDetal& part = parts_[c.part];
      const TSheet& r = layout_.Region(c.region);
      const std::int32_t dx = extentX(part, c.turned);
      const std::int32_t dy = extentY(part, c.turned);
      const bool alongXFirst = cutAlongXFirst(r, dx, dy);

      if (full && (ctx_.Step != 1 || !parts_.HasSmallerAhead(part)) && ctx_.NextBit()) {
        part.Skipped = true;
        continue;
      }

      --part.Pending;
      part.Orientation = c.turned ? OrientationTurned : OrientationAsGiven;
      part.Pass = ctx_.PassNumber;
      layout_.Placements.AddPlacement(c.part, r.SheetIndex, TPoint{r.X, r.Y}, c.turned);

      const int added = SplitRegion(layout_, c.region, dx, dy, alongXFirst);
      if (!params_.MultiSaw && params_.MaxCutLength == 0 && !ctx_.KeepRegionsApart) {
        MergeRegion(layout_, c.region);
        MergeRegion(layout_, added);
      }
      layout_.SortBySize();
    }
  }

 private:
  // Choice between two orientations that both fit.
  bool chooseTurned(const TDetal& d, const TSheet& r) {
    if (d.Width == r.Width || d.Length == r.Length) return false;
    if (d.Length == r.Width || d.Width == r.Length) return true;
    if (ctx_.Bits > 0) return ctx_.NextBit();
    return ctx_.LastOrientation == OrientationTurned;
  }

  // Orientation of a part on a rectangle by the ordinary rules; false when
  // it fits in no allowed orientation.
  bool ordinaryFit(const TDetal& d, const TSheet& r, bool& turned) {
    const bool asGiven = allowed(d, false) && fits(d, r, false);
    const bool rotated = allowed(d, true) && fits(d, r, true);
    if (asGiven && rotated)
      turned = chooseTurned(d, r);
    else if (asGiven || rotated)
      turned = rotated;
    else
      return false;
    ctx_.LastOrientation = turned ? OrientationTurned : OrientationAsGiven;
    return true;
  }

  // Search 1: the first part that fits the rectangle.
  Candidate partForRegion(int region) {
    const TSheet& r = layout_.Region(region);
    for (int i = 0; i < parts_.Count(); ++i) {
      const TDetal& d = parts_[i];
      bool turned = false;
      if (isCandidate(d) && ordinaryFit(d, r, turned)) return Candidate{i, region, turned};
    }
    return {};
  }

  // Search 2: the first part that fits the rectangle exactly.
  Candidate exactPartForRegion(int region) {
    const TSheet& r = layout_.Region(region);
    for (int i = 0; i < parts_.Count(); ++i) {
      const TDetal& d = parts_[i];
      if (!isCandidate(d)) continue;
      const bool asGiven = allowed(d, false) && fitsExactly(d, r, false);
      const bool rotated = allowed(d, true) && fitsExactly(d, r, true);
      if (!asGiven && !rotated) continue;
      const bool turned = !asGiven;
      ctx_.LastOrientation = turned ? OrientationTurned : OrientationAsGiven;
      return Candidate{i, region, turned};
    }
    return {};
  }

  // Search 3: the first rectangle, from the smallest, the part fits.
  Candidate regionForPart(int part) {
    const TDetal& d = parts_[part];
    for (int j = layout_.RegionCount() - 1; j >= 0; --j) {
      const TSheet& r = layout_.Region(j);
      if (r.IsEmpty()) continue;
      bool turned = false;
      if (ordinaryFit(d, r, turned)) return Candidate{part, j, turned};
    }
    return {};
  }

  // Search 4: the first rectangle, from the smallest, that some part fits
  // exactly, as given before turned.
  Candidate exactPair() {
    for (int j = layout_.RegionCount() - 1; j >= 0; --j) {
      const TSheet& r = layout_.Region(j);
      if (r.IsEmpty()) continue;
      for (bool turned : {false, true}) {
        for (int i = 0; i < parts_.Count(); ++i) {
          const TDetal& d = parts_[i];
          if (isCandidate(d) && allowed(d, turned) && fitsExactly(d, r, turned)) return Candidate{i, j, turned};
        }
      }
    }
    return {};
  }

  Candidate find() {
    if (params_.Rule == SelectionRule::RegionFirst) {
      for (int j = layout_.RegionCount() - 1; j >= 0; --j) {
        if (layout_.Region(j).IsEmpty()) continue;
        Candidate c;
        if (params_.OneSize) c = exactPartForRegion(j);
        if (!c) c = partForRegion(j);
        if (c) return c;
      }
      return {};
    }
    if (params_.OneSize) {
      if (Candidate c = exactPair()) return c;
    }
    for (int i = 0; i < parts_.Count(); ++i) {
      const TDetal& d = parts_[i];
      if (d.Skipped || d.Pending == 0) continue;
      if (Candidate c = regionForPart(i)) return c;
    }
    return {};
  }

  bool cutAlongXFirst(const TSheet& r, std::int32_t dx, std::int32_t dy) {
    bool alongX;
    const std::int32_t leftEdge = -params_.HalfKerf() + (r.IsScrap ? 0 : params_.TrimLeft);
    if (params_.MultiSaw && r.X == leftEdge)
      alongX = true;
    else if (dy == r.Width)
      alongX = false;
    else if (dx == r.Length)
      alongX = true;
    else
      alongX = !ctx_.NextBit();
    const std::int32_t p = params_.MaxCutLength;
    if (p > 0) {
      if (r.Width > p) alongX = true;
      if (r.Length > p) alongX = false;
    }
    return alongX;
  }

  EngineContext& ctx_;
  TDetalsList& parts_;
  TSheetsList& layout_;
  const CuttingParameters& params_;
};

}  // namespace

void BuildVariant(EngineContext& ctx) {
  if (!ctx.Current) return;
  VariantBuilder(ctx).run();
}

int SplitRegion(TSheetsList& layout, int region, std::int32_t dx, std::int32_t dy, bool alongXFirst) {
  TSheet& r = layout.Region(region);
  const std::int32_t x = r.X, y = r.Y, l = r.Length, w = r.Width, s = r.SheetIndex;
  const bool isScrap = r.IsScrap;
  TSheet added;
  added.SheetIndex = s;
  added.IsScrap = isScrap;
  if (alongXFirst) {
    layout.MillLines.AddCut(x, y + dy, s, true, l);
    layout.MillLines.AddCut(x + dx, y, s, false, dy);
    added.X = x + dx;
    added.Y = y;
    added.Length = l - dx;
    added.Width = dy;
    r.Y = y + dy;
    r.Width = w - dy;
  } else {
    layout.MillLines.AddCut(x + dx, y, s, false, w);
    layout.MillLines.AddCut(x, y + dy, s, true, dx);
    added.X = x;
    added.Y = y + dy;
    added.Length = dx;
    added.Width = w - dy;
    r.X = x + dx;
    r.Length = l - dx;
  }
  layout.Regions.push_back(std::move(added));
  return layout.RegionCount() - 1;
}

bool MergeRegion(TSheetsList& layout, int region) {
  if (layout.Region(region).IsEmpty()) return false;
  const std::int32_t sheet = layout.Region(region).SheetIndex;
  for (int j = 0; j < layout.RegionCount(); ++j) {
    if (j == region) continue;
    TSheet& s = layout.Region(j);
    if (s.SheetIndex != sheet || s.IsEmpty()) continue;
    TSheet& m = layout.Region(region);
    const std::int32_t x = m.X, y = m.Y, l = m.Length, w = m.Width;
    if (s.X + s.Length == x && s.Y == y && s.Y + s.Width == y + w) {
      // S lies directly left of M.
      layout.MillLines.ShortenCut(sheet, {x, y}, {x, y + w});
      layout.MillLines.ExtendCut(sheet, {x, y}, {x + l, y});
      layout.MillLines.DeleteCut(sheet, {x, y}, {x + l, y});
      m.X = s.X;
      m.Length = l + s.Length;
      s.Length = 0;
      return true;
    }
    if (s.X == x && s.Y + s.Width == y && s.X + s.Length == x + l) {
      // S lies directly above M.
      layout.MillLines.ShortenCut(sheet, {x, y}, {x + l, y});
      layout.MillLines.ExtendCut(sheet, {x, y}, {x, y + w});
      layout.MillLines.DeleteCut(sheet, {x, y}, {x, y + w});
      m.Y = s.Y;
      m.Width = w + s.Width;
      s.Width = 0;
      return true;
    }
  }
  return false;
}

bool IsGuillotine(const TSheetsList& layout, const TDetalsList& parts) {
  struct Box {
    std::int32_t sheet;
    std::int64_t x1, y1, x2, y2;
  };
  std::vector<Box> boxes;
  boxes.reserve(layout.Placements.All().size());
  for (const TDetalHandle& p : layout.Placements.All()) {
    const TDetal* d = parts.Items(p.DetalIndex);
    if (!d) continue;
    boxes.push_back({p.SheetIndex, p.X, p.Y, std::int64_t{p.X} + extentX(*d, p.Rotated),
                     std::int64_t{p.Y} + extentY(*d, p.Rotated)});
  }
  if (boxes.size() < 2) return true;
  // Each sheet is a piece of its own.
  std::sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.sheet < b.sheet; });
  std::vector<std::pair<std::size_t, std::size_t>> pieces;
  for (std::size_t i = 0, start = 0; i <= boxes.size(); ++i) {
    if (i == boxes.size() || boxes[i].sheet != boxes[start].sheet) {
      pieces.emplace_back(start, i);
      start = i;
    }
  }
  // Every gap that runs across a piece along one axis is cut at once.
  std::vector<std::size_t> starts;
  while (!pieces.empty()) {
    const auto [first, last] = pieces.back();
    pieces.pop_back();
    if (last - first < 2) continue;
    bool split = false;
    for (int axis = 0; axis < 2 && !split; ++axis) {
      auto lo = [axis](const Box& b) { return axis == 0 ? b.x1 : b.y1; };
      auto hi = [axis](const Box& b) { return axis == 0 ? b.x2 : b.y2; };
      std::sort(boxes.begin() + static_cast<std::ptrdiff_t>(first), boxes.begin() + static_cast<std::ptrdiff_t>(last),
                [&](const Box& a, const Box& b) { return lo(a) < lo(b); });
      starts.assign(1, first);
      std::int64_t reach = hi(boxes[first]);
      for (std::size_t i = first + 1; i < last; ++i) {
        if (lo(boxes[i]) >= reach) starts.push_back(i);
        reach = std::max(reach, hi(boxes[i]));
      }
      if (starts.size() < 2) continue;
      split = true;
      starts.push_back(last);
      for (std::size_t g = 0; g + 1 < starts.size(); ++g) pieces.emplace_back(starts[g], starts[g + 1]);
    }
    if (!split) return false;
  }
  return true;
}

void FinishStandardSheet(TSheetsList& map, const CuttingParameters& params) {
  const std::int32_t sheetL = map.SheetLength;
  const std::int32_t sheetW = map.SheetWidth;
  const std::int32_t k = params.Kerf;
  const std::int32_t h = params.HalfKerf();
  TMillList& cuts = map.MillLines;

  // Cuts that do not meet the sheet at all (along a zero trim the last cut
  // lies beyond the sheet edge).
  for (int i = cuts.Count() - 1; i >= 0; --i) {
    const TMillLine& c = cuts.Items(i);
    const bool keep = c.Orient ? (c.Y >= 0 && c.Y <= sheetW && c.X + c.Length >= 0 && c.X <= sheetL)
                               : (c.X >= 0 && c.X <= sheetL && c.Y + c.Length >= 0 && c.Y <= sheetW);
    if (!keep) cuts.Delete(i);
  }

  // Cuts running into the right trim are carried through it; cuts running
  // into the bottom trim lose the kerf overhang.
  const std::int32_t usableL = sheetL - params.TrimLeft - params.TrimRight;
  const std::int32_t usableW = sheetW - params.TrimTop - params.TrimBottom;
  for (int i = 0; i < cuts.Count(); ++i) {
    TMillLine& c = cuts.Items(i);
    if (c.Orient) {
      if (c.X + c.Length > usableL) c.Length = c.Length - k + params.TrimRight;
    } else {
      if (c.Y + c.Length > usableW) c.Length = c.Length - k;
    }
  }

  if (params.TrimTop > 0) cuts.AddCut(0, params.TrimTop - h, map.Variant, true, sheetL);
  if (params.TrimLeft > 0) {
    const std::int32_t top = params.TrimTop > 0 ? params.TrimTop : 0;
    cuts.AddCut(params.TrimLeft - h, top, map.Variant, false, sheetW - top);
  }
}

}  // namespace kroyna::engine
