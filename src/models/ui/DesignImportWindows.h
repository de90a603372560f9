#pragma once

// The windows of the design-module import: the progress window "Импорт баз
// деталей" of the start-up import, and the dialog "Модели" that lists the
// models the models base lacks.

#include <QDialog>
#include <QWidget>

class QLabel;
class QListWidget;
class QProgressBar;
class QRadioButton;

namespace kroyna::models {

// "Импорт баз деталей": a bold line for the kind of data, a line for the
// file and a progress bar; no system buttons, above the program's windows.
class AutoRunProgressWindow : public QWidget {
  Q_OBJECT
 public:
  explicit AutoRunProgressWindow(int maximum, QWidget* parent = nullptr);
  void setStep(const QString& kind, const QString& file, int progress);

  QLabel* kindLine() const { return kind_; }
  QLabel* fileLine() const { return file_; }
  QProgressBar* progressBar() const { return bar_; }

 private:
  QLabel* kind_ = nullptr;
  QLabel* file_ = nullptr;
  QProgressBar* bar_ = nullptr;
};

// "Модели": the names of the missing models, each once, with the choices
// "Проигнорировать" (preselected) and "Создать файл со списком моделей".
class MissingModelsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit MissingModelsDialog(const QStringList& names, QWidget* parent = nullptr);
  // True when "Создать файл со списком моделей" is chosen.
  bool createListFile() const;

  QListWidget* list() const { return list_; }
  QRadioButton* ignoreChoice() const { return ignore_; }
  QRadioButton* createChoice() const { return create_; }

  // Shows the dialog; true when the user chose to create the list file and
  // pressed "&Да".
  static bool ask(QWidget* parent, const QStringList& names);

 private:
  QListWidget* list_ = nullptr;
  QRadioButton* ignore_ = nullptr;
  QRadioButton* create_ = nullptr;
};

}  // namespace kroyna::models
