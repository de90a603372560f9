#include "warehouse/StockModule.h"

#include "common/settings/MaterialSettings.h"
#include "platform/dbase/FileOps.h"
#include "platform/dbase/Statements.h"
#include "platform/ini/IniFile.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <set>
#include <stdexcept>
#include <utility>

namespace kroyna::warehouse {

using dbase::col;
using dbase::Expr;
using dbase::Table;
namespace fs = std::filesystem;

namespace {

const char* templateName(StockKind kind) { return kind == StockKind::Sheets ? "Sheets.dbf" : "Scraps.dbf"; }

std::string trimmed(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::int32_t wholeOf(double v) {
  if (!std::isfinite(v)) return 0;
  const double r = std::round(v);
  if (r > 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (r < -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(r);
}

std::int32_t rowInt(const Table& t, const char* field) { return t.isNull(field) ? 0 : wholeOf(t.asDouble(field)); }

}  // namespace

std::optional<std::int32_t> parseWholeNumber(const std::string& text) {
  const std::string s = trimmed(text);
  if (s.empty() || s.size() > 10) return std::nullopt;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(v);
}

StockModule::StockModule(fs::path dataRoot, const MaterialDirectory& materials, QObject* parent)
    : QObject(parent), root_(std::move(dataRoot)), materials_(materials) {}

StockModule::~StockModule() = default;

fs::path StockModule::patternFolder() const { return root_ / "Pattern"; }

fs::path StockModule::storedTable(StockKind kind) const {
  return root_ / "Sheets" / (kind == StockKind::Sheets ? "Sheets.dbf" : "Scraps.dbf");
}

fs::path StockModule::workingCopy(StockKind kind) const {
  return root_ / "Temp" / (kind == StockKind::Sheets ? "TempSh.dbf" : "TempSc.dbf");
}

fs::path StockModule::scratchTable() const { return root_ / "Temp" / "$$$.dbf"; }

void StockModule::refreshMaterialNames() { names_ = materials_.materials(); }

std::string StockModule::materialName(int code) const {
  for (const MaterialEntry& e : names_)
    if (e.code == code) return e.name;
  return {};
}

void StockModule::setChanged(StockKind kind, bool on) {
  bool& flag = kind == StockKind::Sheets ? sheetsChanged_ : scrapsChanged_;
  if (flag == on) return;
  flag = on;
  emit changedFlagsChanged();
}

void StockModule::makeWorkingCopy(StockKind kind) {
  Table& v = view(kind);
  v.close();
  if (kind == StockKind::Sheets) sheets2_.close();
  const fs::path stored = storedTable(kind);
  if (!dbase::fileExists(stored)) dbase::createFromTemplate(patternFolder(), templateName(kind), stored);
  const fs::path work = workingCopy(kind);
  dbase::createFromTemplate(patternFolder(), templateName(kind), work);
  dbase::insertSelect(work, dbase::RowSource(stored));
}

void StockModule::addMatName(Table& table) {
  if (table.hasField("MatName")) return;
  table.addCalculatedField(dbase::FieldDef::character("MatName", 35), [this](const Table& t) {
    if (t.isNull("CODE")) return dbase::Value(std::string());
    // A code no int holds is no material's.
    const long long code = t.asInteger("CODE");
    if (code < std::numeric_limits<int>::min() || code > std::numeric_limits<int>::max())
      return dbase::Value(std::string());
    return dbase::Value(materialName(static_cast<int>(code)));
  });
}

void StockModule::openView(StockKind kind) {
  Table& v = view(kind);
  if (v.isOpen()) return;
  v = Table::open(workingCopy(kind));
  addMatName(v);
}

void StockModule::selectMaterial(int code, const DateFilter& filter) {
  refreshMaterialNames();
  postPending(StockKind::Sheets);
  selected_ = code;
  filter_ = filter;
  // Offcuts: material and date range.
  scraps_.close();
  openView(StockKind::Scraps);
  Expr cond;
  if (code != kAllMaterials) cond = col("Code") == code;
  if (filter.on) cond = cond && (col("Date") >= Expr(filter.from) && col("Date") <= Expr(filter.to));
  scraps_.setFilter(cond);
  scraps_.setFiltered(!cond.isEmpty());
  scraps_.first();
  // Standard sheets: the material only.
  sheets_.close();
  openView(StockKind::Sheets);
  if (code != kAllMaterials) {
    sheets_.setFilter(col("Code") == code);
    sheets_.setFiltered(true);
  } else {
    sheets_.setFiltered(false);
  }
  sheets_.first();
  emit viewsReset();
}

namespace {
std::size_t slot(StockKind kind) { return kind == StockKind::Sheets ? 0 : 1; }
}  // namespace

void StockModule::appendNewRow(StockKind kind, int code) {
  postPending(kind);
  openView(kind);
  Table& t = view(kind);
  t.append();
  try {
    t.setDouble("LENGTH", 0);
    t.setDouble("WIDTH", 0);
    t.setDouble("CODE", code);
    if (kind == StockKind::Scraps) {
      t.setDouble("MANY", 1);
      t.setDate("DATE", dbase::Date::today());
    } else {
      t.setDouble("MANY", 0);
    }
    dbase::Row values;
    for (int i = 0; i < t.storedFieldCount(); ++i) values.push_back(t.value(i));
    newRow_[slot(kind)] = std::move(values);
  } catch (...) {
    t.cancel();
    throw;
  }
}

bool StockModule::hasNewRow(StockKind kind) const {
  const Table& v = kind == StockKind::Sheets ? sheets_ : scraps_;
  return newRow_[slot(kind)].has_value() && v.isOpen() && v.state() == Table::State::Insert;
}

dbase::Bookmark StockModule::newRowBookmark(StockKind kind) const {
  const Table& v = kind == StockKind::Sheets ? sheets_ : scraps_;
  return hasNewRow(kind) ? v.bookmark() : dbase::Bookmark{};
}

void StockModule::dropNewRow(StockKind kind) {
  if (!hasNewRow(kind)) return;
  emit newRowAboutToBeDropped(kind);
  view(kind).cancel();
  newRow_[slot(kind)].reset();
  emit newRowDropped(kind);
}

void StockModule::postPending(StockKind kind) {
  Table& v = view(kind);
  if (hasNewRow(kind)) {
    const dbase::Row& given = *newRow_[slot(kind)];
    bool changed = false;
    for (int i = 0; i < v.storedFieldCount() && !changed; ++i)
      changed = !(v.value(i) == given[static_cast<std::size_t>(i)]);
    if (!changed) {
      dropNewRow(kind);
      return;
    }
    const bool sheet = kind == StockKind::Sheets;
    if (rowInt(v, "LENGTH") < 1)
      throw StockInputError(sheet ? "Длина листа должна быть больше 0." : "Длина остатка должна быть больше 0.");
    if (rowInt(v, "WIDTH") < 1)
      throw StockInputError(sheet ? "Ширина листа должна быть больше 0." : "Ширина остатка должна быть больше 0.");
    v.post();
    newRow_[slot(kind)].reset();
    setChanged(kind, true);
    return;
  }
  newRow_[slot(kind)].reset();
  if (v.isOpen() && v.state() != Table::State::Browse) v.post();
}

void StockModule::postPending() {
  postPending(StockKind::Sheets);
  postPending(StockKind::Scraps);
}

void StockModule::save(StockKind kind) {
  postPending(kind);
  Table& v = view(kind);
  if (v.isOpen()) v.flush();
  const fs::path work = workingCopy(kind);
  if (!dbase::fileExists(work)) throw std::runtime_error("нет рабочей копии " + work.string());
  // copyOver writes a new file beside the stored table and renames it over
  // the old one: the stored stock is either the old one or the new one.
  dbase::copyOver(work, storedTable(kind));
  setChanged(kind, false);
}

void StockModule::revert(StockKind kind) {
  Table& v = view(kind);
  const bool wasOpen = v.isOpen();
  if (wasOpen && v.state() != Table::State::Browse) v.cancel();
  v.close();
  if (kind == StockKind::Sheets) sheets2_.close();
  dbase::copyOver(storedTable(kind), workingCopy(kind));
  setChanged(kind, false);
  if (wasOpen) reselect();
}

void StockModule::addSheets(std::int32_t length, std::int32_t width, std::int32_t quantity, int code) {
  postPending(StockKind::Sheets);
  openView(StockKind::Sheets);
  Table& t = sheets_;
  const Expr oldFilter = t.filter();
  const bool wasFiltered = t.isFiltered();
  const dbase::Bookmark mark = t.bookmark();
  auto restore = [&] {
    t.setFilter(oldFilter);
    t.setFiltered(wasFiltered);
    if (mark.isValid()) t.gotoBookmark(mark);
  };
  try {
    t.setFilter(col("Length") == length && col("Width") == width && col("Code") == code);
    t.setFiltered(true);
    if (t.first()) {
      const long long sum = static_cast<long long>(rowInt(t, "MANY")) + quantity;
      if (sum > std::numeric_limits<std::int32_t>::max())
        throw std::range_error("количество листов превышает 2147483647");
      t.edit();
      t.setDouble("MANY", static_cast<double>(sum));
      t.post();
    } else {
      t.append();
      t.setDouble("MANY", quantity);
      t.setDouble("LENGTH", length);
      t.setDouble("WIDTH", width);
      t.setDouble("CODE", code);
      t.post();
    }
  } catch (...) {
    if (t.state() != Table::State::Browse) t.cancel();
    restore();
    throw;
  }
  restore();
  setChanged(StockKind::Sheets, true);
  emit viewsReset();
}

void StockModule::deleteCurrent(StockKind kind) {
  if (hasNewRow(kind)) {
    dropNewRow(kind);
    return;
  }
  Table& v = view(kind);
  if (!v.isOpen() || !v.hasCurrentRow()) return;
  v.remove();
  setChanged(kind, true);
  emit viewsReset();
}

std::size_t StockModule::clearOffcuts(int code) {
  postPending(StockKind::Scraps);
  Expr where;
  if (code != kAllMaterials) where = col("Code") == code;
  const std::size_t n = dbase::deleteWhere(workingCopy(StockKind::Scraps), where);
  if (scraps_.isOpen()) scraps_.refresh();
  if (n > 0) setChanged(StockKind::Scraps, true);
  emit viewsReset();
  return n;
}

void StockModule::mergeOffcuts() {
  const bool wasOpen = scraps_.isOpen();
  if (wasOpen) scraps_.flush();
  scraps_.close();
  const fs::path work = workingCopy(StockKind::Scraps);
  const fs::path scratch = scratchTable();
  try {
    dbase::createFromTemplate(patternFolder(), "Scraps.dbf", scratch);
    Table grouped = dbase::groupBySum(dbase::RowSource(work),
                                      {dbase::key("Name"), dbase::key("Length"), dbase::key("Width"),
                                       dbase::sum(col("Many"), "NewMany"), dbase::key("Code"), dbase::key("Date")});
    dbase::insertSelect(scratch, dbase::RowSource(grouped));
    dbase::copyOver(scratch, work);
  } catch (...) {
    try {
      dbase::removeFile(scratch);
    } catch (...) {
    }
    if (wasOpen) reselect();
    throw;
  }
  dbase::removeFile(scratch);
  if (wasOpen) reselect();
}

CleanUpResult StockModule::cleanUp(int code, const common::ScrapCriteria& c) {
  postPending(StockKind::Scraps);
  const Expr ofMaterial = col("Code") == code;
  const Expr shortL = col("Length") < c.p1;
  const Expr narrowW = col("Width") < c.p2;
  const Expr small = (col("Length") * col("Width")) < Expr(static_cast<double>(c.area)) &&
                     (col("Length") < c.effectiveP3() && col("Width") < c.effectiveP4());
  std::vector<Expr> statements;
  if (c.joint) {
    Expr all;
    if (c.lengthOn) all = all && shortL;
    if (c.widthOn) all = all && narrowW;
    if (c.areaOn) all = all && small;
    if (c.lengthOn || c.widthOn || c.areaOn) statements.push_back(all && ofMaterial);
  } else {
    if (c.lengthOn) statements.push_back(shortL && ofMaterial);
    if (c.widthOn) statements.push_back(narrowW && ofMaterial);
    if (c.areaOn) statements.push_back(small && ofMaterial);
  }
  CleanUpResult result;
  for (const Expr& where : statements) {
    try {
      result.deleted += dbase::deleteWhere(workingCopy(StockKind::Scraps), where);
    } catch (const std::exception& e) {
      result.failures.push_back(e.what());
    }
  }
  if (scraps_.isOpen()) scraps_.refresh();
  if (result.deleted > 0) setChanged(StockKind::Scraps, true);
  emit viewsReset();
  return result;
}

std::int32_t StockModule::markOffcuts(const std::string& prefix, const std::string& suffix, std::int32_t counter) {
  if (!scraps_.isOpen()) return counter;
  postPending(StockKind::Scraps);
  // Codes in use per material, over the whole working copy (not only the
  // rows the view shows).
  std::set<std::pair<long long, std::string>> used;
  {
    const dbase::RowSource all(scraps_.path());
    const int nameIdx = dbase::findField(all.fields(), "NAME");
    const int codeIdx = dbase::findField(all.fields(), "CODE");
    if (nameIdx < 0 || codeIdx < 0) throw std::runtime_error("нет полей NAME и CODE");
    for (const dbase::Row& r : all.rows()) {
      const dbase::Value& cv = r[static_cast<std::size_t>(codeIdx)];
      const long long code = cv.isNumber() ? std::llround(std::clamp(cv.number(), -9.2e18, 9.2e18)) : 0;
      used.insert({code, trimmed(r[static_cast<std::size_t>(nameIdx)].toString())});
    }
  }
  bool any = false;
  for (bool ok = scraps_.first(); ok; ok = scraps_.next()) {
    if (!trimmed(scraps_.asString("NAME")).empty()) continue;
    const long long code = scraps_.isNull("CODE") ? 0 : scraps_.asInteger("CODE");
    std::string name;
    do {
      if (counter == std::numeric_limits<std::int32_t>::max()) break;
      ++counter;
      name = prefix + std::to_string(counter) + suffix;
    } while (used.count({code, name}));
    if (name.empty()) break;
    scraps_.edit();
    scraps_.setString("NAME", name);
    scraps_.post();
    used.insert({code, name});
    any = true;
  }
  scraps_.first();
  if (any) setChanged(StockKind::Scraps, true);
  emit viewsReset();
  return counter;
}

std::string StockModule::nextMark(ini::IniFile& ini, int code) {
  postPending(StockKind::Scraps);
  const common::MaterialSettings material(code);
  common::MarkRecord mark = material.offcutCodes(ini);
  std::set<std::string> used;
  {
    Table names = dbase::select(dbase::RowSource(workingCopy(StockKind::Scraps)), {"NAME"}, col("Code") == code);
    for (bool ok = names.first(); ok; ok = names.next()) used.insert(trimmed(names.asString("NAME")));
  }
  const common::NextMark next = common::nextMark(mark, [&](const std::string& n) { return used.count(n) > 0; });
  if (mark.continuous) {
    mark.number = next.number;
    material.setOffcutCodes(ini, mark);
  }
  setChanged(StockKind::Scraps, true);
  return next.name;
}

void StockModule::bookInOffcut(const std::string& name, std::int32_t length, std::int32_t width, std::int32_t many,
                               int code, const dbase::Date& date) {
  postPending(StockKind::Scraps);
  dbase::insertValues(workingCopy(StockKind::Scraps), {dbase::Value(name), dbase::Value(length), dbase::Value(width),
                                                       dbase::Value(many), dbase::Value(code), dbase::Value(date)});
  if (scraps_.isOpen()) scraps_.refresh();
  setChanged(StockKind::Scraps, true);
  emit viewsReset();
}

void StockModule::openSheetView(int code) {
  sheets2_.close();
  sheets2_ = Table::open(workingCopy(StockKind::Sheets), dbase::OpenOptions{.cachedUpdates = true});
  sheets2_.setFilter(col("Code") == code && col("Many") > 0);
  sheets2_.setFiltered(true);
  sheets2_.first();
}

std::optional<std::pair<std::int32_t, std::int32_t>> StockModule::firstSheetSize(int code) {
  postPending(StockKind::Sheets);
  Table t = dbase::select(dbase::RowSource(workingCopy(StockKind::Sheets)), {}, col("Code") == code);
  if (!t.first()) return std::nullopt;
  return std::make_pair(rowInt(t, "LENGTH"), rowInt(t, "WIDTH"));
}

std::optional<std::int32_t> StockModule::sheetStock(int code, std::int32_t length, std::int32_t width) {
  postPending(StockKind::Sheets);
  Table t = dbase::select(dbase::RowSource(workingCopy(StockKind::Sheets)), {},
                          col("Code") == code && col("Length") == length && col("Width") == width);
  if (!t.first()) return std::nullopt;
  return rowInt(t, "MANY");
}

OffcutLabelRows StockModule::offcutLabelRows() {
  OffcutLabelRows out;
  if (!scraps_.isOpen()) return out;
  postPending(StockKind::Scraps);
  refreshMaterialNames();
  try {
    for (bool ok = scraps_.first(); ok; ok = scraps_.next()) {
      const std::string code = scraps_.asString("NAME");
      const std::string dims =
          std::to_string(rowInt(scraps_, "LENGTH")) + " x " + std::to_string(rowInt(scraps_, "WIDTH"));
      const std::string mat = materialName(rowInt(scraps_, "CODE"));
      const std::int32_t many = rowInt(scraps_, "MANY");
      for (std::int32_t i = 0; i < many; ++i) {
        out.codes.push_back(code);
        out.dimensions.push_back(dims);
        out.materials.push_back(mat);
        out.comments.emplace_back();
      }
    }
  } catch (...) {
    scraps_.first();
    throw;
  }
  scraps_.first();
  return out;
}

long long StockModule::offcutLabelCount() {
  if (!scraps_.isOpen()) return 0;
  postPending(StockKind::Scraps);
  long long count = 0;
  try {
    for (bool ok = scraps_.first(); ok; ok = scraps_.next())
      count += std::max<std::int32_t>(0, rowInt(scraps_, "MANY"));
  } catch (...) {
    scraps_.first();
    throw;
  }
  scraps_.first();
  return count;
}

Table StockModule::stockList(StockKind kind, int code) {
  postPending(kind);
  const fs::path work = workingCopy(kind);
  Table joined = dbase::join(dbase::RowSource(work), "a", dbase::RowSource(materials_.tablePath()), "m", "Code", "Code",
                             dbase::JoinKind::Inner);
  Expr where;
  if (code != kAllMaterials) where = col("a.Code") == code;
  std::vector<std::string> columns;
  std::vector<dbase::OrderKey> order{{"m.Material"}};
  if (kind == StockKind::Sheets) {
    columns = {"a.Length as LENGTH", "a.Width as WIDTH", "a.Many as MANY", "a.Code as CODE", "m.Material as MatName"};
  } else {
    columns = {"a.Name as NAME", "a.Length as LENGTH",  "a.Width as WIDTH",     "a.Many as MANY",
               "a.Code as CODE", "a.Date as EntryDate", "m.Material as MatName"};
    order.push_back({"a.Name"});
  }
  return dbase::select(dbase::RowSource(joined), columns, where, order);
}

std::vector<WarehouseInfoRow> StockModule::warehouseInfo() {
  postPending();
  std::vector<WarehouseInfoRow> rows;
  for (const MaterialEntry& m : materials_.materials()) rows.push_back({m.code, m.name, 0, 0});
  auto addUp = [&](StockKind kind) {
    Table t = Table::open(workingCopy(kind), dbase::OpenOptions{.readOnly = true});
    for (bool ok = t.first(); ok; ok = t.next()) {
      if (t.isNull("CODE")) continue;
      const long long code = t.asInteger("CODE");
      const double sq = t.asDouble("WIDTH") * t.asDouble("LENGTH") * t.asDouble("MANY") / 1000000.0;
      for (WarehouseInfoRow& r : rows)
        if (r.code == code) (kind == StockKind::Sheets ? r.sheetSquare : r.scrapSquare) += sq;
    }
  };
  addUp(StockKind::Sheets);
  addUp(StockKind::Scraps);
  return rows;
}

void StockModule::refreshViews() {
  if (sheets_.isOpen()) sheets_.refresh();
  if (scraps_.isOpen()) scraps_.refresh();
  emit viewsReset();
}

void StockModule::closeViews() {
  for (StockKind k : {StockKind::Sheets, StockKind::Scraps}) {
    try {
      postPending(k);
    } catch (...) {
      // A new row that cannot be stored goes with the view.
      dropNewRow(k);
    }
  }
  std::exception_ptr failure;
  for (Table* t : {&sheets_, &scraps_}) {
    if (!t->isOpen()) continue;
    try {
      t->flush();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    t->close();
  }
  sheets2_.close();
  if (failure) std::rethrow_exception(failure);
}

void StockModule::discardViews() {
  for (Table* t : {&sheets_, &scraps_}) t->close();
  sheets2_.close();
}

void StockModule::removeWorkingCopies() {
  // The working copies go at the end of the program; what the views hold
  // was either saved or given up by the user's answer.
  discardViews();
  for (StockKind k : {StockKind::Sheets, StockKind::Scraps}) {
    try {
      dbase::removeFile(workingCopy(k));
    } catch (...) {
    }
  }
}

}  // namespace kroyna::warehouse
