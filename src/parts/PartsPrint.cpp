#include "parts/PartsPrint.h"

#include "common/settings/SettingsKeys.h"
#include "parts/PartsDocument.h"
#include "platform/ini/IniFile.h"
#include "platform/report/Report.h"

#include <algorithm>

namespace kroyna::parts {

namespace {

report::Value text(const QString& s) { return report::Value::text(s.toStdString()); }

void setupPage(report::Report& r, const PageSetupMm& page) {
  r.setLandscape(page.landscape || r.reportTemplate().page.landscape);
  r.setMarginsMm(page.left, page.top, page.right, page.bottom);
}

}  // namespace

PartsListOptions PartsListOptions::read(const ini::IniFile& settings) {
  PartsListOptions o;
  o.borders = common::read(settings, common::keys::PrintPartEdges);
  o.sortByName = common::read(settings, common::keys::PrintPartsSorted);
  return o;
}

QString partsListTemplate(PartsListKind kind, bool borders) {
  QString name = kind == PartsListKind::Grouped ? QStringLiteral("Group") : QStringLiteral("Group2");
  if (borders) name += QStringLiteral("_brd");
  return name + QStringLiteral(".frf");
}

std::unique_ptr<report::RowsRecordSource> partsListRecords(const PartsDocument& doc, PartsListKind kind,
                                                           bool sortByName) {
  const CatalogueLists& cat = doc.catalogue();
  struct Item {
    PartRow row;
    QString material;
  };
  std::vector<Item> items;
  const bool selected = kind == PartsListKind::Grouped || sortByName;
  for (const PartRow& r : doc.shownRows()) {
    if (selected && !cat.hasMaterial(r.material)) continue;
    items.push_back({r, cat.materialName(r.material)});
  }
  if (selected) {
    std::stable_sort(items.begin(), items.end(), [sortByName](const Item& a, const Item& b) {
      if (const int c = a.material.compare(b.material); c != 0) return c < 0;
      if (!sortByName) return false;
      return a.row.name < b.row.name;
    });
  }
  auto source = std::make_unique<report::RowsRecordSource>(
      std::vector<std::string>{"NAME", "LENGTH", "WIDTH", "MANY", "ROTATE", "LBORDER", "RBORDER", "TBORDER", "BBORDER",
                               "MATERIAL", "MATNAME", "ROTATENAME", "DETAL_BORDERS1", "DETAL_BORDERS2"});
  using report::Value;
  for (const Item& it : items) {
    const PartRow& r = it.row;
    source->addRow({Value::text(r.name), Value::number(r.length), Value::number(r.width), Value::number(r.quantity),
                    Value::number(r.rotation), Value::number(r.left), Value::number(r.right), Value::number(r.top),
                    Value::number(r.bottom), Value::number(r.material), text(it.material),
                    text(rotationName(r.rotation)), text(doc.borderNames(r, SideTop, SideBottom)),
                    text(doc.borderNames(r, SideLeft, SideRight))});
  }
  return source;
}

report::PreparedReport preparePartsList(const PartsDocument& doc, PartsListKind kind, const PartsListOptions& options,
                                        const QString& reportsFolder, const PageSetupMm& page) {
  report::Report r;
  r.loadTemplate(reportsFolder + QLatin1Char('/') + partsListTemplate(kind, options.borders));
  setupPage(r, page);
  const auto records = partsListRecords(doc, kind, options.sortByName);
  r.setDataSource(records.get());
  r.setVariable("BASENAME", text(doc.caption()));
  r.setVariable("QUANTITY", text(doc.quantityText() + QStringLiteral(" шт")));
  r.setVariable("SQUARE", text(doc.areaText() + QStringLiteral(" кв м")));
  r.setVariable("PERIMETR", text(doc.perimeterText() + QStringLiteral(" м")));
  r.setVariable("BORDERLEN", text(doc.edgeText() + QStringLiteral(" м")));
  const QStringList lines = doc.edgeUseLines();
  r.setVariable("BORDERS",
                text(lines.isEmpty() ? QString() : QStringLiteral("\rКромки: ") + lines.join(QLatin1Char('\r'))));
  for (int i = 0; i <= kMaxRotation; ++i) r.setVariable("Arr_RotateArray_" + std::to_string(i), text(rotationName(i)));
  return r.prepare();
}

report::PreparedReport prepareModelsList(const PartsDocument& doc, const QString& reportsFolder,
                                         const PageSetupMm& page) {
  report::Report r;
  r.loadTemplate(reportsFolder + QStringLiteral("/ModelsList.frf"));
  setupPage(r, page);
  report::RowsRecordSource records({"MODELNAME", "MODELCOUNT"});
  for (const ModelEntry& m : doc.models()) records.addRow({text(m.name), text(m.count)});
  r.setDataSource(&records);
  r.setVariable("BASENAME", text(doc.caption()));
  return r.prepare();
}

}  // namespace kroyna::parts
