#pragma once

// The in-memory model of one material being cut: the parts still to cut,
// free rectangles, placed copies, saw cuts, layouts and lists of layouts.
//
// Conventions used throughout the engine:
// - lengths are whole millimetres in 32-bit signed integers;
// - the origin of a sheet is its top-left corner, X runs along the sheet
//   length, Y along the sheet width (downwards on a drawn map);
// - a part placed as given lies with its Length along X, a turned part with
//   its Width along X;
// - while a pass runs, part sizes and free rectangles are enlarged by the saw
//   kerf k (see TDetalsList::ApplyKerf), and cut coordinates are those of the
//   centre line of the kerf.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kroyna::engine {

class TSheetsList;

// Rotation rules of a part.
enum : std::uint8_t {
  RotateFree = 0,       // may be turned by 90 degrees
  RotateNever = 1,      // must not be turned
  RotateOneForAll = 2,  // every copy takes one orientation
};

// Orientations of a placed part.
enum : std::uint8_t {
  OrientationNone = 0,
  OrientationAsGiven = 1,
  OrientationTurned = 2,
};

// One part of the parts list.
struct TDetal {
  std::int32_t Many = 0;       // quantity ordered
  std::int32_t Remaining = 0;  // copies not yet on an accepted map
  std::string Name;            // UTF-8
  std::int32_t Length = 0;     // size along X as given (kerf-enlarged during a pass)
  std::int32_t Width = 0;      // size along Y as given (kerf-enlarged during a pass)
  std::int32_t Pass = 0;       // number of the pass that last placed a copy
  std::uint8_t Rotate = RotateFree;
  std::int32_t Pending = 0;                    // copies still to place in the variant being built
  std::uint8_t Orientation = OrientationNone;  // last orientation; for rule 2 the fixed one
  bool Skipped = false;                        // deferred in the variant being built (full search)
  std::int32_t LBorder = 0;                    // edge-banding codes of the edges as given
  std::int32_t RBorder = 0;
  std::int32_t TBorder = 0;
  std::int32_t BBorder = 0;
  // The caller's own reference to where the part came from (a row number);
  // the engine carries it through sorting and never reads it.
  std::int32_t Row = -1;
};

// The parts list. Its order is the search order (see SortBySize).
class TDetalsList {
 public:
  // Appends a part with Many = Remaining = Pending = many. Edge codes are
  // set afterwards on the last part.
  TDetal& AddDetal(const std::string& name, std::int32_t length, std::int32_t width, std::int32_t many,
                   std::uint8_t rotate);

  int Count() const { return static_cast<int>(parts_.size()); }
  // Nothing (nullptr) for an index outside the list.
  TDetal* Items(int i);
  const TDetal* Items(int i) const;
  TDetal& operator[](int i) { return parts_[static_cast<std::size_t>(i)]; }
  const TDetal& operator[](int i) const { return parts_[static_cast<std::size_t>(i)]; }
  void Clear() { parts_.clear(); }

  // Pending := Remaining for every part; Orientation := 0 for every part
  // whose rule is not one-for-all, and for every part when `all` is true.
  void ResetPending(bool all);
  // Adds (on) or subtracts (off) `kerf` to both sizes of every part.
  void ApplyKerf(bool on, std::int32_t kerf);
  bool AllPlaced() const;
  std::int64_t RemainingTotal() const;
  void ClearSkipped();
  bool AnySkipped() const;
  // Walks the list from its first entry: true as soon as an entry is
  // strictly smaller than `part` in both sizes (either way round); false
  // after the first entry with copies pending has been tested, or at the end.
  bool HasSmallerAhead(const TDetal& part) const;
  // For every placement of `layout` whose part is one-for-all, fixes that
  // part's orientation to the one the placement has.
  void FixOrientations(const TSheetsList& layout);
  // Larger max(Length, Width) first; on a tie the larger min first.
  void SortBySize();

 private:
  std::vector<TDetal> parts_;
};

// A rectangle on a sheet: a free rectangle in a layout, or one physical
// sheet (stock entry) in the stock list.
struct TSheet {
  std::int32_t Length = 0;  // extent along X (kerf-enlarged inside a layout)
  std::int32_t Width = 0;   // extent along Y (kerf-enlarged inside a layout)
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::string Name;             // stock name of an offcut; empty otherwise
  std::int32_t SheetIndex = 0;  // the sheet of the layout it belongs to
  bool IsScrap = false;         // the sheet is an offcut taken from stock
  // Made by joining two free rectangles, or split from one that was: only
  // a copy put into such a rectangle can make a layout that through-cuts
  // cannot cut apart.
  bool Joined = false;

  // A side set to 0 by merging or splitting: such a rectangle stays in the
  // list but takes no part and counts in no size measure.
  bool IsEmpty() const { return Length <= 0 || Width <= 0; }

  // Layouts re-sort their rectangles after every step; most have no name.
  friend void swap(TSheet& a, TSheet& b) noexcept {
    std::swap(a.Length, b.Length);
    std::swap(a.Width, b.Width);
    std::swap(a.X, b.X);
    std::swap(a.Y, b.Y);
    std::swap(a.SheetIndex, b.SheetIndex);
    std::swap(a.IsScrap, b.IsScrap);
    std::swap(a.Joined, b.Joined);
    if (!a.Name.empty() || !b.Name.empty()) a.Name.swap(b.Name);
  }
};

struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
};

// One placed copy of a part.
struct TDetalHandle {
  std::int32_t DetalIndex = 0;  // index in the parts list
  std::int32_t X = 0;           // top-left corner of the kerf-enlarged box
  std::int32_t Y = 0;
  bool Rotated = false;
  std::int32_t SheetIndex = 0;
};

class TDetalsHandleList {
 public:
  void AddPlacement(std::int32_t detalIndex, std::int32_t sheetIndex, TPoint at, bool rotated);
  void Delete(int i);
  int Count() const { return static_cast<int>(items_.size()); }
  const TDetalHandle& Items(int i) const { return items_[static_cast<std::size_t>(i)]; }
  // Smaller DetalIndex first (exchange scheme).
  void SortByDetal();
  void Reserve(std::size_t n) { items_.reserve(n); }
  void Clear() { items_.clear(); }
  const std::vector<TDetalHandle>& All() const { return items_; }

 private:
  std::vector<TDetalHandle> items_;
};

// One saw cut: its centre line starts at (X, Y) and runs Length mm along X
// (Orient true) or along Y (Orient false).
struct TMillLine {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Length = 0;
  bool Orient = true;
  std::int32_t SheetKey = 0;
};

class TMillList {
 public:
  // Appends the cut unless a cut of the same direction and sheet already
  // contains it; returns whether it was added. Overlapping cuts that do
  // not contain one another are both kept.
  bool AddCut(std::int32_t x, std::int32_t y, std::int32_t sheetKey, bool orient, std::int32_t length);
  void Delete(int i);
  int Count() const { return static_cast<int>(items_.size()); }
  const TMillLine& Items(int i) const { return items_[static_cast<std::size_t>(i)]; }
  TMillLine& Items(int i) { return items_[static_cast<std::size_t>(i)]; }
  void Reserve(std::size_t n) { items_.reserve(n); }
  void Clear() { items_.clear(); }
  const std::vector<TMillLine>& All() const { return items_; }

  // The span operations of merging. A segment P-Q runs along X when
  // P.Y = Q.Y, along Y otherwise.
  // Shortens the first cut of the sheet that contains P-Q by its length.
  void ShortenCut(std::int32_t sheetKey, TPoint p, TPoint q);
  // Lengthens by |P-Q| every cut of the sheet that ends exactly at P and
  // lies on the line P-Q.
  void ExtendCut(std::int32_t sheetKey, TPoint p, TPoint q);
  // Deletes the first cut of the sheet that starts at P and ends at Q.
  void DeleteCut(std::int32_t sheetKey, TPoint p, TPoint q);

 private:
  std::vector<TMillLine> items_;
};

// A layout: the free rectangles, placed copies and cuts of one or more
// sheets.
class TSheetsList {
 public:
  std::vector<TSheet> Regions;
  TDetalsHandleList Placements;
  TMillList MillLines;
  std::string Name;              // stock name of the sheet (maps of offcuts)
  std::int32_t Variant = -1;     // the variant that built the layout
  std::int32_t Quantity = 0;     // identical sheets cut with it (finished maps)
  std::int32_t SheetLength = 0;  // for the waste measure and for drawing
  std::int32_t SheetWidth = 0;
  bool IsScrap = false;

  // Appends a free rectangle with IsScrap false.
  TSheet& AddRegion(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t length, std::int32_t width,
                    std::int32_t sheetIndex);
  void DeleteRegion(int i);
  int RegionCount() const { return static_cast<int>(Regions.size()); }
  TSheet& Region(int i) { return Regions[static_cast<std::size_t>(i)]; }
  const TSheet& Region(int i) const { return Regions[static_cast<std::size_t>(i)]; }

  // Sheet area minus the area of the placed parts as currently held
  // (kerf-enlarged during a pass), in extended precision.
  long double WasteArea(const TDetalsList& parts) const;
  int MillCount() const { return MillLines.Count(); }
  std::int64_t MillLength() const;
  // Largest Length among the free rectangles, 0 when none is positive.
  std::int32_t LongestRegion() const;
  // Largest area among free rectangles of exactly that Length, 0 when none.
  std::int64_t LargestAreaOfLength(std::int32_t length) const;
  // Same sheet size and name, same number of free rectangles and
  // placements, same part at every position of the placements.
  bool SameLayout(const TSheetsList& other) const;
  // Free rectangles: larger max(Length, Width) first, then larger min.
  void SortBySize();
  // Free rectangles: larger Length x Width first.
  void SortByArea();
};

using LayoutPtr = std::shared_ptr<TSheetsList>;

// How two layouts of equal waste are told apart.
enum class Criterion : std::uint8_t {
  OffcutArea = 0,    // the larger offcuts, compared position by position
  OffcutLength = 1,  // the longer longest offcut
  CutLength = 2,     // the shorter total cut length
};

// True when `held` is the worse of the two (the later layout wins ties).
bool IsWorseLayout(const TSheetsList& held, const TSheetsList& added, const TDetalsList& parts, Criterion criterion);

// A list of layouts. With KeepBest set it keeps only the better layout on
// every add. Layouts are shared so that one layout can sit in the variants
// list and the result list at once (see RemoveShared).
class TVariantsList {
 public:
  bool KeepBest = false;

  // Sets the layout's Variant, appends it, sorts its free rectangles by
  // area and its placements by part; with KeepBest deletes the worse of
  // the held and the new layout. Returns the layout deleted, if any, so
  // that its room can be used again.
  LayoutPtr AddVariant(const LayoutPtr& layout, std::int32_t number, const TDetalsList& parts, Criterion criterion);
  // Removes every layout that `other` holds as well (it stays alive there).
  void RemoveShared(const TVariantsList& other);
  void Delete(int i);
  int Count() const { return static_cast<int>(items_.size()); }
  const LayoutPtr& Items(int i) const { return items_[static_cast<std::size_t>(i)]; }
  // Index of the first layout other than `layout` itself that has the same
  // layout, -1 when none.
  int IndexOfSame(const TSheetsList& layout) const;
  void Clear() { items_.clear(); }

 private:
  std::vector<LayoutPtr> items_;
};

}  // namespace kroyna::engine
