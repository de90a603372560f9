#include "models/ModelsListModel.h"

#include "models/ModelsBase.h"

namespace kroyna::models {

ModelsListModel::ModelsListModel(ModelsBase& base, QObject* parent) : QAbstractTableModel(parent), base_(base) {
  connect(&base_, &ModelsBase::rowsReset, this, [this] {
    beginResetModel();
    endResetModel();
  });
  connect(&base_, &ModelsBase::rowChanged, this,
          [this](int row) { emit dataChanged(index(row, ColName), index(row, ColCount)); });
}

int ModelsListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : base_.rowCount(); }

int ModelsListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ModelsListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= base_.rowCount()) return {};
  const ModelInfo& m = base_.rowModel(index.row());
  if (role == Qt::DisplayRole)
    return index.column() == ColName ? QString::fromStdString(m.name) : QString::number(m.count);
  if (role == Qt::CheckStateRole && index.column() == ColName) return m.count > 0 ? Qt::Checked : Qt::Unchecked;
  if (role == Qt::TextAlignmentRole && index.column() == ColCount)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role == Qt::ToolTipRole && index.column() == ColName)
    return QStringLiteral("Раздел: %1").arg(QString::fromStdString(base_.rowSection(index.row()).name));
  return {};
}

bool ModelsListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() != ColName || role != Qt::CheckStateRole) return false;
  base_.setChecked(index.row(), value.toInt() == Qt::Checked);
  return true;
}

Qt::ItemFlags ModelsListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() == ColName) f |= Qt::ItemIsUserCheckable;
  return f;
}

QVariant ModelsListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == ColName ? QStringLiteral("Название") : QStringLiteral("Количество");
}

}  // namespace kroyna::models
