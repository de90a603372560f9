#pragma once

// The preview every report of the statistics and labels opens: the
// engine's preview window (zoom, load, save, PDF and exports, print, find).
// Tests and headless runs put a handler of their own in its place.

#include "platform/report/PreparedReport.h"

#include <functional>

class QWidget;

namespace kroyna::reports {

using ReportPreview = std::function<void(report::PreparedReport report, QWidget* parent)>;

// Shows the prepared report (modal).
void showReportPreview(report::PreparedReport report, QWidget* parent);

// Replaces the preview; an empty function restores the preview window.
void setReportPreview(ReportPreview preview);

}  // namespace kroyna::reports
