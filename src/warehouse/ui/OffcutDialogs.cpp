#include "warehouse/ui/OffcutDialogs.h"

#include "common/SettingsUtils.h"
#include "common/ui/MessageBoxes.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace kroyna::warehouse {

namespace {

void addOkCancel(QDialog* d, QBoxLayout* layout) { layout->addWidget(common::yesCancelButtons(d)); }

std::int64_t cut(double v, double max) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::int64_t>(std::trunc(std::clamp(v, -max, max)));
}

std::int32_t mmField(const QLineEdit* e) {
  return static_cast<std::int32_t>(cut(common::textToFloat(e->text()), 2147483647.0));
}

}  // namespace

// ---- Criteria ----

ScrapParamsDialog::ScrapParamsDialog(const QString& materialName, const common::ScrapCriteria& c, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Параметры поступления остатков"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Текущая база остатков"), this));
  auto* name = new QLabel(materialName, this);
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  layout->addWidget(name);
  auto* group = new QGroupBox(QStringLiteral("Считать отходами с"), this);
  auto* g = new QGridLayout(group);
  auto row = [&](int r, int indent, const QString& caption, QLineEdit*& edit, const QString& unit) {
    auto* box = new QCheckBox(caption, group);
    edit = new QLineEdit(group);
    edit->setAlignment(Qt::AlignRight);
    if (indent) g->setColumnMinimumWidth(0, 20);
    g->addWidget(box, r, indent ? 1 : 0, 1, indent ? 1 : 2);
    g->addWidget(edit, r, 2);
    g->addWidget(new QLabel(unit, group), r, 3);
    connect(box, &QCheckBox::toggled, this, &ScrapParamsDialog::updateEnabled);
    return box;
  };
  const QString mm = QStringLiteral("мм");
  length_ = row(0, 0, QStringLiteral("длиной меньше"), p1_, mm);
  width_ = row(1, 0, QStringLiteral("шириной меньше"), p2_, mm);
  area_ = row(2, 0, QStringLiteral("площадью меньше"), a_, QStringLiteral("кв м"));
  lengthLimit_ = row(3, 1, QStringLiteral("минимальная длина"), p3_, mm);
  widthLimit_ = row(4, 1, QStringLiteral("минимальная ширина"), p4_, mm);
  joint_ = new QCheckBox(QStringLiteral("Использовать параметры совместно"), group);
  joint_->hide();
  joint_->setChecked(false);  // confirming always stores separate criteria
  layout->addWidget(group);
  cleanUp_ = new QCheckBox(QStringLiteral("Удалять отходы со склада"), this);
  layout->addWidget(cleanUp_);
  addOkCancel(this, layout);

  length_->setChecked(c.lengthOn);
  width_->setChecked(c.widthOn);
  area_->setChecked(c.areaOn);
  lengthLimit_->setChecked(c.lengthLimitOn);
  widthLimit_->setChecked(c.widthLimitOn);
  cleanUp_->setChecked(c.cleanUp);
  p1_->setText(QString::number(c.p1));
  p2_->setText(QString::number(c.p2));
  a_->setText(QString::number(static_cast<double>(c.area) / 1000000.0, 'f', 3));
  p3_->setText(QString::number(c.p3));
  p4_->setText(QString::number(c.p4));
  updateEnabled();
}

void ScrapParamsDialog::updateEnabled() {
  p1_->setEnabled(length_->isChecked());
  p2_->setEnabled(width_->isChecked());
  a_->setEnabled(area_->isChecked());
  lengthLimit_->setEnabled(area_->isChecked());
  widthLimit_->setEnabled(area_->isChecked());
  p3_->setEnabled(area_->isChecked() && lengthLimit_->isChecked());
  p4_->setEnabled(area_->isChecked() && widthLimit_->isChecked());
}

common::ScrapCriteria ScrapParamsDialog::criteria() const {
  common::ScrapCriteria c;
  c.joint = false;
  c.lengthOn = length_->isChecked();
  c.p1 = mmField(p1_);
  c.widthOn = width_->isChecked();
  c.p2 = mmField(p2_);
  c.areaOn = area_->isChecked();
  c.area = cut(common::textToFloat(a_->text()) * 1000000.0, 9.0e15);
  c.lengthLimitOn = lengthLimit_->isChecked();
  c.p3 = mmField(p3_);
  c.widthLimitOn = widthLimit_->isChecked();
  c.p4 = mmField(p4_);
  c.cleanUp = cleanUp_->isChecked();
  return c;
}

// ---- Date filter ----

namespace {
// dd.mm.yyyy, every digit required.
const QString kDateMask = QStringLiteral("99.99.") + QString(4, QLatin1Char('9'));
}  // namespace

DateFilterDialog::DateFilterDialog(const QString& from, const QString& to, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Фильтр"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Показывать отходы, внесённые в базу отходов"), this));
  auto* row = new QHBoxLayout;
  fromLabel_ = new QLabel(QStringLiteral("с"), this);
  toLabel_ = new QLabel(QStringLiteral("по"), this);
  from_ = new QLineEdit(from, this);
  to_ = new QLineEdit(to, this);
  from_->setInputMask(kDateMask);
  to_->setInputMask(kDateMask);
  row->addWidget(fromLabel_);
  row->addWidget(from_);
  row->addWidget(toLabel_);
  row->addWidget(to_);
  layout->addLayout(row);
  showAll_ = new QCheckBox(QStringLiteral("Показать все отходы"), this);
  layout->addWidget(showAll_);
  connect(showAll_, &QCheckBox::toggled, this, [this](bool on) {
    for (QWidget* w : {static_cast<QWidget*>(from_), static_cast<QWidget*>(to_), static_cast<QWidget*>(fromLabel_),
                       static_cast<QWidget*>(toLabel_)})
      w->setEnabled(!on);
  });
  addOkCancel(this, layout);
}

bool DateFilterDialog::showAll() const { return showAll_->isChecked(); }
QString DateFilterDialog::from() const { return from_->text(); }
QString DateFilterDialog::to() const { return to_->text(); }

// ---- Date picking ----

DatePickDialog::DatePickDialog(const QDate& date, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Выбор дня"));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("год"), this));
  year_ = new QSpinBox(this);
  year_->setRange(1991, 2010);
  top->addWidget(year_);
  top->addWidget(new QLabel(QStringLiteral("месяц"), this));
  month_ = new QComboBox(this);
  for (const char* m : {"январь", "февраль", "март", "апрель", "май", "июнь", "июль", "август", "сентябрь", "октябрь",
                        "ноябрь", "декабрь"})
    month_->addItem(QString::fromUtf8(m));
  top->addWidget(month_);
  layout->addLayout(top);
  calendar_ = new QCalendarWidget(this);
  calendar_->setFirstDayOfWeek(Qt::Monday);
  calendar_->setNavigationBarVisible(false);
  calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  layout->addWidget(calendar_);
  addOkCancel(this, layout);

  const QDate start = date.isValid() ? date : QDate::currentDate();
  calendar_->setSelectedDate(start);
  const auto syncFields = [this] {
    const QDate d = calendar_->selectedDate();
    QSignalBlocker b1(year_), b2(month_);
    year_->setValue(std::clamp(d.year(), 1991, 2010));
    month_->setCurrentIndex(d.month() - 1);
  };
  syncFields();
  connect(calendar_, &QCalendarWidget::selectionChanged, this, syncFields);
  const auto moveTo = [this] {
    const QDate d = calendar_->selectedDate();
    const int y = year_->value(), m = month_->currentIndex() + 1;
    const int day = std::min(d.day(), QDate(y, m, 1).daysInMonth());
    calendar_->setSelectedDate(QDate(y, m, day));
    calendar_->setCurrentPage(y, m);
  };
  connect(year_, &QSpinBox::valueChanged, this, moveTo);
  connect(month_, &QComboBox::currentIndexChanged, this, moveTo);
  connect(calendar_, &QCalendarWidget::activated, this, &QDialog::accept);
}

QDate DatePickDialog::date() const { return calendar_->selectedDate(); }

std::optional<QDate> pickDate(const QDate& date, QWidget* parent) {
  DatePickDialog d(date.isValid() ? date : QDate::currentDate(), parent);
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return d.date();
}

// ---- Marking ----

MarkDialog::MarkDialog(const MarkInput& in, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Маркировка остатков"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Префикс"), this), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Номер"), this), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Суффикс"), this), 0, 2);
  prefix_ = new QLineEdit(in.prefix, this);
  auto* sample = new QLineEdit(QStringLiteral("1, 2, 3 ..."), this);
  sample->setReadOnly(true);
  sample->setEnabled(false);
  suffix_ = new QLineEdit(in.suffix, this);
  grid->addWidget(prefix_, 1, 0);
  grid->addWidget(sample, 1, 1);
  grid->addWidget(suffix_, 1, 2);
  layout->addLayout(grid);
  continuous_ = new QCheckBox(QStringLiteral("Сквозная нумерация остатков"), this);
  continuous_->setChecked(in.continuous);
  layout->addWidget(continuous_);
  auto* row = new QHBoxLayout;
  auto* startLabel = new QLabel(QStringLiteral("начать с"), this);
  start_ = new QLineEdit(in.startWith, this);
  row->addWidget(startLabel);
  row->addWidget(start_);
  row->addStretch();
  layout->addLayout(row);
  const auto enable = [this, startLabel](bool on) {
    start_->setEnabled(on);
    startLabel->setEnabled(on);
  };
  enable(in.continuous);
  connect(continuous_, &QCheckBox::toggled, this, enable);
  addOkCancel(this, layout);
}

MarkInput MarkDialog::input() const {
  return MarkInput{prefix_->text(), suffix_->text(), continuous_->isChecked(), start_->text()};
}

// ---- Code change ----

std::optional<QString> askScrapCode(const QString& current, QWidget* parent) {
  QDialog d(parent);
  d.setWindowTitle(QStringLiteral("Изменение шифра"));
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(new QLabel(QStringLiteral("Укажите новый шифр остатка"), &d));
  auto* edit = new QLineEdit(current, &d);
  layout->addWidget(edit);
  addOkCancel(&d, layout);
  edit->setFocus();
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return edit->text();
}

}  // namespace kroyna::warehouse
