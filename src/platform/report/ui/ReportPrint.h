#pragma once

// Printing a prepared report on a printer (Qt Print Support).

#include "platform/report/PreparedReport.h"

#include <functional>

class QPrinter;
class QWidget;

namespace kroyna::report {

// Prints pages from..to (1-based, inclusive) on a printer that is set up.
// Pages keep their margins on paper; a page whose margins are narrower
// than the border the printer cannot print on is fitted inside that border
// (see placeOnPrintableArea), so a margin of 0 loses nothing.
void printPages(const PreparedReport& report, QPrinter& printer, int from, int to);

// Shows the platform's print dialog and prints; false when cancelled.
// Printing to a PDF file offers the report's title as the file's name in
// the folder the last PDF went to, and remembers the folder chosen.
bool printWithDialog(const PreparedReport& report, QWidget* parent);

// Where the folder of the last PDF is kept between runs (the program's
// settings); without it the folder is kept for the run only.
struct PdfFolderMemory {
  std::function<QString()> read;
  std::function<void(const QString&)> write;
};
void setPdfFolderMemory(PdfFolderMemory memory);
QString lastPdfFolder();
void setLastPdfFolder(const QString& folder);

// "<last PDF folder>/<title>.pdf", the title made a file name; empty when
// no folder is remembered or it is gone.
QString suggestedPdfPath(const QString& title);
// Sets the printer up to offer suggestedPdfPath in the dialog's file field
// while keeping the printer chosen (a machine without printers gets the
// PDF file as its only choice anyway).
void suggestPdfFile(QPrinter& printer, const QString& title);
// After the dialog: the folder of a PDF file printed to is remembered.
void rememberPdfFolder(const QPrinter& printer);

}  // namespace kroyna::report
