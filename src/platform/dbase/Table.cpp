#include "platform/dbase/Table.h"

#include "platform/dbase/DbfFile.h"
#include "platform/dbase/FileOps.h"

#include <cmath>
#include <limits>
#include <unordered_map>

namespace kroyna::dbase {
namespace fs = std::filesystem;

namespace {

const fs::path kMemoryName("<таблица в памяти>");
constexpr std::uint64_t kFirstNewId = std::uint64_t{1} << 40;

struct RowRec {
  std::uint64_t id = 0;
  std::int64_t recno = -1;  // 0-based record index in the file; -1 not stored yet
  Row values;               // stored fields only
  bool deleted = false;     // a cached delete of a stored record
  bool dirty = false;       // a cached edit of a stored record
};

}  // namespace

struct Table::Impl {
  bool open = false;
  bool memory = false;
  fs::path path;
  fs::path key;
  bool registered = false;
  std::string readOnlyReason;  // empty when writable
  bool cached = false;

  std::vector<FieldDef> fields;  // stored, then calculated
  int stored = 0;
  std::vector<Calculation> calcs;

  std::vector<RowRec> rows;       // table order, cached-deleted included
  std::vector<std::size_t> view;  // indices into rows of the visible rows
  int cur = -1;                   // position in view
  bool eof = true;
  bool bof = true;

  State state = State::Closed;
  Row buffer;                // values of the row being edited or inserted
  std::uint64_t editId = 0;  // id of that row
  std::uint64_t nextNewId = kFirstNewId;

  Expr filter;
  BoundExpr boundFilter;
  bool filtered = false;

  // While set, reading a field reads this row (used to evaluate filters and
  // calculated fields on rows other than the current one).
  mutable const Row* peek = nullptr;

  ~Impl() {
    if (registered) detail::unregisterOpen(key);
  }

  const fs::path& name() const { return memory ? kMemoryName : path; }

  [[noreturn]] void fail(const std::string& what) const { throw TableError(name(), what); }

  std::size_t rowIndexOf(std::uint64_t id) const {
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].id == id) return i;
    return rows.size();
  }

  int viewPosOf(std::uint64_t id) const {
    for (std::size_t p = 0; p < view.size(); ++p)
      if (rows[view[p]].id == id) return static_cast<int>(p);
    return -1;
  }

  std::uint64_t currentId() const {
    return cur >= 0 && cur < static_cast<int>(view.size()) ? rows[view[static_cast<std::size_t>(cur)]].id : 0;
  }

  void requireOpen() const {
    if (!open) throw TableError(kMemoryName, "Таблица не открыта");
  }

  void requireWritable() const {
    requireOpen();
    if (!readOnlyReason.empty()) fail("Таблицу нельзя изменить: " + readOnlyReason);
  }

  // `action` completes "Нельзя ...": what the caller was about to do.
  void requireBrowse(const char* action) const {
    requireOpen();
    if (state != State::Browse) fail(std::string("Нельзя ") + action + ", пока строка редактируется");
  }
};

namespace {

void rebuildView(const Table& t, Table::Impl& d, std::uint64_t keepId, std::uint64_t atId);

void loadRows(Table::Impl& d, const DbfTable& t, const std::unordered_map<std::int64_t, std::uint64_t>& oldIds) {
  d.rows.clear();
  d.rows.reserve(t.records.size());
  for (std::size_t i = 0; i < t.records.size(); ++i) {
    if (t.records[i].deleted) continue;
    RowRec r;
    r.recno = static_cast<std::int64_t>(i);
    auto it = oldIds.find(r.recno);
    r.id = it != oldIds.end() ? it->second : static_cast<std::uint64_t>(i) + 1;
    r.values = t.records[i].values;
    d.rows.push_back(std::move(r));
  }
}

}  // namespace

// ---- Construction ----------------------------------------------------------

Table::Table() : d_(std::make_unique<Impl>()) {}
Table::~Table() = default;
Table::Table(Table&& other) noexcept : d_(std::move(other.d_)) { other.d_ = std::make_unique<Impl>(); }
Table& Table::operator=(Table&& other) noexcept {
  if (this != &other) {
    d_ = std::move(other.d_);
    other.d_ = std::make_unique<Impl>();
  }
  return *this;
}

Table Table::open(const fs::path& folder, const std::string& fileName, OpenOptions options) {
  return open(folder / fileName, options);
}

Table Table::open(const fs::path& path, OpenOptions options) {
  Table t;
  Impl& d = *t.d_;
  d.path = fs::absolute(path);
  const DbfTable file = readDbfFile(d.path);
  d.fields = file.fields;
  d.stored = static_cast<int>(file.fields.size());
  d.readOnlyReason = file.readOnlyReason;
  if (d.readOnlyReason.empty() && options.readOnly) d.readOnlyReason = "она открыта только для чтения";
  d.cached = options.cachedUpdates;
  loadRows(d, file, {});
  d.key = detail::registryKey(d.path);
  detail::registerOpen(d.key);
  d.registered = true;
  d.open = true;
  d.state = State::Browse;
  rebuildView(t, d, 0, 0);
  t.first();
  return t;
}

Table Table::inMemory(std::vector<FieldDef> fields) {
  if (fields.empty()) throw TableError(kMemoryName, "В таблице должно быть хотя бы одно поле");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].name.empty()) throw TableError(kMemoryName, "У поля нет имени");
    if (fields[i].type == FieldType::Other)
      throw TableError(kMemoryName, "У поля " + fields[i].name + " недопустимый тип");
    for (std::size_t j = 0; j < i; ++j)
      if (findField({fields[j]}, fields[i].name) == 0 && fields[j].name.size() == fields[i].name.size())
        throw TableError(kMemoryName, "Имя поля \"" + fields[i].name + "\" встречается дважды");
  }
  Table t;
  Impl& d = *t.d_;
  d.memory = true;
  d.fields = std::move(fields);
  d.stored = static_cast<int>(d.fields.size());
  d.open = true;
  d.state = State::Browse;
  t.first();
  return t;
}

void Table::close() { d_ = std::make_unique<Impl>(); }  // the old state unregisters the file

bool Table::isOpen() const { return d_->open; }
bool Table::isInMemory() const { return d_->memory; }
const fs::path& Table::path() const { return d_->path; }
bool Table::isReadOnly() const { return !d_->readOnlyReason.empty(); }
Table::State Table::state() const { return d_->state; }

// ---- Fields ----------------------------------------------------------------

const std::vector<FieldDef>& Table::fields() const { return d_->fields; }
int Table::fieldCount() const { return static_cast<int>(d_->fields.size()); }
int Table::storedFieldCount() const { return d_->stored; }
int Table::fieldIndex(std::string_view name) const { return findField(d_->fields, name); }

const FieldDef& Table::field(int index) const {
  if (index < 0 || index >= fieldCount()) d_->fail("Поля с номером " + std::to_string(index) + " нет");
  return d_->fields[static_cast<std::size_t>(index)];
}

void Table::addCalculatedField(FieldDef def, Calculation calculation) {
  d_->requireBrowse("добавить вычисляемое поле");
  if (!calculation) d_->fail("Для вычисляемого поля " + def.name + " не задано вычисление");
  if (def.name.empty()) d_->fail("У вычисляемого поля нет имени");
  for (const auto& f : d_->fields)
    if (findField({f}, def.name) == 0 && f.name.size() == def.name.size())
      d_->fail("Имя поля \"" + def.name + "\" встречается дважды");
  d_->fields.push_back(std::move(def));
  d_->calcs.push_back(std::move(calculation));
}

// ---- View and cursor -------------------------------------------------------

namespace {

// Rebuilds the visible rows. The row `keepId` stays visible whatever the
// filter says (a row being inserted); the cursor goes to the row `atId`
// when visible, else to the visible row that follows it in table order.
void rebuildView(const Table& t, Table::Impl& d, std::uint64_t keepId, std::uint64_t atId) {
  d.view.clear();
  const std::size_t atIndex = d.rowIndexOf(atId);
  int follow = -1;
  for (std::size_t i = 0; i < d.rows.size(); ++i) {
    const RowRec& r = d.rows[i];
    if (r.deleted) continue;
    bool visible = true;
    if (d.filtered && !d.boundFilter.isEmpty() && r.id != keepId) {
      d.peek = &r.values;
      try {
        visible = d.boundFilter.holds([&](int f) { return t.value(f); });
      } catch (...) {
        d.peek = nullptr;
        throw;
      }
      d.peek = nullptr;
    }
    if (!visible) continue;
    if (follow < 0 && atIndex < d.rows.size() && i >= atIndex) follow = static_cast<int>(d.view.size());
    d.view.push_back(i);
  }
  if (d.view.empty()) {
    d.cur = -1;
  } else if (follow >= 0) {
    d.cur = follow;
  } else if (atIndex < d.rows.size()) {
    d.cur = static_cast<int>(d.view.size()) - 1;  // the row and all after it are hidden
  } else {
    d.cur = 0;
  }
  d.eof = d.view.empty();
  d.bof = d.view.empty() || d.cur == 0;
}

}  // namespace

bool Table::first() {
  d_->requireOpen();
  if (d_->state != State::Browse) post();
  d_->cur = d_->view.empty() ? -1 : 0;
  d_->bof = true;
  d_->eof = d_->view.empty();
  return d_->cur >= 0;
}

bool Table::last() {
  d_->requireOpen();
  if (d_->state != State::Browse) post();
  d_->cur = static_cast<int>(d_->view.size()) - 1;
  d_->eof = true;
  d_->bof = d_->view.empty();
  return d_->cur >= 0;
}

bool Table::next() {
  d_->requireOpen();
  if (d_->state != State::Browse) post();
  d_->bof = false;
  if (d_->cur + 1 < static_cast<int>(d_->view.size())) {
    ++d_->cur;
    d_->eof = false;
    return true;
  }
  d_->eof = true;
  return false;
}

bool Table::prior() {
  d_->requireOpen();
  if (d_->state != State::Browse) post();
  d_->eof = false;
  if (d_->cur > 0) {
    --d_->cur;
    d_->bof = false;
    return true;
  }
  d_->bof = true;
  return false;
}

bool Table::eof() const { return d_->eof; }
bool Table::bof() const { return d_->bof; }
bool Table::isEmpty() const { return d_->view.empty(); }
std::size_t Table::rowCount() const { return d_->view.size(); }
int Table::position() const { return d_->cur; }
bool Table::hasCurrentRow() const { return d_->cur >= 0 && d_->cur < static_cast<int>(d_->view.size()); }

// ---- Reading ---------------------------------------------------------------

Value Table::value(int field) const {
  const Impl& d = *d_;
  d.requireOpen();
  if (field < 0 || field >= fieldCount()) d.fail("Поля с номером " + std::to_string(field) + " нет");
  const Row* row = d.peek;
  if (!row) {
    if (d.state == State::Edit || d.state == State::Insert)
      row = &d.buffer;
    else if (hasCurrentRow())
      row = &d.rows[d.view[static_cast<std::size_t>(d.cur)]].values;
    else
      d.fail("В таблице нет текущей строки");
  }
  if (field < d.stored) return (*row)[static_cast<std::size_t>(field)];
  // A calculated field: computed with the cursor's view of `row`.
  const Row* saved = d.peek;
  d.peek = row;
  try {
    Value v = d.calcs[static_cast<std::size_t>(field - d.stored)](*this);
    d.peek = saved;
    return v;
  } catch (...) {
    d.peek = saved;
    throw;
  }
}

Value Table::value(std::string_view field) const {
  const int i = fieldIndex(field);
  if (i < 0) d_->fail("В таблице нет поля \"" + std::string(field) + "\"");
  return value(i);
}

bool Table::isNull(std::string_view field) const { return value(field).isNull(); }

std::string Table::asString(std::string_view field) const { return value(field).toString(); }

double Table::asDouble(std::string_view field) const {
  const Value v = value(field);
  if (v.isNull()) return 0;
  if (v.isNumber()) return v.number();
  if (v.isBool()) return v.truth() ? 1 : 0;
  const FieldDef numeric = FieldDef::numeric(std::string(field), 20, 0);
  if (v.isText()) {
    const Value n = coerceForField(numeric, v, d_->name(), false);
    return n.isNull() ? 0 : n.number();
  }
  d_->fail("В поле " + std::string(field) + " дата, а не число");
}

long long Table::asInteger(std::string_view field) const {
  const double v = std::round(asDouble(field));
  if (!(v >= -9.2e18 && v <= 9.2e18)) d_->fail("В поле " + std::string(field) + " слишком большое число");
  return static_cast<long long>(v);
}

int Table::asInt(std::string_view field) const {
  const double v = std::round(asDouble(field));
  if (!(v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max()))
    d_->fail("В поле " + std::string(field) + " число " + Value(asDouble(field)).toString() +
             " вне допустимого диапазона целых чисел (от " + std::to_string(std::numeric_limits<int>::min()) + " до " +
             std::to_string(std::numeric_limits<int>::max()) + ")");
  return static_cast<int>(v);
}

std::optional<Date> Table::asDate(std::string_view field) const {
  const Value v = value(field);
  if (v.isNull()) return std::nullopt;
  if (v.isDate()) return v.date();
  if (v.isText()) {
    if (v.text().empty()) return std::nullopt;
    if (auto d = Date::parse(v.text())) return d;
  }
  d_->fail("В поле " + std::string(field) + " не дата");
}

bool Table::asBool(std::string_view field) const {
  const Value v = value(field);
  if (v.isNull()) return false;
  if (v.isBool()) return v.truth();
  const Value b = coerceForField(FieldDef::logical(std::string(field)), v, d_->name(), false);
  return !b.isNull() && b.truth();
}

Row Table::currentRow() const {
  Row r;
  r.reserve(d_->fields.size());
  for (int i = 0; i < fieldCount(); ++i) r.push_back(value(i));
  return r;
}

Row Table::rowAt(std::size_t position) const {
  const Impl& d = *d_;
  d.requireOpen();
  if (position >= d.view.size()) d.fail("Строки " + std::to_string(position + 1) + " нет");
  const RowRec& r = d.rows[d.view[position]];
  const bool editing = (d.state == State::Edit || d.state == State::Insert) && r.id == d.editId;
  const Row* saved = d.peek;
  d.peek = editing ? &d.buffer : &r.values;
  Row out;
  try {
    for (int i = 0; i < fieldCount(); ++i) out.push_back(value(i));
  } catch (...) {
    d.peek = saved;
    throw;
  }
  d.peek = saved;
  return out;
}

// ---- Editing ---------------------------------------------------------------

namespace {

void startNewRow(Table& t, Table::Impl& d, bool atEnd) {
  std::size_t at = d.rows.size();
  if (!atEnd && t.hasCurrentRow()) at = d.view[static_cast<std::size_t>(d.cur)];
  RowRec r;
  r.id = d.nextNewId++;
  r.values.assign(static_cast<std::size_t>(d.stored), Value());
  // Character fields are never null.
  for (int i = 0; i < d.stored; ++i)
    if (d.fields[static_cast<std::size_t>(i)].type == FieldType::Character)
      r.values[static_cast<std::size_t>(i)] = Value("");
  d.buffer = r.values;
  d.editId = r.id;
  d.rows.insert(d.rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(r));
  rebuildView(t, d, d.editId, d.editId);
  d.state = Table::State::Insert;
  d.eof = false;
  d.bof = false;
}

}  // namespace

void Table::append() {
  d_->requireWritable();
  if (d_->state != State::Browse) post();
  startNewRow(*this, *d_, true);
}

void Table::insert() {
  d_->requireWritable();
  if (d_->state != State::Browse) post();
  startNewRow(*this, *d_, false);
}

void Table::edit() {
  d_->requireWritable();
  if (d_->state == State::Edit || d_->state == State::Insert) return;
  if (!hasCurrentRow()) d_->fail("Нет строки для изменения");
  const RowRec& r = d_->rows[d_->view[static_cast<std::size_t>(d_->cur)]];
  d_->buffer = r.values;
  d_->editId = r.id;
  d_->state = State::Edit;
}

void Table::post() {
  Impl& d = *d_;
  d.requireOpen();
  if (d.state != State::Edit && d.state != State::Insert) return;
  const std::size_t idx = d.rowIndexOf(d.editId);
  if (idx >= d.rows.size()) d.fail("Изменяемой строки больше нет");
  RowRec& r = d.rows[idx];
  DbfRecord rec{false, d.buffer};
  if (!d.memory) {
    // Check every value against its field before anything is stored.
    for (int i = 0; i < d.stored; ++i)
      encodeCell(d.fields[static_cast<std::size_t>(i)], d.buffer[static_cast<std::size_t>(i)], d.path);
    if (!d.cached) {
      if (r.recno < 0)
        r.recno =
            appendRecordInPlace(d.path, std::vector<FieldDef>(d.fields.begin(), d.fields.begin() + d.stored), rec);
      else
        writeRecordInPlace(d.path, std::vector<FieldDef>(d.fields.begin(), d.fields.begin() + d.stored),
                           static_cast<std::uint32_t>(r.recno), rec);
    } else if (r.recno >= 0) {
      r.dirty = true;
    }
  }
  r.values = d.buffer;
  d.state = State::Browse;
  d.buffer.clear();
  const std::uint64_t id = d.editId;
  d.editId = 0;
  rebuildView(*this, d, 0, id);
}

void Table::cancel() {
  Impl& d = *d_;
  d.requireOpen();
  if (d.state == State::Edit) {
    d.state = State::Browse;
    d.buffer.clear();
    d.editId = 0;
    return;
  }
  if (d.state != State::Insert) return;
  const std::size_t idx = d.rowIndexOf(d.editId);
  std::uint64_t nextId = 0;
  if (idx < d.rows.size()) {
    if (idx + 1 < d.rows.size()) nextId = d.rows[idx + 1].id;
    d.rows.erase(d.rows.begin() + static_cast<std::ptrdiff_t>(idx));
  }
  d.state = State::Browse;
  d.buffer.clear();
  d.editId = 0;
  rebuildView(*this, d, 0, nextId);
}

void Table::remove() {
  Impl& d = *d_;
  d.requireWritable();
  if (d.state == State::Insert) {
    cancel();
    return;
  }
  if (d.state == State::Edit) cancel();
  if (!hasCurrentRow()) d.fail("Нет строки для удаления");
  const std::size_t idx = d.view[static_cast<std::size_t>(d.cur)];
  RowRec& r = d.rows[idx];
  const std::uint64_t nextId = idx + 1 < d.rows.size() ? d.rows[idx + 1].id : 0;
  if (!d.memory && r.recno >= 0) {
    if (d.cached) {
      r.deleted = true;
    } else {
      writeRecordInPlace(d.path, std::vector<FieldDef>(d.fields.begin(), d.fields.begin() + d.stored),
                         static_cast<std::uint32_t>(r.recno), DbfRecord{true, r.values});
      d.rows.erase(d.rows.begin() + static_cast<std::ptrdiff_t>(idx));
    }
  } else {
    d.rows.erase(d.rows.begin() + static_cast<std::ptrdiff_t>(idx));
  }
  const int oldCur = d.cur;
  rebuildView(*this, d, 0, nextId);
  if (nextId == 0 && !d.view.empty()) d.cur = std::min(oldCur, static_cast<int>(d.view.size()) - 1);
}

void Table::setValue(int field, const Value& value) {
  Impl& d = *d_;
  d.requireWritable();
  if (d.state != State::Edit && d.state != State::Insert) d.fail("Таблица не в режиме изменения или добавления строки");
  if (field < 0 || field >= fieldCount()) d.fail("Поля с номером " + std::to_string(field) + " нет");
  if (field >= d.stored)
    d.fail("Поле " + d.fields[static_cast<std::size_t>(field)].name + " вычисляемое, его нельзя изменить");
  const FieldDef& f = d.fields[static_cast<std::size_t>(field)];
  d.buffer[static_cast<std::size_t>(field)] = coerceForField(f, value, d.name(), !d.memory);
}

void Table::setValue(std::string_view field, const Value& value) {
  const int i = fieldIndex(field);
  if (i < 0) d_->fail("В таблице нет поля \"" + std::string(field) + "\"");
  setValue(i, value);
}

void Table::setString(std::string_view field, std::string_view text) { setValue(field, Value(text)); }
void Table::setDouble(std::string_view field, double number) { setValue(field, Value(number)); }
void Table::setDate(std::string_view field, const Date& date) { setValue(field, Value(date)); }
void Table::setBool(std::string_view field, bool truth) { setValue(field, Value(truth)); }
void Table::setNull(std::string_view field) { setValue(field, Value()); }

void Table::setRow(const Row& values) {
  if (static_cast<int>(values.size()) > d_->stored)
    d_->fail("Число значений в строке (" + std::to_string(values.size()) + ") не совпадает с числом полей (" +
             std::to_string(d_->stored) + ")");
  for (std::size_t i = 0; i < values.size(); ++i) setValue(static_cast<int>(i), values[i]);
}

void Table::appendRows(const std::vector<Row>& rows) {
  Impl& d = *d_;
  d.requireWritable();
  if (d.state != State::Browse) post();
  if (!d.memory) {
    for (const Row& r : rows) {
      append();
      try {
        setRow(r);
        post();
      } catch (...) {
        cancel();
        throw;
      }
    }
    first();
    return;
  }
  std::vector<RowRec> added;
  added.reserve(rows.size());
  for (const Row& values : rows) {
    if (static_cast<int>(values.size()) > d.stored)
      d.fail("Число значений в строке (" + std::to_string(values.size()) + ") не совпадает с числом полей (" +
             std::to_string(d.stored) + ")");
    RowRec r;
    r.id = d.nextNewId++;
    r.values.assign(static_cast<std::size_t>(d.stored), Value());
    for (int i = 0; i < d.stored; ++i) {
      const auto k = static_cast<std::size_t>(i);
      const FieldDef& f = d.fields[k];
      r.values[k] =
          coerceForField(f, k < values.size() ? values[k] : Value(f.type == FieldType::Character ? Value("") : Value()),
                         d.name(), false);
    }
    added.push_back(std::move(r));
  }
  for (auto& r : added) d.rows.push_back(std::move(r));
  rebuildView(*this, d, 0, 0);
  first();
}

// ---- Filters and search ----------------------------------------------------

void Table::setFilter(const Expr& filter) {
  Impl& d = *d_;
  d.requireOpen();
  if (d.state != State::Browse) post();
  BoundExpr bound(filter, d.fields, d.name());  // unknown fields fail here, before anything changes
  d.filter = filter;
  d.boundFilter = std::move(bound);
  if (d.filtered) {
    rebuildView(*this, d, 0, 0);
    first();
  }
}

void Table::setFilter(std::string_view text) {
  Expr e;
  try {
    e = Expr::parse(text);
  } catch (const TableError& ex) {
    d_->fail(ex.what());  // the same message, naming this table's file
  }
  setFilter(e);
}

const Expr& Table::filter() const { return d_->filter; }

void Table::setFiltered(bool on) {
  Impl& d = *d_;
  d.requireOpen();
  if (d.state != State::Browse) post();
  d.filtered = on;
  rebuildView(*this, d, 0, 0);
  first();
}

bool Table::isFiltered() const { return d_->filtered; }

namespace {

bool findFrom(Table& t, Table::Impl& d, const Expr& condition, int from) {
  if (d.state != Table::State::Browse) t.post();
  const BoundExpr bound(condition, d.fields, d.name());
  for (int p = std::max(from, 0); p < static_cast<int>(d.view.size()); ++p) {
    d.peek = &d.rows[d.view[static_cast<std::size_t>(p)]].values;
    bool match = false;
    try {
      match = bound.holds([&](int f) { return t.value(f); });
    } catch (...) {
      d.peek = nullptr;
      throw;
    }
    d.peek = nullptr;
    if (match) {
      d.cur = p;
      d.eof = false;
      d.bof = p == 0;
      return true;
    }
  }
  return false;
}

Expr parseCondition(const Table::Impl& d, std::string_view text) {
  try {
    return Expr::parse(text);
  } catch (const TableError& ex) {
    d.fail(ex.what());
  }
}

}  // namespace

std::vector<Row> Table::rowsWhere(const Expr& condition) const {
  const Impl& d = *d_;
  d.requireOpen();
  const BoundExpr bound(condition, d.fields, d.name());
  std::vector<Row> out;
  const Row* saved = d.peek;
  try {
    for (const RowRec& r : d.rows) {
      if (r.deleted) continue;
      const bool editing = (d.state == State::Edit || d.state == State::Insert) && r.id == d.editId;
      d.peek = editing ? &d.buffer : &r.values;
      if (!bound.holds([&](int f) { return value(f); })) continue;
      Row row;
      row.reserve(d.fields.size());
      for (int i = 0; i < fieldCount(); ++i) row.push_back(value(i));
      out.push_back(std::move(row));
    }
  } catch (...) {
    d.peek = saved;
    throw;
  }
  d.peek = saved;
  return out;
}

bool Table::findFirst(const Expr& condition) {
  d_->requireOpen();
  return findFrom(*this, *d_, condition, 0);
}

bool Table::findNext(const Expr& condition) {
  d_->requireOpen();
  return findFrom(*this, *d_, condition, d_->cur + 1);
}

bool Table::findFirst(std::string_view condition) { return findFirst(parseCondition(*d_, condition)); }
bool Table::findNext(std::string_view condition) { return findNext(parseCondition(*d_, condition)); }

// ---- Cached updates, bookmarks, flush, refresh -----------------------------

bool Table::cachedUpdates() const { return d_->cached; }

void Table::setCachedUpdates(bool on) {
  d_->requireOpen();
  if (d_->memory && on) d_->fail("У таблицы в памяти нет отложенных изменений");
  if (hasPendingUpdates() || d_->state != State::Browse)
    d_->fail("Нельзя переключить отложенные изменения, пока есть несохранённые изменения");
  d_->cached = on;
}

bool Table::hasPendingUpdates() const {
  if (!d_->cached) return false;
  for (const auto& r : d_->rows)
    if (r.deleted || r.dirty || r.recno < 0) return true;
  return false;
}

void Table::applyUpdates() {
  Impl& d = *d_;
  d.requireOpen();
  if (d.state != State::Browse) post();
  if (!d.cached || !hasPendingUpdates()) return;
  d.requireWritable();
  DbfTable file = readDbfFile(d.path);
  const std::vector<FieldDef> stored(d.fields.begin(), d.fields.begin() + d.stored);
  bool same = file.fields.size() == stored.size();
  for (std::size_t i = 0; same && i < stored.size(); ++i)
    same = file.fields[i].type == stored[i].type && file.fields[i].width == stored[i].width &&
           file.fields[i].decimals == stored[i].decimals;
  if (!same || !file.readOnlyReason.empty())
    d.fail("Файл таблицы заменён файлом другой структуры; изменения сохранить нельзя");
  std::vector<std::int64_t> newRecnos(d.rows.size(), -1);
  for (std::size_t i = 0; i < d.rows.size(); ++i) {
    const RowRec& r = d.rows[i];
    if (r.recno >= 0) {
      if (static_cast<std::size_t>(r.recno) >= file.records.size())
        d.fail("Из файла таблицы пропали записи, пока изменения ждали сохранения");
      if (r.deleted)
        file.records[static_cast<std::size_t>(r.recno)].deleted = true;
      else if (r.dirty)
        file.records[static_cast<std::size_t>(r.recno)].values = r.values;
    } else {
      newRecnos[i] = static_cast<std::int64_t>(file.records.size());
      file.records.push_back(DbfRecord{false, r.values});
    }
  }
  file.lastUpdate = Date{};
  writeDbfFile(d.path, file);  // a new file renamed over the old one; throws before any change
  std::vector<RowRec> kept;
  kept.reserve(d.rows.size());
  for (std::size_t i = 0; i < d.rows.size(); ++i) {
    RowRec& r = d.rows[i];
    if (r.deleted) continue;
    if (newRecnos[i] >= 0) r.recno = newRecnos[i];
    r.dirty = false;
    kept.push_back(std::move(r));
  }
  const std::uint64_t at = d.currentId();
  d.rows = std::move(kept);
  rebuildView(*this, d, 0, at);
}

void Table::cancelUpdates() {
  Impl& d = *d_;
  d.requireOpen();
  if (d.state != State::Browse) cancel();
  if (!d.cached) return;
  // The stored rows come back from the file; rows never stored are dropped.
  const std::uint64_t at = d.currentId();
  std::vector<RowRec> kept;
  for (auto& r : d.rows) {
    if (r.recno < 0) continue;
    r.deleted = false;
    r.dirty = false;
    kept.push_back(std::move(r));
  }
  d.rows = std::move(kept);
  // The view pointed into the rows as they were; the refresh builds it anew
  // and the cursor goes back to its row when that was a stored one.
  d.view.clear();
  d.cur = -1;
  refresh();
  if (at != 0) gotoBookmark(Bookmark{at});
}

Bookmark Table::bookmark() const {
  d_->requireOpen();
  if (d_->state == State::Insert) return Bookmark{d_->editId};
  return Bookmark{hasCurrentRow() ? d_->rows[d_->view[static_cast<std::size_t>(d_->cur)]].id : 0};
}

Bookmark Table::bookmarkAt(std::size_t position) const {
  d_->requireOpen();
  if (position >= d_->view.size()) d_->fail("Строки " + std::to_string(position + 1) + " нет");
  return Bookmark{d_->rows[d_->view[position]].id};
}

bool Table::gotoBookmark(const Bookmark& bookmark) {
  d_->requireOpen();
  if (d_->state != State::Browse) post();
  const int p = d_->viewPosOf(bookmark.id);
  if (p < 0) return false;
  d_->cur = p;
  d_->eof = false;
  d_->bof = p == 0;
  return true;
}

void Table::flush() {
  d_->requireOpen();
  if (d_->state != State::Browse) post();
  if (d_->cached) applyUpdates();
}

void Table::refresh() {
  Impl& d = *d_;
  d.requireOpen();
  if (d.memory) return;
  if (d.state != State::Browse) post();
  if (hasPendingUpdates()) d.fail("Нельзя перечитать таблицу, пока есть несохранённые изменения");
  const std::uint64_t at = d.currentId();
  const DbfTable file = readDbfFile(d.path);
  if (file.fields.size() != static_cast<std::size_t>(d.stored))
    d.fail("Файл таблицы заменён файлом другой структуры; откройте таблицу заново");
  for (std::size_t i = 0; i < file.fields.size(); ++i)
    if (file.fields[i].type != d.fields[i].type || file.fields[i].width != d.fields[i].width ||
        file.fields[i].decimals != d.fields[i].decimals)
      d.fail("Файл таблицы заменён файлом другой структуры; откройте таблицу заново");
  std::unordered_map<std::int64_t, std::uint64_t> oldIds;
  for (const auto& r : d.rows)
    if (r.recno >= 0) oldIds[r.recno] = r.id;
  loadRows(d, file, oldIds);
  rebuildView(*this, d, 0, at);
  if (d.cur >= 0 && d.rows[d.view[static_cast<std::size_t>(d.cur)]].id != at) first();
}

}  // namespace kroyna::dbase
