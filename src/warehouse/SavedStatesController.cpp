#include "warehouse/SavedStatesController.h"

#include "common/AppState.h"
#include "common/Messages.h"
#include "platform/text/Cp1251.h"
#include "warehouse/WarehouseController.h"

namespace kroyna::warehouse {

using common::MsgButtons;
using common::MsgIcon;
using common::MsgResult;

namespace {

QString reasonOf(const std::exception& e) { return QString::fromUtf8(e.what()); }

}  // namespace

std::optional<QString> checkDescription(const QString& text) {
  if (!text::fitsCp1251(text.toStdString()))
    return QStringLiteral("Описание содержит символы, которые нельзя сохранить в файле состояний склада.");
  return std::nullopt;
}

SavedStatesController::SavedStatesController(WarehouseController& warehouse, DescriptionPrompt prompt)
    : warehouse_(warehouse),
      prompt_(std::move(prompt)),
      store_(warehouse.module().dataRoot() / "Warehouse"),
      clock_([] { return QDateTime::currentDateTime(); }) {}

std::vector<SavedState> SavedStatesController::states() {
  try {
    std::vector<SavedState> list = store_.states();
    sortByDate(list);
    return list;
  } catch (const std::exception& e) {
    common::showError(reasonOf(e));
    return {};
  }
}

std::optional<int> SavedStatesController::saveState() {
  StockModule& module = warehouse_.module();
  try {
    module.postPending();
  } catch (const std::exception& e) {
    common::showError(reasonOf(e));
    return std::nullopt;
  }
  // A state holds the stored tables: changes still in the working copies
  // get into it only when they are saved now.
  const std::pair<StockKind, QString> questions[] = {
      {StockKind::Sheets, QStringLiteral("Сохранить изменения в базе стандартных листов?")},
      {StockKind::Scraps, QStringLiteral("Сохранить изменения в базе остатков?")}};
  for (const auto& [kind, question] : questions) {
    if (!module.changed(kind)) continue;
    const MsgResult r = common::showMessage(question, MsgIcon::Warning, MsgButtons::YesNoCancel);
    if (r == MsgResult::Cancel) return std::nullopt;
    // The user wants those changes in the state: without them the state
    // would not be what was asked for.
    if (r == MsgResult::Yes && !warehouse_.save(kind)) return std::nullopt;
  }
  const std::optional<QString> remark = prompt_ ? prompt_(QString()) : std::nullopt;
  if (!remark) return std::nullopt;
  const QDateTime now = clock_();
  try {
    return store_.save(module.storedTable(StockKind::Sheets), module.storedTable(StockKind::Scraps),
                       now.toString(QStringLiteral("dd.MM.yyyy")).toStdString(),
                       now.toString(QStringLiteral("HH:mm:ss")).toStdString(), remark->toStdString());
  } catch (const std::exception& e) {
    common::showError(QStringLiteral("Ошибка сохранения состояния склада.\r%1").arg(reasonOf(e)));
    return std::nullopt;
  }
}

bool SavedStatesController::changeRemark(int number) {
  std::optional<SavedState> state;
  try {
    state = store_.state(number);
  } catch (const std::exception& e) {
    common::showError(reasonOf(e));
    return false;
  }
  if (!state) return false;
  const std::optional<QString> remark = prompt_ ? prompt_(QString::fromStdString(state->remark)) : std::nullopt;
  if (!remark) return false;
  try {
    store_.setRemark(number, remark->toStdString());
    return true;
  } catch (const std::exception& e) {
    common::showError(reasonOf(e));
    return false;
  }
}

bool SavedStatesController::deleteState(int number) {
  if (!common::askYesNo(QStringLiteral("Действительно удалить сохраненное состояние склада?"))) return false;
  try {
    store_.remove(number);
    return true;
  } catch (const std::exception& e) {
    common::showError(reasonOf(e));
    return false;
  }
}

bool SavedStatesController::restoreState(int number) {
  // The cutting run reads the standard sheets through a view of the
  // working copy; it must not be pulled from under the run.
  if (common::isBusy()) {
    common::showError(
        QStringLiteral("Идёт разложение деталей.\rВосстановить состояние склада можно после его окончания."));
    return false;
  }
  const MsgResult r =
      common::showMessage(QStringLiteral("ВНИМАНИЕ!\r\rПеред восстановлением сохраненного состояния склада\r"
                                         "рекомендуется сохранить его текущее состояние!\r\rСохранить?"),
                          MsgIcon::Warning, MsgButtons::YesNoCancel);
  if (r == MsgResult::Cancel) return false;
  // The user asked for a safe copy of the present stock first: without it
  // the restore would overwrite what was to be kept.
  if (r == MsgResult::Yes && !saveState()) return false;

  std::optional<SavedState> state;
  try {
    state = store_.state(number);
  } catch (const std::exception& e) {
    common::showError(reasonOf(e));
    return false;
  }
  if (!state) {
    common::showError(QStringLiteral("Сохраненное состояние склада не найдено."));
    return false;
  }
  bool restored = true;
  QString failure;
  try {
    restoreStockTables(warehouse_.module(), store_.sheetsCopy(number), store_.scrapsCopy(number));
  } catch (const RestoreError& e) {
    restored = false;
    failure = QStringLiteral("Ошибка восстановления состояния склада.\r%1\r\r%2")
                  .arg(reasonOf(e), e.rolledBack() ? QStringLiteral("Склад не изменился.")
                                                   : QStringLiteral("Прежнее содержимое склада вернуть не удалось."));
  }
  // Both views show the stock again with the window's filters.
  warehouse_.select(warehouse_.selectedCode());
  if (!restored) common::showError(failure);
  return restored;
}

}  // namespace kroyna::warehouse
