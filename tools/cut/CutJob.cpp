#include "CutJob.h"

#include "engine/CutSequence.h"
#include "engine/FinishedMap.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <set>
#include <vector>

namespace kroyna::cut {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;
using namespace kroyna::engine;

[[noreturn]] void fail(const std::string& field, const std::string& what) { throw JobError(field + ": " + what); }

std::string join(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }

// Refuses keys the format does not know, so that a misspelt field is not
// silently replaced by its default.
void onlyKeys(const json& object, const std::string& path, std::initializer_list<const char*> known) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    const bool ok = std::any_of(known.begin(), known.end(), [&](const char* k) { return it.key() == k; });
    if (!ok) fail(join(path, printable(it.key())), "unknown field");
  }
}

const json& objectAt(const json& parent, const std::string& path, const char* key, bool required) {
  static const json none;
  auto it = parent.find(key);
  if (it == parent.end()) {
    if (required) fail(join(path, key), "missing");
    return none;
  }
  if (!it->is_object()) fail(join(path, key), "must be an object");
  return *it;
}

std::int32_t wholeNumber(const json& value, const std::string& field, std::int64_t lo, std::int64_t hi) {
  const std::string range = "must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
  std::int64_t n = 0;
  if (value.is_number_integer()) {
    if (value.is_number_unsigned()) {
      const auto u = value.get<std::uint64_t>();
      if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) fail(field, range);
      n = static_cast<std::int64_t>(u);
    } else {
      n = value.get<std::int64_t>();
    }
  } else if (value.is_number_float()) {
    // 600.0 is a whole number; 600.5 is not.
    const double d = value.get<double>();
    if (!(d >= static_cast<double>(lo) && d <= static_cast<double>(hi)) ||
        d != static_cast<double>(static_cast<std::int64_t>(d)))
      fail(field, range);
    n = static_cast<std::int64_t>(d);
  } else {
    fail(field, range);
  }
  if (n < lo || n > hi) fail(field, range);
  return static_cast<std::int32_t>(n);
}

std::int32_t number(const json& parent, const std::string& path, const char* key, std::int64_t lo, std::int64_t hi,
                    std::int32_t fallback, bool required = false) {
  auto it = parent.find(key);
  if (it == parent.end()) {
    if (required) fail(join(path, key), "missing");
    return fallback;
  }
  return wholeNumber(*it, join(path, key), lo, hi);
}

bool flag(const json& parent, const std::string& path, const char* key, bool fallback) {
  auto it = parent.find(key);
  if (it == parent.end()) return fallback;
  if (!it->is_boolean()) fail(join(path, key), "must be true or false");
  return it->get<bool>();
}

std::string text(const json& parent, const std::string& path, const char* key) {
  auto it = parent.find(key);
  if (it == parent.end()) return {};
  if (!it->is_string()) fail(join(path, key), "must be a string");
  return it->get<std::string>();
}

// One of the given words, returned as its index.
int word(const json& parent, const std::string& path, const char* key, std::initializer_list<const char*> words) {
  auto it = parent.find(key);
  if (it == parent.end()) return 0;
  std::string allowed;
  int index = 0;
  for (const char* w : words) {
    if (it->is_string() && it->get<std::string>() == w) return index;
    allowed += (index ? ", \"" : "\"") + std::string(w) + "\"";
    ++index;
  }
  fail(join(path, key), "must be one of " + allowed);
}

const json& arrayAt(const json& parent, const std::string& path, const char* key, bool required) {
  static const json empty = json::array();
  auto it = parent.find(key);
  if (it == parent.end()) {
    if (required) fail(join(path, key), "missing");
    return empty;
  }
  if (!it->is_array()) fail(join(path, key), "must be an array");
  return *it;
}

std::string compact(const ordered_json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

// Writes an object one member a line; arrays of objects get one object a
// line, so that a map reads part by part and cut by cut.
void writeObject(std::string& out, const ordered_json& object, const std::string& indent) {
  out += "{\n";
  std::size_t n = 0;
  for (auto it = object.begin(); it != object.end(); ++it, ++n) {
    out += indent + "  " + compact(it.key()) + ": ";
    const ordered_json& value = it.value();
    if (value.is_array() && !value.empty() && value.front().is_object()) {
      out += "[\n";
      for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i].is_object() && value[i].contains("parts")) {
          out += indent + "    ";
          writeObject(out, value[i], indent + "    ");
        } else {
          out += indent + "    " + compact(value[i]);
        }
        out += i + 1 < value.size() ? ",\n" : "\n";
      }
      out += indent + "  ]";
    } else {
      out += compact(value);
    }
    out += n + 1 < object.size() ? ",\n" : "\n";
  }
  out += indent + "}";
}

std::string itemPath(const char* key, std::size_t i) { return std::string(key) + "[" + std::to_string(i) + "]"; }

// Refuses a key given twice in one object (the JSON reader would keep the
// last value without a word), naming it by its path in the job.
// A reading of the job's JSON events (no document is built) that refuses
// a key given twice in one object, naming it by its path in the job; the
// JSON reader alone would keep the last value without a word. Syntax errors
// are left to the reader proper, which describes them.
class DuplicateKeyCheck : public nlohmann::json_sax<json> {
 public:
  bool null() override { return value(); }
  bool boolean(bool) override { return value(); }
  bool number_integer(number_integer_t) override { return value(); }
  bool number_unsigned(number_unsigned_t) override { return value(); }
  bool number_float(number_float_t v, const string_t& text) override {
    // A number too small for a double reads as 0 (1e-400 would be a kerf
    // of 0): refused like one too large.
    if (v == 0 && text.find_first_of("123456789") < text.find_first_of("eE")) {
      throw JobError(path() + ": number underflow parsing '" + text + "'");
    }
    return value();
  }
  bool string(string_t&) override { return value(); }
  bool binary(binary_t&) override { return value(); }
  bool start_object(std::size_t) override {
    open(false);
    return true;
  }
  bool key(string_t& key) override {
    Frame& f = frames_.back();
    f.key = key;
    if (!f.keys.insert(key).second) throw JobError(path() + ": duplicate key");
    return true;
  }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override {
    open(true);
    return true;
  }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

 private:
  struct Frame {
    bool array = false;
    std::size_t index = 0;
    std::string key;
    std::set<std::string> keys;
  };
  void open(bool array) {
    frames_.emplace_back();
    frames_.back().array = array;
  }
  bool close() {
    frames_.pop_back();
    return value();
  }
  // An element of the enclosing array is complete.
  bool value() {
    if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
    return true;
  }
  std::string path() const {
    std::string out;
    for (const Frame& f : frames_) {
      if (f.array)
        out += "[" + std::to_string(f.index) + "]";
      else
        out += (out.empty() ? "" : ".") + f.key;
    }
    return out;
  }
  std::vector<Frame> frames_;
};

}  // namespace

std::string printable(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      static const char hex[] = "0123456789ABCDEF";
      out += "\\u00";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string oneLine(const std::string& message) {
  std::string out;
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] != '\r' && message[i] != '\n') {
      out += message[i];
    } else if (!out.empty() && out.back() != ' ') {
      out += ' ';
    }
  }
  return out;
}

CutJob parseJob(std::string_view bytes) {
  json root;
  try {
    DuplicateKeyCheck check;
    json::sax_parse(bytes.begin(), bytes.end(), &check, nlohmann::detail::input_format_t::json, true, true);
    root = json::parse(bytes.begin(), bytes.end(), nullptr, true, true);
  } catch (const json::exception& e) {
    // e.what() reads "[json.exception.parse_error.101] parse error at line 3, column 7: ...", or
    // "[json.exception.out_of_range.406] number overflow parsing '1E400'" for a number no double holds.
    std::string what = e.what();
    const auto at = what.find("] ");
    throw JobError("not a valid JSON job: " + (at == std::string::npos ? what : what.substr(at + 2)));
  }
  if (!root.is_object()) throw JobError("not a valid JSON job: the top level must be an object");
  onlyKeys(root, "", {"material",  "kerf",      "trims",        "sheet",      "variants", "search",  "baseSearch",
                      "effort",    "threads",   "stages",       "firstStage", "rule",     "oneSize", "machine",
                      "cutLength", "criterion", "stockControl", "stockCount", "offcuts",  "parts"});

  CutJob job;
  CuttingParameters& p = job.Params;
  job.MaterialName = text(root, "", "material");
  p.Kerf = number(root, "", "kerf", 0, MaxKerf, 4);

  const json& trims = objectAt(root, "", "trims", false);
  if (trims.is_object()) {
    onlyKeys(trims, "trims", {"left", "right", "top", "bottom"});
    p.TrimLeft = number(trims, "trims", "left", 0, MaxSize, 10);
    p.TrimRight = number(trims, "trims", "right", 0, MaxSize, 10);
    p.TrimTop = number(trims, "trims", "top", 0, MaxSize, 10);
    p.TrimBottom = number(trims, "trims", "bottom", 0, MaxSize, 10);
  }

  const json& sheet = objectAt(root, "", "sheet", true);
  onlyKeys(sheet, "sheet", {"length", "width"});
  p.SheetLength = number(sheet, "sheet", "length", 1, MaxSize, 0, true);
  p.SheetWidth = number(sheet, "sheet", "width", 1, MaxSize, 0, true);

  p.Variants = number(root, "", "variants", 0, std::numeric_limits<std::int32_t>::max(), 0);
  const int search = word(root, "", "search", {"quick", "full", "improved"});
  // The improved search runs the base search beside itself and falls back
  // on it; the full search unless the job says otherwise.
  const bool baseFull = word(root, "", "baseSearch", {"full", "quick"}) == 0;
  p.Improved = search == 2;
  p.Search = (p.Improved ? baseFull : search == 1) ? SearchMode::Full : SearchMode::Quick;
  p.Effort = number(root, "", "effort", 1, 10, 5);
  p.Threads = number(root, "", "threads", 0, MaxThreads, 0);
  p.MaxStages = number(root, "", "stages", 0, 4, 0);
  if (p.MaxStages == 1) fail("stages", "must be 2, 3, 4 or 0 (no limit)");
  p.FirstStage = static_cast<FirstStageCuts>(word(root, "", "firstStage", {"any", "alongX", "alongY"}));
  p.Rule = word(root, "", "rule", {"part-first", "region-first"}) == 1 ? SelectionRule::RegionFirst
                                                                       : SelectionRule::PartFirst;
  p.OneSize = flag(root, "", "oneSize", false);
  const int machine = word(root, "", "machine", {"none", "cut-length", "multi-saw"});
  const std::int32_t cutLength = number(root, "", "cutLength", 0, MaxSize, 0);
  p.MultiSaw = machine == 2;
  p.MaxCutLength = machine == 1 ? cutLength : 0;
  p.Optimization = static_cast<Criterion>(number(root, "", "criterion", 0, 2, 0));
  p.StockControl = flag(root, "", "stockControl", false);
  job.StockCount = number(root, "", "stockCount", 0, MaxQuantity, 0);

  const json& offcuts = arrayAt(root, "", "offcuts", false);
  for (std::size_t i = 0; i < offcuts.size(); ++i) {
    const std::string path = itemPath("offcuts", i);
    if (!offcuts[i].is_object()) fail(path, "must be an object");
    onlyKeys(offcuts[i], path, {"name", "length", "width"});
    OffcutRow row;
    row.Name = text(offcuts[i], path, "name");
    row.Length = number(offcuts[i], path, "length", 1, MaxSize, 0, true);
    row.Width = number(offcuts[i], path, "width", 1, MaxSize, 0, true);
    row.Many = 1;
    job.Offcuts.push_back(std::move(row));
  }
  if (job.Offcuts.size() > static_cast<std::size_t>(MaxQuantity))
    fail("offcuts", "more than " + std::to_string(MaxQuantity) + " offcuts");
  p.UseOffcuts = !job.Offcuts.empty();

  const json& parts = arrayAt(root, "", "parts", true);
  if (parts.size() > static_cast<std::size_t>(MaxKinds))
    fail("parts", "more than " + std::to_string(MaxKinds) + " parts");
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string path = itemPath("parts", i);
    const json& item = parts[i];
    if (!item.is_object()) fail(path, "must be an object");
    onlyKeys(item, path, {"name", "length", "width", "many", "rotate", "edges"});
    PartRow row;
    row.Name = text(item, path, "name");
    row.Length = number(item, path, "length", 1, MaxSize, 0, true);
    row.Width = number(item, path, "width", 1, MaxSize, 0, true);
    row.Many = number(item, path, "many", std::numeric_limits<std::int32_t>::min(), MaxQuantity, 0, true);
    row.Rotate = static_cast<std::uint8_t>(number(item, path, "rotate", 0, 2, 0));
    auto edges = item.find("edges");
    if (edges != item.end()) {
      const std::string field = join(path, "edges");
      if (!edges->is_array() || edges->size() != 4)
        fail(field, "must be an array of four edge codes (left, right, top, bottom)");
      std::int32_t codes[4];
      for (std::size_t e = 0; e < 4; ++e)
        codes[e] = wholeNumber((*edges)[e], field + "[" + std::to_string(e) + "]", 0,
                               std::numeric_limits<std::int32_t>::max());
      row.LBorder = codes[0];
      row.RBorder = codes[1];
      row.TBorder = codes[2];
      row.BBorder = codes[3];
    }
    job.Parts.push_back(std::move(row));
  }
  return job;
}

std::string serializeJob(const CutJob& job) {
  const CuttingParameters& p = job.Params;
  ordered_json root;
  root["material"] = job.MaterialName;
  root["kerf"] = p.Kerf;
  root["trims"] = {{"left", p.TrimLeft}, {"right", p.TrimRight}, {"top", p.TrimTop}, {"bottom", p.TrimBottom}};
  root["sheet"] = {{"length", p.SheetLength}, {"width", p.SheetWidth}};
  root["variants"] = p.Variants;
  root["search"] = p.Improved ? "improved" : (p.Search == SearchMode::Full ? "full" : "quick");
  if (p.Improved) root["baseSearch"] = p.Search == SearchMode::Full ? "full" : "quick";
  root["effort"] = p.Effort;
  root["threads"] = p.Threads;
  root["stages"] = p.MaxStages;
  root["firstStage"] = p.FirstStage == FirstStageCuts::AlongX   ? "alongX"
                       : p.FirstStage == FirstStageCuts::AlongY ? "alongY"
                                                                : "any";
  root["rule"] = p.Rule == SelectionRule::RegionFirst ? "region-first" : "part-first";
  root["oneSize"] = p.OneSize;
  root["machine"] = p.MultiSaw ? "multi-saw" : (p.MaxCutLength > 0 ? "cut-length" : "none");
  root["cutLength"] = p.MaxCutLength;
  root["criterion"] = static_cast<int>(p.Optimization);
  root["stockControl"] = p.StockControl;
  root["stockCount"] = job.StockCount;
  ordered_json offcuts = ordered_json::array();
  if (p.UseOffcuts) {
    for (const OffcutRow& o : job.Offcuts) {
      for (std::int32_t i = 0; i < o.Many; ++i)
        offcuts.push_back({{"name", o.Name}, {"length", o.Length}, {"width", o.Width}});
    }
  }
  root["offcuts"] = std::move(offcuts);
  ordered_json parts = ordered_json::array();
  for (const PartRow& r : job.Parts) {
    parts.push_back({{"name", r.Name},
                     {"length", r.Length},
                     {"width", r.Width},
                     {"many", r.Many},
                     {"rotate", r.Rotate},
                     {"edges", {r.LBorder, r.RBorder, r.TBorder, r.BBorder}}});
  }
  root["parts"] = std::move(parts);
  return root.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::optional<std::string> oversizePart(const CutJob& job) {
  const CuttingParameters& p = job.Params;
  for (std::size_t i = 0; i < job.Parts.size(); ++i) {
    const PartRow& r = job.Parts[i];
    if (r.Many <= 0 || FitsStandardSheet(p, r.Length, r.Width, r.Rotate)) continue;
    const std::int64_t usableL = std::max<std::int64_t>(0, std::int64_t{p.SheetLength} - p.TrimLeft - p.TrimRight);
    const std::int64_t usableW = std::max<std::int64_t>(0, std::int64_t{p.SheetWidth} - p.TrimTop - p.TrimBottom);
    std::string line = itemPath("parts", i);
    if (!r.Name.empty()) line.append(" ").append(printable(r.Name));
    line.append(" ").append(std::to_string(r.Length)).append("x").append(std::to_string(r.Width));
    line.append(": larger than the usable sheet ").append(std::to_string(usableL)).append("x");
    line.append(std::to_string(usableW)).append(" (sheet less trims)");
    return line;
  }
  return std::nullopt;
}

namespace {

const char* searchName(SearchUsed search) {
  switch (search) {
    case SearchUsed::Full: return "full";
    case SearchUsed::Improved: return "improved";
    default: return "quick";
  }
}

// The saw passes of a map in order; null when no order of through-cuts
// cuts the map apart.
ordered_json sequenceOf(const FinishedMap& map, const CuttingParameters& p) {
  const CutSequence seq =
      MakeCutSequence(SequenceInputOf(map, p.Kerf, SheetTrims{p.TrimLeft, p.TrimRight, p.TrimTop, p.TrimBottom}));
  if (seq.status != SequenceStatus::Ok) return nullptr;
  ordered_json passes = ordered_json::array();
  for (const SawPass& s : seq.passes) {
    passes.push_back(
        {{"piece", {{"x", s.piece.x}, {"y", s.piece.y}, {"length", s.piece.length}, {"width", s.piece.width}}},
         {"alongX", s.alongX},
         {"at", s.at},
         {"cuts", s.cuts},
         {"fence", s.fence},
         {"turn", s.turn}});
  }
  return passes;
}

}  // namespace

std::string serializeResult(const EngineContext& ctx, const MaterialOutcome& outcome, const ResultNotes& notes) {
  ordered_json maps = ordered_json::array();
  for (int i = 0; i < ctx.Results.Count(); ++i) {
    const FinishedMap map = MakeFinishedMap(*ctx.Results.Items(i), ctx.Parts, ctx.Params.Kerf);
    ordered_json m;
    m["pass"] =
        static_cast<std::size_t>(i) < outcome.MapPasses.size() ? outcome.MapPasses[static_cast<std::size_t>(i)] : 0;
    m["variant"] = map.Variant;
    m["sheet"] = {{"length", map.SheetLength}, {"width", map.SheetWidth}};
    m["offcut"] = map.IsScrap;
    m["name"] = map.Name;
    m["quantity"] = map.Quantity;
    ordered_json parts = ordered_json::array();
    for (const MapPart& p : map.Parts) {
      parts.push_back({{"row", p.Row},
                       {"name", p.Name},
                       {"x", p.X},
                       {"y", p.Y},
                       {"length", p.Length},
                       {"width", p.Width},
                       {"rotated", p.Rotated},
                       {"edges", {p.Edges[0], p.Edges[1], p.Edges[2], p.Edges[3]}}});
    }
    m["parts"] = std::move(parts);
    ordered_json offcuts = ordered_json::array();
    for (const MapOffcut& o : map.Offcuts)
      offcuts.push_back({{"x", o.X}, {"y", o.Y}, {"length", o.Length}, {"width", o.Width}});
    m["offcuts"] = std::move(offcuts);
    ordered_json cuts = ordered_json::array();
    for (const MapCut& c : map.Cuts)
      cuts.push_back({{"x", c.X}, {"y", c.Y}, {"length", c.Length}, {"alongX", c.AlongX}});
    m["cuts"] = std::move(cuts);
    m["cutCount"] = map.MillCount;
    m["cutLength"] = map.MillLength;
    m["sequence"] = sequenceOf(map, ctx.Params);
    maps.push_back(std::move(m));
  }

  std::vector<const TDetal*> left;
  for (int i = 0; i < ctx.Parts.Count(); ++i) {
    if (ctx.Parts[i].Remaining > 0) left.push_back(&ctx.Parts[i]);
  }
  std::sort(left.begin(), left.end(), [](const TDetal* a, const TDetal* b) { return a->Row < b->Row; });
  ordered_json unplaced = ordered_json::array();
  for (const TDetal* d : left) unplaced.push_back({{"row", d->Row}, {"name", d->Name}, {"remaining", d->Remaining}});

  ordered_json root;
  root["maps"] = std::move(maps);
  root["state"] = static_cast<int>(outcome.LastState);
  root["searchUsed"] = searchName(outcome.Search);
  if (notes.stopped) root["stopped"] = true;
  root["unplaced"] = std::move(unplaced);
  std::string out;
  writeObject(out, root, "");
  return out + "\n";
}

}  // namespace kroyna::cut
