#pragma once

// The dialogs of the models base: the section name dialog "Ввод названия",
// the model properties dialog "Свойства модели" and the count popup
// "Изменение количества". What they check is in ModelsBase.h.

#include "models/ModelsBase.h"

#include <QDialog>

#include <cstdint>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kroyna::models {

class SectionNameDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SectionNameDialog(const QString& initial, QWidget* parent = nullptr);
  // The text without surrounding blanks.
  QString name() const;
  QLineEdit* edit() const { return edit_; }
  QPushButton* okButton() const { return ok_; }

  // Shows the dialog; the name on "&Да", nothing on "&Отмена".
  static std::optional<QString> ask(QWidget* parent, const QString& initial);

 private:
  QLineEdit* edit_ = nullptr;
  QPushButton* ok_ = nullptr;
};

class ModelPropertiesDialog : public QDialog {
  Q_OBJECT
 public:
  // `sections` are the real sections' names, sorted; an empty model name
  // in `initial` is the add mode.
  ModelPropertiesDialog(const QStringList& sections, const ModelProperties& initial, QWidget* parent = nullptr);
  ModelProperties values() const;
  QComboBox* sectionBox() const { return sections_; }
  QLineEdit* nameEdit() const { return name_; }

  // "&Да": the checks of checkModelProperties; a message keeps it open.
  void accept() override;

  static std::optional<ModelProperties> ask(QWidget* parent, const QStringList& sections,
                                            const ModelProperties& initial);

 private:
  QComboBox* sections_ = nullptr;
  QLineEdit* name_ = nullptr;
};

class CountPopup : public QDialog {
  Q_OBJECT
 public:
  explicit CountPopup(std::int32_t count, QWidget* parent = nullptr);
  QLineEdit* edit() const { return edit_; }
  // The count of the text typed (see countFromText).
  std::optional<std::int32_t> count() const;

  // Shows the popup at `globalPos`; the new count on "&Да", nothing when it
  // is closed otherwise.
  static std::optional<std::int32_t> ask(QWidget* parent, const QPoint& globalPos, std::int32_t count);

 private:
  QLineEdit* edit_ = nullptr;
};

}  // namespace kroyna::models
