#pragma once

#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

namespace kroyna::catalogues {

// The cell delegate of the catalogue grids. It remembers the open cell
// editor so that a toolbar command can post or cancel the pending edit,
// and draws the "Цвет" column: the cell filled with the row's colour
// (unless selected) and a small button that asks for a new colour.
class CatalogueDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  // The column painted as a colour with a button, or -1 for none.
  explicit CatalogueDelegate(int colourColumn = -1, QObject* parent = nullptr);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

  // Writes the open editor's text into the model and closes it.
  void commitPending();
  // Closes the open editor without writing.
  void cancelPending();
  bool hasPending() const { return !editor_.isNull(); }

  // The rectangle of the colour button inside a cell.
  static QRect buttonRect(const QRect& cell);

 signals:
  void colourButtonClicked(int row);

 private:
  int colourColumn_;
  mutable QPointer<QWidget> editor_;
};

class CatalogueGrid : public QTableView {
  Q_OBJECT
 public:
  explicit CatalogueGrid(int colourColumn = -1, QWidget* parent = nullptr);

  CatalogueDelegate& delegate() { return *delegate_; }
  // The row of the current cell, -1 without one.
  int currentRow() const;
  void goToRow(int row);

 signals:
  // Insert, or the down arrow on the last row (or in an empty grid).
  void newRowRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  CatalogueDelegate* delegate_;
};

}  // namespace kroyna::catalogues
