#include "engine/CuttingModel.h"

#include "engine/ExchangeSort.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace kroyna::engine {

namespace {

// Rank of SortBySize: the larger max(Length, Width) first, then the larger
// min, as one number (the min is offset into 32 unsigned bits, so negative
// sizes would rank as they do as a pair).
std::int64_t sizeKey(std::int32_t length, std::int32_t width) {
  return static_cast<std::int64_t>(std::max(length, width)) * 4294967296LL +
         (static_cast<std::int64_t>(std::min(length, width)) + 2147483648LL);
}

// Areas are computed in 64 bits: a 32-bit product would overflow (undefined
// behaviour) on sheets above about 46 m a side.
std::int64_t area(const TSheet& r) { return static_cast<std::int64_t>(r.Length) * r.Width; }

}  // namespace

// ---------------------------------------------------------------- TDetalsList

TDetal& TDetalsList::AddDetal(const std::string& name, std::int32_t length, std::int32_t width, std::int32_t many,
                              std::uint8_t rotate) {
  TDetal d;
  d.Name = name;
  d.Length = length;
  d.Width = width;
  d.Many = many;
  d.Remaining = many;
  d.Pending = many;
  d.Rotate = rotate;
  parts_.push_back(std::move(d));
  return parts_.back();
}

TDetal* TDetalsList::Items(int i) {
  if (i < 0 || i >= Count()) return nullptr;
  return &parts_[static_cast<std::size_t>(i)];
}

const TDetal* TDetalsList::Items(int i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return &parts_[static_cast<std::size_t>(i)];
}

void TDetalsList::ResetPending(bool all) {
  for (TDetal& d : parts_) {
    d.Pending = d.Remaining;
    if (all || d.Rotate != RotateOneForAll) d.Orientation = OrientationNone;
  }
}

void TDetalsList::ApplyKerf(bool on, std::int32_t kerf) {
  const std::int32_t delta = on ? kerf : -kerf;
  for (TDetal& d : parts_) {
    d.Length += delta;
    d.Width += delta;
  }
}

bool TDetalsList::AllPlaced() const {
  return std::none_of(parts_.begin(), parts_.end(), [](const TDetal& d) { return d.Remaining > 0; });
}

std::int64_t TDetalsList::RemainingTotal() const {
  std::int64_t sum = 0;
  for (const TDetal& d : parts_) sum += d.Remaining;
  return sum;
}

void TDetalsList::ClearSkipped() {
  for (TDetal& d : parts_) d.Skipped = false;
}

bool TDetalsList::AnySkipped() const {
  return std::any_of(parts_.begin(), parts_.end(), [](const TDetal& d) { return d.Skipped; });
}

bool TDetalsList::HasSmallerAhead(const TDetal& part) const {
  for (const TDetal& d : parts_) {
    const bool smaller =
        (d.Length < part.Length && d.Width < part.Width) || (d.Length < part.Width && d.Width < part.Length);
    if (smaller) return true;
    if (d.Pending > 0) return false;
  }
  return false;
}

void TDetalsList::FixOrientations(const TSheetsList& layout) {
  for (const TDetalHandle& p : layout.Placements.All()) {
    TDetal* d = Items(p.DetalIndex);
    if (d && d->Rotate == RotateOneForAll) d->Orientation = p.Rotated ? OrientationTurned : OrientationAsGiven;
  }
}

void TDetalsList::SortBySize() {
  ExchangeSort(parts_, [](const TDetal& d) { return sizeKey(d.Length, d.Width); });
}

// ---------------------------------------------------------- TDetalsHandleList

void TDetalsHandleList::AddPlacement(std::int32_t detalIndex, std::int32_t sheetIndex, TPoint at, bool rotated) {
  items_.push_back(TDetalHandle{detalIndex, at.X, at.Y, rotated, sheetIndex});
}

void TDetalsHandleList::Delete(int i) {
  if (i >= 0 && i < Count()) items_.erase(items_.begin() + i);
}

void TDetalsHandleList::SortByDetal() {
  ExchangeSort(items_, [](const TDetalHandle& h) { return -static_cast<std::int64_t>(h.DetalIndex); });
}

// ------------------------------------------------------------------ TMillList

bool TMillList::AddCut(std::int32_t x, std::int32_t y, std::int32_t sheetKey, bool orient, std::int32_t length) {
  const std::int64_t end = static_cast<std::int64_t>(orient ? x : y) + length;
  // Only a cut on the same line can contain the new one.
  if (orient) {
    for (const TMillLine& c : items_) {
      if (c.Y == y && c.Orient && c.SheetKey == sheetKey && x >= c.X && end <= std::int64_t{c.X} + c.Length)
        return false;
    }
  } else {
    for (const TMillLine& c : items_) {
      if (c.X == x && !c.Orient && c.SheetKey == sheetKey && y >= c.Y && end <= std::int64_t{c.Y} + c.Length)
        return false;
    }
  }
  items_.push_back(TMillLine{x, y, length, orient, sheetKey});
  return true;
}

void TMillList::Delete(int i) {
  if (i >= 0 && i < Count()) items_.erase(items_.begin() + i);
}

namespace {

std::int32_t segmentLength(TPoint p, TPoint q) { return std::abs(q.X - p.X) + std::abs(q.Y - p.Y); }

bool alongX(TPoint p, TPoint q) { return p.Y == q.Y; }

}  // namespace

void TMillList::ShortenCut(std::int32_t sheetKey, TPoint p, TPoint q) {
  const bool orient = alongX(p, q);
  for (TMillLine& c : items_) {
    if (c.SheetKey != sheetKey || c.Orient != orient) continue;
    const bool contains = orient ? (p.Y == c.Y && q.Y == c.Y && p.X >= c.X && q.X <= c.X + c.Length)
                                 : (p.X == c.X && q.X == c.X && p.Y >= c.Y && q.Y <= c.Y + c.Length);
    if (contains) {
      c.Length -= segmentLength(p, q);
      return;
    }
  }
}

void TMillList::ExtendCut(std::int32_t sheetKey, TPoint p, TPoint q) {
  const bool orient = alongX(p, q);
  const std::int32_t by = segmentLength(p, q);
  for (TMillLine& c : items_) {
    if (c.SheetKey != sheetKey || c.Orient != orient) continue;
    const bool endsAtP = orient ? (c.Y == p.Y && c.X + c.Length == p.X) : (c.X == p.X && c.Y + c.Length == p.Y);
    if (endsAtP) c.Length += by;
  }
}

void TMillList::DeleteCut(std::int32_t sheetKey, TPoint p, TPoint q) {
  const bool orient = alongX(p, q);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const TMillLine& c = items_[i];
    if (c.SheetKey != sheetKey || c.Orient != orient || c.X != p.X || c.Y != p.Y) continue;
    const TPoint end = orient ? TPoint{c.X + c.Length, c.Y} : TPoint{c.X, c.Y + c.Length};
    if (end.X == q.X && end.Y == q.Y) {
      items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

// ---------------------------------------------------------------- TSheetsList

TSheet& TSheetsList::AddRegion(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t length,
                               std::int32_t width, std::int32_t sheetIndex) {
  TSheet r;
  r.Name = name;
  r.X = x;
  r.Y = y;
  r.Length = length;
  r.Width = width;
  r.SheetIndex = sheetIndex;
  Regions.push_back(std::move(r));
  return Regions.back();
}

void TSheetsList::DeleteRegion(int i) {
  if (i >= 0 && i < RegionCount()) Regions.erase(Regions.begin() + i);
}

long double TSheetsList::WasteArea(const TDetalsList& parts) const {
  long double waste = static_cast<long double>(static_cast<std::int64_t>(SheetLength) * SheetWidth);
  for (const TDetalHandle& p : Placements.All()) {
    if (const TDetal* d = parts.Items(p.DetalIndex))
      waste -= static_cast<long double>(d->Length) * static_cast<long double>(d->Width);
  }
  return waste;
}

std::int64_t TSheetsList::MillLength() const {
  std::int64_t sum = 0;
  for (const TMillLine& c : MillLines.All()) sum += c.Length;
  return sum;
}

std::int32_t TSheetsList::LongestRegion() const {
  std::int32_t longest = 0;
  for (const TSheet& r : Regions) {
    if (!r.IsEmpty() && r.Length > longest) longest = r.Length;
  }
  return longest;
}

std::int64_t TSheetsList::LargestAreaOfLength(std::int32_t length) const {
  std::int64_t largest = 0;
  for (const TSheet& r : Regions) {
    if (!r.IsEmpty() && r.Length == length) largest = std::max(largest, area(r));
  }
  return largest;
}

bool TSheetsList::SameLayout(const TSheetsList& other) const {
  if (SheetLength != other.SheetLength || SheetWidth != other.SheetWidth || Name != other.Name ||
      RegionCount() != other.RegionCount() || Placements.Count() != other.Placements.Count())
    return false;
  for (int i = 0; i < Placements.Count(); ++i) {
    if (Placements.Items(i).DetalIndex != other.Placements.Items(i).DetalIndex) return false;
  }
  return true;
}

void TSheetsList::SortBySize() {
  ExchangeSort(Regions, [](const TSheet& r) { return sizeKey(r.Length, r.Width); });
}

void TSheetsList::SortByArea() {
  ExchangeSort(Regions, [](const TSheet& r) { return area(r); });
}

// -------------------------------------------------------------- TVariantsList

bool IsWorseLayout(const TSheetsList& held, const TSheetsList& added, const TDetalsList& parts, Criterion criterion) {
  const long double heldWaste = held.WasteArea(parts);
  const long double addedWaste = added.WasteArea(parts);
  if (heldWaste != addedWaste) return heldWaste > addedWaste;

  switch (criterion) {
    case Criterion::OffcutArea: {
      const int n = std::min(held.RegionCount(), added.RegionCount());
      for (int i = 0; i < n; ++i) {
        const std::int64_t a = area(held.Region(i));
        const std::int64_t b = area(added.Region(i));
        if (a != b) return a < b;
      }
      break;
    }
    case Criterion::OffcutLength: {
      const std::int32_t a = held.LongestRegion();
      const std::int32_t b = added.LongestRegion();
      if (a != b) return a < b;
      const std::int64_t aa = held.LargestAreaOfLength(a);
      const std::int64_t ba = added.LargestAreaOfLength(b);
      if (aa != ba) return aa < ba;
      break;
    }
    case Criterion::CutLength: {
      const std::int64_t a = held.MillLength();
      const std::int64_t b = added.MillLength();
      if (a != b) return a > b;
      break;
    }
  }
  // Nothing tells them apart: the later variant wins.
  return true;
}

LayoutPtr TVariantsList::AddVariant(const LayoutPtr& layout, std::int32_t number, const TDetalsList& parts,
                                    Criterion criterion) {
  layout->Variant = number;
  items_.push_back(layout);
  if (!KeepBest || items_.size() == 1) {
    layout->SortByArea();
    layout->Placements.SortByDetal();
    return nullptr;
  }
  // The list holds the layout kept so far and the new one. Only the
  // comparison of offcut areas position by position needs the new layout's
  // rectangles in order, and only the layout kept needs its lists in order:
  // a layout dropped on its waste is not sorted at all.
  const TSheetsList& held = *items_[0];
  const long double heldWaste = held.WasteArea(parts), addedWaste = layout->WasteArea(parts);
  bool heldWorse = heldWaste > addedWaste;
  if (heldWaste == addedWaste) {
    layout->SortByArea();
    heldWorse = IsWorseLayout(held, *layout, parts, criterion);
  }
  if (heldWorse) {
    layout->SortByArea();
    layout->Placements.SortByDetal();
  }
  const auto worse = heldWorse ? items_.begin() : items_.begin() + 1;
  LayoutPtr dropped = std::move(*worse);
  items_.erase(worse);
  return dropped;
}

void TVariantsList::RemoveShared(const TVariantsList& other) {
  std::erase_if(items_, [&other](const LayoutPtr& mine) {
    return std::any_of(other.items_.begin(), other.items_.end(),
                       [&mine](const LayoutPtr& theirs) { return theirs == mine; });
  });
}

void TVariantsList::Delete(int i) {
  if (i >= 0 && i < Count()) items_.erase(items_.begin() + i);
}

int TVariantsList::IndexOfSame(const TSheetsList& layout) const {
  for (int i = 0; i < Count(); ++i) {
    const TSheetsList& other = *items_[static_cast<std::size_t>(i)];
    if (&other != &layout && other.SameLayout(layout)) return i;
  }
  return -1;
}

}  // namespace kroyna::engine
