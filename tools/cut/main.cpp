// kroyna-cut: lays out one cutting job without a display.
//
//   kroyna-cut [--progress] [--time-limit SECONDS] [--map OUT.map [--code N]]
//              [--pdf OUT.pdf [--template FILE.frf] [--maps-per-page N] [--cut-order]]
//              [--labels OUT.pdf [--barcode KIND] [--label-sheet SHEET]] JOB.json
//                                        (JOB.json "-" reads standard input)
//   kroyna-cut --help | --version
//
// Prints the maps as JSON on standard output; with --map it first writes
// them as a maps file the program opens, with material code N (-1, no
// material, when not given); with --pdf it also prints them as the program
// prints maps, through the map report template; with --labels it prints
// the labels of the parts as the program prints them from a maps window
// (barcode KIND none, code128 (default), datamatrix or qr; SHEET one of the
// label sheets, else 45 x 15 mm labels on A4). --time-limit stops the
// search the way "Прервать" does and prints the best result so far with
// "stopped": true. Exit status 0 on success, 2 when the job is refused (bad
// input, no parts, a part larger than the sheet), an option is wrong or the
// template cannot be used, 1 when the layout failed (out of memory) or the
// result could not be written.

#include "CutJob.h"
#include "CutMaps.h"
#ifdef KROYNA_CUT_PDF
#include "CutLabels.h"
#include "CutPdf.h"
#endif

#include "maps/model/MapFile.h"

#include "engine/MaterialRun.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

namespace {

using namespace kroyna;

constexpr const char* Usage =
    "usage: kroyna-cut [--progress] [--time-limit SECONDS] [--map OUT.map [--code N]]\n"
    "                  [--pdf OUT.pdf [--template FILE.frf] [--maps-per-page N] [--cut-order]]\n"
    "                  [--labels OUT.pdf [--barcode KIND] [--label-sheet SHEET]] JOB.json";

// A time limit in seconds: a number above 0, at most a year.
bool parseSeconds(const std::string& text, double& seconds) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || errno != 0 || !(v > 0) || v > 366.0 * 24 * 3600)
    return false;
  seconds = v;
  return true;
}

constexpr const char* Help =
    "usage: kroyna-cut [--progress] [--time-limit SECONDS] [--map OUT.map [--code N]]\n"
    "                  [--pdf OUT.pdf [--template FILE.frf] [--maps-per-page N] [--cut-order]]\n"
    "                  [--labels OUT.pdf [--barcode KIND] [--label-sheet SHEET]] JOB.json\n"
    "Lays out one cutting job (one material) without a display and prints the\n"
    "maps as JSON on standard output. JOB.json \"-\" reads the job from standard\n"
    "input.\n"
    "\n"
    "  --progress      one line per step of progress on standard error\n"
    "  --time-limit SECONDS\n"
    "                  stop the search after SECONDS and print the best so far\n"
    "  --map OUT.map   also write the maps as a maps file the program opens\n"
    "  --code N        the material code stored in that maps file (default -1)\n"
    "  --pdf OUT.pdf   also print the cutting maps to a PDF file\n"
    "  --template FILE.frf\n"
    "                  the map report template of that PDF (default RskMaps.frf)\n"
    "  --maps-per-page N\n"
    "                  maps on a page of that PDF, 1 to 5 (default 1)\n"
    "  --cut-order     print the order of the cuts on the maps of that PDF\n"
    "  --labels OUT.pdf also print a label for every part cut to a PDF file\n"
    "  --barcode KIND  the barcode of those labels: none, code128 (default),\n"
    "                  datamatrix or qr\n"
    "  --label-sheet SHEET\n"
    "                  the label sheet: a4-3x8-70x37, a4-2x7-99.1x38.1,\n"
    "                  a4-4x10-48.5x25.4, roll-58x40 or roll-100x50\n"
    "                  (default 45 x 15 mm labels on A4)\n"
    "  -h, --help      print this help and exit\n"
    "  -v, --version   print the version and exit\n"
    "\n"
    "Exit status: 0 done (unplaced parts are listed in the result), 1 the layout\n"
    "failed or the result, the maps file or a PDF could not be written, 2 the\n"
    "job, an option or a template was refused.\n"
    "The job and result formats are described in kroyna-cut(1).\n";

// Messages of the cutting run break lines with "\r"; a terminal wants "\n".
std::string forTerminal(std::string message) {
  for (char& c : message) {
    if (c == '\r') c = '\n';
  }
  return message;
}

bool readAll(const std::string& path, std::string& out, std::string& error) {
  if (path == "-") {
    out.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    if (std::cin.bad()) {
      error = "cannot read standard input";
      return false;
    }
    return true;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open: " + std::string(std::strerror(errno));
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) {
    error = "cannot read";
    return false;
  }
  out = buffer.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // --time-limit counts from here: reading a large job and preparing its
  // parts take their share of it.
  const auto started = std::chrono::steady_clock::now();
  bool progress = false;
  std::string path;
  std::string mapPath;
  std::string pdfPath;
  std::string templatePath;
  std::string labelsPath;
#ifdef KROYNA_CUT_PDF
  cut::LabelOptions labelOptions;
#endif
  bool labelOptionGiven = false;
  std::int32_t materialCode = cut::NoMaterialCode;
  bool codeGiven = false;
  double timeLimit = 0;
  int mapsPerPage = 0;  // 0: not given
  bool cutOrder = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--progress") {
      progress = true;
    } else if (arg == "--time-limit") {
      if (i + 1 >= argc || !parseSeconds(argv[i + 1], timeLimit)) {
        std::cerr << "kroyna-cut: --time-limit needs a number of seconds above 0\n" << Usage << "\n";
        return 2;
      }
      ++i;
    } else if (arg == "--cut-order") {
      cutOrder = true;
    } else if (arg == "--maps-per-page") {
      const std::string value = i + 1 < argc ? argv[i + 1] : "";
      int n = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
      if (value.empty() || ec != std::errc() || end != value.data() + value.size() || n < 1 || n > 5) {
        std::cerr << "kroyna-cut: --maps-per-page needs a number from 1 to 5\n" << Usage << "\n";
        return 2;
      }
      mapsPerPage = n;
      ++i;
    } else if (arg == "--map" || arg == "--code" || arg == "--pdf" || arg == "--template" || arg == "--labels" ||
               arg == "--barcode" || arg == "--label-sheet") {
      if (i + 1 >= argc || std::string(argv[i + 1]).empty()) {
        std::cerr << "kroyna-cut: " << arg << " needs a value\n" << Usage << "\n";
        return 2;
      }
      const std::string value = argv[++i];
      if (arg == "--map") {
        mapPath = value;
      } else if (arg == "--pdf") {
        pdfPath = value;
      } else if (arg == "--template") {
        templatePath = value;
      } else if (arg == "--labels") {
        labelsPath = value;
      } else if (arg == "--barcode" || arg == "--label-sheet") {
        labelOptionGiven = true;
#ifdef KROYNA_CUT_PDF
        (arg == "--barcode" ? labelOptions.barcode : labelOptions.sheet) = value;
#endif
      } else {
        long long code = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), code);
        if (ec != std::errc() || end != value.data() + value.size() || code < INT32_MIN || code > INT32_MAX) {
          std::cerr << "kroyna-cut: --code needs a whole number, not " << value << "\n";
          return 2;
        }
        materialCode = static_cast<std::int32_t>(code);
        codeGiven = true;
      }
    } else if (arg == "--help" || arg == "-h") {
      std::cout << Help;
      return 0;
    } else if (arg == "--version" || arg == "-v") {
      std::cout << "kroyna-cut " << KROYNA_VERSION << "\n";
      return 0;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      std::cerr << "kroyna-cut: unknown option " << arg << "\n" << Usage << "\n";
      return 2;
    } else if (path.empty()) {
      path = arg;
    } else {
      std::cerr << "kroyna-cut: only one job can be cut at a time\n" << Usage << "\n";
      return 2;
    }
  }
  if (path.empty()) {
    std::cerr << Usage << "\n";
    return 2;
  }
  if (codeGiven && mapPath.empty()) {
    std::cerr << "kroyna-cut: --code is the material code of the maps file: it needs --map\n" << Usage << "\n";
    return 2;
  }
  if (!templatePath.empty() && pdfPath.empty()) {
    std::cerr << "kroyna-cut: --template is the template of the PDF: it needs --pdf\n" << Usage << "\n";
    return 2;
  }
  if ((mapsPerPage > 0 || cutOrder) && pdfPath.empty()) {
    std::cerr << "kroyna-cut: --maps-per-page and --cut-order choose how the PDF prints: they need --pdf\n"
              << Usage << "\n";
    return 2;
  }
  if (labelOptionGiven && labelsPath.empty()) {
    std::cerr << "kroyna-cut: --barcode and --label-sheet are options of the labels: they need --labels\n"
              << Usage << "\n";
    return 2;
  }
#ifdef KROYNA_CUT_PDF
  std::unique_ptr<cut::LabelsPdf> labels;
  std::string labelTemplate;
  if (!labelsPath.empty()) {
    if (const auto refusal = cut::checkLabelOptions(labelOptions)) {
      std::cerr << "kroyna-cut: " << *refusal << "\n";
      return 2;
    }
    labels = std::make_unique<cut::LabelsPdf>();
    labelTemplate = cut::defaultReportTemplate(argv[0], "ScrapsLbl.frf");
    if (const auto refusal = labels->checkTemplate(labelTemplate)) {
      std::cerr << "kroyna-cut: " << *refusal << "\n";
      return 2;
    }
    // The identifiers of the parts begin with the job's name.
    if (path != "-") labelOptions.partsBase = std::filesystem::path(path).stem().string();
  }
  std::unique_ptr<cut::MapsPdf> pdf;
  if (!pdfPath.empty()) {
    // The template is checked before the cutting, which may take long.
    pdf = std::make_unique<cut::MapsPdf>();
    if (templatePath.empty()) templatePath = cut::defaultMapTemplate(argv[0]);
    if (const auto refusal = pdf->checkTemplate(templatePath)) {
      std::cerr << "kroyna-cut: " << *refusal << "\n";
      return 2;
    }
  }
#else
  if (!pdfPath.empty() || !labelsPath.empty()) {
    std::cerr << "kroyna-cut: this build prints no PDF (built without the report engine)\n";
    return 2;
  }
#endif

  std::string bytes;
  std::string error;
  if (!readAll(path, bytes, error)) {
    std::cerr << path << ": " << error << "\n";
    return 2;
  }

  cut::CutJob job;
  try {
    job = cut::parseJob(bytes);
  } catch (const cut::JobError& e) {
    std::cerr << path << ": " << e.what() << "\n";
    return 2;
  }

  // A part the usable sheet cannot hold gets one line naming it and the
  // usable size (the trims may be what leaves no room).
  if (const auto oversize = cut::oversizePart(job)) {
    std::cerr << path << ": " << *oversize << "\n";
    return 2;
  }

  // The cutting run's own refusals (no part with copies, numbers out of
  // the engine's range), on one line with the material's name escaped.
  engine::EngineContext ctx;
  const std::string material = std::exchange(job.MaterialName, cut::printable(job.MaterialName));
  const auto refusal = engine::LoadMaterial(ctx, job);
  job.MaterialName = material;
  if (refusal) {
    std::cerr << path << ": " << cut::oneLine(*refusal) << "\n";
    return 2;
  }

  const bool improved = ctx.Params.Improved && engine::ImprovedFallbackFor(ctx) == engine::ImprovedFallback::None;
  if (progress) {
    ctx.Progress = [&ctx, improved, last = std::int64_t{-1}](std::int64_t done, std::int64_t total) mutable {
      // About a hundred lines a pass at most.
      const std::int64_t step = total / 100 + 1;
      if (done != total && done / step == last) return;
      last = done / step;
      if (improved)
        std::cerr << "improved search: step " << done << " of " << total << ", " << ctx.Parts.RemainingTotal()
                  << " copies to place\n";
      else
        std::cerr << "pass " << ctx.PassNumber << ": variant " << done << " of " << total << ", "
                  << ctx.Parts.RemainingTotal() << " copies to place\n";
    };
  }
  if (timeLimit > 0)
    ctx.Deadline = started + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                 std::chrono::duration<double>(timeLimit));

  engine::MaterialHooks hooks;  // standard sheets running out ends the run
  const engine::MaterialOutcome outcome = engine::RunMaterial(ctx, hooks);
  if (outcome.End == engine::MaterialEnd::Failed) {
    std::cerr << path << ": the layout failed: " << cut::printable(outcome.Failure) << "\n";
    return 1;
  }
  cut::ResultNotes notes;
  notes.stopped = ctx.Abort || outcome.Stopped;

  if (!mapPath.empty()) {
    try {
      maps::writeMapFile(mapPath, cut::resultMaps(ctx, job, materialCode));
    } catch (const maps::MapFileError& e) {
      std::cerr << "kroyna-cut: " << mapPath << ": " << forTerminal(e.what()) << "\n";
      return 1;
    }
  }

#ifdef KROYNA_CUT_PDF
  if (pdf) {
    if (const auto failure =
            pdf->write(ctx, job, materialCode, templatePath, pdfPath, {std::max(mapsPerPage, 1), cutOrder})) {
      std::cerr << "kroyna-cut: " << pdfPath << ": " << *failure << "\n";
      return 1;
    }
  }
  if (labels) {
    std::string notice;
    if (const auto failure = labels->write(ctx, job, labelOptions, labelTemplate, labelsPath, notice)) {
      std::cerr << "kroyna-cut: " << labelsPath << ": " << *failure << "\n";
      return 1;
    }
    // What the preview of the labels would say.
    std::istringstream lines(notice);
    for (std::string line; std::getline(lines, line);)
      std::cerr << "kroyna-cut: " << labelsPath << ": " << line << "\n";
  }
#endif

  const std::string result = cut::serializeResult(ctx, outcome, notes);
  if (std::fwrite(result.data(), 1, result.size(), stdout) != result.size() || std::fflush(stdout) != 0) {
    std::cerr << "kroyna-cut: cannot write the result: " << std::strerror(errno) << "\n";
    return 1;
  }
  return 0;
}
