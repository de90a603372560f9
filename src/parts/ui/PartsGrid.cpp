#include "parts/ui/PartsGrid.h"

#include "common/Messages.h"
#include "common/SettingsUtils.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QToolButton>

namespace kroyna::parts {

// ---- PartsTableModel ----

PartsTableModel::PartsTableModel(PartsDocument& doc, QObject* parent) : QAbstractTableModel(parent), doc_(doc) {
  connect(&doc_, &PartsDocument::aboutToResetRows, this, [this] { beginResetModel(); });
  connect(&doc_, &PartsDocument::rowsReset, this, [this] { endResetModel(); });
  connect(&doc_, &PartsDocument::rowsAboutToBeInserted, this,
          [this](int first, int last) { beginInsertRows({}, first, last); });
  connect(&doc_, &PartsDocument::rowsInserted, this, [this] { endInsertRows(); });
  connect(&doc_, &PartsDocument::rowsAboutToBeRemoved, this,
          [this](int first, int last) { beginRemoveRows({}, first, last); });
  connect(&doc_, &PartsDocument::rowsRemoved, this, [this] { endRemoveRows(); });
  connect(&doc_, &PartsDocument::rowChanged, this,
          [this](int row) { emit dataChanged(index(row, 0), index(row, ColumnCount - 1)); });
}

int PartsTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : doc_.rowCount(); }

int PartsTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant PartsTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= doc_.rowCount()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return doc_.cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
      if (index.column() >= ColLength && index.column() <= ColBBorder)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case Qt::BackgroundRole:
      // The material column is read-only and tinted.
      if (index.column() == ColMatName) return QColor(0xFF, 0xFF, 0xE1);
      return {};
    default: return {};
  }
}

QVariant PartsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return columnTitle(section);
  return section + 1;
}

Qt::ItemFlags PartsTableModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() <= ColMany) f |= Qt::ItemIsEditable;
  return f;
}

bool PartsTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  const QString text = value.toString();
  if (text == doc_.cellText(index.row(), index.column())) return true;
  const QString why = doc_.setCell(index.row(), index.column(), text);
  if (!why.isEmpty()) {
    common::showError(why);
    return false;
  }
  return true;
}

// ---- PartsDelegate ----

QWidget* PartsDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
  QWidget* editor = nullptr;
  if (index.column() == ColName) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(names_);
    combo->lineEdit()->setMaxLength(kNameLength);
    editor = combo;
  } else if (index.column() >= ColLength && index.column() <= ColMany) {
    auto* line = new QLineEdit(parent);
    line->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), line));
    line->setAlignment(Qt::AlignRight);
    editor = line;
  } else {
    editor = QStyledItemDelegate::createEditor(parent, option, index);
  }
  editor_ = editor;
  return editor;
}

void PartsDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  if (auto* combo = qobject_cast<QComboBox*>(editor)) {
    combo->setEditText(index.data(Qt::EditRole).toString());
    return;
  }
  QStyledItemDelegate::setEditorData(editor, index);
}

void PartsDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  if (auto* combo = qobject_cast<QComboBox*>(editor)) {
    model->setData(index, combo->currentText(), Qt::EditRole);
    return;
  }
  QStyledItemDelegate::setModelData(editor, model, index);
}

// ---- PartsGrid ----

PartsGrid::PartsGrid(QWidget* parent) : QTableView(parent) {
  delegate_ = new PartsDelegate(this);
  setItemDelegate(delegate_);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  horizontalHeader()->setSectionsMovable(true);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void PartsGrid::postPendingEdit() {
  if (state() != QAbstractItemView::EditingState) return;
  QWidget* editor = delegate_->openEditor();
  if (!editor) return;
  commitData(editor);
  closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void PartsGrid::keyPressEvent(QKeyEvent* event) {
  const bool lastRow = !model() || currentIndex().row() >= model()->rowCount() - 1;
  if (event->key() == Qt::Key_Insert || (event->key() == Qt::Key_Down && lastRow && state() != EditingState)) {
    emit newRowRequested();
    return;
  }
  QTableView::keyPressEvent(event);
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) emit rowSettingsWanted();
}

void PartsGrid::keyReleaseEvent(QKeyEvent* event) {
  QTableView::keyReleaseEvent(event);
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) emit rowSettingsWanted();
}

void PartsGrid::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (event->button() == Qt::RightButton && index.isValid() && index.column() == ColMatName) {
    setCurrentIndex(index);
    emit rowSettingsWanted();
    emit materialCellPressed(index.row());
    return;
  }
  QTableView::mousePressEvent(event);
  emit rowSettingsWanted();
}

void PartsGrid::contextMenuEvent(QContextMenuEvent* event) {
  const QModelIndex index = event->reason() == QContextMenuEvent::Mouse ? indexAt(event->pos()) : currentIndex();
  if (!index.isValid()) return;
  const QPoint global = event->reason() == QContextMenuEvent::Mouse
                            ? event->globalPos()
                            : viewport()->mapToGlobal(visualRect(index).bottomLeft());
  if (index.column() == ColMatName) emit materialMenuRequested(index.row(), global);
  if (index.column() == ColRotateName) emit rotationMenuRequested(index.row(), global);
}

// ---- EdgePanel ----

EdgePanel::EdgePanel(QWidget* parent) : QWidget(parent) {
  const char* captions[] = {"Л", "П", "В", "Н"};
  const char* names[] = {"edgeLeft", "edgeRight", "edgeTop", "edgeBottom"};
  for (int i = 0; i < 4; ++i) {
    auto* b = new QToolButton(this);
    b->setText(QString::fromUtf8(captions[i]));
    b->setObjectName(QString::fromLatin1(names[i]));
    b->setCheckable(true);
    b->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(b, &QToolButton::clicked, this, [this, i](bool pressed) { emit sideClicked(i, pressed); });
    connect(b, &QToolButton::customContextMenuRequested, this,
            [this, b, i](const QPoint& pos) { emit sideMenuRequested(i, b->mapToGlobal(pos)); });
    buttons_[static_cast<std::size_t>(i)] = b;
  }
  setMinimumSize(150, 150);
}

void EdgePanel::setSides(const SideCodes& codes, const std::array<int, 4>& colours,
                         const std::array<QString, 4>& names) {
  codes_ = codes;
  colours_ = colours;
  for (std::size_t i = 0; i < 4; ++i) {
    buttons_[i]->setChecked(codes[i] > 0);
    buttons_[i]->setToolTip(names[i]);
  }
  update();
}

QRect EdgePanel::outline() const {
  const int margin = 30;
  return rect().adjusted(margin, margin, -margin, -margin);
}

void EdgePanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const QRect o = outline();
  const int s = 24;
  buttons_[SideLeft]->setGeometry(o.left() - s - 3, o.center().y() - s / 2, s, s);
  buttons_[SideRight]->setGeometry(o.right() + 4, o.center().y() - s / 2, s, s);
  buttons_[SideTop]->setGeometry(o.center().x() - s / 2, o.top() - s - 3, s, s);
  buttons_[SideBottom]->setGeometry(o.center().x() - s / 2, o.bottom() + 4, s, s);
}

void EdgePanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect o = outline();
  p.fillRect(o, palette().base());
  const int t = 6;
  const QRect strips[] = {QRect(o.left(), o.top(), t, o.height()), QRect(o.right() - t + 1, o.top(), t, o.height()),
                          QRect(o.left(), o.top(), o.width(), t), QRect(o.left(), o.bottom() - t + 1, o.width(), t)};
  for (std::size_t i = 0; i < 4; ++i)
    if (codes_[i] > 0) p.fillRect(strips[i], common::toQColor(colours_[i]));
  p.setPen(QPen(palette().color(QPalette::WindowText), 1));
  p.drawRect(o.adjusted(0, 0, -1, -1));
}

}  // namespace kroyna::parts
