#include "catalogues/ui/CatalogueGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace kroyna::catalogues {

CatalogueDelegate::CatalogueDelegate(int colourColumn, QObject* parent)
    : QStyledItemDelegate(parent), colourColumn_(colourColumn) {}

QWidget* CatalogueDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  editor_ = editor;
  return editor;
}

QRect CatalogueDelegate::buttonRect(const QRect& cell) {
  const int w = qMin(cell.height(), cell.width());
  return QRect(cell.right() - w + 1, cell.top(), w, cell.height());
}

void CatalogueDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (index.column() != colourColumn_) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const bool selected = option.state & QStyle::State_Selected;
  if (selected) {
    QStyledItemDelegate::paint(painter, option, index);
  } else {
    painter->fillRect(option.rect, index.data(Qt::BackgroundRole).value<QColor>());
  }
  QStyleOptionButton button;
  button.rect = buttonRect(option.rect);
  button.text = QStringLiteral("…");
  button.state = QStyle::State_Enabled | QStyle::State_Raised;
  QStyle* style = option.widget ? option.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);
}

bool CatalogueDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) {
  if (index.column() == colourColumn_ && event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && buttonRect(option.rect).contains(mouse->position().toPoint())) {
      emit colourButtonClicked(index.row());
      return true;
    }
  }
  return QStyledItemDelegate::editorEvent(event, model, option, index);
}

void CatalogueDelegate::commitPending() {
  if (QWidget* editor = editor_.data()) {
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
  editor_.clear();
}

void CatalogueDelegate::cancelPending() {
  if (QWidget* editor = editor_.data()) emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
  editor_.clear();
}

CatalogueGrid::CatalogueGrid(int colourColumn, QWidget* parent)
    : QTableView(parent), delegate_(new CatalogueDelegate(colourColumn, this)) {
  setItemDelegate(delegate_);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

int CatalogueGrid::currentRow() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.row() : -1;
}

void CatalogueGrid::goToRow(int row) {
  if (!model() || row < 0 || row >= model()->rowCount()) return;
  int column = currentIndex().isValid() ? currentIndex().column() : 0;
  while (column < model()->columnCount() && isColumnHidden(column)) ++column;
  const QModelIndex index = model()->index(row, column);
  setCurrentIndex(index);
  scrollTo(index);
}

void CatalogueGrid::keyPressEvent(QKeyEvent* event) {
  if (state() != QAbstractItemView::EditingState && model()) {
    const bool atEnd = currentRow() < 0 || currentRow() == model()->rowCount() - 1;
    if (event->key() == Qt::Key_Insert || (event->key() == Qt::Key_Down && atEnd)) {
      emit newRowRequested();
      return;
    }
  }
  QTableView::keyPressEvent(event);
}

}  // namespace kroyna::catalogues
