#include "reports/Labels.h"

#include "common/settings/SettingsKeys.h"
#include "parts/PartsDocument.h"
#include "platform/ini/IniFile.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/text/Cp1251.h"
#include "platform/text/Literals.h"
#include "warehouse/StockModule.h"

#include <algorithm>

namespace kroyna::reports {

namespace {

using text::u;

const QString kCr = QStringLiteral("\r");

QString sizeText(std::int32_t length, std::int32_t width) { return QStringLiteral("%1 x %2").arg(length).arg(width); }

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
  const std::pair<int, const char*> sides[] = {{left, "л: "}, {right, "пр: "}, {top, "в: "}, {bottom, "н: "}};
  QString out;
  for (const auto& [code, prefix] : sides)
    if (code > 0) out += u(prefix) + env.edgeName(code) + kCr;
  return out;
}

std::vector<Label> mapLabels(const maps::MapsDocument& document, LabelKind kind) {
  std::vector<Label> out;
  const maps::MapsEnvironment& env = document.environment();
  for (int i = 0; i < document.mapCount(); ++i) {
    if (!document.isVisible(i)) continue;
    const maps::SheetMap& m = document.map(i);
    const QString material = env.materialName(m.MaterialCode);
    const QString remark = QString::fromStdString(m.Remark);
    auto repeat = [&](const Label& label) {
      for (std::int32_t k = 0; k < m.Quantity; ++k) out.push_back(label);
    };
    if (kind == LabelKind::Parts) {
      for (const maps::MapPart& p : m.Parts)
        repeat({QString::fromStdString(p.Title), sizeText(p.length, p.width), material, remark,
                edgeBandingText(p.LeftBorder, p.RightBorder, p.TopBorder, p.BottomBorder, env)});
    } else {
      for (const maps::MapOffcut& o : m.Offcuts)
        if (o.useful())
          repeat({QString::fromStdString(o.ScrapName), sizeText(o.length, o.width), material, remark, {}});
    }
  }
  return out;
}

std::optional<std::vector<Label>> partsDatabaseLabels(const parts::PartsDocument& document) {
  std::vector<parts::LabelRow> rows;
  if (!document.labelRows(rows)) return std::nullopt;
  std::vector<Label> out;
  out.reserve(rows.size());
  for (const parts::LabelRow& r : rows) out.push_back({r.name, r.size, r.material, r.comment, r.edges});
  return out;
}

std::vector<Label> warehouseLabels(const warehouse::OffcutLabelRows& rows) {
  const std::size_t n = std::min({rows.codes.size(), rows.dimensions.size(), rows.materials.size()});
  std::vector<Label> out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    out.push_back({QString::fromStdString(rows.codes[i]),
                   QString::fromStdString(rows.dimensions[i]),
                   QString::fromStdString(rows.materials[i]),
                   i < rows.comments.size() ? QString::fromStdString(rows.comments[i]) : QString(),
                   {}});
  return out;
}

// ---- Settings ----

const char* labelSection(LabelKind kind) {
  return kind == LabelKind::Parts ? "Print_Detals_Label" : "Print_Scraps_Label";
}

namespace {

// The keys of one dialog's section.
struct LabelKeys {
  common::IntKey width, height;
  common::BoolKey code, size, material, comment, edges, frame, wordWrap;
  common::IntKey alignment;
  common::StringKey fontName;
  common::IntKey fontSize;
  common::BoolKey bold, italic;
  common::IntKey charset;
};

LabelKeys labelKeys(LabelKind kind) {
  const char* s = labelSection(kind);
  const LabelSettings d;
  return {{s, "Width", d.width, 0, 1000},
          {s, "Height", d.height, 0, 1000},
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
          {s, "Font_Charset", d.font.charset, 0, 255}};
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
  });
}

// ---- The label sheet ----

QString labelText(const Label& label, const LabelSettings& s, LabelKind kind) {
  QString out;
  if (s.code) out += label.code + kCr;
  if (s.size) out += label.size + kCr;
  if (s.material) out += label.material + kCr;
  if (kind == LabelKind::Offcuts) {
    if (s.comment) out += label.comment;
  } else {
    if (s.comment) out += label.comment + kCr;
    if (s.edges) out += label.edges;
  }
  return out;
}

LabelSheetVariables labelSheetVariables(const LabelSettings& s) {
  LabelSheetVariables v;
  v.cellWidth = s.width * report::kUnitsPerMm;
  v.cellHeight = s.height * report::kUnitsPerMm;
  v.frameType = s.frame ? report::FrameAll : 0;
  v.textAlignment = (s.alignment >= AlignLeft && s.alignment <= AlignCenter) ? s.alignment : AlignLeft;
  return v;
}

report::PreparedReport prepareLabelSheet(const std::vector<Label>& labels, const LabelSettings& settings,
                                         LabelKind kind, const QString& templatePath, const ReportPage& page) {
  LabelCount count;
  count.add(static_cast<long long>(labels.size()), 1);
  if (auto refusal = labelCountRefusal(count)) throw report::ReportError(refusal->toStdString());
  report::Report r;
  r.loadTemplate(templatePath);
  const LabelSheetVariables v = labelSheetVariables(settings);
  r.setVariable("CELLHEIGHT", report::Value::number(v.cellHeight));
  r.setVariable("CELLWIDTH", report::Value::number(v.cellWidth));
  r.setVariable("FRAMETYPE", report::Value::number(v.frameType));
  r.setVariable("TEXTALIGNMENT", report::Value::number(v.textAlignment));
  if (auto* memo = dynamic_cast<report::TextObject*>(r.findObject("Memo1"))) {
    memo->font.family = QString::fromStdString(settings.font.name);
    memo->font.size = settings.font.size;
    memo->font.bold = settings.font.bold;
    memo->font.italic = settings.font.italic;
    memo->font.underline = false;
    memo->wordWrap = settings.wordWrap;
    memo->bindings.erase("wrap");
  }
  if (page.landscape) r.setLandscape(true);
  r.setMarginsMm(page.margins.left, page.margins.top, page.margins.right, page.margins.bottom);

  std::vector<QString> texts;
  texts.reserve(labels.size());
  for (const Label& l : labels) texts.push_back(labelText(l, settings, kind));
  int record = 0;
  report::DrivenRecordSource source = report::DrivenRecordSource::counted(static_cast<int>(texts.size()), &record);
  r.setDataSource(&source);
  r.setVariableCallback([&](std::string_view name) -> std::optional<report::Value> {
    if (!text::equalsIgnoreCase(name, "DATA") || record < 0 || record >= static_cast<int>(texts.size()))
      return std::nullopt;
    return report::Value::text(texts[static_cast<std::size_t>(record)].toStdString());
  });
  return r.prepare();
}

}  // namespace kroyna::reports
