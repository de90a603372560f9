#pragma once

// The models base as its window uses it: the sections with their models
// and selection counts, the section bar headed by the two pseudo-sections,
// the model list shown, and every command of the window. The window only
// shows this object and forwards the user's actions; dialogs and parts
// windows are reached through the hooks of ModelsUi, so that tests can
// answer them.
//
// Messages and questions go through common::showMessage. Qt Core only.

#include "models/ModelsFile.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace kroyna::parts {
class PartsDocument;
struct PartRow;
}  // namespace kroyna::parts

namespace kroyna::report {
class PreparedReport;
}

namespace kroyna::models {

// Where the models base keeps its files, below the program folder.
struct ModelsPaths {
  QString root;
  QString modelsFile() const { return root + QStringLiteral("/Models.dat"); }
  QString patternModels() const { return root + QStringLiteral("/Pattern/Models.dat"); }
  QString patternFolder() const { return root + QStringLiteral("/Pattern"); }
  QString groupTemplate() const { return root + QStringLiteral("/Pattern/Group.dbf"); }
  QString catalogFolder() const { return root + QStringLiteral("/Catalog"); }
  QString tempFolder() const { return root + QStringLiteral("/Temp"); }
  QString exportFolder() const { return root + QStringLiteral("/Export"); }
  QString reportsFolder() const { return root + QStringLiteral("/Reports"); }
  // Catalog/<table>.dbf
  QString tablePath(const std::string& tableName) const;
};

// The models file of the program folder. When `Models.dat` is missing it is
// first made as a copy of `Pattern/Models.dat`. Throws ModelsFileError when
// neither is there or the copy fails.
ModelsFile openModelsFile(const ModelsPaths& paths);

// The first "mdl%d" (n = 0, 1, ...) whose table does not exist in Catalog
// and that no model of `sections` names, so that a model whose table was
// lost never gets another model's parts.
std::string newTableName(const ModelsPaths& paths, const ModelSectionList& sections);

// Section display names sorted as the window sorts them (locale-aware,
// letter case counts).
bool sectionNameLess(const std::string& a, const std::string& b);

// The count popup: the text typed becomes a count. An empty field counts
// as 0; a number (decimal point or comma) is rounded to a whole number and
// brought into 0 .. 2147483647; other text gives nothing.
std::optional<std::int32_t> countFromText(const QString& text);

// The model properties dialog: a section (display name) and a model name.
struct ModelProperties {
  QString section;
  QString name;
};
// The check of its "&Да": the message to show (the dialog stays open), or
// an empty text.
QString checkModelProperties(const ModelProperties& p);
// Index of the section preselected for `given`: display names compared
// ignoring the case of the Latin letters a-z; -1 when none matches.
int preselectedSection(const QStringList& sections, const QString& given);

// Parts windows, as the models base opens them.
class PartsHost {
 public:
  virtual ~PartsHost() = default;
  // A new parts window's document, not shown yet; nullptr when none can be
  // made.
  virtual parts::PartsDocument* newDocument() = 0;
  virtual void show(parts::PartsDocument* document) = 0;
  // Closes a window that was not shown.
  virtual void discard(parts::PartsDocument* document) = 0;
};

// The dialogs and windows the commands need.
struct ModelsUi {
  // The section name dialog with `initial`; the trimmed text, or nothing
  // on "&Отмена".
  std::function<std::optional<QString>(const QString& initial)> askSectionName;
  // The model properties dialog: the real sections' names (sorted) and the
  // values it opens with; the values on "&Да" (already checked), or nothing.
  std::function<std::optional<ModelProperties>(const QStringList& sections, const ModelProperties& initial)>
      askModelProperties;
  // The export file for a model; empty when cancelled.
  std::function<QString(const QString& modelName)> chooseExportFile;
  // The name of a material code for the export.
  std::function<QString(int code)> materialName;
  // Shows (true) and hides (false) the please-wait window around a long
  // operation.
  std::function<void(bool shown)> waiting;
  PartsHost* parts = nullptr;
};

// A new model of the section `storageName`: the rows go into a new model
// parts table (named by newTableName, a copy of Pattern/Group.dbf) and the
// model's record into the models file. On failure no new table is left
// behind and the error goes on (ModelsFileError, parts::GroupFileError).
ModelInfo addModelWithTable(const ModelsPaths& paths, ModelsFile& file, const std::string& storageName,
                            const std::string& name, const std::vector<parts::PartRow>& rows,
                            NameOrigin origin = NameOrigin::User);

// "Добавить модель": the rows a parts window shows become a new model.
// Asks for the section and the name (add mode, `section` preselected),
// writes the model parts table and the model's record. Reports a failure
// itself ("Ошибка добавления в базу элементов!"), leaving no new table
// behind. Returns the model as stored and its section's storage name.
std::optional<std::pair<std::string, ModelInfo>> addModelFromParts(const ModelsPaths& paths,
                                                                   const std::vector<parts::PartRow>& rows,
                                                                   const ModelsUi& ui, const QString& section = {});

// The lines of the INI export of a model's parts, in code page 1251:
// section DETALS, keys 1, 2, ... with "\"%s\",%d,%d,%d,\"%s\"" of name,
// length, width, quantity and material name, and DCOUNT.
std::string modelExportBytes(const std::vector<parts::PartRow>& rows, const std::function<QString(int)>& materialName);

class ModelsBase : public QObject {
  Q_OBJECT
 public:
  static const QString kAllModels;       // "<Все модели>"
  static const QString kSelectedModels;  // "<Выбранные модели>"

  explicit ModelsBase(ModelsPaths paths, QObject* parent = nullptr);
  ~ModelsBase() override;

  const ModelsPaths& paths() const { return paths_; }
  ModelsUi& ui() { return ui_; }
  const ModelsUi& ui() const { return ui_; }

  // Reads the sections with their models, every count 0, the first bar
  // entry shown. Returns false after a message when the file cannot be
  // read.
  bool open();
  // Reads the file again (another command or program changed it), keeping
  // the counts, the bar entry and the current model where they still exist.
  void reload();

  // ---- Section bar ----

  // The real sections, sorted by display name; bar entry i >= 2 is
  // section i - 2.
  const ModelSectionList& sections() const { return sections_; }
  QStringList entryNames() const;
  int currentEntry() const { return entry_; }
  // Shows the models of an entry; the first row becomes current.
  void showEntry(int entry);
  bool isRealSection(int entry) const { return entry >= 2 && entry - 2 < static_cast<int>(sections_.size()); }

  // ---- Model list ----

  int rowCount() const { return static_cast<int>(rows_.size()); }
  const ModelInfo& rowModel(int row) const;
  const ModelSection& rowSection(int row) const;
  int currentRow() const { return current_; }
  void setCurrentRow(int row);
  bool hasCurrentModel() const { return current_ >= 0 && current_ < rowCount(); }

  // Selection counts.
  void setCount(int row, std::int32_t count);
  // A check box: checking a model with count 0 makes it 1, unchecking makes
  // it 0; other counts stay.
  void setChecked(int row, bool checked);
  // "Разотметить": the models of the current entry (of every section for
  // the pseudo-sections) to 0. "Разотметить все": every model to 0.
  void clearEntry();
  void clearAll();

  // ---- Commands ----

  // "&Создать": a new untitled parts database from the selected models.
  void buildPartsBase();
  void addSection();
  void renameSection();
  void deleteSection();
  // "Изменить свойства модели".
  void editModel();
  // "Открыть базу деталей".
  void openModelParts();
  void deleteModel();
  // "Экспорт в INI - файл" into the file the chooser gives.
  void exportModel();
  // The models of the list shown whose count is not 0, in list order, for
  // `ModelsList.frf` (MODELNAME, MODELCOUNT). Throws report::ReportError.
  report::PreparedReport prepareSelectedList(int leftMm, int topMm, int rightMm, int bottomMm, bool landscape) const;

 signals:
  // The bar's entries changed (names, order, current entry).
  void entriesReset();
  // The rows shown changed as a whole.
  void rowsReset();
  // One row's count changed.
  void rowChanged(int row);
  void currentRowChanged(int row);

 private:
  struct Key {
    std::string storage, stream;
  };
  void sortSections();
  void rebuildRows();
  int entryOfStorage(const std::string& storageName) const;
  // Replaces the sections with the file's, carrying the counts over; then
  // shows `entryStorage` (a storage name), or `fallbackEntry` when empty or
  // gone.
  bool readFile(const std::string& entryStorage, int fallbackEntry, const std::optional<Key>& keepRow = {});
  // The section name dialog until the name is free among the bar's entries
  // other than `exceptEntry` (-1: all) or the user cancels.
  std::optional<QString> askNewSectionName(const QString& initial, int exceptEntry);
  bool tableOpen(const std::string& tableName) const;
  bool tableStillNamed(const std::string& tableName) const;

  ModelsPaths paths_;
  ModelsUi ui_;
  ModelsFile file_;
  ModelSectionList sections_;
  std::vector<std::pair<int, int>> rows_;  // section, model
  int entry_ = 0;
  int current_ = -1;
};

}  // namespace kroyna::models
