#include "warehouse/StockGridModel.h"

#include "common/Messages.h"

#include <cmath>

namespace kroyna::warehouse {

namespace {

const char* const kSheetFields[] = {"LENGTH", "WIDTH", "MANY", "CODE", "MatName"};
const char* const kScrapFields[] = {"NAME", "LENGTH", "WIDTH", "MANY", "CODE", "DATE", "MatName"};
const char* const kSheetTitles[] = {"Длина", "Ширина", "Количество", "Код", "Материал"};
const char* const kScrapTitles[] = {"Шифр", "Длина", "Ширина", "Количество", "Код", "Дата", "Материал"};

}  // namespace

StockGridModel::StockGridModel(StockModule& module, StockKind kind, std::function<int()> newRowCode, QObject* parent)
    : QAbstractTableModel(parent), module_(module), kind_(kind), newRowCode_(std::move(newRowCode)) {
  connect(&module_, &StockModule::viewsReset, this, &StockGridModel::reload);
  connect(&module_, &StockModule::newRowAboutToBeDropped, this, [this](StockKind k) {
    if (k != kind_) return;
    const dbase::Bookmark b = module_.newRowBookmark(kind_);
    for (std::size_t i = 0; i < rows_.size(); ++i)
      if (rows_[i] == b) {
        dropping_ = static_cast<int>(i);
        beginRemoveRows({}, dropping_, dropping_);
        return;
      }
  });
  connect(&module_, &StockModule::newRowDropped, this, [this](StockKind k) {
    if (k != kind_ || dropping_ < 0) return;
    rows_.erase(rows_.begin() + dropping_);
    dropping_ = -1;
    endRemoveRows();
  });
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
  const dbase::Table& t = module_.view(kind_);
  if (t.isOpen()) {
    // The cursor stays where it is: a new row being typed is not posted.
    try {
      for (std::size_t i = 0; i < t.rowCount(); ++i) rows_.push_back(t.bookmarkAt(i));
    } catch (const std::exception&) {
      rows_.clear();
    }
  }
  endResetModel();
}

bool StockGridModel::isNewRow(int row) const {
  return row >= 0 && row < static_cast<int>(rows_.size()) && module_.hasNewRow(kind_) &&
         rows_[static_cast<std::size_t>(row)] == module_.newRowBookmark(kind_);
}

bool StockGridModel::moveTo(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
  if (isNewRow(row)) return true;  // the cursor is on it
  const dbase::Bookmark target = rows_[static_cast<std::size_t>(row)];
  module_.postPending(kind_);
  dbase::Table& t = module_.view(kind_);
  return t.isOpen() && t.gotoBookmark(target);
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
      common::showError(QStringLiteral("Ошибка ввода даты!\r\rПовторите ввод ещё раз."));
      return false;
    }
    stored = dbase::Value(*d);
  } else if (field == "LENGTH" || field == "WIDTH" || field == "MANY") {
    const auto n = parseWholeNumber(text.toStdString());
    if (!n) {
      common::showError(QStringLiteral("Введите целое неотрицательное число (не больше 2147483647)."));
      return false;
    }
    if (kind_ == StockKind::Scraps && field == "MANY" && *n < 1) {
      common::showError(QStringLiteral("Количество остатков должно быть не меньше 1."));
      return false;
    }
    stored = dbase::Value(*n);
  } else {
    return false;
  }
  dbase::Table& t = module_.view(kind_);
  if (isNewRow(index.row())) {
    // The new row takes the value and waits until the user leaves it.
    try {
      t.setValue(field, stored);
    } catch (const std::exception& e) {
      common::showError(QStringLiteral("Изменение не сохранено:\r%1").arg(QString::fromUtf8(e.what())));
      return false;
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
  }
  try {
    if (!moveTo(index.row())) return false;
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()));
    return false;
  }
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
    common::showError(QStringLiteral("Изменение не сохранено:\r%1").arg(QString::fromUtf8(e.what())));
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
    module_.appendNewRow(kind_, newRowCode_ ? newRowCode_() : 0);
  } catch (const std::exception& e) {
    common::showError(QStringLiteral("Строка не добавлена:\r%1").arg(QString::fromUtf8(e.what())));
    return -1;
  }
  // A new row shows after the last one.
  const int row = static_cast<int>(rows_.size());
  beginInsertRows({}, row, row);
  rows_.push_back(module_.newRowBookmark(kind_));
  endInsertRows();
  return row;
}

}  // namespace kroyna::warehouse
