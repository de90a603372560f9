#include "maps/MapsDocument.h"

#include "engine/FinishedMap.h"

#include <QMap>

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>

namespace kroyna::maps {

namespace {

constexpr int kAllMaterials = 999;
const QString kCr = QStringLiteral("\r");

QString u(const char* text) { return QString::fromUtf8(text); }

}  // namespace

QString millModeName(int mode) {
  switch (mode) {
    case MillShown: return u("Рисовать");
    case MillLastSheet: return u("Последний лист");
    default: return u("Не рисовать");
  }
}

QString formatArea(double mm2, int sqrDigits) { return shell::formatArea(mm2, sqrDigits); }

QString formatLength(double mm, int lenDigits) { return shell::formatLength(mm, lenDigits); }

QString formatPercent(double part, double base) {
  // A sheet or total of no area has no share to show: 0 rather than a
  // division by zero.
  if (base == 0 || !std::isfinite(part / base)) return QString::fromStdString(shell::formatFixed(0, 2));
  return QString::fromStdString(shell::formatFixed(part / base * 100.0, 2));
}

// ---- TUsingSheets ----

void TUsingSheets::add(int materialCode, std::int32_t length, std::int32_t width, std::int32_t initial,
                       std::int32_t remaining) {
  entries_.push_back(UsedSheet{materialCode, length, width, remaining, initial});
}

bool TUsingSheets::setRemaining(int materialCode, std::int32_t length, std::int32_t width, std::int32_t remaining) {
  bool found = false;
  for (UsedSheet& e : entries_) {
    if (e.materialCode == materialCode && e.length == length && e.width == width) {
      e.remaining = remaining;
      found = true;
    }
  }
  return found;
}

// ---- MapsDocument ----

MapsDocument::MapsDocument(const MapsEnvironment& env)
    : env_(env), caption_(u(kUntitledCaption)), colours_(env.colours()), font_(env.mapFont()) {}

void MapsDocument::setCaption(const QString& text) { caption_ = text.isEmpty() ? u(kUntitledCaption) : text; }

int MapsDocument::addMap(const QString& tabCaption, int materialCode, const engine::FinishedMap& finished,
                         std::int32_t kerf, const QString& remark) {
  SheetMap m;
  m.MaterialCode = materialCode;
  m.Caption = tabCaption;
  m.RealWidth = finished.SheetLength;
  m.RealHeight = finished.SheetWidth;
  m.Quantity = finished.Quantity;
  m.IsScraps = finished.IsScrap;
  m.SheetName = QString::fromStdString(finished.Name);
  m.MillSize = kerf;
  m.Remark = remark;
  m.Font = font_;
  m.Color = colours_.sheet;
  m.MillLinesCount = finished.MillCount;
  m.MillLinesLength = static_cast<double>(finished.MillLength);

  m.Parts.reserve(finished.Parts.size());
  for (const engine::MapPart& p : finished.Parts) {
    MapPart part;
    part.RealLeft = p.X;
    part.RealTop = p.Y;
    part.RealWidth = p.Length;
    part.RealHeight = p.Width;
    part.LeftBorder = p.Edges[0];
    part.RightBorder = p.Edges[1];
    part.TopBorder = p.Edges[2];
    part.BottomBorder = p.Edges[3];
    part.Title = QString::fromStdString(p.Name);
    part.ShowTitle = showTitleForNew_;
    part.ShowDim = showDimForNew_;
    part.ShowBorder = showBorder_;
    m.Parts.push_back(std::move(part));
  }
  m.Offcuts.reserve(finished.Offcuts.size());
  for (const engine::MapOffcut& o : finished.Offcuts) {
    MapOffcut offcut;
    offcut.RealLeft = o.X;
    offcut.RealTop = o.Y;
    offcut.RealWidth = o.Length;
    offcut.RealHeight = o.Width;
    m.Offcuts.push_back(std::move(offcut));
  }
  m.Cuts.reserve(finished.Cuts.size());
  for (const engine::MapCut& c : finished.Cuts) {
    MapCut cut;
    cut.RealLeft = c.BandX;
    cut.RealTop = c.BandY;
    cut.RealWidth = c.BandLength;
    cut.RealHeight = c.BandWidth;
    cut.MillOrient = c.AlongX;
    m.Cuts.push_back(cut);
  }
  maps_.push_back(std::move(m));
  modified_ = true;
  // A failure to read the settings or criteria must not lose the map: it
  // stays with what the recompute managed to set.
  try {
    recompute();
  } catch (const std::exception&) {
  }
  applyMillMode();
  return mapCount() - 1;
}

int MapsDocument::appendStoredMap(SheetMap map) {
  maps_.push_back(std::move(map));
  return mapCount() - 1;
}

void MapsDocument::clearMaps() { maps_.clear(); }

void MapsDocument::makeUseful(MapOffcut& o) const {
  o.ScrapType = stNormalScrap;
  o.Color = colours_.scrap;
  o.ShowDim = showScrapsText_;
  o.Text = o.ScrapName.isEmpty() ? u(kUsefulOffcutText) : o.ScrapName;
  o.ShowText = o.ShowDim;
}

void MapsDocument::makeUseless(MapOffcut& o) const {
  o.ScrapType = stLostScrap;
  o.Color = colours_.lost;
  o.Text = u(kUselessOffcutText);
  o.ShowText = false;
  o.ShowDim = false;
}

void MapsDocument::classify(SheetMap& m, const warehouse::ScrapCriteria& criteria) {
  m.Color = colours_.sheet;
  for (MapCut& c : m.Cuts) c.Color = colours_.mill;
  m.DetalsSquare = 0;
  m.ScrapSquare = 0;
  for (MapPart& p : m.Parts) {
    p.BrushColor = colours_.detal;
    p.LeftBorderColor = env_.edgeColour(p.LeftBorder, colours_.detal);
    p.RightBorderColor = env_.edgeColour(p.RightBorder, colours_.detal);
    p.TopBorderColor = env_.edgeColour(p.TopBorder, colours_.detal);
    p.BottomBorderColor = env_.edgeColour(p.BottomBorder, colours_.detal);
    p.Hint = partInfo(p);
    m.DetalsSquare += double(p.RealWidth) * double(p.RealHeight);
  }
  for (MapOffcut& o : m.Offcuts) {
    if (warehouse::isWaste(criteria, o.RealWidth, o.RealHeight)) {
      makeUseless(o);
    } else {
      makeUseful(o);
      m.ScrapSquare += o.area();
    }
    o.Hint = offcutInfo(o);
  }
  m.LostSquare = m.sheetArea() - (m.DetalsSquare + m.ScrapSquare);
  m.TotalSquare = m.ScrapSquare + m.LostSquare;
}

void MapsDocument::recompute() {
  colours_ = env_.colours();
  std::map<int, warehouse::ScrapCriteria> criteria;
  for (SheetMap& m : maps_) {
    auto it = criteria.find(m.MaterialCode);
    if (it == criteria.end()) it = criteria.emplace(m.MaterialCode, env_.scrapCriteria(m.MaterialCode)).first;
    classify(m, it->second);
  }
}

void MapsDocument::recomputeSquares(int index) {
  SheetMap& m = map(index);
  m.DetalsSquare = 0;
  m.ScrapSquare = 0;
  for (const MapPart& p : m.Parts) m.DetalsSquare += double(p.RealWidth) * double(p.RealHeight);
  for (const MapOffcut& o : m.Offcuts)
    if (o.useful()) m.ScrapSquare += o.area();
  m.LostSquare = m.sheetArea() - (m.DetalsSquare + m.ScrapSquare);
  m.TotalSquare = m.ScrapSquare + m.LostSquare;
}

void MapsDocument::rebuildHints() {
  for (SheetMap& m : maps_) {
    for (MapPart& p : m.Parts) p.Hint = partInfo(p);
    for (MapOffcut& o : m.Offcuts) o.Hint = offcutInfo(o);
  }
}

// ---- Display ----

bool MapsDocument::setMaterialFilter(int code) {
  if (code == filter_) return false;
  filter_ = code;
  applyMillMode();
  return true;
}

bool MapsDocument::isVisible(int index) const { return filter_ == kAllMaterials || map(index).MaterialCode == filter_; }

int MapsDocument::lastVisibleMap() const {
  for (int i = mapCount() - 1; i >= 0; --i)
    if (isVisible(i)) return i;
  return -1;
}

void MapsDocument::setMillMode(int mode) {
  millMode_ = (mode >= MillHidden && mode <= MillLastSheet) ? mode : MillHidden;
  applyMillMode();
}

void MapsDocument::applyMillMode() {
  const int last = lastVisibleMap();
  for (int i = 0; i < mapCount(); ++i) {
    const bool shown = millMode_ == MillShown || (millMode_ == MillLastSheet && i == last);
    for (MapCut& c : map(i).Cuts) c.Visible = shown;
  }
}

void MapsDocument::setShowBorder(bool on) {
  showBorder_ = on;
  for (SheetMap& m : maps_)
    for (MapPart& p : m.Parts) p.ShowBorder = on;
}

void MapsDocument::setShowScrapsText(bool on) {
  showScrapsText_ = on;
  for (SheetMap& m : maps_) {
    for (MapOffcut& o : m.Offcuts) {
      if (!o.useful()) continue;
      o.ShowDim = on;
      o.ShowText = on;
    }
  }
}

void MapsDocument::setFont(const shell::FontKeys& font) {
  font_ = font;
  for (SheetMap& m : maps_) m.Font = font;
}

// ---- Materials ----

QList<int> MapsDocument::materialCodes() const {
  QList<int> codes;
  for (const SheetMap& m : maps_)
    if (m.MaterialCode >= 0 && !codes.contains(m.MaterialCode)) codes.append(m.MaterialCode);
  return codes;
}

QList<int> MapsDocument::materialPanelCodes() const {
  const QList<int> present = materialCodes();
  QList<int> out;
  for (int code : env_.materialOrder())
    if (present.contains(code) && !out.contains(code)) out.append(code);
  for (int code : present)
    if (!out.contains(code)) out.append(code);
  return out;
}

// ---- Statistics ----

MapTotals MapsDocument::totals() const {
  MapTotals t;
  std::vector<std::pair<int, long long>> edges;
  auto addEdge = [&](int code, long long length) {
    auto it = std::find_if(edges.begin(), edges.end(), [code](const auto& e) { return e.first == code; });
    if (it == edges.end()) {
      edges.emplace_back(code, 0);
      it = edges.end() - 1;
    }
    it->second += length;
  };
  for (int i = 0; i < mapCount(); ++i) {
    if (!isVisible(i)) continue;
    const SheetMap& m = map(i);
    const double q = m.Quantity;
    t.lost += q * m.LostSquare;
    t.scrap += q * m.ScrapSquare;
    t.total += q * m.TotalSquare;
    t.detals += q * m.DetalsSquare;
    t.millCount += static_cast<long long>(m.Quantity) * m.MillLinesCount;
    t.millLength += q * m.MillLinesLength;
    t.sheetArea += q * m.sheetArea();
    for (const MapPart& p : m.Parts) {
      const long long n = m.Quantity;
      addEdge(p.TopBorder, n * (p.RealWidth + env_.edgeAllowance(p.TopBorder)));
      addEdge(p.BottomBorder, n * (p.RealWidth + env_.edgeAllowance(p.BottomBorder)));
      addEdge(p.LeftBorder, n * (p.RealHeight + env_.edgeAllowance(p.LeftBorder)));
      addEdge(p.RightBorder, n * (p.RealHeight + env_.edgeAllowance(p.RightBorder)));
    }
  }
  for (const auto& e : edges)
    if (e.first != 0) t.edges.push_back(e);
  return t;
}

std::vector<TMaterialData> MapsDocument::materialSummary() const {
  std::vector<TMaterialData> rows;
  for (const SheetMap& m : maps_) {
    auto it = std::find_if(rows.begin(), rows.end(), [&](const TMaterialData& r) { return r.code == m.MaterialCode; });
    if (it == rows.end()) {
      rows.push_back(TMaterialData{m.MaterialCode, env_.materialName(m.MaterialCode), 0, 0});
      it = rows.end() - 1;
    }
    it->scrap += m.Quantity * m.ScrapSquare;
    it->lost += m.Quantity * m.LostSquare;
  }
  // An exchange ordering, so that rows whose names compare equal keep the
  // order of their first map.
  for (std::size_t i = 0; i + 1 < rows.size(); ++i)
    for (std::size_t j = i + 1; j < rows.size(); ++j)
      if (QString::localeAwareCompare(rows[i].name, rows[j].name) > 0) std::swap(rows[i], rows[j]);
  return rows;
}

std::pair<std::int32_t, std::int32_t> MapsDocument::largestSheet() const {
  std::int32_t w = 0, h = 0;
  for (const SheetMap& m : maps_) {
    w = std::max(w, m.RealWidth);
    h = std::max(h, m.RealHeight);
  }
  return {w, h};
}

QString MapsDocument::areaText(double mm2) const { return formatArea(mm2, env_.sqrDigits()) + u(" кв м"); }

QStringList MapsDocument::statusLine1(int index) const {
  const SheetMap& m = map(index);
  const double s = m.sheetArea();
  auto share = [&](const char* label, double value) {
    return u(label) + areaText(value) + u(" (") + formatPercent(value, s) + u(" %)");
  };
  return {u("Материал: ") + env_.materialName(m.MaterialCode), share("Отход: ", m.LostSquare),
          share("Остаток: ", m.ScrapSquare), share("Всего: ", m.TotalSquare)};
}

QStringList MapsDocument::statusLine2(int index) const {
  const SheetMap& m = map(index);
  return {u("Лист: ") + QString::number(m.RealWidth) + u("x") + QString::number(m.RealHeight),
          u("Количество: ") + QString::number(m.Quantity),
          u("Детали: ") + areaText(m.DetalsSquare) + u(" (") + formatPercent(m.DetalsSquare, m.sheetArea()) + u(" %)"),
          u("Резов: ") + QString::number(m.MillLinesCount),
          u("Длина резов: ") + formatLength(m.MillLinesLength, env_.lenDigits()) + u(" м")};
}

// ---- Info texts ----

QString MapsDocument::partInfo(const MapPart& p) const {
  return u("Деталь: ") + kCr + kCr + u("Шифр: ") + p.Title + kCr + u("Длина: ") + QString::number(p.RealWidth) +
         u(" мм") + kCr + u("Ширина: ") + QString::number(p.RealHeight) + u(" мм") + kCr + u("Площадь: ") +
         areaText(double(p.RealWidth) * double(p.RealHeight));
}

QString MapsDocument::offcutInfo(const MapOffcut& o) const {
  QString text = (o.useful() ? u(kUsefulOffcutText) : u(kUselessOffcutText)) + u(":") + kCr + kCr;
  if (o.useful() && !o.ScrapName.isEmpty()) text += u("Шифр: ") + o.ScrapName + kCr;
  text += u("Длина: ") + QString::number(o.RealWidth) + u(" мм") + kCr + u("Ширина: ") + QString::number(o.RealHeight) +
          u(" мм") + kCr + u("Площадь: ") + areaText(o.area());
  return text;
}

QString MapsDocument::mapInfo(int index) const {
  const QStringList l1 = statusLine1(index);
  const QStringList l2 = statusLine2(index);
  return u("Информация") + kCr + kCr + l2[0] + kCr + l1[0] + kCr + l2[1] + kCr + kCr + l2[2] + kCr + kCr + l2[3] + kCr +
         l2[4] + kCr + kCr + l1[1] + kCr + l1[2] + kCr + l1[3];
}

// ---- Offcuts by hand ----

void MapsDocument::setOffcutUseful(int index, int offcut, bool useful) {
  SheetMap& m = map(index);
  MapOffcut& o = m.Offcuts[static_cast<std::size_t>(offcut)];
  if (o.useful() == useful) return;
  colours_ = env_.colours();
  if (useful) {
    makeUseful(o);
    m.LostSquare -= o.area();
    m.ScrapSquare += o.area();
  } else {
    makeUseless(o);
    m.LostSquare += o.area();
    m.ScrapSquare -= o.area();
  }
  o.Hint = offcutInfo(o);
  modified_ = true;
}

bool MapsDocument::renameOffcut(int index, int offcut, const QString& name, bool markModified) {
  MapOffcut& o = map(index).Offcuts[static_cast<std::size_t>(offcut)];
  if (!o.useful()) return false;
  o.ScrapName = name;
  o.Text = name.isEmpty() ? u(kUsefulOffcutText) : name;
  o.Hint = offcutInfo(o);
  if (markModified) modified_ = true;
  return true;
}

}  // namespace kroyna::maps
