#include "reports/ui/ReportPreview.h"

#include "platform/report/ui/PreviewWindow.h"

namespace kroyna::reports {

namespace {
ReportPreview& handler() {
  static ReportPreview h;
  return h;
}
}  // namespace

void showReportPreview(report::PreparedReport report, QWidget* parent) {
  if (handler()) {
    handler()(std::move(report), parent);
    return;
  }
  report::PreviewWindow window(std::move(report), report::PreviewExport::All, parent);
  window.exec();
}

void setReportPreview(ReportPreview preview) { handler() = std::move(preview); }

}  // namespace kroyna::reports
