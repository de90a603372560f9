// kroyna-cut run as a program: the benchmark jobs give results in the
// documented format that account for every copy, and bad input ends with
// exit status 2 and one line on standard error.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using nlohmann::ordered_json;

struct CutRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class KroynaCut : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kroyna-cut-test-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  CutRun cut(const std::string& args) {
    const fs::path out = dir_ / "out.json";
    const fs::path err = dir_ / "err.txt";
    const std::string command =
        std::string("'") + KROYNA_CUT_BINARY + "' " + args + " > '" + out.string() + "' 2> '" + err.string() + "'";
    const int raw = std::system(command.c_str());
    CutRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = slurp(out);
    run.err = slurp(err);
    return run;
  }

  fs::path write(const std::string& name, const std::string& content) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  fs::path dir_;
};

std::vector<std::string> keysOf(const ordered_json& object) {
  std::vector<std::string> keys;
  for (auto it = object.begin(); it != object.end(); ++it) keys.push_back(it.key());
  return keys;
}

bool isInt(const ordered_json& v) { return v.is_number_integer(); }

// Checks the result against the documented format and against the job:
// every copy is on a map or listed as unplaced, and no two parts of a map
// overlap or leave the usable sheet.
void checkResult(const ordered_json& job, const ordered_json& result) {
  using V = std::vector<std::string>;
  ASSERT_EQ(keysOf(result), (V{"maps", "state", "unplaced"}));
  ASSERT_TRUE(result["maps"].is_array());
  ASSERT_TRUE(isInt(result["state"]));
  EXPECT_GE(result["state"].get<int>(), 0);
  EXPECT_LE(result["state"].get<int>(), 3);

  const int kerf = job.value("kerf", 4);
  const ordered_json trims = job.value("trims", ordered_json::object());
  const int tL = trims.value("left", 10), tR = trims.value("right", 10);
  const int tT = trims.value("top", 10), tB = trims.value("bottom", 10);

  std::map<int, long long> placed;
  int lastPass = 0;
  for (const ordered_json& map : result["maps"]) {
    ASSERT_EQ(keysOf(map), (V{"pass", "variant", "sheet", "offcut", "name", "quantity", "parts", "offcuts", "cuts",
                              "cutCount", "cutLength"}));
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
      for (std::size_t j = 0; j < i; ++j) {
        const ordered_json& q = parts[j];
        const int qx = q["x"], qy = q["y"], ql = q["length"], qw = q["width"];
        // Parts keep a kerf apart.
        const bool apart = x >= qx + ql + kerf || qx >= x + l + kerf || y >= qy + qw + kerf || qy >= y + w + kerf;
        EXPECT_TRUE(apart) << "parts " << j << " and " << i << " of a map overlap";
      }
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
    EXPECT_EQ(result["state"], 2);
    EXPECT_TRUE(result["unplaced"].empty());
  }
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
  const CutRun tooLarge = cut("'" +
                              write("large.json", R"({"material": "МДФ", "sheet": {"length": 1000, "width": 500},
        "parts": [{"name": "P", "length": 981, "width": 100, "many": 1, "rotate": 1}]})")
                                  .string() +
                              "'");
  EXPECT_EQ(tooLarge.status, 2);
  EXPECT_EQ(tooLarge.out, "");
  EXPECT_EQ(tooLarge.err,
            "Разложение деталей материала <МДФ> невозможно!\n\nРазмер одной или более деталей больше размера листа.\n");

  const CutRun empty = cut("'" +
                           write("empty.json", R"({"material": "МДФ", "sheet": {"length": 1000, "width": 500},
        "parts": [{"name": "P", "length": 100, "width": 100, "many": 0}]})")
                               .string() +
                           "'");
  EXPECT_EQ(empty.status, 2);
  EXPECT_EQ(empty.err, "Разложение невозможно!\n\nТекущая база не содержит деталей из материала <МДФ>.\n");

  const fs::path bad = write("bad.json", R"({"sheet": {"length": 1000, "width": 500}, "kerf": 1001, "parts": []})");
  const CutRun badKerf = cut("'" + bad.string() + "'");
  EXPECT_EQ(badKerf.status, 2);
  EXPECT_EQ(badKerf.err, bad.string() + ": kerf: must be a whole number from 0 to 1000\n");
  EXPECT_EQ(badKerf.out, "");

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
