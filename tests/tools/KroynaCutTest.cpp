// kroyna-cut run as a program: the benchmark jobs give results in the
// documented format that account for every copy, and bad input ends with
// exit status 2 and one line on standard error.

#include "support/MapValidator.h"

#include "tools/CutProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kroyna::testing::CutRun;
using kroyna::testing::slurp;
using nlohmann::ordered_json;

class KroynaCut : public kroyna::testing::CutProcessTest {};

std::vector<std::string> keysOf(const ordered_json& object) {
  std::vector<std::string> keys;
  for (auto it = object.begin(); it != object.end(); ++it) keys.push_back(it.key());
  return keys;
}

bool isInt(const ordered_json& v) { return v.is_number_integer(); }

// The job and the result as the validator takes them.
kroyna::test::VJob validatorJob(const ordered_json& job) {
  kroyna::test::VJob v;
  v.kerf = job.value("kerf", 4);
  const ordered_json trims = job.value("trims", ordered_json::object());
  v.trimLeft = trims.value("left", 10);
  v.trimRight = trims.value("right", 10);
  v.trimTop = trims.value("top", 10);
  v.trimBottom = trims.value("bottom", 10);
  v.sheetLength = job["sheet"]["length"];
  v.sheetWidth = job["sheet"]["width"];
  v.stockControl = job.value("stockControl", false);
  v.stockCount = job.value("stockCount", 0);
  if (job.value("search", "quick") == "improved" && job.value("machine", "none") == "none") {
    v.maxStages = job.value("stages", 0);
    const std::string first = job.value("firstStage", "any");
    v.firstStage = first == "alongX" ? 1 : first == "alongY" ? 2 : 0;
  }
  for (const ordered_json& o : job.value("offcuts", ordered_json::array()))
    v.offcuts.push_back({o.value("name", ""), o["length"], o["width"]});
  for (const ordered_json& p : job["parts"])
    v.parts.push_back({p["length"], p["width"], p["many"], p.value("rotate", 0)});
  return v;
}

kroyna::test::VResult validatorResult(const ordered_json& result) {
  kroyna::test::VResult v;
  for (const ordered_json& m : result["maps"]) {
    kroyna::test::VMap map;
    map.sheetLength = m["sheet"]["length"];
    map.sheetWidth = m["sheet"]["width"];
    map.offcut = m["offcut"];
    map.name = m["name"];
    map.quantity = m["quantity"];
    for (const ordered_json& p : m["parts"])
      map.parts.push_back({p["row"], p["x"], p["y"], p["length"], p["width"], p["rotated"]});
    for (const ordered_json& c : m["cuts"]) map.cuts.push_back({c["x"], c["y"], c["length"], c["alongX"]});
    v.maps.push_back(std::move(map));
  }
  for (const ordered_json& u : result["unplaced"]) v.unplaced[u["row"]] = u["remaining"];
  return v;
}

std::string faultsOf(const ordered_json& job, const ordered_json& result) {
  std::string out;
  for (const std::string& f : kroyna::test::validate(validatorJob(job), validatorResult(result))) out += f + "\n";
  return out;
}

std::int64_t standardSheets(const ordered_json& result) {
  std::int64_t n = 0;
  for (const ordered_json& m : result["maps"])
    if (!m["offcut"].get<bool>()) n += m["quantity"].get<std::int64_t>();
  return n;
}

// Checks the result against the documented format and against the job:
// every copy is on a map or listed as unplaced, and no two parts of a map
// overlap or leave the usable sheet.
void checkResult(const ordered_json& job, const ordered_json& result) {
  using V = std::vector<std::string>;
  if (result.contains("stopped")) {
    ASSERT_EQ(keysOf(result), (V{"maps", "state", "searchUsed", "stopped", "unplaced"}));
    EXPECT_EQ(result["stopped"], true);
  } else {
    ASSERT_EQ(keysOf(result), (V{"maps", "state", "searchUsed", "unplaced"}));
  }
  ASSERT_TRUE(result["searchUsed"] == "quick" || result["searchUsed"] == "full" || result["searchUsed"] == "improved");
  EXPECT_EQ(faultsOf(job, result), "");
  ASSERT_TRUE(result["maps"].is_array());
  ASSERT_TRUE(isInt(result["state"]));
  EXPECT_GE(result["state"].get<int>(), 0);
  EXPECT_LE(result["state"].get<int>(), 3);

  const ordered_json trims = job.value("trims", ordered_json::object());
  const int tL = trims.value("left", 10), tR = trims.value("right", 10);
  const int tT = trims.value("top", 10), tB = trims.value("bottom", 10);

  std::map<int, long long> placed;
  int lastPass = 0;
  for (const ordered_json& map : result["maps"]) {
    ASSERT_EQ(keysOf(map), (V{"pass", "variant", "sheet", "offcut", "name", "quantity", "parts", "offcuts", "cuts",
                              "cutCount", "cutLength", "sequence"}));
    for (const ordered_json& s : map["sequence"]) {
      ASSERT_EQ(keysOf(s), (V{"piece", "alongX", "at", "cuts", "fence", "turn"}));
      ASSERT_EQ(keysOf(s["piece"]), (V{"x", "y", "length", "width"}));
    }
    ASSERT_TRUE(isInt(map["pass"]) && isInt(map["variant"]) && isInt(map["quantity"]));
    ASSERT_TRUE(map["offcut"].is_boolean() && map["name"].is_string());
    ASSERT_EQ(keysOf(map["sheet"]), (V{"length", "width"}));
    EXPECT_GE(map["pass"].get<int>(), lastPass);
    lastPass = map["pass"].get<int>();
    EXPECT_GE(map["quantity"].get<int>(), 1);
    const bool offcut = map["offcut"].get<bool>();
    const int sheetL = map["sheet"]["length"], sheetW = map["sheet"]["width"];
    const int minX = offcut ? 0 : tL, minY = offcut ? 0 : tT;
    const int maxX = offcut ? sheetL : sheetL - tR, maxY = offcut ? sheetW : sheetW - tB;

    const ordered_json& parts = map["parts"];
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const ordered_json& p = parts[i];
      ASSERT_EQ(keysOf(p), (V{"row", "name", "x", "y", "length", "width", "rotated", "edges"}));
      ASSERT_TRUE(isInt(p["row"]) && p["name"].is_string() && p["rotated"].is_boolean());
      ASSERT_TRUE(p["edges"].is_array() && p["edges"].size() == 4);
      const int row = p["row"];
      const ordered_json& source = job["parts"][static_cast<std::size_t>(row)];
      EXPECT_EQ(p["name"], source["name"]);
      const bool rotated = p["rotated"];
      EXPECT_EQ(p["length"], rotated ? source["width"] : source["length"]);
      if (source.value("rotate", 0) == 1) {
        EXPECT_FALSE(rotated);
      }
      const int x = p["x"], y = p["y"], l = p["length"], w = p["width"];
      EXPECT_GE(x, minX);
      EXPECT_GE(y, minY);
      EXPECT_LE(x + l, maxX);
      EXPECT_LE(y + w, maxY);
      placed[row] += map["quantity"].get<int>();
    }
    for (const ordered_json& o : map["offcuts"]) {
      ASSERT_EQ(keysOf(o), (V{"x", "y", "length", "width"}));
      EXPECT_GT(o["length"].get<int>(), 0);
      EXPECT_GT(o["width"].get<int>(), 0);
    }
    long long total = 0;
    for (const ordered_json& c : map["cuts"]) {
      ASSERT_EQ(keysOf(c), (V{"x", "y", "length", "alongX"}));
      ASSERT_TRUE(isInt(c["x"]) && isInt(c["y"]) && isInt(c["length"]) && c["alongX"].is_boolean());
      total += c["length"].get<int>();
    }
    EXPECT_EQ(map["cutCount"].get<std::size_t>(), map["cuts"].size());
    EXPECT_EQ(map["cutLength"].get<long long>(), total);
  }

  std::map<int, long long> left;
  int lastRow = -1;
  for (const ordered_json& u : result["unplaced"]) {
    ASSERT_EQ(keysOf(u), (V{"row", "name", "remaining"}));
    EXPECT_GT(u["row"].get<int>(), lastRow);  // job order
    lastRow = u["row"];
    left[u["row"].get<int>()] = u["remaining"].get<long long>();
  }
  for (std::size_t row = 0; row < job["parts"].size(); ++row) {
    const long long many = job["parts"][row]["many"];
    const int r = static_cast<int>(row);
    EXPECT_EQ(placed[r] + left[r], many > 0 ? many : 0) << "row " << row;
  }
}

}  // namespace

TEST_F(KroynaCut, BenchmarkJobsGiveValidResults) {
  for (const char* name : {"small", "kitchen", "large"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string(KROYNA_BENCH_JOBS) + "/" + name + ".json";
    const CutRun run = cut("'" + path + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const ordered_json job = ordered_json::parse(slurp(path));
    const ordered_json result = ordered_json::parse(run.out);
    checkResult(job, result);
    // The state of the pass that placed the last copy.
    EXPECT_EQ(result["state"], 0);
    EXPECT_EQ(result["searchUsed"], "quick");
    EXPECT_TRUE(result["unplaced"].empty());
  }
}

TEST_F(KroynaCut, ImprovedSearchOnTheBenchmarkJobs) {
  for (const char* name : {"small", "kitchen", "large"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string(KROYNA_BENCH_JOBS) + "/" + name + ".json";
    ordered_json job = ordered_json::parse(slurp(path));
    job["variants"] = 50;  // the quick search it is compared with, in a test's time
    job["search"] = "full";
    const ordered_json full = ordered_json::parse(cut("'" + write("full.json", job.dump()).string() + "'").out);
    job["search"] = "improved";
    job["effort"] = 1;
    const CutRun run = cut("'" + write("job.json", job.dump()).string() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    const ordered_json result = ordered_json::parse(run.out);
    checkResult(job, result);
    EXPECT_TRUE(result["unplaced"].empty());
    EXPECT_LE(standardSheets(result), standardSheets(full));
    // Which search made the maps is told; the full search's own maps come
    // back whole when they were better.
    if (result["searchUsed"] == "full") {
      EXPECT_EQ(result["maps"], full["maps"]);
    } else {
      EXPECT_EQ(result["searchUsed"], "improved");
    }
    // At most two stages of cuts, the first along the sheet: the validator
    // counts them.
    job["stages"] = 2;
    job["firstStage"] = "alongX";
    const CutRun staged = cut("'" + write("staged.json", job.dump()).string() + "'");
    ASSERT_EQ(staged.status, 0) << staged.err;
    checkResult(job, ordered_json::parse(staged.out));
  }
}

TEST_F(KroynaCut, ImprovedSearchGivesTheSameResultWithOneOrFourThreads) {
  ordered_json job = ordered_json::parse(slurp(std::string(KROYNA_BENCH_JOBS) + "/kitchen.json"));
  job["search"] = "improved";
  job["effort"] = 2;
  job["variants"] = 20;
  job["stockControl"] = true;
  job["stockCount"] = 40;
  job["threads"] = 1;
  const CutRun one = cut("'" + write("one.json", job.dump()).string() + "'");
  job["threads"] = 4;
  const CutRun four = cut("'" + write("four.json", job.dump()).string() + "'");
  const CutRun again = cut("'" + write("four.json", job.dump()).string() + "'");
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(one.out, four.out);
  EXPECT_EQ(four.out, again.out);
  checkResult(job, ordered_json::parse(one.out));
}

TEST_F(KroynaCut, OffcutsAndStockRunningOut) {
  const std::string job = R"({
        "sheet": {"length": 1000, "width": 500}, "variants": 30, "search": "full",
        "stockControl": true, "stockCount": 1,
        "offcuts": [{"name": "A", "length": 500, "width": 300}, {"name": "A", "length": 500, "width": 300}],
        "parts": [{"name": "fits", "length": 496, "width": 296, "many": 2},
                  {"name": "big", "length": 900, "width": 450, "many": 3, "edges": [0, 5, 0, 5]}]
    })";
  const CutRun run = cut("--progress '" + write("job.json", job).string() + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("pass 1: variant 31 of 31"), std::string::npos) << run.err;
  const ordered_json result = ordered_json::parse(run.out);
  checkResult(ordered_json::parse(job), result);
  // Both offcuts take one copy each and merge into one map of two.
  ASSERT_GE(result["maps"].size(), 1u);
  EXPECT_EQ(result["maps"][0]["name"], "A");
  EXPECT_EQ(result["maps"][0]["quantity"], 2);
  EXPECT_EQ(result["maps"][0]["offcut"], true);
  // One standard sheet in stock: one copy of "big" is cut, two are left.
  EXPECT_EQ(result["state"], 1);
  ASSERT_EQ(result["unplaced"].size(), 1u);
  EXPECT_EQ(result["unplaced"][0]["row"], 1);
  EXPECT_EQ(result["unplaced"][0]["remaining"], 2);
}

TEST_F(KroynaCut, RefusedJobsExitWithStatusTwo) {
  // A part the usable sheet cannot hold: one line naming it and the usable size.
  const fs::path large = write("large.json", R"({"material": "МДФ", "sheet": {"length": 1000, "width": 500},
        "parts": [{"name": "A", "length": 100, "width": 100, "many": 1},
                  {"name": "Бок", "length": 981, "width": 100, "many": 1, "rotate": 1}]})");
  const CutRun tooLarge = cut("'" + large.string() + "'");
  EXPECT_EQ(tooLarge.status, 2);
  EXPECT_EQ(tooLarge.out, "");
  EXPECT_EQ(tooLarge.err,
            large.string() + ": parts[1] Бок 981x100: larger than the usable sheet 980x480 (sheet less trims)\n");
  // Trims that leave no room: the usable size says so.
  const fs::path trims = write("trims.json", R"({"sheet": {"length": 1000, "width": 500},
        "trims": {"left": 500, "right": 500},
        "parts": [{"name": "A", "length": 100, "width": 100, "many": 1}]})");
  EXPECT_EQ(cut("'" + trims.string() + "'").err,
            trims.string() + ": parts[0] A 100x100: larger than the usable sheet 0x480 (sheet less trims)\n");

  const fs::path twice = write("twice.json", R"({"sheet": {"length": 1000, "width": 500}, "kerf": 4, "kerf": 6,
        "parts": [{"name": "A", "length": 100, "width": 100, "many": 1}]})");
  const CutRun duplicate = cut("'" + twice.string() + "'");
  EXPECT_EQ(duplicate.status, 2);
  EXPECT_EQ(duplicate.err, twice.string() + ": kerf: duplicate key\n");

  const CutRun empty = cut("'" +
                           write("empty.json", R"({"material": "МДФ", "sheet": {"length": 1000, "width": 500},
        "parts": [{"name": "P", "length": 100, "width": 100, "many": 0}]})")
                               .string() +
                           "'");
  EXPECT_EQ(empty.status, 2);
  EXPECT_EQ(empty.err, (dir_ / "empty.json").string() +
                           ": Разложение невозможно! Текущая база не содержит деталей из материала <МДФ>.\n");
  // The material's name is escaped as well.
  const fs::path none = write("none.json", R"({"material": "М\nДФ\u001b", "sheet": {"length": 1000, "width": 500},
        "parts": []})");
  EXPECT_EQ(
      cut("'" + none.string() + "'").err,
      none.string() + ": Разложение невозможно! Текущая база не содержит деталей из материала <М\\u000AДФ\\u001B>.\n");

  const fs::path bad = write("bad.json", R"({"sheet": {"length": 1000, "width": 500}, "kerf": 1001, "parts": []})");
  const CutRun badKerf = cut("'" + bad.string() + "'");
  EXPECT_EQ(badKerf.status, 2);
  EXPECT_EQ(badKerf.err, bad.string() + ": kerf: must be a whole number from 0 to 1000\n");
  EXPECT_EQ(badKerf.out, "");

  // A number too large for a double: refused in one line, not an abort.
  const fs::path huge = write("huge.json", R"({"kerf": 1E400, "sheet": {"length": 2800, "width": 2070}, "parts": []})");
  const CutRun hugeKerf = cut("'" + huge.string() + "'");
  EXPECT_EQ(hugeKerf.status, 2);
  EXPECT_EQ(hugeKerf.err, huge.string() + ": not a valid JSON job: number overflow parsing '1E400'\n");
  EXPECT_EQ(hugeKerf.out, "");

  const CutRun broken = cut("'" + write("broken.json", "{\"sheet\": ").string() + "'");
  EXPECT_EQ(broken.status, 2);
  EXPECT_NE(broken.err.find("not a valid JSON job"), std::string::npos);
  EXPECT_EQ(broken.err.find('\n'), broken.err.size() - 1);  // one line

  const CutRun missing = cut("'" + (dir_ / "nothing.json").string() + "'");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("cannot open"), std::string::npos);

  EXPECT_EQ(cut("").status, 2);
  EXPECT_EQ(cut("--fast job.json").status, 2);
  EXPECT_EQ(cut("a.json b.json").status, 2);
  for (const char* limit : {"0", "-1", "abc", "1e9", ""})
    EXPECT_EQ(cut(std::string("--time-limit '") + limit + "' job.json").status, 2) << limit;
}

// Jobs that are legal but would run for hours: the time limit stops the
// search the way "Прервать" does and prints the best result so far.
TEST_F(KroynaCut, TimeLimitStopsEnormousJobsWithTheBestSoFar) {
  const std::string variants = R"({"sheet": {"length": 2800, "width": 2070}, "variants": 2147483647,
        "parts": [{"name": "A", "length": 600, "width": 400, "many": 30},
                  {"name": "B", "length": 300, "width": 200, "many": 40}]})";
  const std::string copies = R"({"sheet": {"length": 2800, "width": 2070},
        "parts": [{"name": "A", "length": 1, "width": 1, "many": 1000000}]})";
  for (const auto& [name, text] : {std::pair{"variants", variants}, std::pair{"copies", copies}}) {
    for (const char* search : {"quick", "improved"}) {
      SCOPED_TRACE(std::string(name) + " " + search);
      ordered_json job = ordered_json::parse(text);
      job["search"] = search;
      const auto start = std::chrono::steady_clock::now();
      const CutRun run = cut("--time-limit 1 '" + write("job.json", job.dump()).string() + "'");
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      ASSERT_EQ(run.status, 0) << run.err;
      const ordered_json result = ordered_json::parse(run.out);
      EXPECT_EQ(result["stopped"], true);
      EXPECT_FALSE(result["maps"].empty());
      checkResult(job, result);
      EXPECT_LT(seconds, 60.0);  // not hours (a generous bound for a sanitizer build)
    }
  }
  // A job done well within the limit is not marked.
  const CutRun quick = cut("--time-limit 30 '" + std::string(KROYNA_BENCH_JOBS) + "/small.json'");
  ASSERT_EQ(quick.status, 0) << quick.err;
  EXPECT_FALSE(ordered_json::parse(quick.out).contains("stopped"));
}

TEST_F(KroynaCut, PrintsItsVersionAndHelpAndNamesAWrongOption) {
  const CutRun version = cut("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("kroyna-cut ") + KROYNA_VERSION + "\n");
  const CutRun help = cut("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--progress", "--map OUT.map", "--code N", "--version"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  const CutRun wrong = cut("--fast job.json");
  EXPECT_EQ(wrong.status, 2);
  EXPECT_TRUE(wrong.out.empty());
  EXPECT_NE(wrong.err.find("unknown option --fast"), std::string::npos) << wrong.err;
}

TEST_F(KroynaCut, ReadsTheJobFromStandardInput) {
  const std::string path = std::string(KROYNA_BENCH_JOBS) + "/small.json";
  const CutRun fromFile = cut("'" + path + "'");
  const CutRun fromStdin = cut("- < '" + path + "'");
  ASSERT_EQ(fromStdin.status, 0) << fromStdin.err;
  EXPECT_EQ(fromStdin.out, fromFile.out);
  EXPECT_EQ(cut("--help").status, 0);
}
