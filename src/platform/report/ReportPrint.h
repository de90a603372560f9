#pragma once

// Printing a prepared report on a printer (Qt Print Support).

#include "platform/report/PreparedReport.h"

class QPrinter;
class QWidget;

namespace kroyna::report {

// Prints pages from..to (1-based, inclusive) on a printer that is set up.
void printPages(const PreparedReport& report, QPrinter& printer, int from, int to);

// Shows the platform's print dialog and prints; false when cancelled.
bool printWithDialog(const PreparedReport& report, QWidget* parent);

}  // namespace kroyna::report
