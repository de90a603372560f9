#include "CutJob.h"

#include "engine/MaterialRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

using namespace kroyna;
using kroyna::cut::JobError;
using kroyna::cut::parseJob;

namespace {

// The message of the JobError that parsing `text` throws, or "" when it parses.
std::string refusal(const std::string& text) {
  try {
    parseJob(text);
  } catch (const JobError& e) {
    return e.what();
  }
  return "";
}

// A valid job with one field replaced (or removed when `value` is empty).
std::string withField(const std::string& field, const std::string& value) {
  nlohmann::json job = nlohmann::json::parse(R"({
        "sheet": {"length": 2800, "width": 2070},
        "parts": [{"name": "P1", "length": 600, "width": 400, "many": 3}]
    })");
  nlohmann::json* target = &job;
  std::string key = field;
  for (auto dot = key.find('.'); dot != std::string::npos; dot = key.find('.')) {
    const std::string head = key.substr(0, dot);
    key = key.substr(dot + 1);
    if (head == "parts[0]")
      target = &(*target)["parts"][0];
    else
      target = &(*target)[head];
  }
  if (value.empty())
    target->erase(key);
  else
    (*target)[key] = nlohmann::json::parse(value);
  return job.dump();
}

}  // namespace

TEST(CutJobReader, DefaultsForEveryFieldLeftOut) {
  const cut::CutJob job = parseJob(R"({
        // comments are allowed
        "sheet": {"length": 2800, "width": 2070},
        "parts": [{"name": "Бок", "length": 720, "width": 560, "many": 2}]
    })");
  const engine::CuttingParameters& p = job.Params;
  EXPECT_EQ(p.Kerf, 4);
  EXPECT_EQ(p.TrimLeft, 10);
  EXPECT_EQ(p.TrimBottom, 10);
  EXPECT_EQ(p.SheetLength, 2800);
  EXPECT_EQ(p.SheetWidth, 2070);
  EXPECT_EQ(p.Variants, 0);
  EXPECT_EQ(p.Search, engine::SearchMode::Quick);
  EXPECT_EQ(p.Rule, engine::SelectionRule::PartFirst);
  EXPECT_FALSE(p.OneSize);
  EXPECT_FALSE(p.MultiSaw);
  EXPECT_EQ(p.MaxCutLength, 0);
  EXPECT_EQ(p.Optimization, engine::Criterion::OffcutArea);
  EXPECT_FALSE(p.StockControl);
  EXPECT_FALSE(p.UseOffcuts);
  ASSERT_EQ(job.Parts.size(), 1u);
  EXPECT_EQ(job.Parts[0].Name, "Бок");
  EXPECT_EQ(job.Parts[0].Rotate, 0);
  EXPECT_EQ(job.Parts[0].LBorder, 0);
}

TEST(CutJobReader, EveryFieldReadAndWrittenBack) {
  const std::string text = R"({
        "material": "ДВП",
        "kerf": 3, "trims": {"left": 5, "right": 6, "top": 7, "bottom": 0},
        "sheet": {"length": 2440, "width": 1830}, "variants": 2147483647,
        "search": "full", "effort": 7, "threads": 2, "rule": "region-first", "oneSize": true,
        "machine": "cut-length", "cutLength": 1500, "criterion": 2,
        "stockControl": true, "stockCount": 12,
        "offcuts": [{"name": "A1", "length": 1200, "width": 600}, {"name": "A1", "length": 1200, "width": 600}],
        "parts": [{"name": "P1", "length": 600.0, "width": 400, "many": 3, "rotate": 2, "edges": [1, 2, 3, 4]},
                  {"name": "", "length": 10, "width": 10, "many": -1}]
    })";
  const cut::CutJob job = parseJob(text);
  EXPECT_EQ(job.MaterialName, "ДВП");
  EXPECT_EQ(job.Params.Kerf, 3);
  EXPECT_EQ(job.Params.TrimRight, 6);
  EXPECT_EQ(job.Params.TrimBottom, 0);
  EXPECT_EQ(job.Params.Variants, 2147483647);
  EXPECT_EQ(job.Params.Search, engine::SearchMode::Full);
  EXPECT_FALSE(job.Params.Improved);
  EXPECT_EQ(job.Params.Effort, 7);
  EXPECT_EQ(job.Params.Threads, 2);
  EXPECT_EQ(job.Params.Rule, engine::SelectionRule::RegionFirst);
  EXPECT_TRUE(job.Params.OneSize);
  EXPECT_EQ(job.Params.MaxCutLength, 1500);
  EXPECT_EQ(job.Params.Optimization, engine::Criterion::CutLength);
  EXPECT_TRUE(job.Params.StockControl);
  EXPECT_EQ(job.StockCount, 12);
  EXPECT_TRUE(job.Params.UseOffcuts);
  EXPECT_EQ(job.Offcuts.size(), 2u);
  EXPECT_EQ(job.Parts[0].Length, 600);
  EXPECT_EQ(job.Parts[0].Rotate, 2);
  EXPECT_EQ(job.Parts[0].TBorder, 3);
  EXPECT_EQ(job.Parts[1].Many, -1);

  // Written back and read again, the job is the same.
  const std::string once = cut::serializeJob(job);
  EXPECT_EQ(cut::serializeJob(parseJob(once)), once);

  // The improved search, compared with the full search of the same N
  // unless the job names the quick one as its base.
  const cut::CutJob improved = parseJob(withField("search", R"("improved")"));
  EXPECT_TRUE(improved.Params.Improved);
  EXPECT_EQ(improved.Params.Search, engine::SearchMode::Full);
  EXPECT_EQ(improved.Params.Effort, 5);
  EXPECT_EQ(improved.Params.Threads, 0);
  const std::string improvedText = cut::serializeJob(improved);
  EXPECT_NE(improvedText.find(R"("search": "improved")"), std::string::npos);
  EXPECT_NE(improvedText.find(R"("baseSearch": "full")"), std::string::npos);
  EXPECT_EQ(cut::serializeJob(parseJob(improvedText)), improvedText);
  nlohmann::json quickBase = nlohmann::json::parse(improvedText);
  quickBase["baseSearch"] = "quick";
  const cut::CutJob onQuick = parseJob(quickBase.dump());
  EXPECT_TRUE(onQuick.Params.Improved);
  EXPECT_EQ(onQuick.Params.Search, engine::SearchMode::Quick);
  EXPECT_NE(cut::serializeJob(onQuick).find(R"("baseSearch": "quick")"), std::string::npos);
  // The stage limit of the improved search and the way its first stage cuts.
  quickBase["stages"] = 3;
  quickBase["firstStage"] = "alongY";
  const cut::CutJob staged = parseJob(quickBase.dump());
  EXPECT_EQ(staged.Params.MaxStages, 3);
  EXPECT_EQ(staged.Params.FirstStage, engine::FirstStageCuts::AlongY);
  EXPECT_EQ(cut::serializeJob(parseJob(cut::serializeJob(staged))), cut::serializeJob(staged));
  EXPECT_EQ(improved.Params.MaxStages, 0);
  EXPECT_EQ(improved.Params.FirstStage, engine::FirstStageCuts::Either);

  // The cut length only counts on a machine with that limit.
  const cut::CutJob multi = parseJob(withField("machine", R"("multi-saw")"));
  EXPECT_TRUE(multi.Params.MultiSaw);
  EXPECT_EQ(cut::serializeJob(parseJob(cut::serializeJob(multi))), cut::serializeJob(multi));
}

TEST(CutJobReader, DamagedInputNamesTheField) {
  EXPECT_EQ(refusal(withField("kerf", "1001")), "kerf: must be a whole number from 0 to 1000");
  EXPECT_EQ(refusal(withField("kerf", "-1")), "kerf: must be a whole number from 0 to 1000");
  EXPECT_EQ(refusal(withField("kerf", R"("4")")), "kerf: must be a whole number from 0 to 1000");
  EXPECT_EQ(refusal(withField("kerf", "4.5")), "kerf: must be a whole number from 0 to 1000");
  // A number too small for a double is not read as 0.
  EXPECT_EQ(refusal(R"({"kerf": 1e-400, "sheet": {"length": 2800, "width": 2070}, "parts": []})"),
            "kerf: number underflow parsing '1e-400'");
  EXPECT_EQ(refusal(R"({"sheet": {"length": 2800, "width": 2070}, "parts": [{"edges": [0, -2.5E-999]}]})"),
            "parts[0].edges[1]: number underflow parsing '-2.5E-999'");
  EXPECT_EQ(refusal(withField("kerf", "0.0e-400")), "");
  EXPECT_EQ(refusal(withField("sheet.length", "100001")), "sheet.length: must be a whole number from 1 to 100000");
  EXPECT_EQ(refusal(withField("cutLength", "100001")), "cutLength: must be a whole number from 0 to 100000");
  EXPECT_EQ(refusal(withField("offcuts", R"([{"length": 2147483647, "width": 10}])")),
            "offcuts[0].length: must be a whole number from 1 to 100000");
  EXPECT_EQ(refusal(withField("baseSearch", R"("improved")")), R"(baseSearch: must be one of "full", "quick")");
  EXPECT_EQ(refusal(withField("stages", "1")), "stages: must be 2, 3, 4 or 0 (no limit)");
  EXPECT_EQ(refusal(withField("stages", "5")), "stages: must be a whole number from 0 to 4");
  EXPECT_EQ(refusal(withField("firstStage", R"("x")")), R"(firstStage: must be one of "any", "alongX", "alongY")");
  EXPECT_EQ(refusal(withField("sheet", "")), "sheet: missing");
  EXPECT_EQ(refusal(withField("sheet", "[1, 2]")), "sheet: must be an object");
  EXPECT_EQ(refusal(withField("sheet.width", "")), "sheet.width: missing");
  EXPECT_EQ(refusal(withField("sheet.length", "0")), "sheet.length: must be a whole number from 1 to 100000");
  EXPECT_EQ(refusal(withField("trims", R"({"left": -5})")), "trims.left: must be a whole number from 0 to 100000");
  EXPECT_EQ(refusal(withField("parts", "")), "parts: missing");
  EXPECT_EQ(refusal(withField("parts", "{}")), "parts: must be an array");
  EXPECT_EQ(refusal(withField("parts[0].width", "-400")), "parts[0].width: must be a whole number from 1 to 100000");
  EXPECT_EQ(refusal(withField("parts[0].length", "0")), "parts[0].length: must be a whole number from 1 to 100000");
  EXPECT_EQ(refusal(withField("parts[0].many", "1000001")),
            "parts[0].many: must be a whole number from -2147483648 to 1000000");
  EXPECT_EQ(refusal(withField("parts[0].many", "")), "parts[0].many: missing");
  EXPECT_EQ(refusal(withField("parts[0].rotate", "3")), "parts[0].rotate: must be a whole number from 0 to 2");
  EXPECT_EQ(refusal(withField("parts[0].edges", "[1, 2, 3]")),
            "parts[0].edges: must be an array of four edge codes (left, right, top, bottom)");
  EXPECT_EQ(refusal(withField("parts[0].edges", R"([1, 2, 3, "x"])")),
            "parts[0].edges[3]: must be a whole number from 0 to 2147483647");
  EXPECT_EQ(refusal(withField("parts[0].name", "5")), "parts[0].name: must be a string");
  EXPECT_EQ(refusal(withField("parts[0].widht", "5")), "parts[0].widht: unknown field");
  EXPECT_EQ(refusal(withField("search", R"("deep")")), R"(search: must be one of "quick", "full", "improved")");
  EXPECT_EQ(refusal(withField("effort", "0")), "effort: must be a whole number from 1 to 10");
  EXPECT_EQ(refusal(withField("effort", "11")), "effort: must be a whole number from 1 to 10");
  EXPECT_EQ(refusal(withField("threads", "-1")), "threads: must be a whole number from 0 to 256");
  EXPECT_EQ(refusal(withField("machine", "1")), R"(machine: must be one of "none", "cut-length", "multi-saw")");
  EXPECT_EQ(refusal(withField("oneSize", "1")), "oneSize: must be true or false");
  EXPECT_EQ(refusal(withField("criterion", "3")), "criterion: must be a whole number from 0 to 2");
  EXPECT_EQ(refusal(withField("variants", "2147483648")), "variants: must be a whole number from 0 to 2147483647");
  EXPECT_EQ(refusal(withField("variants", "1e300")), "variants: must be a whole number from 0 to 2147483647");
  EXPECT_EQ(refusal(withField("variants", "18446744073709551615")),
            "variants: must be a whole number from 0 to 2147483647");
  EXPECT_EQ(refusal(withField("stockCount", "1000001")), "stockCount: must be a whole number from 0 to 1000000");
  EXPECT_EQ(refusal(withField("offcuts", R"([{"name": "A", "length": 10}])")), "offcuts[0].width: missing");
  EXPECT_EQ(refusal(withField("offcuts", R"([7])")), "offcuts[0]: must be an object");
  EXPECT_EQ(refusal(withField("kerff", "4")), "kerff: unknown field");

  EXPECT_EQ(refusal("[]"), "not a valid JSON job: the top level must be an object");
  EXPECT_EQ(refusal(""),
            "not a valid JSON job: parse error at line 1, column 1: syntax error while parsing value - "
            "unexpected end of input; expected '[', '{', or a literal");
  const std::string truncated = refusal(R"({"sheet": {"length": 28)");
  EXPECT_EQ(truncated.rfind("not a valid JSON job: parse error at line 1, column 24", 0), 0u) << truncated;
  EXPECT_EQ(refusal("{\"sheet\": \"\xff\"}").rfind("not a valid JSON job: ", 0), 0u);
  // A number no double holds is refused like any other damage.
  EXPECT_EQ(refusal(R"({"kerf": 1E400, "sheet": {"length": 2800, "width": 2070}, "parts": []})"),
            "not a valid JSON job: number overflow parsing '1E400'");
  EXPECT_EQ(refusal(R"({"sheet": {"length": 2800, "width": -1e999}, "parts": []})"),
            "not a valid JSON job: number overflow parsing '-1e999'");
  // A key is shown with its control characters escaped.
  const std::string newlineKey = refusal(R"({"sheet": {"length": 2800, "width": 2070}, "parts": [], "a\nb": 1})");
  EXPECT_EQ(newlineKey, "a\\u000Ab: unknown field");
  // Every message is one line.
  for (const std::string& m : {refusal(""), truncated, refusal(withField("parts[0].rotate", "9")), newlineKey})
    EXPECT_EQ(m.find('\n'), std::string::npos) << m;
}

TEST(CutJobReader, KeysGivenTwiceAreRefusedByName) {
  // The JSON reader alone would keep the last value without a word.
  EXPECT_EQ(refusal(R"({"kerf": 4, "sheet": {"length": 2800, "width": 2070}, "kerf": 5, "parts": []})"),
            "kerf: duplicate key");
  EXPECT_EQ(refusal(R"({"sheet": {"length": 2800, "width": 2070, "width": 1830}, "parts": []})"),
            "sheet.width: duplicate key");
  EXPECT_EQ(refusal(R"({"sheet": {"length": 2800, "width": 2070}, "parts": [
        {"name": "A", "length": 600, "width": 400, "many": 1},
        {"name": "B", "length": 600, "width": 400, "many": 1, "many": 100}]})"),
            "parts[1].many: duplicate key");
  EXPECT_EQ(refusal(R"({"sheet": {"length": 2800, "width": 2070}, "offcuts": [[], {"name": "A", "name": "B"}],
        "parts": []})"),
            "offcuts[1].name: duplicate key");
  // The same key in different objects is fine.
  EXPECT_EQ(refusal(R"({"sheet": {"length": 2800, "width": 2070}, "parts": [
        {"name": "A", "length": 600, "width": 400, "many": 1},
        {"name": "B", "length": 600, "width": 400, "many": 1}]})"),
            "");
}

TEST(CutJobReader, AtMostAHundredThousandPartRows) {
  auto job = [](int rows) {
    std::string parts;
    for (int i = 0; i < rows; ++i) parts += std::string(i ? "," : "") + R"({"length":1,"width":1,"many":1})";
    return R"({"sheet": {"length": 2800, "width": 2070}, "parts": [)" + parts + "]}";
  };
  EXPECT_EQ(refusal(job(100001)), "parts: more than 100000 parts");
  EXPECT_EQ(refusal(job(3)), "");
}

TEST(CutJobReader, APartTheUsableSheetCannotHoldIsNamedWithTheUsableSize) {
  const cut::CutJob fits = parseJob(R"({"sheet": {"length": 2800, "width": 2070},
      "parts": [{"name": "Бок", "length": 2000, "width": 2780, "many": 1}]})");  // fits turned
  EXPECT_EQ(cut::oversizePart(fits), std::nullopt);
  const cut::CutJob large = parseJob(R"({"sheet": {"length": 2800, "width": 2070},
      "parts": [{"name": "Полка", "length": 600, "width": 300, "many": 1},
                {"name": "Крышка", "length": 9000, "width": 600, "many": 0},
                {"name": "Бок", "length": 3000, "width": 600, "many": 2},
                {"name": "Дно", "length": 2790, "width": 600, "many": 1, "rotate": 1}]})");
  EXPECT_EQ(cut::oversizePart(large),
            "parts[2] Бок 3000x600: larger than the usable sheet 2780x2050 (sheet less trims)");
  // Trims that leave no room are named through the usable size.
  const cut::CutJob trims = parseJob(R"({"sheet": {"length": 1000, "width": 500},
      "trims": {"left": 600, "right": 500, "top": 0, "bottom": 0},
      "parts": [{"name": "P", "length": 100, "width": 100, "many": 1}]})");
  EXPECT_EQ(cut::oversizePart(trims), "parts[0] P 100x100: larger than the usable sheet 0x500 (sheet less trims)");
  // A name with a line break or a terminal escape stays on one line and
  // reaches no terminal.
  const cut::CutJob escaped = parseJob(R"({"sheet": {"length": 1000, "width": 500},
      "parts": [{"name": "Бок\n\u001b[2J", "length": 999, "width": 100, "many": 1}]})");
  EXPECT_EQ(cut::oversizePart(escaped),
            "parts[0] Бок\\u000A\\u001B[2J 999x100: larger than the usable sheet 980x480 (sheet less trims)");
}

TEST(CutResultWriter, MapsStateAndUnplacedPartsInJobOrder) {
  cut::CutJob job = parseJob(R"({
        "kerf": 4, "sheet": {"length": 1000, "width": 500},
        "stockControl": true, "stockCount": 1,
        "parts": [{"name": "small", "length": 100, "width": 100, "many": 2},
                  {"name": "skipped", "length": 100, "width": 100, "many": 0},
                  {"name": "big", "length": 980, "width": 480, "many": 3, "rotate": 1, "edges": [1, 2, 3, 4]}]
    })");
  engine::EngineContext ctx;
  ASSERT_FALSE(engine::LoadMaterial(ctx, job));
  const engine::MaterialOutcome outcome = engine::RunMaterial(ctx, {});
  const auto result = nlohmann::ordered_json::parse(cut::serializeResult(ctx, outcome));

  EXPECT_EQ(result["state"], 1);  // the one sheet in stock went to the first map
  EXPECT_EQ(result["searchUsed"], "quick");
  EXPECT_FALSE(result.contains("stopped"));
  ASSERT_EQ(result["maps"].size(), 1u);
  const auto& map = result["maps"][0];
  EXPECT_EQ(map["pass"], 1);
  EXPECT_EQ(map["quantity"], 1);
  EXPECT_EQ(map["offcut"], false);
  ASSERT_EQ(map["parts"].size(), 1u);
  const auto& part = map["parts"][0];
  EXPECT_EQ(part["row"], 2);  // the row in the job, not the sorted order
  EXPECT_EQ(part["name"], "big");
  EXPECT_EQ(part["x"], 10);
  EXPECT_EQ(part["y"], 10);
  EXPECT_EQ(part["edges"], nlohmann::json::parse("[1, 2, 3, 4]"));
  EXPECT_EQ(map["cutCount"], map["cuts"].size());

  const auto& unplaced = result["unplaced"];
  ASSERT_EQ(unplaced.size(), 2u);
  EXPECT_EQ(unplaced[0]["row"], 0);
  EXPECT_EQ(unplaced[0]["remaining"], 2);
  EXPECT_EQ(unplaced[1]["row"], 2);
  EXPECT_EQ(unplaced[1]["remaining"], 2);
}
