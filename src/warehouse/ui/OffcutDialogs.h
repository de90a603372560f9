#pragma once

// Dialogs of offcut maintenance: the criteria "Параметры поступления
// остатков", the date filter "Фильтр", the date picking "Выбор дня", the
// marking "Маркировка остатков" and the code change "Изменение шифра".

#include "common/settings/OffcutCriteria.h"
#include "warehouse/WarehouseController.h"

#include <QDate>
#include <QDialog>

#include <optional>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace kroyna::warehouse {

// The criteria dialog. Number fields show the stored values also when
// their box is clear; the area field shows m² with three decimals.
class ScrapParamsDialog : public QDialog {
  Q_OBJECT
 public:
  ScrapParamsDialog(const QString& materialName, const common::ScrapCriteria& criteria, QWidget* parent = nullptr);
  // The values as "&Да" stores them: mm fields cut to whole numbers, the
  // area m² × 1 000 000 cut, joint mode off.
  common::ScrapCriteria criteria() const;

  QCheckBox* lengthBox() const { return length_; }
  QCheckBox* widthBox() const { return width_; }
  QCheckBox* areaBox() const { return area_; }
  QCheckBox* lengthLimitBox() const { return lengthLimit_; }
  QCheckBox* widthLimitBox() const { return widthLimit_; }
  QCheckBox* cleanUpBox() const { return cleanUp_; }
  QLineEdit* p1Edit() const { return p1_; }
  QLineEdit* areaEdit() const { return a_; }
  QLineEdit* p3Edit() const { return p3_; }

 private:
  void updateEnabled();
  QCheckBox* joint_ = nullptr;
  QCheckBox *length_ = nullptr, *width_ = nullptr, *area_ = nullptr;
  QCheckBox *lengthLimit_ = nullptr, *widthLimit_ = nullptr, *cleanUp_ = nullptr;
  QLineEdit *p1_ = nullptr, *p2_ = nullptr, *a_ = nullptr, *p3_ = nullptr, *p4_ = nullptr;
};

// The date filter dialog.
class DateFilterDialog : public QDialog {
  Q_OBJECT
 public:
  DateFilterDialog(const QString& from, const QString& to, QWidget* parent = nullptr);
  bool showAll() const;
  QString from() const;
  QString to() const;
  QCheckBox* showAllBox() const { return showAll_; }

 private:
  QCheckBox* showAll_ = nullptr;
  QLineEdit* from_ = nullptr;
  QLineEdit* to_ = nullptr;
  QLabel* fromLabel_ = nullptr;
  QLabel* toLabel_ = nullptr;
};

// The date-picking dialog of the "Дата" cell: opens on `date` and returns
// the date shown. Years 1991 to 2010 are offered in the year field; a date
// outside them is still shown and returned as it is.
class DatePickDialog : public QDialog {
  Q_OBJECT
 public:
  DatePickDialog(const QDate& date, QWidget* parent = nullptr);
  QDate date() const;

 private:
  QCalendarWidget* calendar_ = nullptr;
  QSpinBox* year_ = nullptr;
  QComboBox* month_ = nullptr;
};
// Shows the dialog on `date` (today when it is not valid); the picked date,
// or nothing when cancelled.
std::optional<QDate> pickDate(const QDate& date, QWidget* parent = nullptr);

// The marking dialog.
class MarkDialog : public QDialog {
  Q_OBJECT
 public:
  MarkDialog(const MarkInput& input, QWidget* parent = nullptr);
  MarkInput input() const;

 private:
  QLineEdit* prefix_ = nullptr;
  QLineEdit* suffix_ = nullptr;
  QCheckBox* continuous_ = nullptr;
  QLineEdit* start_ = nullptr;
};

// "Изменение шифра": the new code of an offcut on a map, or nothing when
// cancelled. The edit starts with `current`.
std::optional<QString> askScrapCode(const QString& current, QWidget* parent = nullptr);

}  // namespace kroyna::warehouse
