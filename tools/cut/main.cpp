// kroyna-cut: lays out one cutting job without a display.
//
//   kroyna-cut [--progress] [--map OUT.map [--code N]] JOB.json
//                                        (JOB.json "-" reads standard input)
//   kroyna-cut --help | --version
//
// Prints the maps as JSON on standard output; with --map it first writes
// them as a maps file the program opens, with material code N (-1, no
// material, when not given). Exit status 0 on success, 2 when the job is
// refused (bad input, no parts, a part larger than the sheet) or an option
// is wrong, 1 when the result could not be written.

#include "CutJob.h"
#include "CutMaps.h"

#include "maps/MapFile.h"

#include "engine/MaterialRun.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

using namespace kroyna;

constexpr const char* Usage = "usage: kroyna-cut [--progress] [--map OUT.map [--code N]] JOB.json";

constexpr const char* Help =
    "usage: kroyna-cut [--progress] [--map OUT.map [--code N]] JOB.json\n"
    "Lays out one cutting job (one material) without a display and prints the\n"
    "maps as JSON on standard output. JOB.json \"-\" reads the job from standard\n"
    "input.\n"
    "\n"
    "  --progress      one line per step of progress on standard error\n"
    "  --map OUT.map   also write the maps as a maps file the program opens\n"
    "  --code N        the material code stored in that maps file (default -1)\n"
    "  -h, --help      print this help and exit\n"
    "  -v, --version   print the version and exit\n"
    "\n"
    "Exit status: 0 done (unplaced parts are listed in the result), 1 the result\n"
    "or the maps file could not be written, 2 the job or an option was refused.\n"
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
  bool progress = false;
  std::string path;
  std::string mapPath;
  std::int32_t materialCode = cut::NoMaterialCode;
  bool codeGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--progress") {
      progress = true;
    } else if (arg == "--map" || arg == "--code") {
      if (i + 1 >= argc || std::string(argv[i + 1]).empty()) {
        std::cerr << "kroyna-cut: " << arg << " needs a value\n" << Usage << "\n";
        return 2;
      }
      const std::string value = argv[++i];
      if (arg == "--map") {
        mapPath = value;
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

  engine::EngineContext ctx;
  if (const auto refusal = engine::LoadMaterial(ctx, job)) {
    std::cerr << forTerminal(*refusal) << "\n";
    return 2;
  }

  if (progress) {
    ctx.Progress = [&ctx, last = std::int64_t{-1}](std::int64_t done, std::int64_t total) mutable {
      // About a hundred lines a pass at most.
      const std::int64_t step = total / 100 + 1;
      if (done != total && done / step == last) return;
      last = done / step;
      std::cerr << "pass " << ctx.PassNumber << ": variant " << done << " of " << total << ", "
                << ctx.Parts.RemainingTotal() << " copies to place\n";
    };
  }

  engine::MaterialHooks hooks;  // standard sheets running out ends the run
  const engine::MaterialOutcome outcome = engine::RunMaterial(ctx, hooks);

  if (!mapPath.empty()) {
    try {
      maps::writeMapFile(mapPath, cut::resultMaps(ctx, job, materialCode));
    } catch (const maps::MapFileError& e) {
      std::cerr << "kroyna-cut: " << mapPath << ": " << forTerminal(e.what()) << "\n";
      return 1;
    }
  }

  const std::string result = cut::serializeResult(ctx, outcome);
  if (std::fwrite(result.data(), 1, result.size(), stdout) != result.size() || std::fflush(stdout) != 0) {
    std::cerr << "kroyna-cut: cannot write the result: " << std::strerror(errno) << "\n";
    return 1;
  }
  return 0;
}
