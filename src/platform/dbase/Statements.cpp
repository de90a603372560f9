#include "platform/dbase/Statements.h"

#include "platform/dbase/DbfFile.h"
#include "platform/dbase/TableError.h"
#include "platform/text/Cp1251.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <numeric>

namespace kroyna::dbase {
namespace fs = std::filesystem;

namespace {

const fs::path kMemoryName("<таблица в памяти>");

// Kind rank for ordering values of different kinds: null, truth, number,
// date, text.
int rank(const Value& v) {
  if (v.isNull()) return 0;
  if (v.isBool()) return 1;
  if (v.isNumber()) return 2;
  if (v.isDate()) return 3;
  return 4;
}

// A strict total order with exact text comparison, for grouping and join
// keys.
int compareExact(const Value& a, const Value& b) {
  const int ra = rank(a), rb = rank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  switch (ra) {
    case 1: return static_cast<int>(a.truth()) - static_cast<int>(b.truth());
    case 2: return a.number() < b.number() ? -1 : (a.number() > b.number() ? 1 : 0);
    case 3: return a.date() < b.date() ? -1 : (a.date() > b.date() ? 1 : 0);
    case 4: {
      const int c = a.text().compare(b.text());
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    default: return 0;
  }
}

struct RowLess {
  bool operator()(const Row& a, const Row& b) const {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
      const int c = compareExact(a[i], b[i]);
      if (c != 0) return c < 0;
    }
    return a.size() < b.size();
  }
};

std::function<Value(int)> cells(const Row& row) {
  return [&row](int i) { return row[static_cast<std::size_t>(i)]; };
}

std::string bareName(const std::string& name) {
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(dot + 1);
}

DbfTable readWritable(const fs::path& target) {
  DbfTable t = readDbfFile(target);
  if (!t.readOnlyReason.empty()) throw TableError(target, "Таблицу нельзя изменить: " + t.readOnlyReason);
  return t;
}

void writeBack(const fs::path& target, DbfTable& t) {
  t.lastUpdate = Date{};
  writeDbfFile(target, t);
}

// Converts a row by position to the target's fields.
Row coerceRow(const std::vector<FieldDef>& fields, const Row& values, const fs::path& target) {
  Row out(fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const Value v = i < values.size() ? values[i] : Value();
    out[i] = coerceForField(fields[i], v, target, true);
    if (out[i].isNull() && fields[i].type == FieldType::Character) out[i] = Value("");
  }
  return out;
}

int requireField(const std::vector<FieldDef>& fields, const std::string& name, const fs::path& file) {
  const int i = findField(fields, name);
  if (i < 0) throw TableError(file, "В таблице нет поля \"" + name + "\"");
  return i;
}

}  // namespace

// ---- Sources ---------------------------------------------------------------

RowSource::RowSource(const fs::path& file) : name_(fs::absolute(file)) {
  DbfTable t = readDbfFile(name_);
  fields_ = std::move(t.fields);
  rows_.reserve(t.records.size());
  for (auto& r : t.records)
    if (!r.deleted) rows_.push_back(std::move(r.values));
}

RowSource::RowSource(const Table& table) : name_(table.isInMemory() ? kMemoryName : table.path()) {
  if (!table.isOpen()) throw TableError(kMemoryName, "Исходная таблица не открыта");
  fields_ = table.fields();
  rows_.reserve(table.rowCount());
  for (std::size_t p = 0; p < table.rowCount(); ++p) rows_.push_back(table.rowAt(p));
}

// ---- Changing statements ---------------------------------------------------

std::size_t insertSelect(const fs::path& target, const RowSource& source) {
  DbfTable t = readWritable(target);
  if (source.fields().size() != t.fields.size())
    throw TableError(target, "Нельзя добавить строки из " + source.name().string() + ": столбцов в ней " +
                                 std::to_string(source.fields().size()) + ", а в таблице " +
                                 std::to_string(t.fields.size()));
  for (const Row& r : source.rows()) t.records.push_back(DbfRecord{false, coerceRow(t.fields, r, target)});
  if (!source.rows().empty()) writeBack(target, t);
  return source.rows().size();
}

void insertValues(const fs::path& target, const Row& values) {
  DbfTable t = readWritable(target);
  if (values.size() > t.fields.size())
    throw TableError(target, "Число значений (" + std::to_string(values.size()) + ") больше числа полей таблицы (" +
                                 std::to_string(t.fields.size()) + ")");
  t.records.push_back(DbfRecord{false, coerceRow(t.fields, values, target)});
  writeBack(target, t);
}

void insertValues(const fs::path& target, const std::vector<std::string>& columns, const Row& values) {
  DbfTable t = readWritable(target);
  if (columns.size() != values.size())
    throw TableError(target, "Число значений (" + std::to_string(values.size()) + ") не совпадает с числом столбцов (" +
                                 std::to_string(columns.size()) + ")");
  Row row(t.fields.size());
  for (std::size_t i = 0; i < columns.size(); ++i)
    row[static_cast<std::size_t>(requireField(t.fields, columns[i], target))] = values[i];
  t.records.push_back(DbfRecord{false, coerceRow(t.fields, row, target)});
  writeBack(target, t);
}

std::size_t deleteWhere(const fs::path& target, const Expr& where) {
  DbfTable t = readWritable(target);
  const BoundExpr cond(where, t.fields, target);
  std::size_t count = 0;
  for (auto& r : t.records) {
    if (r.deleted || !cond.holds(cells(r.values))) continue;
    r.deleted = true;
    ++count;
  }
  if (count) writeBack(target, t);
  return count;
}

std::size_t updateSet(const fs::path& target, const std::vector<std::pair<std::string, Expr>>& assignments,
                      const Expr& where) {
  DbfTable t = readWritable(target);
  const BoundExpr cond(where, t.fields, target);
  std::vector<std::pair<std::size_t, BoundExpr>> sets;
  for (const auto& [name, expr] : assignments) {
    if (expr.isEmpty()) throw TableError(target, "Не задано значение для поля " + name);
    sets.emplace_back(static_cast<std::size_t>(requireField(t.fields, name, target)),
                      BoundExpr(expr, t.fields, target));
  }
  std::size_t count = 0;
  for (auto& r : t.records) {
    if (r.deleted || !cond.holds(cells(r.values))) continue;
    Row updated = r.values;
    for (const auto& [field, expr] : sets) {
      updated[field] = coerceForField(t.fields[field], expr.evaluate(cells(r.values)), target, true);
      if (updated[field].isNull() && t.fields[field].type == FieldType::Character) updated[field] = Value("");
    }
    r.values = std::move(updated);
    ++count;
  }
  if (count) writeBack(target, t);
  return count;
}

// ---- Selecting statements --------------------------------------------------

SelectItem key(std::string field) {
  std::string name = bareName(field);
  return SelectItem{Expr::field(std::move(field)), std::move(name), false};
}

SelectItem sum(Expr expr, std::string name) { return SelectItem{std::move(expr), std::move(name), true}; }

Table groupBySum(const RowSource& source, const std::vector<SelectItem>& items, GroupOrder order) {
  if (items.empty()) throw TableError(source.name(), "В выборке с группировкой не указаны столбцы");
  std::vector<BoundExpr> bound;
  std::vector<FieldDef> outFields;
  std::vector<std::size_t> keyItems;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const SelectItem& it = items[i];
    bound.emplace_back(it.expr, source.fields(), source.name());
    const std::string fieldName = it.expr.fieldName();
    const int src = fieldName.empty() ? -1 : findField(source.fields(), fieldName);
    FieldDef def = src >= 0 ? source.fields()[static_cast<std::size_t>(src)] : FieldDef::numeric(it.name, 20, 6);
    if (it.isSum) {
      const int decimals = src >= 0 ? def.decimals : 6;
      def = FieldDef::numeric(it.name, 20, decimals);
    } else {
      keyItems.push_back(i);
    }
    def.name = it.name;
    outFields.push_back(std::move(def));
  }

  struct Group {
    Row keys;
    std::vector<double> sums;
    std::vector<bool> seen;
  };
  std::vector<Group> groups;
  std::map<Row, std::size_t, RowLess> index;
  for (const Row& row : source.rows()) {
    Row keys;
    keys.reserve(keyItems.size());
    for (std::size_t k : keyItems) keys.push_back(bound[k].evaluate(cells(row)));
    auto [it, fresh] = index.try_emplace(keys, groups.size());
    if (fresh)
      groups.push_back(Group{keys, std::vector<double>(items.size(), 0.0), std::vector<bool>(items.size(), false)});
    Group& g = groups[it->second];
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (!items[i].isSum) continue;
      const Value v = bound[i].evaluate(cells(row));
      if (v.isNull()) continue;
      if (!v.isNumber()) throw TableError(source.name(), "Нельзя сложить \"" + v.toString() + "\": это не число");
      g.sums[i] += v.number();
      g.seen[i] = true;
    }
  }
  if (order == GroupOrder::ByKeys)
    std::stable_sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
      for (std::size_t i = 0; i < a.keys.size(); ++i) {
        const int c = compareForOrder(a.keys[i], b.keys[i]);
        if (c != 0) return c < 0;
      }
      return false;
    });

  std::vector<Row> out;
  out.reserve(groups.size());
  for (const Group& g : groups) {
    Row r;
    std::size_t k = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i].isSum)
        r.push_back(g.seen[i] ? Value(g.sums[i]) : Value());
      else
        r.push_back(g.keys[k++]);
    }
    out.push_back(std::move(r));
  }
  Table result = Table::inMemory(std::move(outFields));
  result.appendRows(out);
  return result;
}

Table join(const RowSource& left, const std::string& leftAlias, const RowSource& right, const std::string& rightAlias,
           const std::string& leftKey, const std::string& rightKey, JoinKind kind) {
  const auto lk = static_cast<std::size_t>(requireField(left.fields(), leftKey, left.name()));
  const auto rk = static_cast<std::size_t>(requireField(right.fields(), rightKey, right.name()));
  std::vector<FieldDef> fields;
  for (FieldDef f : left.fields()) {
    f.name = leftAlias + "." + f.name;
    fields.push_back(std::move(f));
  }
  for (FieldDef f : right.fields()) {
    f.name = rightAlias + "." + f.name;
    fields.push_back(std::move(f));
  }
  if (leftAlias == rightAlias) throw TableError(left.name(), "У двух таблиц соединения должны быть разные псевдонимы");

  std::map<Row, std::vector<std::size_t>, RowLess> byKey;
  for (std::size_t i = 0; i < right.rows().size(); ++i) {
    const Value& k = right.rows()[i][rk];
    if (!k.isNull()) byKey[Row{k}].push_back(i);
  }
  std::vector<Row> out;
  for (const Row& l : left.rows()) {
    const Value& k = l[lk];
    const auto it = k.isNull() ? byKey.end() : byKey.find(Row{k});
    if (it == byKey.end()) {
      if (kind == JoinKind::Left) {
        Row r = l;
        r.resize(fields.size());
        out.push_back(std::move(r));
      }
      continue;
    }
    for (std::size_t ri : it->second) {
      Row r = l;
      r.insert(r.end(), right.rows()[ri].begin(), right.rows()[ri].end());
      out.push_back(std::move(r));
    }
  }
  Table result = Table::inMemory(std::move(fields));
  result.appendRows(out);
  return result;
}

std::optional<double> selectMax(const RowSource& source, const std::string& field) {
  const auto f = static_cast<std::size_t>(requireField(source.fields(), field, source.name()));
  std::optional<double> best;
  for (const Row& r : source.rows()) {
    const Value& v = r[f];
    if (v.isNull()) continue;
    if (!v.isNumber()) throw TableError(source.name(), "Поле " + field + " не числовое");
    if (!best || v.number() > *best) best = v.number();
  }
  return best;
}

int compareForOrder(const Value& a, const Value& b) {
  if (a.isText() && b.isText()) {
    const int c = text::toUpperUtf8(a.text()).compare(text::toUpperUtf8(b.text()));
    if (c != 0) return c < 0 ? -1 : 1;
  }
  return compareExact(a, b);
}

Table select(const RowSource& source, const std::vector<std::string>& columns, const Expr& where,
             const std::vector<OrderKey>& orderBy) {
  const BoundExpr cond(where, source.fields(), source.name());
  std::vector<std::size_t> picked;
  std::vector<FieldDef> fields;
  std::vector<std::string> renamed;  // output names given with "as"
  if (columns.empty()) {
    for (std::size_t i = 0; i < source.fields().size(); ++i) picked.push_back(i);
    renamed.resize(picked.size());
  } else {
    for (const auto& c : columns) {
      std::string field = c, as;
      std::string lower = c;
      for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      const auto at = lower.find(" as ");
      if (at != std::string::npos) {
        field = c.substr(0, at);
        as = c.substr(at + 4);
        while (!as.empty() && as.front() == ' ') as.erase(as.begin());
        while (!as.empty() && as.back() == ' ') as.pop_back();
        while (!field.empty() && field.back() == ' ') field.pop_back();
        if (as.empty()) throw TableError(source.name(), "У столбца \"" + c + "\" нет имени после \"as\"");
      }
      picked.push_back(static_cast<std::size_t>(requireField(source.fields(), field, source.name())));
      renamed.push_back(as);
    }
  }
  for (std::size_t i = 0; i < picked.size(); ++i) {
    FieldDef f = source.fields()[picked[i]];
    f.name = renamed[i].empty() ? bareName(f.name) : renamed[i];
    fields.push_back(std::move(f));
  }
  std::vector<std::pair<std::size_t, bool>> keys;
  for (const auto& k : orderBy)
    keys.emplace_back(static_cast<std::size_t>(requireField(source.fields(), k.field, source.name())), k.descending);

  std::vector<const Row*> rows;
  for (const Row& r : source.rows())
    if (cond.holds(cells(r))) rows.push_back(&r);
  if (!keys.empty())
    std::stable_sort(rows.begin(), rows.end(), [&](const Row* a, const Row* b) {
      for (const auto& [k, desc] : keys) {
        const int c = compareForOrder((*a)[k], (*b)[k]);
        if (c != 0) return desc ? c > 0 : c < 0;
      }
      return false;
    });
  std::vector<Row> out;
  out.reserve(rows.size());
  for (const Row* r : rows) {
    Row o;
    o.reserve(picked.size());
    for (std::size_t p : picked) o.push_back((*r)[p]);
    out.push_back(std::move(o));
  }
  // Selected columns may carry the same bare name ("a.Code", "m.Code"):
  // the later ones keep their alias.
  for (std::size_t i = 0; i < fields.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (renamed[i].empty() && text::equalsIgnoreCase(fields[i].name, fields[j].name)) {
        fields[i].name = source.fields()[picked[i]].name;
        break;
      }
  Table result = Table::inMemory(std::move(fields));
  result.appendRows(out);
  return result;
}

}  // namespace kroyna::dbase
