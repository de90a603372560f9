#include "warehouse/StockGridModel.h"

#include "shell/Messages.h"

#include <cmath>

namespace kroyna::warehouse {

namespace {

const char* const kSheetFields[] = {"LENGTH", "WIDTH", "MANY", "CODE", "MatName"};
const char* const kScrapFields[] = {"NAME", "LENGTH", "WIDTH", "MANY", "CODE", "DATE", "MatName"};
const char* const kSheetTitles[] = {"Длина", "Ширина", "Количество", "Код", "Материал"};
const char* const kScrapTitles[] = {"Шифр", "Длина", "Ширина", "Количество", "Код", "Дата", "Материал"};

}  // namespace

StockGridModel::StockGridModel(TModule& module, StockKind kind, std::function<int()> newRowCode, QObject* parent)
    : QAbstractTableModel(parent), module_(module), kind_(kind), newRowCode_(std::move(newRowCode)) {
  connect(&module_, &TModule::viewsReset, this, &StockGridModel::reload);
  reload();
}

const char* StockGridModel::fieldOf(int column) const {
  if (column < 0 || column >= columnCount()) return "";
  return kind_ == StockKind::Sheets ? kSheetFields[column] : kScrapFields[column];
}

int StockGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int StockGridModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return kind_ == StockKind::Sheets ? 5 : 7;
}

void StockGridModel::reload() {
  beginResetModel();
  rows_.clear();
  dbase::Table& t = module_.view(kind_);
  if (t.isOpen()) {
    const dbase::Bookmark keep = t.hasCurrentRow() ? t.bookmark() : dbase::Bookmark{};
    try {
      if (t.state() != dbase::Table::State::Browse) t.post();
      for (bool ok = t.first(); ok; ok = t.next()) rows_.push_back(t.bookmark());
    } catch (const std::exception&) {
      rows_.clear();
    }
    if (keep.isValid()) t.gotoBookmark(keep);
  }
  endResetModel();
}

bool StockGridModel::moveTo(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
  dbase::Table& t = module_.view(kind_);
  return t.isOpen() && t.gotoBookmark(rows_[static_cast<std::size_t>(row)]);
}

QVariant StockGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  if (role == Qt::TextAlignmentRole) {
    const int c = index.column();
    const bool number = c != 0 && c != matNameColumn() && c != dateColumn();
    return kind_ == StockKind::Sheets
               ? QVariant(c == matNameColumn() ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                               : int(Qt::AlignRight | Qt::AlignVCenter))
               : QVariant(number ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignLeft | Qt::AlignVCenter));
  }
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  const dbase::Table& t = module_.view(kind_);
  if (!t.isOpen()) return {};
  try {
    const dbase::Row row = t.rowAt(static_cast<std::size_t>(index.row()));
    const int f = t.fieldIndex(fieldOf(index.column()));
    if (f < 0) return {};
    const dbase::Value& v = row[static_cast<std::size_t>(f)];
    if (v.isNumber()) return QString::fromStdString(dbase::wholeNumberText(v.number()));
    return QString::fromStdString(v.toString());
  } catch (const std::exception&) {
    return {};
  }
}

QVariant StockGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= columnCount()) return {};
  return QString::fromUtf8(kind_ == StockKind::Sheets ? kSheetTitles[section] : kScrapTitles[section]);
}

Qt::ItemFlags StockGridModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() != matNameColumn() && index.column() != codeColumn()) f |= Qt::ItemIsEditable;
  return f;
}

bool StockGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  const std::string field = fieldOf(index.column());
  const QString text = value.toString();
  dbase::Value stored;
  if (field == "NAME") {
    stored = dbase::Value(text.toStdString());
  } else if (field == "DATE") {
    const auto d = dbase::Date::parse(text.trimmed().toStdString());
    if (!d) {
      shell::showError(QStringLiteral("Ошибка ввода даты!\r\rПовторите ввод ещё раз."));
      return false;
    }
    stored = dbase::Value(*d);
  } else if (field == "LENGTH" || field == "WIDTH" || field == "MANY") {
    const auto n = parseWholeNumber(text.toStdString());
    if (!n) {
      shell::showError(QStringLiteral("Введите целое неотрицательное число (не больше 2147483647)."));
      return false;
    }
    if (kind_ == StockKind::Scraps && field == "MANY" && *n < 1) {
      shell::showError(QStringLiteral("Количество остатков должно быть не меньше 1."));
      return false;
    }
    stored = dbase::Value(*n);
  } else {
    return false;
  }
  if (!moveTo(index.row())) return false;
  dbase::Table& t = module_.view(kind_);
  try {
    if (t.value(field) == stored) return true;  // nothing changed
  } catch (const std::exception&) {
  }
  try {
    t.edit();
    t.setValue(field, stored);
    t.post();
  } catch (const std::exception& e) {
    if (t.state() != dbase::Table::State::Browse) t.cancel();
    shell::showError(QStringLiteral("Изменение не сохранено:\r%1").arg(QString::fromUtf8(e.what())));
    return false;
  }
  module_.setChanged(kind_, true);
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
  return true;
}

int StockGridModel::appendRow() {
  dbase::Table& t = module_.view(kind_);
  if (!t.isOpen()) return -1;
  try {
    module_.postPending(kind_);
    t.append();
    t.setDouble("LENGTH", 0);
    t.setDouble("WIDTH", 0);
    t.setDouble("CODE", newRowCode_ ? newRowCode_() : 0);
    if (kind_ == StockKind::Scraps) {
      t.setDouble("MANY", 1);
      t.setDate("DATE", dbase::Date::today());
    } else {
      t.setDouble("MANY", 0);
    }
    t.post();
  } catch (const std::exception& e) {
    if (t.state() != dbase::Table::State::Browse) t.cancel();
    shell::showError(QStringLiteral("Строка не добавлена:\r%1").arg(QString::fromUtf8(e.what())));
    return -1;
  }
  const dbase::Bookmark added = t.bookmark();
  module_.setChanged(kind_, true);
  reload();
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i] == added) return static_cast<int>(i);
  return static_cast<int>(rows_.size()) - 1;
}

}  // namespace kroyna::warehouse
