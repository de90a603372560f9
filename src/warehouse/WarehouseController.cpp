#include "warehouse/WarehouseController.h"

#include "common/Messages.h"
#include "common/SettingsUtils.h"
#include "common/settings/MaterialSettings.h"
#include "common/settings/SettingsKeys.h"
#include "platform/ini/IniFile.h"

#include <cmath>
#include <exception>

namespace kroyna::warehouse {

using common::MsgButtons;
using common::MsgIcon;
using common::MsgResult;

namespace {

QString reasonOf(const std::exception& e) { return QString::fromUtf8(e.what()); }

// A whole number typed in a dialog field: digits only (blanks around
// allowed), up to 2147483647.
std::optional<std::int32_t> fieldNumber(const QString& text) { return parseWholeNumber(text.toStdString()); }

QString storedName(StockKind kind) {
  return kind == StockKind::Sheets ? QStringLiteral("базы стандартных листов") : QStringLiteral("базы остатков");
}

}  // namespace

std::optional<AddSheetFault> checkAddSheet(const AddSheetInput& in) {
  const auto positive = [](const QString& t) {
    const auto n = fieldNumber(t);
    return n && *n > 0;
  };
  if (!positive(in.length)) return AddSheetFault{QStringLiteral("Длина листа должна быть больше 0."), 0};
  if (!positive(in.width)) return AddSheetFault{QStringLiteral("Ширина листа должна быть больше 0."), 1};
  if (!positive(in.quantity)) return AddSheetFault{QStringLiteral("Количество листов должно быть больше 0."), 2};
  if (!in.material || *in.material == kAllMaterials)
    return AddSheetFault{QStringLiteral("Необходимо указать название материала листа."), 3};
  return std::nullopt;
}

WarehouseController::WarehouseController(StockModule& module, ini::IniFile& settings)
    : module_(module), settings_(settings) {
  from_ = to_ = dbase::Date::today();
}

void WarehouseController::makeWorkingCopies() {
  try {
    module_.makeWorkingCopy(StockKind::Sheets);
  } catch (const std::exception&) {
    common::showError(QStringLiteral("Ошибка открытия базы листов"));
  }
  try {
    module_.makeWorkingCopy(StockKind::Scraps);
  } catch (const std::exception&) {
    common::showError(QStringLiteral("Ошибка открытия базы отходов"));
  }
}

void WarehouseController::rebuildBar(int code) {
  bar_.clear();
  bar_.append({QString::fromUtf8("<все материалы>"), kAllMaterials});
  for (const MaterialEntry& m : module_.materials().materials()) bar_.append({QString::fromStdString(m.name), m.code});
  bool found = false;
  for (const BarEntry& e : bar_) found = found || e.code == code;
  select(found ? code : kAllMaterials);
}

int WarehouseController::selectedIndex() const {
  for (int i = 0; i < bar_.size(); ++i)
    if (bar_[i].code == selected_) return i;
  return 0;
}

QString WarehouseController::materialNameOf(int code) const {
  if (code == kAllMaterials) return QString::fromUtf8("<все материалы>");
  for (const BarEntry& e : bar_)
    if (e.code == code) return e.name;
  return QString::fromStdString(module_.materials().name(code));
}

DateFilter WarehouseController::currentFilter() const { return DateFilter{filterOn_, from_, to_}; }

void WarehouseController::select(int code) {
  selected_ = code;
  try {
    module_.selectMaterial(code, currentFilter());
  } catch (const std::exception&) {
    common::showError(QStringLiteral("Ошибка при обращении к складу!"));
  }
}

bool WarehouseController::save(StockKind kind) {
  try {
    module_.save(kind);
    return true;
  } catch (const std::exception& e) {
    common::showError(QStringLiteral("Ошибка сохранения %1!\r%2\r\rСохранённая база не изменилась, "
                                     "изменения остались в рабочей копии.")
                          .arg(storedName(kind), reasonOf(e)));
    return false;
  }
}

void WarehouseController::deleteRow(StockKind kind) {
  const bool sheets = kind == StockKind::Sheets;
  try {
    module_.postPending(kind);
  } catch (const std::exception& e) {
    common::showError(reasonOf(e));
    return;
  }
  if (!module_.view(kind).isOpen() || !module_.view(kind).hasCurrentRow()) return;
  if (!common::askYesNo(sheets ? QStringLiteral("Действительно удалить запись\rиз базы стандартных листов?")
                               : QStringLiteral("Действительно удалить запись\rиз базы отходов?")))
    return;
  try {
    module_.deleteCurrent(kind);
  } catch (const std::exception&) {
    common::showError(sheets ? QStringLiteral("Ошибка удаления из базы стандартных листов.")
                             : QStringLiteral("Ошибка удаления из базы отходов."));
  }
}

bool WarehouseController::addSheet(const AddSheetInput& in) {
  if (const auto fault = checkAddSheet(in)) {
    common::showError(fault->message);
    return false;
  }
  try {
    module_.addSheets(*fieldNumber(in.length), *fieldNumber(in.width), *fieldNumber(in.quantity), *in.material);
    return true;
  } catch (const std::exception& e) {
    common::showError(QStringLiteral("Лист не добавлен на склад:\r%1").arg(reasonOf(e)));
    return false;
  }
}

void WarehouseController::clearOffcuts() {
  try {
    module_.postPending(StockKind::Scraps);
  } catch (const std::exception& e) {
    common::showError(reasonOf(e));
    return;
  }
  const QString question =
      selected_ == kAllMaterials
          ? QStringLiteral("ВНИМАНИЕ!\r\rДействительно очистить ВСЮ базу остатков?")
          : QStringLiteral("ВНИМАНИЕ!\r\rДействительно очистить базу остатков текущего материала?");
  if (!common::askYesNo(question)) return;
  try {
    module_.clearOffcuts(selected_);
  } catch (const std::exception& e) {
    common::showError(
        QStringLiteral("Ошибка очистки базы остатков:\r%1\r\rБаза остатков не изменилась.").arg(reasonOf(e)));
  }
}

common::ScrapCriteria WarehouseController::beginScrapParams() {
  try {
    module_.postPending(StockKind::Scraps);
    module_.mergeOffcuts();
  } catch (const std::exception&) {
    common::showError(QStringLiteral("Внутренняя ошибка при подсчёте отходов\rодинакового размера!"));
  }
  return common::MaterialSettings(selected_).offcutCriteria(settings_);
}

void WarehouseController::applyScrapParams(common::ScrapCriteria criteria) {
  criteria.joint = false;
  QStringList failures;
  try {
    common::MaterialSettings(selected_).setOffcutCriteria(settings_, criteria);
    QList<int> codes;
    if (selected_ == kAllMaterials) {
      for (const BarEntry& e : bar_) codes.append(e.code);
    } else {
      codes.append(selected_);
    }
    for (int code : codes) {
      const common::MaterialSettings material(code);
      material.setOffcutCriteria(settings_, criteria);
      const common::ScrapCriteria stored = material.offcutCriteria(settings_);
      if (!stored.cleanUp) continue;
      const CleanUpResult r = module_.cleanUp(code, stored);
      for (const std::string& f : r.failures) failures.append(QString::fromStdString(f));
    }
  } catch (const std::exception& e) {
    failures.append(reasonOf(e));
  }
  try {
    module_.reselect();
  } catch (const std::exception&) {
    common::showError(QStringLiteral("Ошибка при обращении к складу!"));
  }
  if (!failures.isEmpty())
    common::showError(QStringLiteral("Не удалось удалить отходы со склада:\r%1").arg(failures.join("\r")));
}

QString WarehouseController::filterFrom() const {
  return filterOn_ ? fromText_ : QString::fromStdString(dbase::Date::today().toString());
}

QString WarehouseController::filterTo() const {
  return filterOn_ ? toText_ : QString::fromStdString(dbase::Date::today().toString());
}

bool WarehouseController::applyDateFilter(bool showAll, const QString& from, const QString& to) {
  if (showAll) {
    filterOn_ = false;
    status_.clear();
  } else {
    const auto f = dbase::Date::parse(from.trimmed().toStdString());
    const auto t = dbase::Date::parse(to.trimmed().toStdString());
    if (!f || !t) {
      common::showError(QStringLiteral("Ошибка ввода даты!\r\rПовторите ввод ещё раз."));
      return false;
    }
    filterOn_ = true;
    from_ = *f;
    to_ = *t;
    fromText_ = from.trimmed();
    toText_ = to.trimmed();
    status_ = QStringLiteral("Установлен фильтр (с %1 по %2 )").arg(fromText_, toText_);
  }
  select(selected_);
  return true;
}

MarkInput WarehouseController::beginMarking() {
  try {
    module_.postPending(StockKind::Scraps);
  } catch (const std::exception& e) {
    common::showError(reasonOf(e));
  }
  const common::MarkRecord m = common::MaterialSettings(selected_).offcutCodes(settings_);
  MarkInput in;
  in.continuous = m.continuous;
  in.prefix = QString::fromStdString(m.prefix);
  in.suffix = QString::fromStdString(m.suffix);
  in.startWith = QString::number(static_cast<qint64>(m.number) + 1);
  return in;
}

bool WarehouseController::applyMarking(const MarkInput& in) {
  const double start = common::textToFloat(in.startWith);
  if (in.continuous && (start < 1 || start > 2147483647.0)) {
    common::showError(
        QStringLiteral("Номер, с которого начинается нумерация, должен быть целым числом от 1 до 2147483647."));
    return false;
  }
  const std::int32_t first = (start >= 1 && start <= 2147483647.0) ? static_cast<std::int32_t>(std::trunc(start)) : 1;
  common::MarkRecord rec{in.continuous, in.prefix.toStdString(), in.suffix.toStdString(), first - 1};
  try {
    common::MaterialSettings(selected_).setOffcutCodes(settings_, rec);
    module_.markOffcuts(rec.prefix, rec.suffix, in.continuous ? first - 1 : 0);
  } catch (const std::exception& e) {
    common::showError(QStringLiteral("Ошибка маркировки остатков:\r%1").arg(reasonOf(e)));
    return false;
  }
  return true;
}

bool WarehouseController::queryClose() {
  bool mayClose = true;
  const auto ask = [&](StockKind kind, const QString& question) {
    if (!module_.changed(kind)) return;
    const MsgResult r = common::showMessage(question, MsgIcon::Warning, MsgButtons::YesNoCancel);
    if (r == MsgResult::Yes) {
      if (!save(kind)) mayClose = false;
    } else if (r == MsgResult::No) {
      try {
        module_.revert(kind);
      } catch (const std::exception& e) {
        common::showError(QStringLiteral("Ошибка восстановления %1:\r%2").arg(storedName(kind), reasonOf(e)));
        mayClose = false;
      }
    } else {
      mayClose = false;
    }
  };
  try {
    module_.postPending();
  } catch (const std::exception& e) {
    common::showError(reasonOf(e));
    return false;
  }
  ask(StockKind::Sheets, QStringLiteral("Сохранить изменения в базе стандартных листов?"));
  ask(StockKind::Scraps, QStringLiteral("Сохранить изменения в базе остатков?"));
  if (mayClose) {
    module_.setChanged(StockKind::Sheets, false);
    module_.setChanged(StockKind::Scraps, false);
  }
  return mayClose;
}

OffcutLabelRows WarehouseController::offcutLabelRows() {
  try {
    return module_.offcutLabelRows();
  } catch (const std::exception&) {
    common::showError(QStringLiteral("Ошибка создания списка остатков."));
    return {};
  }
}

int WarehouseController::newRowMaterial() const { return common::newRowMaterial(settings_, selected_); }

}  // namespace kroyna::warehouse
