#pragma once

// kroyna-cut --pdf: the maps of a job printed as the program prints them,
// through the map report template "Reports/RskMaps.frf" and its cutting
// map and parts list objects, with the default print settings (one map a
// page, every statistics line, parts and edges lists, edge codes on the
// maps, Arial 10) and the template's own page and margins. The PDF is
// made without a display: an offscreen GUI application is started for it.
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

// The template used when none is given: Reports/RskMaps.frf of
// $KROYNA_DATA_DIR, else of share/kroyna beside the installed program,
// else of the source tree's data folder.
std::string defaultMapTemplate(const std::string& programPath);
// The same for any template of Reports/ ("ScrapsLbl.frf").
std::string defaultReportTemplate(const std::string& programPath, const std::string& name);

class MapsPdf {
 public:
  // Starts the offscreen GUI application (fonts, PDF writer).
  MapsPdf();
  ~MapsPdf();
  MapsPdf(const MapsPdf&) = delete;
  MapsPdf& operator=(const MapsPdf&) = delete;

  // Nothing when the template can be used, else why not (one line).
  std::optional<std::string> checkTemplate(const std::string& templatePath);
  // Writes every map of ctx.Results as one record of the report; nothing
  // on success, else why the file was not written (one line; an existing
  // file of that name is then left as it was).
  std::optional<std::string> write(const engine::EngineContext& ctx, const CutJob& job, std::int32_t materialCode,
                                   const std::string& templatePath, const std::string& pdfPath);

 private:
  struct Gui;
  std::unique_ptr<Gui> gui_;
};

}  // namespace kroyna::cut
