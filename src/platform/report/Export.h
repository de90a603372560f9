#pragma once

#include "platform/report/PreparedReport.h"

#include <QByteArray>
#include <QString>

namespace kroyna::report {

// Exports of a prepared report into documents other programs open. Each
// page's texts are gathered into rows (objects whose tops meet), left to
// right.
//   Rtf  — a table row per row, a page break per page (Cyrillic as \u escapes);
//   Text — UTF-8 plain text, texts at columns after their place on the page;
//   Csv  — UTF-8, one line per row, fields separated by ";" and quoted
//          when they hold ";", quotes or line breaks;
//   Html — UTF-8, every object at its place on its page.
enum class ExportFormat { Rtf, Text, Csv, Html };

QByteArray exportBytes(const PreparedReport& report, ExportFormat format);
// Writes a new file and renames it over `path`; ReportError on failure.
void exportToFile(const PreparedReport& report, ExportFormat format, const QString& path);

}  // namespace kroyna::report
