#pragma once

#include "parts/PartsDocument.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>

#include <array>

class QToolButton;

namespace kroyna::parts {

// The rows shown by a parts document as a table model: eleven columns
// (the ten fields, the material name and the rotation name). Edits go to
// the document, which refuses bad values; the refusal is shown to the
// user and the cell keeps its value.
class PartsTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit PartsTableModel(PartsDocument& doc, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  PartsDocument& doc_;
};

// Editors of the grid: the part name with the drop-down of the part names
// list (at most 100 characters), whole numbers for the sizes and the
// quantity.
class PartsDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void setPartNames(const QStringList& names) { names_ = names; }
  const QStringList& partNames() const { return names_; }
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
  // The editor open now, if any.
  QWidget* openEditor() const { return editor_; }

 private:
  QStringList names_;
  mutable QPointer<QWidget> editor_;
};

// The grid of the parts window.
class PartsGrid : public QTableView {
  Q_OBJECT
 public:
  explicit PartsGrid(QWidget* parent = nullptr);
  PartsDelegate* partsDelegate() const { return delegate_; }
  // Writes a cell being edited into the document and closes its editor.
  void postPendingEdit();

 signals:
  // The user wants a new row (Down on the last row, Insert).
  void newRowRequested();
  // Right mouse button on a cell of the material or rotation column.
  void materialCellPressed(int row);
  void materialMenuRequested(int row, const QPoint& globalPos);
  void rotationMenuRequested(int row, const QPoint& globalPos);
  // Tab, Up, Down (after release) and mouse presses: the row settings
  // should be shown again.
  void rowSettingsWanted();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  PartsDelegate* delegate_ = nullptr;
};

// The side panel: four side buttons around the outline of a part, each
// holding an edge code and pressed when it is above 0, with a strip in
// the colour of its edge.
class EdgePanel : public QWidget {
  Q_OBJECT
 public:
  explicit EdgePanel(QWidget* parent = nullptr);

  // Codes, colours (Windows colour values) and names of the four sides.
  void setSides(const SideCodes& codes, const std::array<int, 4>& colours, const std::array<QString, 4>& names);
  const SideCodes& codes() const { return codes_; }
  QToolButton* button(Side side) const { return buttons_[static_cast<std::size_t>(side)]; }

 signals:
  void sideClicked(int side, bool pressed);
  void sideMenuRequested(int side, const QPoint& globalPos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QRect outline() const;

  std::array<QToolButton*, 4> buttons_{};
  SideCodes codes_{};
  std::array<int, 4> colours_{};
};

}  // namespace kroyna::parts
