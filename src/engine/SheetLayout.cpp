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
      : ctx_(ctx), parts_(ctx.Parts), layout_(*ctx.Current), params_(ctx.Params) {
    resetLive();
    noteRegions();
  }

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
        ctx_.TouchedParts.push_back(c.part);
        continue;
      }

      --part.Pending;
      ctx_.TouchedParts.push_back(c.part);
      part.Orientation = c.turned ? OrientationTurned : OrientationAsGiven;
      part.Pass = ctx_.PassNumber;
      layout_.Placements.AddPlacement(c.part, r.SheetIndex, TPoint{r.X, r.Y}, c.turned);
      if (r.Joined) ctx_.JoinedRegions = true;

      const int added = SplitRegion(layout_, c.region, dx, dy, alongXFirst);
      if (!params_.MultiSaw && params_.MaxCutLength == 0 && !ctx_.KeepRegionsApart) {
        const bool joined = MergeRegion(layout_, c.region);
        if (MergeRegion(layout_, added) || joined) {
          // A joined rectangle may hold a part that fitted nowhere.
          if (anyFitsNowhereFits(layout_.Region(c.region)) || anyFitsNowhereFits(layout_.Region(added))) resetLive();
        }
      }
      layout_.SortBySize();
      noteRegions();
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
    // The extents the part may take, so that a rectangle it cannot fit is
    // passed over at once (an empty rectangle fits nothing).
    const bool asGiven = allowed(d, false), turnedToo = allowed(d, true);
    const std::int32_t ax = asGiven ? d.Length : d.Width, ay = asGiven ? d.Width : d.Length;
    const std::int32_t bx = turnedToo ? d.Width : ax, by = turnedToo ? d.Length : ay;
    for (auto it = dims_.rbegin(); it != dims_.rend(); ++it) {
      if ((it->length < ax || it->width < ay) && (it->length < bx || it->width < by)) continue;
      bool turned = false;
      if (ordinaryFit(d, layout_.Region(it->index), turned)) return Candidate{part, it->index, turned};
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

  // The sizes of the free rectangles that are not empty, in list order.
  struct RegionSize {
    std::int32_t length, width;
    int index;
  };
  void noteRegions() {
    dims_.clear();
    const std::vector<TSheet>& regions = layout_.Regions;
    for (std::size_t j = 0; j < regions.size(); ++j) {
      if (!regions[j].IsEmpty()) dims_.push_back({regions[j].Length, regions[j].Width, static_cast<int>(j)});
    }
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
    for (int i = nextLive(0); i < parts_.Count(); i = nextLive(i + 1)) {
      const TDetal& d = parts_[i];
      if (d.Pending == 0) {
        notLive(i, NoCopyLeft);
        continue;
      }
      if (d.Skipped) continue;
      if (Candidate c = regionForPart(i)) return c;
      notLive(i, FitsNowhere);
    }
    return {};
  }

  // Parts that can take no copy for the rest of the variant are passed
  // over: those without copies pending, and those that fit no free
  // rectangle. Rectangles only become smaller, and one-for-all parts only
  // lose an orientation, until two rectangles are joined; a join makes
  // every part a candidate again. (No bit is drawn for a part that fits
  // nowhere, so passing over it changes nothing.)
  enum : std::uint8_t { Live, NoCopyLeft, FitsNowhere };
  void resetLive() {
    next_.resize(static_cast<std::size_t>(parts_.Count()) + 1);
    for (std::size_t i = 0; i < next_.size(); ++i) next_[i] = static_cast<int>(i);
    why_.assign(static_cast<std::size_t>(parts_.Count()), Live);
    fitsNowhere_.clear();
  }
  void notLive(int i, std::uint8_t why) {
    next_[static_cast<std::size_t>(i)] = i + 1;
    why_[static_cast<std::size_t>(i)] = why;
    if (why == FitsNowhere) fitsNowhere_.push_back(i);
  }
  // Whether a part passed over as fitting nowhere fits the rectangle.
  bool anyFitsNowhereFits(const TSheet& r) const {
    if (r.IsEmpty()) return false;
    for (const int i : fitsNowhere_) {
      const TDetal& d = parts_[i];
      if ((allowed(d, false) && fits(d, r, false)) || (allowed(d, true) && fits(d, r, true))) return true;
    }
    return false;
  }
  int nextLive(int i) {
    int root = i;
    while (next_[static_cast<std::size_t>(root)] != root) root = next_[static_cast<std::size_t>(root)];
    while (next_[static_cast<std::size_t>(i)] != root) {
      const int up = next_[static_cast<std::size_t>(i)];
      next_[static_cast<std::size_t>(i)] = root;
      i = up;
    }
    return root;
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
  std::vector<RegionSize> dims_;   // see noteRegions
  std::vector<int> next_;          // the next part that may take a copy (see resetLive)
  std::vector<std::uint8_t> why_;  // why a part is passed over
  std::vector<int> fitsNowhere_;   // the parts passed over as fitting nowhere
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
  added.Joined = r.Joined;
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
  std::vector<TSheet>& regions = layout.Regions;
  TSheet& m = regions[static_cast<std::size_t>(region)];
  if (m.IsEmpty()) return false;
  const std::int32_t sheet = m.SheetIndex, x = m.X, y = m.Y, l = m.Length, w = m.Width;
  const std::size_t n = regions.size();
  for (std::size_t j = 0; j < n; ++j) {
    TSheet& s = regions[j];
    // S directly left of M with the same span (S.Y = Y and S.Y + S.W = Y + W),
    // or directly above it with the same span.
    const bool left = s.X + s.Length == x && s.Y == y && s.Width == w;
    const bool above = s.X == x && s.Y + s.Width == y && s.Length == l;
    if (!left && !above) continue;
    if (j == static_cast<std::size_t>(region) || s.SheetIndex != sheet || s.IsEmpty()) continue;
    if (left) {
      layout.MillLines.ShortenCut(sheet, {x, y}, {x, y + w});
      layout.MillLines.ExtendCut(sheet, {x, y}, {x + l, y});
      layout.MillLines.DeleteCut(sheet, {x, y}, {x + l, y});
      m.X = s.X;
      m.Length = l + s.Length;
      m.Joined = true;
      s.Length = 0;
      return true;
    }
    layout.MillLines.ShortenCut(sheet, {x, y}, {x + l, y});
    layout.MillLines.ExtendCut(sheet, {x, y}, {x, y + w});
    layout.MillLines.DeleteCut(sheet, {x, y}, {x, y + w});
    m.Y = s.Y;
    m.Width = w + s.Width;
    m.Joined = true;
    s.Width = 0;
    return true;
  }
  return false;
}

bool IsGuillotine(const TSheetsList& layout, const TDetalsList& parts) {
  struct Box {
    std::int32_t sheet;
    std::int64_t x1, y1, x2, y2;
  };
  thread_local std::vector<Box> boxes;
  boxes.clear();
  for (const TDetalHandle& p : layout.Placements.All()) {
    const TDetal* d = parts.Items(p.DetalIndex);
    if (!d) continue;
    boxes.push_back({p.SheetIndex, p.X, p.Y, std::int64_t{p.X} + extentX(*d, p.Rotated),
                     std::int64_t{p.Y} + extentY(*d, p.Rotated)});
  }
  if (boxes.size() < 2) return true;
  // Each sheet is a piece of its own.
  std::sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.sheet < b.sheet; });
  thread_local std::vector<std::pair<std::size_t, std::size_t>> pieces;
  pieces.clear();
  for (std::size_t i = 0, start = 0; i <= boxes.size(); ++i) {
    if (i == boxes.size() || boxes[i].sheet != boxes[start].sheet) {
      pieces.emplace_back(start, i);
      start = i;
    }
  }
  // Every gap that runs across a piece along one axis is cut at once.
  thread_local std::vector<std::size_t> starts;
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

namespace {

struct StageBox {
  std::int64_t x1, y1, x2, y2;
};

// Whether boxes[first, last) can be cut free from `piece` in `left` stages,
// this stage cutting along X (lines of constant Y) or along Y.
bool cutFree(std::vector<StageBox>& boxes, std::size_t first, std::size_t last, const StageBox& piece, bool alongX,
             std::int32_t left) {
  if (last - first == 1) {
    const StageBox& b = boxes[first];
    if (b.x1 == piece.x1 && b.y1 == piece.y1 && b.x2 == piece.x2 && b.y2 == piece.y2) return true;
  }
  if (left <= 0) return false;
  auto lo = [alongX](const StageBox& b) { return alongX ? b.y1 : b.x1; };
  auto hi = [alongX](const StageBox& b) { return alongX ? b.y2 : b.x2; };
  std::sort(boxes.begin() + static_cast<std::ptrdiff_t>(first), boxes.begin() + static_cast<std::ptrdiff_t>(last),
            [&](const StageBox& a, const StageBox& b) { return lo(a) < lo(b); });
  // The strips this stage cuts, each as tall (or wide) as its boxes reach.
  std::vector<std::pair<std::size_t, std::size_t>> strips;
  std::size_t start = first;
  std::int64_t reach = hi(boxes[first]);
  for (std::size_t i = first + 1; i <= last; ++i) {
    if (i == last || lo(boxes[i]) >= reach) {
      strips.emplace_back(start, i);
      if (i == last) break;
      start = i;
    }
    reach = std::max(reach, hi(boxes[i]));
  }
  for (const auto& [from, to] : strips) {
    StageBox strip = piece;
    std::int64_t a = lo(boxes[from]), b = hi(boxes[from]);
    for (std::size_t i = from; i < to; ++i) b = std::max(b, hi(boxes[i]));
    if (alongX) {
      strip.y1 = a;
      strip.y2 = b;
    } else {
      strip.x1 = a;
      strip.x2 = b;
    }
    if (!cutFree(boxes, from, to, strip, !alongX, left - 1)) return false;
  }
  return true;
}

}  // namespace

bool WithinStages(const TSheetsList& layout, const TDetalsList& parts, std::int32_t extra, const TSheet& usable,
                  std::int32_t maxStages, FirstStageCuts first) {
  std::vector<StageBox> boxes;
  for (const TDetalHandle& p : layout.Placements.All()) {
    const TDetal* d = parts.Items(p.DetalIndex);
    if (!d) continue;
    boxes.push_back({p.X, p.Y, std::int64_t{p.X} + extentX(*d, p.Rotated) + extra,
                     std::int64_t{p.Y} + extentY(*d, p.Rotated) + extra});
  }
  if (boxes.empty()) return true;
  const StageBox piece{usable.X, usable.Y, std::int64_t{usable.X} + usable.Length,
                       std::int64_t{usable.Y} + usable.Width};
  if (first != FirstStageCuts::AlongY && cutFree(boxes, 0, boxes.size(), piece, true, maxStages)) return true;
  return first != FirstStageCuts::AlongX && cutFree(boxes, 0, boxes.size(), piece, false, maxStages);
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
