#include "reports/Labels.h"

#include "common/settings/SettingsKeys.h"
#include "parts/PartsDocument.h"
#include "platform/ini/IniFile.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/text/Cp1251.h"
#include "platform/text/Literals.h"
#include "reports/labels/LabelSources.h"
#include "warehouse/StockModule.h"

#include <algorithm>

namespace kroyna::reports {

namespace {

using text::u;

}  // namespace

// ---- How many labels ----

void LabelCount::add(long long times, long long each) {
  if (overflow || times <= 0 || each <= 0) return;
  long long product = 0;
  if (__builtin_mul_overflow(times, each, &product) || __builtin_add_overflow(count, product, &count)) overflow = true;
}

std::optional<QString> labelCountRefusal(const LabelCount& c) {
  if (!c.tooMany()) return std::nullopt;
  const QString limit = QString::number(kMaxLabels);
  if (c.overflow) return u("Слишком много ярлычков.\rЗа один раз можно напечатать не более %1 ярлычков.").arg(limit);
  return u("Слишком много ярлычков: %1.\rЗа один раз можно напечатать не более %2 ярлычков.")
      .arg(QString::number(c.count), limit);
}

LabelCount countLabels(const maps::MapsDocument& document, LabelKind kind) {
  LabelCount c;
  for (int i = 0; i < document.mapCount(); ++i) {
    if (!document.isVisible(i)) continue;
    const maps::SheetMap& m = document.map(i);
    long long pieces = 0;
    if (kind == LabelKind::Parts)
      pieces = static_cast<long long>(m.Parts.size());
    else
      pieces = std::count_if(m.Offcuts.begin(), m.Offcuts.end(), [](const maps::MapOffcut& o) { return o.useful(); });
    c.add(m.Quantity, pieces);
  }
  return c;
}

LabelCount countPartLabels(const parts::PartsDocument& document) {
  LabelCount c;
  for (int i = 0; i < document.rowCount(); ++i) c.add(document.row(i).quantity, 1);
  return c;
}

// ---- Label rows ----

QString edgeBandingText(int left, int right, int top, int bottom, const maps::MapsEnvironment& env) {
  return reports::edgeBandingText(left, right, top, bottom, [&env](int code) { return env.edgeName(code); });
}

std::vector<Label> mapLabels(const maps::MapsDocument& document, LabelKind kind) {
  const maps::MapsEnvironment& env = document.environment();
  MapLabelSource source;
  source.maps = &document.maps();
  source.shown = [&document](int map) { return document.isVisible(map); };
  source.partsBase = partsBaseOfCaption(document.caption());
  source.materialName = [&env](int code) { return env.materialName(code); };
  source.edgeName = [&env](int code) { return env.edgeName(code); };
  return labelsOfMaps(source, kind);
}

std::optional<std::vector<Label>> partsDatabaseLabels(const parts::PartsDocument& document) {
  std::vector<parts::LabelRow> rows;
  if (!document.labelRows(rows)) return std::nullopt;
  std::vector<Label> out;
  out.reserve(rows.size());
  const QString base = partsBaseShortName(document.displayName());
  for (const parts::LabelRow& r : rows)
    out.push_back({r.name, r.size, r.material, r.comment, r.edges, partIdentifier(base, r.row + 1, r.copy)});
  return out;
}

std::vector<Label> warehouseLabels(const warehouse::OffcutLabelRows& rows) {
  const std::size_t n = std::min({rows.codes.size(), rows.dimensions.size(), rows.materials.size()});
  std::vector<Label> out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const QString code = QString::fromStdString(rows.codes[i]);
    out.push_back({code,
                   QString::fromStdString(rows.dimensions[i]),
                   QString::fromStdString(rows.materials[i]),
                   i < rows.comments.size() ? QString::fromStdString(rows.comments[i]) : QString(),
                   {},
                   code});
  }
  return out;
}

// ---- Settings ----

const char* labelSection(LabelKind kind) {
  return kind == LabelKind::Parts ? "Print_Detals_Label" : "Print_Scraps_Label";
}

namespace {

// The keys of one dialog's section.
struct LabelKeys {
  common::MillimetreKey width, height, gapX, gapY;
  common::StringKey sheet;
  common::BoolKey code, size, material, comment, edges, frame, wordWrap;
  common::IntKey alignment;
  common::StringKey fontName;
  common::IntKey fontSize;
  common::BoolKey bold, italic;
  common::IntKey charset;
  common::IntKey barcode;
};

LabelKeys labelKeys(LabelKind kind) {
  const char* s = labelSection(kind);
  const LabelSettings d;
  return {{s, "Width", d.width, 0, 1000},
          {s, "Height", d.height, 0, 1000},
          {s, "GapX", 0, 0, 100},
          {s, "GapY", 0, 0, 100},
          {s, "Sheet", ""},
          {s, "cbxName", d.code},
          {s, "cbxDim", d.size},
          {s, "cbxMaterial", d.material},
          {s, "cbxComment", d.comment},
          {s, "cbxBorders", d.edges},
          {s, "cbxDrawBorder", d.frame},
          {s, "cbxWordWrap", d.wordWrap},
          {s, "rgrAlignment", AlignLeft, AlignLeft, AlignCenter, common::OutOfRange::Default},
          {s, "Font_Name", "Ms Sans Serif"},
          {s, "Font_Size", d.font.size, 1, 1000},
          {s, "Font_Style_Bold", d.font.bold},
          {s, "Font_Style_Italic", d.font.italic},
          {s, "Font_Charset", d.font.charset, 0, 255},
          {s, "Barcode", static_cast<int>(d.barcode), 0, 3, common::OutOfRange::Default}};
}

}  // namespace

LabelSettings readLabelSettings(const ini::IniFile& ini, LabelKind kind) {
  const LabelKeys k = labelKeys(kind);
  LabelSettings s;
  s.width = common::read(ini, k.width);
  s.height = common::read(ini, k.height);
  s.code = common::read(ini, k.code);
  s.size = common::read(ini, k.size);
  s.material = common::read(ini, k.material);
  s.comment = common::read(ini, k.comment);
  if (kind == LabelKind::Parts) s.edges = common::read(ini, k.edges);
  s.frame = common::read(ini, k.frame);
  s.wordWrap = common::read(ini, k.wordWrap);
  s.alignment = common::read(ini, k.alignment);
  s.font.name = common::read(ini, k.fontName);
  if (s.font.name.empty()) s.font.name = LabelFont{}.name;
  s.font.size = common::read(ini, k.fontSize);
  s.font.bold = common::read(ini, k.bold);
  s.font.italic = common::read(ini, k.italic);
  s.font.charset = common::read(ini, k.charset);
  s.gapX = common::read(ini, k.gapX);
  s.gapY = common::read(ini, k.gapY);
  // A sheet bought gives the size and gaps, whatever else is stored.
  s.chooseSheet(common::read(ini, k.sheet));
  const bool usedBefore = ini.sectionExists(k.barcode.section) && !ini.keyExists(k.barcode.section, k.barcode.name);
  s.barcode = usedBefore ? report::Symbology::None : static_cast<report::Symbology>(common::read(ini, k.barcode));
  return s;
}

void writeLabelSettings(ini::IniFile& ini, LabelKind kind, const LabelSettings& s) {
  const LabelKeys k = labelKeys(kind);
  ini.batch([&] {
    common::write(ini, k.width, s.width);
    common::write(ini, k.height, s.height);
    common::write(ini, k.code, s.code);
    common::write(ini, k.size, s.size);
    common::write(ini, k.material, s.material);
    common::write(ini, k.comment, s.comment);
    if (kind == LabelKind::Parts) common::write(ini, k.edges, s.edges);
    common::write(ini, k.frame, s.frame);
    common::write(ini, k.wordWrap, s.wordWrap);
    common::write(ini, k.alignment, s.alignment);
    common::write(ini, k.fontName, s.font.name);
    common::write(ini, k.fontSize, s.font.size);
    common::write(ini, k.bold, s.font.bold);
    common::write(ini, k.italic, s.font.italic);
    common::write(ini, k.charset, s.font.charset);
    common::write(ini, k.gapX, s.gapX);
    common::write(ini, k.gapY, s.gapY);
    common::write(ini, k.sheet, findLabelSheetPreset(s.sheet) ? s.sheet : std::string());
    common::write(ini, k.barcode, static_cast<int>(s.barcode));
  });
}

}  // namespace kroyna::reports
