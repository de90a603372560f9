#include "maps/ui/StatisticsDialog.h"

#include "common/ui/HeaderWidths.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Literals.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace kroyna::maps {

namespace {
using text::u;
const common::WindowLayout& kEdgeLayout = common::layouts::EdgeStatistics;
}  // namespace

StatisticsDialog::StatisticsDialog(StatisticsFigures figures, const MapsEnvironment& environment,
                                   ini::IniFile& settings, QWidget* parent)
    : QDialog(parent), figures_(std::move(figures)), environment_(environment), settings_(settings) {
  setObjectName(QStringLiteral("StatisticsDialog"));
  setWindowTitle(u("Статистика"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(u("Материал:"), this));
  auto* name = new QLabel(figures_.materialName, this);
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  name->setObjectName(QStringLiteral("materialName"));
  layout->addWidget(name);

  auto* box = new QGroupBox(u("Статистика:"), this);
  auto* form = new QFormLayout(box);
  for (const auto& [label, value] : figures_.rows) {
    auto* v = new QLabel(value, box);
    v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow(label, v);
  }
  if (!figures_.search.isEmpty()) {
    auto* v = new QLabel(figures_.search, box);
    v->setObjectName(QStringLiteral("search"));
    v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow(u("Способ перебора:"), v);
  }
  layout->addWidget(box);

  const std::vector<EdgeUseRow> edges = edgeUseRows(figures_.totals, environment_);
  if (!edges.empty()) {
    auto* edgeBox = new QGroupBox(u("Расход кромки:"), this);
    auto* edgeForm = new QFormLayout(edgeBox);
    for (const EdgeUseRow& r : edges) edgeForm->addRow(r.name, new QLabel(r.length + u(" м"), edgeBox));
    layout->addWidget(edgeBox);
  }

  auto* buttons = new QDialogButtonBox(this);
  print_ = buttons->addButton(u("&Печать"), QDialogButtonBox::ActionRole);
  print_->setEnabled(false);
  edges_ = buttons->addButton(u("&Кромки"), QDialogButtonBox::ActionRole);
  edges_->setEnabled(!edges.empty());
  QPushButton* close = buttons->addButton(u("&Закрыть"), QDialogButtonBox::RejectRole);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(print_, &QPushButton::clicked, this, [this] {
    if (printHandler_) printHandler_();
  });
  connect(edges_, &QPushButton::clicked, this, &StatisticsDialog::showEdges);
  layout->addWidget(buttons);
}

void StatisticsDialog::enablePrint(std::function<void()> print) {
  printHandler_ = std::move(print);
  print_->setEnabled(bool(printHandler_));
}

void StatisticsDialog::showEdges() {
  auto* dialog = new EdgeStatisticsDialog(edgeUseRows(figures_.totals, environment_), settings_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
}

EdgeStatisticsDialog::EdgeStatisticsDialog(const std::vector<EdgeUseRow>& rows, ini::IniFile& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setObjectName(QStringLiteral("EdgeStatisticsDialog"));
  setWindowTitle(u("Статистика кромок"));
  auto* layout = new QVBoxLayout(this);
  table_ = new QTableWidget(this);
  table_->setColumnCount(2);
  table_->setHorizontalHeaderLabels({u("Название"), u("Длина (м)")});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  std::vector<EdgeUseRow> shown = rows;
  if (shown.empty()) shown.push_back({QString(), QStringLiteral("0")});
  table_->setRowCount(static_cast<int>(shown.size()));
  for (int i = 0; i < static_cast<int>(shown.size()); ++i) {
    table_->setItem(i, 0, new QTableWidgetItem(shown[static_cast<std::size_t>(i)].name));
    auto* length = new QTableWidgetItem(shown[static_cast<std::size_t>(i)].length);
    length->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table_->setItem(i, 1, length);
  }
  // Where no width is kept, a column fits its title and its rows; the
  // dialog opens wide enough for both.
  for (int c = 0; c < 2; ++c) common::restoreColumnWidth(settings_, kEdgeLayout, *table_, c);
  layout->addWidget(table_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(u("&Да"), QDialogButtonBox::AcceptRole);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(buttons);
  const QMargins margins = layout->contentsMargins();
  const int wanted = common::wholeTableWidth(*table_) + margins.left() + margins.right();
  resize(std::max(sizeHint().width(), std::min(wanted, 600)), sizeHint().height());
}

void EdgeStatisticsDialog::done(int result) {
  try {
    common::writeColumnWidths(settings_, kEdgeLayout, *table_, 2);
  } catch (const std::exception&) {
    // Column widths are not worth keeping the dialog open for.
  }
  QDialog::done(result);
}

}  // namespace kroyna::maps
