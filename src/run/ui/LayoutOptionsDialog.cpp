#include "run/ui/LayoutOptionsDialog.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "common/SettingsUtils.h"
#include "common/ui/RangeSpinBox.h"
#include "platform/ini/IniFile.h"
#include "run/ui/DefaultParamsDialog.h"
#include "warehouse/StockModule.h"
#include "warehouse/ui/Warehouse.h"
#include "warehouse/ui/WarehouseDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <system_error>

namespace kroyna::run {

// ---- Dialog ----

namespace {

// "2", "3", "4", "без ограничения".
constexpr int kStageLimits[] = {2, 3, 4, 0};

QIcon stateIcon(bool enabled) {
  QPixmap p(14, 14);
  p.fill(Qt::transparent);
  QPainter painter(&p);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(enabled ? QColor(0, 160, 0) : QColor(170, 170, 170));
  painter.setPen(Qt::black);
  painter.drawEllipse(1, 1, 12, 12);
  return QIcon(p);
}

std::int32_t wholeField(const QLineEdit* e) {
  bool ok = false;
  const long long v = e->text().trimmed().toLongLong(&ok);
  if (!ok || v < -2147483648LL || v > 2147483647LL) return 0;
  return static_cast<std::int32_t>(v);
}

QToolButton* allButton(QWidget* parent, const QString& hint, std::function<void()> action) {
  auto* b = new QToolButton(parent);
  b->setText(QStringLiteral("*"));
  b->setToolTip(hint);
  QObject::connect(b, &QToolButton::clicked, parent, [action = std::move(action)] { action(); });
  return b;
}

}  // namespace

LayoutOptionsDialog::LayoutOptionsDialog(LayoutOptionsModel& model, SheetStockLookup stock, QWidget* parent)
    : QDialog(parent), model_(model), stock_(std::move(stock)) {
  setWindowTitle(QStringLiteral("Параметры разложения"));
  auto* layout = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(QStringLiteral("Материалы"), this));
  list_ = new QListWidget(this);
  list_->setMinimumWidth(200);
  left->addWidget(list_, 1);
  body->addLayout(left);

  right_ = new QWidget(this);
  auto* rv = new QVBoxLayout(right_);
  enabled_ = new QCheckBox(QStringLiteral("Разложить"), right_);
  rv->addWidget(enabled_);
  auto* sheet = new QGroupBox(QStringLiteral("Лист"), right_);
  auto* sf = new QFormLayout(sheet);
  length_ = new QLineEdit(sheet);
  width_ = new QLineEdit(sheet);
  sf->addRow(QStringLiteral("Длина"), length_);
  sf->addRow(QStringLiteral("Ширина"), width_);
  useScraps_ = new QCheckBox(QStringLiteral("Использовать базу остатков"), sheet);
  stockControl_ = new QCheckBox(QStringLiteral("Контроль количества листов"), sheet);
  sf->addRow(useScraps_);
  sf->addRow(stockControl_);
  rv->addWidget(sheet);

  auto* depthRow = new QHBoxLayout;
  depthRow->addWidget(new QLabel(QStringLiteral("Глубина перебора"), right_));
  depth_ = new QSpinBox(right_);
  depth_->setRange(0, 2147483647);
  depthRow->addWidget(depth_, 1);
  auto* depthAll = allButton(right_, QStringLiteral("Глубину перебора установить\r\nдля всех материалов"), [this] {
    storeShown();
    model_.setDepthForAll(depth_->value());
  });
  depthRow->addWidget(depthAll);
  rv->addLayout(depthRow);

  auto* search = new QGroupBox(QStringLiteral("Способ перебора"), right_);
  auto* sh = new QGridLayout(search);
  quick_ = new QRadioButton(QStringLiteral("Быстрый"), search);
  full_ = new QRadioButton(QStringLiteral("Полный"), search);
  improved_ = new QRadioButton(QStringLiteral("Улучшенный"), search);
  improved_->setToolTip(
      QStringLiteral("Раскладывает все детали сразу на наименьшее число листов;\r\n"
                     "быстрый или полный перебор с той же глубиной считается рядом,\r\n"
                     "и остаётся его результат, если он лучше"));
  auto* effort = new common::RangeSpinBox(QStringLiteral("Усилие"), 1, 10, search);
  effort_ = effort;
  effort_->setToolTip(QStringLiteral("1 — быстро, 10 — дольше ищет раскрой на меньшее число листов"));
  sh->addWidget(quick_, 0, 0);
  sh->addWidget(full_, 0, 1);
  sh->addWidget(improved_, 1, 0);
  auto* effortRow = new QHBoxLayout;
  effortRow->addWidget(new QLabel(effort->captionWithLimits(), search));
  effortRow->addWidget(effort_);
  sh->addLayout(effortRow, 1, 1);
  // The stage limit of the improved search; the quick and full search keep
  // to none.
  stages_ = new QComboBox(search);
  for (const int limit : kStageLimits)
    stages_->addItem(limit == 0 ? QStringLiteral("без ограничения") : QString::number(limit), limit);
  stages_->setToolTip(QStringLiteral("Сколько раз пила меняет направление реза на листе"));
  auto* stagesRow = new QHBoxLayout;
  stagesRow->addWidget(new QLabel(QStringLiteral("Ступеней резов не более:"), search));
  stagesRow->addWidget(stages_);
  stagesRow->addStretch(1);
  sh->addLayout(stagesRow, 2, 0, 1, 3);
  auto* searchAll = allButton(search, QStringLiteral("Способ перебора установить\r\nдля всех материалов"), [this] {
    storeShown();
    model_.setSearchForAll(full_->isChecked() ? 1 : 0, improved_->isChecked(), effort_->value(), shownStages());
  });
  sh->addWidget(searchAll, 0, 2);
  connect(improved_, &QRadioButton::toggled, this, [this] { updateEnabled(); });
  rv->addWidget(search);

  auto* alg = new QGroupBox(QStringLiteral("Выбор алгоритма"), right_);
  auto* ag = new QGridLayout(alg);
  alg1_ = new QRadioButton(QStringLiteral("Алгоритм 1"), alg);
  alg2_ = new QRadioButton(QStringLiteral("Алгоритм 2"), alg);
  oneDim_ = new QCheckBox(QStringLiteral("Оптимизировать одноразмерные"), alg);
  ag->addWidget(alg1_, 0, 0);
  ag->addWidget(alg2_, 0, 1);
  ag->addWidget(oneDim_, 1, 0, 1, 2);
  auto* algAll = allButton(alg, QStringLiteral("Вид алгоритма установить\r\nдля всех материалов"), [this] {
    storeShown();
    model_.setAlgorithmForAll(alg2_->isChecked() ? 1 : 0, oneDim_->isChecked());
  });
  ag->addWidget(algAll, 0, 2);
  rv->addWidget(alg);

  auto* remarkRow = new QHBoxLayout;
  remarkRow->addWidget(new QLabel(QStringLiteral("Комментарий"), right_));
  remark_ = new QLineEdit(right_);
  remarkRow->addWidget(remark_, 1);
  auto* remarkAll = allButton(right_, QStringLiteral("Комментарий установить\r\nдля всех материалов"), [this] {
    storeShown();
    model_.setRemarkForAll(remark_->text().toStdString());
  });
  remarkRow->addWidget(remarkAll);
  rv->addLayout(remarkRow);
  rv->addStretch();
  body->addWidget(right_, 1);
  layout->addLayout(body, 1);

  dependents_ = {sheet, length_, width_,   useScraps_, stockControl_, depth_,   search,
                 alg,   remark_, depthAll, searchAll,  algAll,        remarkAll};
  connect(enabled_, &QCheckBox::toggled, this, [this] {
    updateEnabled();
    updateIcon(shownRow_);
  });

  auto* buttons = new QHBoxLayout;
  auto* base = new QPushButton(QStringLiteral("&База листов"), this);
  auto* params = new QPushButton(QStringLiteral("&Параметры"), this);
  auto* autoBtn = new QPushButton(QStringLiteral("&Авто - размер листов"), this);
  auto* ok = new QPushButton(QStringLiteral("&Да"), this);
  auto* cancel = new QPushButton(QStringLiteral("&Отмена"), this);
  ok->setDefault(true);
  for (QPushButton* b : {base, params, autoBtn}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(base, &QPushButton::clicked, this, &LayoutOptionsDialog::chooseFromStock);
  connect(params, &QPushButton::clicked, this, &LayoutOptionsDialog::openDefaults);
  connect(autoBtn, &QPushButton::clicked, this, &LayoutOptionsDialog::autoSize);
  connect(ok, &QPushButton::clicked, this, &LayoutOptionsDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  for (const LayoutMaterial& m : model_.materials()) {
    auto* item = new QListWidgetItem(m.name, list_);
    item->setData(Qt::UserRole, m.code);
  }
  for (int i = 0; i < list_->count(); ++i) updateIcon(i);
  connect(list_, &QListWidget::currentRowChanged, this, &LayoutOptionsDialog::selectMaterial);
  if (list_->count() > 0) {
    list_->setCurrentRow(0);
  } else {
    showPage(OptimRecord{});
    right_->setEnabled(false);
  }
  resize(640, 460);
}

void LayoutOptionsDialog::updateEnabled() {
  for (QWidget* w : dependents_) w->setEnabled(enabled_->isChecked());
  effort_->setEnabled(enabled_->isChecked() && improved_->isChecked());
  stages_->setEnabled(enabled_->isChecked() && improved_->isChecked());
}

std::int32_t LayoutOptionsDialog::shownStages() const { return stages_->currentData().toInt(); }

void LayoutOptionsDialog::updateIcon(int row) {
  if (row < 0 || row >= list_->count()) return;
  const int code = list_->item(row)->data(Qt::UserRole).toInt();
  const bool on = row == shownRow_ ? enabled_->isChecked() : model_.read(code).enabled;
  list_->item(row)->setIcon(stateIcon(on));
}

OptimRecord LayoutOptionsDialog::page() const {
  OptimRecord r = shownCode_ >= 0 ? model_.read(shownCode_) : OptimRecord{};
  r.enabled = enabled_->isChecked();
  r.length = wholeField(length_);
  r.width = wholeField(width_);
  r.useScraps = useScraps_->isChecked();
  r.stockControl = stockControl_->isChecked();
  r.depth = depth_->value();
  r.algorithm = alg2_->isChecked() ? 1 : 0;
  r.stock = 0;
  // With the improved search item 8 keeps the quick or full choice, which
  // the improved search is compared with.
  r.improved = improved_->isChecked();
  if (!r.improved) r.fullSearch = full_->isChecked() ? 1 : 0;
  r.effort = effort_->value();
  r.stages = shownStages();
  r.remark = remark_->text().toStdString();
  r.oneDimOpt = oneDim_->isChecked();
  return r;
}

void LayoutOptionsDialog::showPage(const OptimRecord& r) {
  QSignalBlocker b(enabled_);
  enabled_->setChecked(r.enabled);
  length_->setText(QString::number(r.length));
  width_->setText(QString::number(r.width));
  useScraps_->setChecked(r.useScraps);
  stockControl_->setChecked(r.stockControl);
  depth_->setValue(std::max(0, r.depth));
  (r.improved ? improved_ : r.fullSearch ? full_ : quick_)->setChecked(true);
  effort_->setValue(std::clamp(r.effort, 1, 10));
  const int stagesIndex = stages_->findData(common::isStageLimit(r.stages) ? r.stages : 0);
  stages_->setCurrentIndex(stagesIndex);
  (r.algorithm ? alg2_ : alg1_)->setChecked(true);
  oneDim_->setChecked(r.oneDimOpt);
  remark_->setText(QString::fromStdString(r.remark));
  updateEnabled();
}

void LayoutOptionsDialog::storeShown() {
  if (shownCode_ < 0) return;
  try {
    model_.write(shownCode_, page());
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
  }
}

void LayoutOptionsDialog::selectMaterial(int index) {
  if (index < 0 || index >= list_->count()) return;
  storeShown();
  const int previous = shownRow_;
  shownRow_ = index;
  shownCode_ = list_->item(index)->data(Qt::UserRole).toInt();
  showPage(model_.read(shownCode_));
  updateIcon(previous);
  updateIcon(index);
  if (list_->currentRow() != index) {
    QSignalBlocker b(list_);
    list_->setCurrentRow(index);
  }
}

void LayoutOptionsDialog::chooseFromStock() {
  if (shownCode_ < 0) return;
  const QString name = list_->item(shownRow_)->text();
  std::optional<std::pair<std::int32_t, std::int32_t>> size;
  if (chooseSheet) {
    size = chooseSheet(shownCode_, name);
  } else if (warehouse::Warehouse* w = warehouse::Warehouse::instance()) {
    try {
      w->module().openSheetView(shownCode_);
    } catch (const std::exception& e) {
      common::showError(QString::fromUtf8(e.what()), this);
      return;
    }
    if (const auto c = warehouse::chooseStandardSheet(w->module(), name, this)) size = {{c->length, c->width}};
  }
  if (!size) return;
  length_->setText(QString::number(size->first));
  width_->setText(QString::number(size->second));
  stockControl_->setEnabled(true);
  stockControl_->setChecked(true);
}

void LayoutOptionsDialog::autoSize() {
  storeShown();
  try {
    model_.autoSize(stock_);
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
    return;
  }
  if (shownCode_ >= 0) {
    const OptimRecord r = model_.read(shownCode_);
    length_->setText(QString::number(r.length));
    width_->setText(QString::number(r.width));
    stockControl_->setChecked(true);
  }
}

void LayoutOptionsDialog::openDefaults() {
  if (editDefaults) {
    editDefaults();
    return;
  }
  if (common::AppContext* c = common::AppContext::current())
    if (editDefaultParams(c->settings().ini(), true, this)) c->applyChangedDefaults();
}

void LayoutOptionsDialog::accept() {
  storeShown();
  std::optional<QString> missing;
  try {
    missing = model_.accept(stock_);
  } catch (const std::exception& e) {
    common::showError(QStringLiteral("Параметры разложения не записаны:\r%1").arg(QString::fromUtf8(e.what())), this);
    return;
  }
  if (missing) {
    common::showError(*missing, this);
    return;
  }
  QDialog::accept();
}

bool editLayoutOptions(const std::vector<LayoutMaterial>& materials, QWidget* parent) {
  common::AppContext* c = common::AppContext::current();
  if (!c) return false;
  common::Settings& settings = c->settings();
  LayoutOptionsModel model(settings.ini(), c->root().path(QStringLiteral("Kroyna.tmp")).toStdString(), materials,
                           [&settings](int code) { return settings.remark(code); });
  try {
    model.open();
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), parent);
    return false;
  }
  SheetStockLookup stock;
  if (warehouse::Warehouse* w = warehouse::Warehouse::instance()) stock = stockOf(w->module());
  LayoutOptionsDialog d(model, stock, parent);
  return d.exec() == QDialog::Accepted;
}

}  // namespace kroyna::run
