#include "warehouse/ui/WarehouseReports.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"
#include "platform/report/Report.h"
#include "platform/report/TableRecordSource.h"
#include "platform/report/ui/PreviewWindow.h"

#include <QPrinter>

namespace kroyna::warehouse {

namespace {

void setUp(report::Report& r, const QString& templatePath, const ReportPageSetup& page) {
  r.loadTemplate(templatePath);
  if (page.landscape) r.setLandscape(true);
  r.setMarginsMm(page.margins.left, page.margins.top, page.margins.right, page.margins.bottom);
  r.setVariable("DATE", report::Value::text(dbase::Date::today().toString()));
}

struct Program {
  QString reports;
  ReportPageSetup page;
  QWidget* parent = nullptr;
};

Program program(QWidget* parent) {
  Program p;
  p.parent = parent;
  if (common::AppContext* c = common::AppContext::current()) {
    p.reports = c->root().folder(QStringLiteral("Reports"));
    p.page.margins = c->settings().pageMargins();
    if (common::MainFrame* w = c->mainWindow()) {
      p.page.landscape = w->printer().pageLayout().orientation() == QPageLayout::Landscape;
      if (!p.parent) p.parent = w;
    }
  }
  return p;
}

void preview(report::PreparedReport prepared, QWidget* parent) {
  report::PreviewWindow w(std::move(prepared), report::PreviewExport::All, parent);
  w.exec();
}

}  // namespace

report::PreparedReport prepareStockList(StockModule& module, StockKind kind, int code, const QString& reportsFolder,
                                        const ReportPageSetup& page) {
  dbase::Table data = module.stockList(kind, code);
  report::Report r;
  setUp(r, reportsFolder + (kind == StockKind::Sheets ? "/StdSheets.frf" : "/Scraps.frf"), page);
  report::TableRecordSource source(data);
  r.setDataSource(&source);
  return r.prepare();
}

report::PreparedReport prepareWarehouseInfo(StockModule& module, const QString& reportsFolder,
                                            const ReportPageSetup& page) {
  dbase::Table info = dbase::Table::inMemory(
      {dbase::FieldDef::numeric("Code", 11), dbase::FieldDef::character("Material", 100),
       dbase::FieldDef::numeric("ShSquare", 20, 6), dbase::FieldDef::numeric("ScSquare", 20, 6)});
  std::vector<dbase::Row> rows;
  for (const WarehouseInfoRow& w : module.warehouseInfo())
    rows.push_back(
        {dbase::Value(w.code), dbase::Value(w.material), dbase::Value(w.sheetSquare), dbase::Value(w.scrapSquare)});
  info.appendRows(rows);
  report::Report r;
  setUp(r, reportsFolder + "/WareHouseInfo.frf", page);
  report::TableRecordSource source(info);
  r.setDataSource(&source);
  report::PreparedReport prepared = r.prepare();
  info.close();
  return prepared;
}

void printStockList(StockModule& module, StockKind kind, int code, QWidget* parent) {
  const Program p = program(parent);
  try {
    preview(prepareStockList(module, kind, code, p.reports, p.page), p.parent);
  } catch (const std::exception& e) {
    common::showError(QStringLiteral("Ошибка создания отчета.\r%1").arg(QString::fromUtf8(e.what())), p.parent);
  }
}

void printWarehouseInfo(StockModule& module, QWidget* parent) {
  const Program p = program(parent);
  report::PreparedReport prepared;
  try {
    prepared = prepareWarehouseInfo(module, p.reports, p.page);
  } catch (const std::exception&) {
    common::showError(QStringLiteral("Ошибка создания отчета."), p.parent);
    return;
  }
  preview(std::move(prepared), p.parent);
}

}  // namespace kroyna::warehouse
