#include "maps/MapsDocument.h"

#include "engine/FinishedMap.h"
#include "platform/text/Literals.h"

#include <QMap>

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>

namespace kroyna::maps {

namespace {

const QString kCr = QStringLiteral("\r");

using text::u;

}  // namespace

QString millModeName(int mode) {
  switch (mode) {
    case MillShown: return u("Рисовать");
    case MillLastSheet: return u("Последний лист");
    default: return u("Не рисовать");
  }
}

QString formatArea(double mm2, int sqrDigits) { return common::formatArea(mm2, sqrDigits); }

QString formatLength(double mm, int lenDigits) { return common::formatLength(mm, lenDigits); }

QString formatPercent(double part, double base) { return QString::fromStdString(common::percentText(part, base)); }

// ---- MapsDocument ----

MapsDocument::MapsDocument(const MapsEnvironment& env)
    : env_(env), caption_(u(kUntitledCaption)), colours_(env.colours()), font_(env.mapFont()) {}

void MapsDocument::setCaption(const QString& text) { caption_ = text.isEmpty() ? u(kUntitledCaption) : text; }

int MapsDocument::addMap(const QString& tabCaption, int materialCode, const engine::FinishedMap& finished,
                         std::int32_t kerf, const QString& remark) {
  NewMap settings;
  settings.caption = tabCaption.toStdString();
  settings.materialCode = materialCode;
  settings.kerf = kerf;
  settings.remark = remark.toStdString();
  settings.font = font_;
  settings.showTitle = showTitleForNew_;
  settings.showDim = showDimForNew_;
  settings.showBorder = showBorder_;
  maps_.push_back(makeMap(finished, settings));
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

void MapsDocument::clearMaps() {
  maps_.clear();
  searches_.clear();
}

void MapsDocument::setMaterialSearch(int materialCode, const QString& search) {
  for (auto& [code, name] : searches_)
    if (code == materialCode) {
      name = search;
      return;
    }
  searches_.emplace_back(materialCode, search);
}

QStringList MapsDocument::searchesShown() const {
  QStringList out;
  for (const auto& [code, name] : searches_) {
    if (filter_ != kAllMaterials && code != filter_) continue;
    const bool hasMaps =
        std::any_of(maps_.begin(), maps_.end(), [code = code](const SheetMap& m) { return m.MaterialCode == code; });
    if (hasMaps && !out.contains(name)) out << name;
  }
  return out;
}

void MapsDocument::recompute() { colours_ = classifyMaps(maps_, env_, showScrapsText_); }

void MapsDocument::recomputeSquares(int index) { maps::recomputeSquares(map(index)); }

// ---- Display ----

bool MapsDocument::setMaterialFilter(int code) {
  if (code == filter_) return false;
  filter_ = code;
  applyMillMode();
  return true;
}

bool MapsDocument::isVisible(int index) const { return isMapShown(map(index), filter_); }

int MapsDocument::lastVisibleMap() const { return lastMapForCuts(maps_, filter_); }

void MapsDocument::setMillMode(int mode) {
  millMode_ = (mode >= MillHidden && mode <= MillLastSheet) ? mode : MillHidden;
  applyMillMode();
}

void MapsDocument::applyMillMode() { maps::applyMillMode(maps_, millMode_, filter_); }

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

void MapsDocument::setFont(const common::FontKeys& font) {
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
  EdgeUse edges;
  const auto allowance = [this](int code) { return env_.edgeAllowance(code); };
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
    for (const MapPart& p : m.Parts) addPartEdgeUse(edges, p, m.Quantity, allowance);
  }
  for (const auto& e : edges)
    if (e.first != 0) t.edges.push_back(e);
  return t;
}

std::vector<MaterialSummaryRow> MapsDocument::materialSummary() const {
  std::vector<MaterialSummaryRow> rows;
  for (const SheetMap& m : maps_) {
    auto it =
        std::find_if(rows.begin(), rows.end(), [&](const MaterialSummaryRow& r) { return r.code == m.MaterialCode; });
    if (it == rows.end()) {
      rows.push_back(MaterialSummaryRow{m.MaterialCode, env_.materialName(m.MaterialCode), 0, 0});
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
    w = std::max(w, m.length);
    h = std::max(h, m.width);
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
  return {u("Лист: ") + QString::number(m.length) + u("x") + QString::number(m.width),
          u("Количество: ") + QString::number(m.Quantity),
          u("Детали: ") + areaText(m.DetalsSquare) + u(" (") + formatPercent(m.DetalsSquare, m.sheetArea()) + u(" %)"),
          u("Резов: ") + QString::number(m.MillLinesCount),
          u("Длина резов: ") + formatLength(m.MillLinesLength, env_.lenDigits()) + u(" м")};
}

// ---- Info texts ----

QString MapsDocument::partInfo(const MapPart& p) const {
  return u("Деталь: ") + kCr + kCr + u("Шифр: ") + QString::fromStdString(p.Title) + kCr + u("Длина: ") +
         QString::number(p.length) + u(" мм") + kCr + u("Ширина: ") + QString::number(p.width) + u(" мм") + kCr +
         u("Площадь: ") + areaText(double(p.length) * double(p.width));
}

QString MapsDocument::offcutInfo(const MapOffcut& o) const {
  QString text = (o.useful() ? u(kUsefulOffcutText) : u(kUselessOffcutText)) + u(":") + kCr + kCr;
  if (o.useful() && !o.ScrapName.empty()) text += u("Шифр: ") + QString::fromStdString(o.ScrapName) + kCr;
  text += u("Длина: ") + QString::number(o.length) + u(" мм") + kCr + u("Ширина: ") + QString::number(o.width) +
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
  setOffcutKind(o, useful, colours_, showScrapsText_);
  // The area moves between the useful and the useless total; the total
  // waste stays.
  m.LostSquare += useful ? -o.area() : o.area();
  m.ScrapSquare += useful ? o.area() : -o.area();
  modified_ = true;
}

bool MapsDocument::renameOffcut(int index, int offcut, const QString& name, bool markModified) {
  MapOffcut& o = map(index).Offcuts[static_cast<std::size_t>(offcut)];
  if (!o.useful()) return false;
  o.ScrapName = name.toStdString();
  o.Text = o.ScrapName.empty() ? kUsefulOffcutText : o.ScrapName;
  if (markModified) modified_ = true;
  return true;
}

}  // namespace kroyna::maps
