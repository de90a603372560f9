#include "warehouse/MinimumStock.h"

#include "common/Messages.h"
#include "common/settings/MaterialSettings.h"
#include "platform/dbase/FileOps.h"
#include "platform/ini/IniFile.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace kroyna::warehouse {

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
// Characters of the scratch table's NAME field.
constexpr std::size_t kNameWidth = 35;

// The first `n` characters of UTF-8 text.
std::string firstCharacters(const std::string& utf8, std::size_t n) {
  std::size_t i = 0;
  for (std::size_t count = 0; i < utf8.size() && count < n; ++count) {
    ++i;
    while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
  }
  return utf8.substr(0, i);
}

}  // namespace

std::optional<std::int32_t> parseMinimum(const QString& text) {
  const QString s = text.trimmed();
  if (s.isEmpty() || s.size() > 10) return std::nullopt;
  long long v = 0;
  for (QChar c : s) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    v = v * 10 + (c.unicode() - '0');
  }
  if (v > kMax) return std::nullopt;
  return static_cast<std::int32_t>(v);
}

QString minimumInputError() { return QStringLiteral("Количество листов должно быть целым числом от 0 до 2147483647."); }

// ---- MinimumStockTable ----

std::filesystem::path minimumScratchTable(const std::filesystem::path& dataRoot) {
  return dataRoot / "Sheets" / "Quantity.dbf";
}

MinimumStockTable::MinimumStockTable(const std::filesystem::path& patternFolder, std::filesystem::path scratch)
    : scratch_(std::move(scratch)) {
  try {
    dbase::createFromTemplate(patternFolder, "Quantity.dbf", scratch_);
  } catch (const std::exception&) {
    // An earlier scratch table, if any, still gives the rows their layout.
  }
  table_ = dbase::Table::open(scratch_, dbase::OpenOptions{.cachedUpdates = true});
  for (const char* field : {"MATERIAL", "NAME", "QUANTITY"})
    if (!table_.hasField(field)) throw dbase::TableError(scratch_, std::string("в таблице нет поля ") + field);
}

MinimumStockTable::~MinimumStockTable() {
  try {
    table_.cancelUpdates();
  } catch (...) {
  }
  table_.close();
  try {
    dbase::removeFile(scratch_);
  } catch (...) {
    // A scratch table left behind is made anew the next time.
  }
}

void MinimumStockTable::load(const std::vector<MaterialEntry>& materials, const ini::IniFile& ini) {
  for (const MaterialEntry& m : materials) {
    const std::int32_t minimum = common::MaterialSettings(m.code).minimumSheets(ini);
    table_.append();
    try {
      table_.setDouble("MATERIAL", m.code);
      // The field keeps what it can hold; the grid shows the whole name.
      table_.setString("NAME", firstCharacters(m.name, kNameWidth));
      table_.setDouble("QUANTITY", minimum);
      table_.post();
    } catch (...) {
      table_.cancel();
      throw;
    }
    rows_.push_back({table_.bookmark(), m.code, m.name});
  }
  table_.first();
}

int MinimumStockTable::code(int row) const { return rows_.at(static_cast<std::size_t>(row)).code; }

const std::string& MinimumStockTable::name(int row) const { return rows_.at(static_cast<std::size_t>(row)).name; }

std::int32_t MinimumStockTable::quantity(int row) const {
  // Rows are only ever appended here, so a row's place is its index.
  const dbase::Row r = table_.rowAt(static_cast<std::size_t>(row));
  const dbase::Value& cell = r.at(static_cast<std::size_t>(table_.fieldIndex("QUANTITY")));
  if (!cell.isNumber()) return 0;
  const double v = cell.number();
  if (!std::isfinite(v) || v < 0) return 0;
  return v > kMax ? kMax : static_cast<std::int32_t>(std::llround(v));
}

void MinimumStockTable::setQuantity(int row, std::int32_t quantity) {
  if (!table_.gotoBookmark(rows_.at(static_cast<std::size_t>(row)).mark))
    throw dbase::TableError(scratch_, "строка минимума не найдена");
  table_.edit();
  try {
    table_.setDouble("QUANTITY", quantity);
    table_.post();
  } catch (...) {
    table_.cancel();
    throw;
  }
}

int MinimumStockTable::rowOf(int code) const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].code == code) return static_cast<int>(i);
  return -1;
}

void MinimumStockTable::write(ini::IniFile& ini) const {
  ini.batch([&] {
    for (int i = 0; i < rowCount(); ++i) common::MaterialSettings(code(i)).setMinimumSheets(ini, quantity(i));
  });
}

// ---- MinimumStockModel ----

MinimumStockModel::MinimumStockModel(MinimumStockTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int MinimumStockModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : table_.rowCount(); }

int MinimumStockModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant MinimumStockModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= table_.rowCount()) return {};
  if (role == Qt::TextAlignmentRole)
    return index.column() == 1 ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  if (index.column() == 0) return QString::fromStdString(table_.name(index.row()));
  return QString::number(table_.quantity(index.row()));
}

QVariant MinimumStockModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return {};
  return section == 0 ? QStringLiteral("Материал") : QStringLiteral("Количество");
}

Qt::ItemFlags MinimumStockModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == 1) f |= Qt::ItemIsEditable;
  return f;
}

bool MinimumStockModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.column() != 1) return false;
  const auto quantity = parseMinimum(value.toString());
  if (!quantity) {
    common::showError(minimumInputError());
    return false;
  }
  try {
    table_.setQuantity(index.row(), *quantity);
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()));
    return false;
  }
  emit dataChanged(index, index);
  return true;
}

void MinimumStockModel::setQuantity(const QList<int>& rows, std::int32_t quantity) {
  for (int row : rows) {
    if (row < 0 || row >= table_.rowCount()) continue;
    table_.setQuantity(row, quantity);
    emit dataChanged(index(row, 1), index(row, 1));
  }
}

}  // namespace kroyna::warehouse
