#pragma once

// The models base window "База моделей": the section bar "Разделы" on the
// left, the model list with check boxes and counts, and the toolbar of
// the window's commands. What it decides is in ModelsBase; the window shows
// it and forwards the user's actions.

#include "models/ModelsBase.h"

#include <QWidget>

class QAction;
class QListWidget;
class QSplitter;
class QToolBar;
class QTreeView;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::models {

class ModelsListModel;

class ModelsWindow : public QWidget {
  Q_OBJECT
 public:
  // `dataRoot` is the program folder; `settings` its Kroyna.ini (section
  // `ModelsBase`: `OutLook_Width`, `lvw_Width0`, `lvw_Width1`).
  ModelsWindow(const QString& dataRoot, ini::IniFile& settings, QWidget* parent = nullptr);
  ~ModelsWindow() override;

  ModelsBase& base() { return *base_; }
  // Reads the models file; false after a message (the window is then not
  // to be shown).
  bool open();

  QListWidget* sectionBar() const { return bar_; }
  QTreeView* modelList() const { return list_; }
  QToolBar* toolBar() const { return toolBar_; }
  // A command by its object name ("actBuild", "actCount", ...).
  QAction* command(const QString& name) const;

  // The count popup for a row of the list.
  void editCount(int row);
  // "Печать списка выбранных моделей".
  void printSelected();

  void restoreLayout();
  void saveLayout();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildToolBar();
  void fillBar();
  void updateActions();
  QString chooseExportFile(const QString& modelName);

  QString dataRoot_;
  ini::IniFile& settings_;
  ModelsBase* base_ = nullptr;
  ModelsListModel* model_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QListWidget* bar_ = nullptr;
  QTreeView* list_ = nullptr;
  bool layoutRestored_ = false;
  bool filling_ = false;
};

}  // namespace kroyna::models
