#pragma once

// The printed stock lists ("База стандартных листов", "База остатков") and
// the warehouse statistics ("Статистика склада"), prepared from the
// working copies with the templates of Reports/.

#include "common/PageMargins.h"
#include "platform/report/PreparedReport.h"
#include "warehouse/StockModule.h"

#include <QString>

class QWidget;
class QPrinter;

namespace kroyna::warehouse {

struct ReportPageSetup {
  bool landscape = false;       // the printer is set to landscape
  common::PageMargins margins;  // mm, from `PageParams`
};

// Throws report::ReportError or dbase errors when the data or the template
// cannot be read.
report::PreparedReport prepareStockList(StockModule& module, StockKind kind, int code, const QString& reportsFolder,
                                        const ReportPageSetup& page);
report::PreparedReport prepareWarehouseInfo(StockModule& module, const QString& reportsFolder,
                                            const ReportPageSetup& page);

// The commands: prepare and show the preview; failures are shown as
// messages ("Ошибка создания отчета." for the statistics).
void printStockList(StockModule& module, StockKind kind, int code, QWidget* parent);
void printWarehouseInfo(StockModule& module, QWidget* parent);

}  // namespace kroyna::warehouse
