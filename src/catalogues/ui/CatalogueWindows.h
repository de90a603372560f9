#pragma once

// The catalogue windows and dialogs. Each shows what a plain class of
// CatalogueEditors.h decides and forwards the user's actions to it.

#include "catalogues/CatalogueEditors.h"
#include "catalogues/Catalogues.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QDialog>
#include <QPointer>
#include <QStyledItemDelegate>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStatusBar;
class QTableView;
class QToolBar;
class QToolButton;

namespace kroyna::catalogues {

// A table view whose open cell editor can be committed from outside: every
// toolbar command first posts the pending edit of the grid. Insert, and
// the down arrow on the last row, ask for a new row (newRowRequested).
class CatalogueGrid;

// A grid model over the rows of a catalogue editor (MaterialsEditor,
// EdgesEditor): appending a row, removing one, and leaving the new row,
// which goes from the grid too when it was never filled in.
class CatalogueRowsModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

 protected:
  template <class Editor>
  bool leaveNewRowOf(Editor& editor) {
    const int row = editor.newRow();
    if (!editor.isUntouchedNewRow(row)) {
      editor.leaveNewRow();
      return false;
    }
    beginRemoveRows({}, row, row);
    editor.leaveNewRow();
    endRemoveRows();
    return true;
  }
  template <class Editor>
  int addRowTo(Editor& editor) {
    leaveNewRowOf(editor);
    const int row = editor.rowCount();
    beginInsertRows({}, row, row);
    editor.addRow();
    endInsertRows();
    return row;
  }
  template <class Editor>
  void removeRowOf(Editor& editor, int row) {
    beginRemoveRows({}, row, row);
    editor.removeRow(row);
    endRemoveRows();
  }
};

// ---- Materials window ----

class MaterialsModel : public CatalogueRowsModel {
  Q_OBJECT
 public:
  explicit MaterialsModel(MaterialsEditor& editor, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Appends a row (after leaving the new row before it).
  int addRow();
  void removeRow(int row);
  // The user leaves the new row: a row never filled in goes, from the grid
  // too. Returns whether one went.
  bool leaveNewRow();

 private:
  MaterialsEditor& editor_;
};

// "Материалы" (`TMaterialsForm`): the grid of the working copy of the
// current materials table.
class MaterialsWindow : public QDialog {
  Q_OBJECT
 public:
  // Throws CatalogueError when the working copy cannot be made.
  MaterialsWindow(Catalogues& catalogues, QWidget* parent = nullptr);
  ~MaterialsWindow() override;

  MaterialsEditor& editor() { return *editor_; }
  MaterialsModel& model() { return *model_; }
  QTableView& grid();
  QAction* saveAction() const { return save_; }
  QAction* deleteAction() const { return delete_; }
  QAction* cancelEditAction() const { return cancelEdit_; }
  QAction* okAction() const { return ok_; }
  QAction* closeAction() const { return close_; }

  // Appends a new row and makes it current.
  void addRow();

 protected:
  void done(int result) override;

 private:
  bool save();
  void saveLayout();

  Catalogues& catalogues_;
  std::unique_ptr<MaterialsEditor> editor_;
  MaterialsModel* model_ = nullptr;
  CatalogueGrid* grid_ = nullptr;
  QAction *save_ = nullptr, *delete_ = nullptr, *cancelEdit_ = nullptr, *ok_ = nullptr, *close_ = nullptr;
  bool closed_ = false;
  bool saved_ = false;  // the table was written since the window opened
};

// ---- Edges window ----

class EdgesModel : public CatalogueRowsModel {
  Q_OBJECT
 public:
  enum Column { CodeColumn, NameColumn, AllowanceColumn, ColourColumn, ColumnCount };
  explicit EdgesModel(EdgesEditor& editor, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Appends a row (after leaving the new row before it).
  int addRow();
  void removeRow(int row);
  // The user leaves the new row: a row never filled in goes, from the grid
  // too. Returns whether one went.
  bool leaveNewRow();
  void setColour(int row, int colour);
  // After the editor reloaded or saved its rows.
  void reset();

 private:
  EdgesEditor& editor_;
};

// "Кромки" (`TfrmBordersSetup`): the current edge table with its edits
// kept until saved.
class EdgesWindow : public QDialog {
  Q_OBJECT
 public:
  // Asks for a colour, starting from the given one; nothing when cancelled.
  using ColourPicker = std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)>;

  // Throws CatalogueError when the edge table cannot be read.
  EdgesWindow(Catalogues& catalogues, QWidget* parent = nullptr);
  ~EdgesWindow() override;

  EdgesEditor& editor() { return *editor_; }
  EdgesModel& model() { return *model_; }
  QTableView& grid();
  QAction* saveAction() const { return save_; }
  QAction* deleteAction() const { return delete_; }
  QAction* colourAction() const { return colour_; }
  QAction* okAction() const { return ok_; }
  QAction* closeAction() const { return close_; }
  void setColourPicker(ColourPicker picker) { picker_ = std::move(picker); }

  void addRow();
  // The colour dialog for a row (the "&Цвет" command and the button of the
  // "Цвет" column).
  void chooseColour(int row);

 protected:
  void done(int result) override;

 private:
  bool save();

  Catalogues& catalogues_;
  std::unique_ptr<EdgesEditor> editor_;
  EdgesModel* model_ = nullptr;
  CatalogueGrid* grid_ = nullptr;
  QStatusBar* status_ = nullptr;
  QAction *save_ = nullptr, *delete_ = nullptr, *colour_ = nullptr, *ok_ = nullptr, *close_ = nullptr;
  ColourPicker picker_;
  bool saved_ = false;  // the table was written since the window opened
};

// ---- Material choice, replace and search dialogs ----

// "Выбор материала" (`TfrmSelectMaterialDlg`): a list box of material
// names in a chosen number of columns.
class SelectMaterialDialog : public QDialog {
  Q_OBJECT
 public:
  SelectMaterialDialog(const MaterialList& materials, int code, ini::IniFile& settings, QWidget* parent = nullptr);
  ~SelectMaterialDialog() override;

  QListWidget& list() { return *list_; }
  QSpinBox& columns() { return *columns_; }
  // The chosen code after OK: the selected entry's code, -1 without one.
  int chosenCode() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void applyColumns();

  MaterialList materials_;
  ini::IniFile& settings_;
  QListWidget* list_ = nullptr;
  QSpinBox* columns_ = nullptr;
};

// "Выбор материала" (`TfrmSelectMaterial`): the replacement material for a
// command that changes the material of many rows.
class ReplaceMaterialDialog : public QDialog {
  Q_OBJECT
 public:
  // `materials` empty with `readFailed` set shows the read error.
  ReplaceMaterialDialog(const QString& currentText, const MaterialList& materials, int initialCode,
                        QWidget* parent = nullptr);

  QListWidget& list() { return *list_; }
  QPushButton& replaceButton() { return *replace_; }
  int chosenCode() const;

 private:
  MaterialList materials_;
  QListWidget* list_ = nullptr;
  QPushButton* replace_ = nullptr;
};

// "Поиск материала" (`TfrmFindMaterial`).
class FindMaterialDialog : public QDialog {
  Q_OBJECT
 public:
  FindMaterialDialog(const QList<MaterialBarEntry>& entries, int selected, QWidget* parent = nullptr);

  QLineEdit& text() { return *text_; }
  QListWidget& list() { return *list_; }
  // Index of the selected entry, -1 without one.
  int chosenIndex() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* text_ = nullptr;
  QListWidget* list_ = nullptr;
};

// "Базы материалов и кромок" (`TfrmMatBaseChange`).
class CatalogueSwitchDialog : public QDialog {
  Q_OBJECT
 public:
  // Asks for a folder; empty when cancelled.
  using FolderPicker = std::function<QString(const QString& start, QWidget* parent)>;

  // Throws CatalogueError when the settings cannot be read.
  CatalogueSwitchDialog(ini::IniFile& settings, const QString& companionFolder, QWidget* parent = nullptr);

  QRadioButton& localButton() { return *local_; }
  QRadioButton& externalButton() { return *external_; }
  QLineEdit& pathField() { return *path_; }
  QToolButton& browseButton() { return *browse_; }
  void setFolderPicker(FolderPicker picker) { picker_ = std::move(picker); }

  // The folder browser: repeats until cancelled or a folder with both files
  // is chosen.
  void browse();
  void accept() override;

 private:
  void updateEnabled();

  ini::IniFile& settings_;
  QRadioButton* local_ = nullptr;
  QRadioButton* external_ = nullptr;
  QLineEdit* path_ = nullptr;
  QToolButton* browse_ = nullptr;
  FolderPicker picker_;
};

// Runs the switch dialog and, when it closes with "&Да", applies the mode
// and rebuilds the material lists and the edge list.
void runCatalogueSwitch(Catalogues& catalogues, QWidget* parent);
// The modal windows of the "&Установки" menu.
void runMaterialsWindow(Catalogues& catalogues, QWidget* parent);
void runEdgesWindow(Catalogues& catalogues, QWidget* parent);

}  // namespace kroyna::catalogues
