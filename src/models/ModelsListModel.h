#pragma once

// The model list of the models base window as an item model: columns
// "Название" (with the check box, checked while the count is above 0) and
// "Количество". Checking a box goes to ModelsBase::setChecked.

#include <QAbstractTableModel>

namespace kroyna::models {

class ModelsBase;

class ModelsListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { ColName = 0, ColCount, ColumnCount };

  explicit ModelsListModel(ModelsBase& base, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  ModelsBase& base_;
};

}  // namespace kroyna::models
