#pragma once

// kroyna-cut --labels: the part labels of a job's maps printed as the
// program's "Печать ярлычков деталей" prints them from a maps window, with
// a new data root's label settings (45 × 15 mm, every item, Code 128) or
// the barcode and label sheet given, through the template
// "Reports/ScrapsLbl.frf". Each part is labelled in its own terms (as the
// job gives it, turned or not) with the identifier "<job>-<row>-<copy>".
//
// This header needs no Qt, so that the cutter's option parsing does not.

#include "CutJob.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kroyna::engine {
struct EngineContext;
}

namespace kroyna::cut {

struct LabelOptions {
  std::string barcode = "code128";  // none, code128, datamatrix or qr
  std::string sheet;                // id of a label sheet; empty: 45 × 15 mm on A4
  std::string partsBase;            // the job's short name, the first part of identifiers
};

// Why the barcode or sheet named cannot be used (one line), or nothing.
std::optional<std::string> checkLabelOptions(const LabelOptions& options);
// The ids of the label sheets, for the help ("a4-3x8-70x37, ...").
std::string labelSheetIds();

class LabelsPdf {
 public:
  // Starts the offscreen GUI application when none runs yet.
  LabelsPdf();
  ~LabelsPdf();
  LabelsPdf(const LabelsPdf&) = delete;
  LabelsPdf& operator=(const LabelsPdf&) = delete;

  // Nothing when the template can be used, else why not (one line).
  std::optional<std::string> checkTemplate(const std::string& templatePath);
  // Writes the labels of every part of every map of ctx.Results; nothing on
  // success, else why the file was not written (one line; an existing file
  // of that name is then left as it was). `notice` gets what the preview
  // would say (labels cut short, barcodes left out), one line a fact, empty
  // when every label came out whole.
  std::optional<std::string> write(const engine::EngineContext& ctx, const CutJob& job, const LabelOptions& options,
                                   const std::string& templatePath, const std::string& pdfPath, std::string& notice);

 private:
  struct Gui;
  std::unique_ptr<Gui> gui_;
};

}  // namespace kroyna::cut
