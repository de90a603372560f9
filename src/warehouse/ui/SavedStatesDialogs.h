#pragma once

// Dialogs of saved warehouse states: the description dialog "Сохрание
// состояния склада" and the list "Просмотр состояний склада". What they do
// is in SavedStatesController.

#include "warehouse/SavedStatesController.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::warehouse {

class WarehouseController;

// One edit "Описание" (focused when shown), "&Да" and "&Отмена". "&Да" is
// refused with a message while the text cannot be kept in WHSave.ini.
class StateDescriptionDialog : public QDialog {
  Q_OBJECT
 public:
  explicit StateDescriptionDialog(const QString& text, QWidget* parent = nullptr);
  QString text() const;
  QLineEdit* edit() const { return edit_; }
  void accept() override;

 private:
  QLineEdit* edit_ = nullptr;
};

// The prompt of SavedStatesController that opens the description dialog.
SavedStatesController::DescriptionPrompt descriptionDialogPrompt(QWidget* parent);

// The list of saved states, oldest first (the newest selected when it
// opens), with "Изменить", "Восстановить", "Удалить" (enabled only while a
// row is selected) and "Закрыть". A double
// click or Enter on a row runs "Изменить". Its size and the widths of the
// three columns are kept in section ViewWHs of the settings file.
class SavedStatesDialog : public QDialog {
  Q_OBJECT
 public:
  SavedStatesDialog(SavedStatesController& controller, ini::IniFile& settings, QWidget* parent = nullptr);
  ~SavedStatesDialog() override;

  QTreeWidget* list() const { return list_; }
  QPushButton* button(const QString& caption) const;
  // The state number of each row, top to bottom.
  QList<int> rowNumbers() const;

  // Rereads the list, keeping the selected state when it is still there.
  void reload();
  void changeSelected();
  void restoreSelected();
  void deleteSelected();

 private:
  int selectedNumber() const;
  void updateButtons();

  SavedStatesController& controller_;
  ini::IniFile& settings_;
  QTreeWidget* list_ = nullptr;
  QPushButton* change_ = nullptr;
  QPushButton* restore_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* close_ = nullptr;
};

// "Сохранить состояние склада" and "База сохраненных состояний склада" of
// the warehouse.
void saveWarehouseState(WarehouseController& warehouse, QWidget* parent);
void showSavedStates(WarehouseController& warehouse, QWidget* parent);

}  // namespace kroyna::warehouse
