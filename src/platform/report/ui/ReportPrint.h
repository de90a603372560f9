#pragma once

// Printing a prepared report on a printer (Qt Print Support).

#include "platform/report/PreparedReport.h"

class QPrinter;
class QWidget;

namespace kroyna::report {

// Prints pages from..to (1-based, inclusive) on a printer that is set up.
// Pages keep their margins on paper; a page whose margins are narrower
// than the border the printer cannot print on is fitted inside that border
// (see placeOnPrintableArea), so a margin of 0 loses nothing.
void printPages(const PreparedReport& report, QPrinter& printer, int from, int to);

// Shows the platform's print dialog and prints; false when cancelled.
bool printWithDialog(const PreparedReport& report, QWidget* parent);

}  // namespace kroyna::report
