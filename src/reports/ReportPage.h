#pragma once

#include "common/PageMargins.h"

namespace kroyna::reports {

// The page of a report as the program sets it up before preparing it: the
// first page turned to landscape when the printer is set to landscape, and
// the margins in whole millimetres from the settings file (`PageParams`,
// or `Lbl_PageParams` for labels).
struct ReportPage {
  bool landscape = false;
  common::PageMargins margins;
};

}  // namespace kroyna::reports
