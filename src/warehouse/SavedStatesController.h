#pragma once

// The commands of saved warehouse states with their questions and
// messages: saving a state ("Сохранить состояние склада"), and changing the
// description of, deleting and restoring a state in the dialog "Просмотр
// состояний склада". The description dialog is asked for through a prompt
// the window gives; questions and messages go through shell/Messages.h.

#include "warehouse/SavedStates.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

namespace kroyna::warehouse {

class WarehouseController;

class SavedStatesController {
 public:
  // The description dialog "Сохранение состояния склада" opened on a text:
  // the text confirmed with "&Да", nothing on "&Отмена".
  using DescriptionPrompt = std::function<std::optional<QString>(const QString& text)>;

  SavedStatesController(WarehouseController& warehouse, DescriptionPrompt prompt);

  SavedStatesStore& store() { return store_; }
  // The clock of Date and Time (tests set their own).
  void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

  // The states for the list, oldest first. Shows the error and gives none
  // when WHSave.ini cannot be read.
  std::vector<SavedState> states();

  // Asks to save unsaved sheets and offcuts, asks for a description and
  // saves both stored tables as a new state. Returns its number; nothing
  // when the user cancelled or the save failed (after its message).
  std::optional<int> saveState();

  // "Изменить": the description dialog on the state's description; true
  // when a new one was written.
  bool changeRemark(int number);

  // "Удалить": asks, then removes the state and its files. True when it
  // was removed.
  bool deleteState(int number);

  // "Восстановить": asks whether to save the current state first (a
  // cancelled or failed save stops the restore), then puts the state's
  // tables in place of the stock and shows it in the warehouse window. True
  // when the stock was restored (the dialog then closes).
  bool restoreState(int number);

 private:
  WarehouseController& warehouse_;
  DescriptionPrompt prompt_;
  SavedStatesStore store_;
  std::function<QDateTime()> clock_;
};

// Whether a description can be kept in WHSave.ini (code page 1251); the
// message to show when not.
std::optional<QString> checkDescription(const QString& text);

}  // namespace kroyna::warehouse
