#include "reports/labels/LabelSources.h"

#include "platform/text/Literals.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <map>

namespace kroyna::reports {

namespace {

using text::u;

QString sizeText(std::int32_t length, std::int32_t width) { return QStringLiteral("%1 x %2").arg(length).arg(width); }

}  // namespace

QString partIdentifier(const QString& partsBase, int row, int copy) {
  const QString numbers = QStringLiteral("%1-%2").arg(row).arg(copy);
  return partsBase.isEmpty() ? numbers : partsBase + QLatin1Char('-') + numbers;
}

QString partsBaseShortName(const QString& path) {
  return path.isEmpty() ? QString() : QFileInfo(path).completeBaseName();
}

QString partsBaseOfCaption(const QString& caption) {
  static const QRegularExpression named(u("База деталей: ([^\"<][^\"]*)"));
  const QRegularExpressionMatch m = named.match(caption);
  return m.hasMatch() ? partsBaseShortName(m.captured(1).trimmed()) : QString();
}

PartInBase partInBase(const maps::MapPart& p) {
  if (!p.Turned) return {p.length, p.width, p.LeftBorder, p.RightBorder, p.TopBorder, p.BottomBorder};
  return {p.width, p.length, p.BottomBorder, p.TopBorder, p.LeftBorder, p.RightBorder};
}

QString edgeBandingText(int left, int right, int top, int bottom, const NameOfCode& edgeName) {
  const std::pair<int, const char*> sides[] = {{left, "л: "}, {right, "пр: "}, {top, "в: "}, {bottom, "н: "}};
  QString out;
  for (const auto& [code, prefix] : sides)
    if (code > 0) out += u(prefix) + (edgeName ? edgeName(code) : QString()) + QLatin1Char('\r');
  return out;
}

std::vector<Label> labelsOfMaps(const MapLabelSource& source, LabelKind kind) {
  std::vector<Label> out;
  if (!source.maps) return out;
  auto name = [](const NameOfCode& f, int code) { return f ? f(code) : QString(); };
  // Copies of a row counted over every map, shown or not, so that a part
  // keeps its number whatever the material filter shows.
  std::map<std::int32_t, int> copies;
  const auto& maps = *source.maps;
  for (std::size_t i = 0; i < maps.size(); ++i) {
    const maps::SheetMap& m = maps[i];
    const bool shown = !source.shown || source.shown(static_cast<int>(i));
    const QString material = name(source.materialName, m.MaterialCode);
    const QString remark = QString::fromStdString(m.Remark);
    const std::int32_t quantity = std::max<std::int32_t>(0, m.Quantity);
    if (kind == LabelKind::Parts) {
      for (const maps::MapPart& p : m.Parts) {
        if (!shown) {
          if (p.Row >= 0) copies[p.Row] += quantity;
          continue;
        }
        const PartInBase b = partInBase(p);
        Label label{QString::fromStdString(p.Title),
                    sizeText(b.length, b.width),
                    material,
                    remark,
                    edgeBandingText(b.left, b.right, b.top, b.bottom, source.edgeName),
                    {}};
        for (std::int32_t k = 0; k < quantity; ++k) {
          if (p.Row >= 0) label.barcode = partIdentifier(source.partsBase, p.Row + 1, ++copies[p.Row]);
          out.push_back(label);
        }
      }
    } else if (shown) {
      for (const maps::MapOffcut& o : m.Offcuts) {
        if (!o.useful()) continue;
        const QString code = QString::fromStdString(o.ScrapName);
        const Label label{code, sizeText(o.length, o.width), material, remark, {}, code};
        for (std::int32_t k = 0; k < quantity; ++k) out.push_back(label);
      }
    }
  }
  return out;
}

}  // namespace kroyna::reports
