#pragma once

#include "catalogues/Catalogues.h"
#include "parts/GroupFiles.h"
#include "platform/dbase/Table.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::parts {

// Columns of the parts grid, in their order (the first ten are the fields
// of the data table).
enum Column {
  ColName = 0,
  ColLength,
  ColWidth,
  ColMany,
  ColRotate,
  ColLBorder,
  ColRBorder,
  ColTBorder,
  ColBBorder,
  ColMatName,
  ColRotateName,
  ColumnCount
};
// Titles of the grid columns ("Шифр", "Длина", ...); empty for the edge
// columns, which have none.
QString columnTitle(int column);
// The columns the grid shows, in their initial order.
const std::vector<int>& visibleColumnsByDefault();

// Side order of the edge arrays below: left, right, top, bottom.
enum Side { SideLeft = 0, SideRight, SideTop, SideBottom };
using SideCodes = std::array<int, 4>;

// What the parts window shows of the catalogues: the material list headed
// by "<все материалы>", the edge list headed by "<нет>", the default edge.
struct CatalogueLists {
  catalogues::MaterialList materials;
  catalogues::EdgeList edges;
  int defaultEdge = 0;

  // Name of a material code; empty when the list has not got it.
  QString materialName(int code) const;
  // True when the code is a material of the catalogue (not kAllMaterials).
  bool hasMaterial(int code) const;
  // Index in the edge list of an edge code above 0, or -1.
  int edgeIndex(int code) const;
  int edgeAllowance(int code) const;
  QString edgeName(int code) const;
};

// Sums over the rows shown, in mm, mm² and pieces.
struct Totals {
  long long quantity = 0;
  double area = 0;       // mm²
  double perimeter = 0;  // mm
  double edge = 0;       // mm, with the edges' allowances
};

// One label of a part (one per piece).
struct LabelRow {
  QString name;
  QString size;
  QString material;
  QString comment;
  QString edges;
};

// Outcome of a save.
enum class SaveResult { Saved, Cancelled, Failed };

// A parts database as one window holds it: the document state (paths,
// names, flags, models list, run counter) and the rows with every unsaved
// edit, the material filter and the current row. It decides everything
// the parts window does; the window only shows it.
//
// The rows live in memory until the base is saved. While the base is open
// its data table is held open through the table layer, so that no other
// part of the program moves, deletes or copies over it.
//
// Messages to the user go through common::showMessage.
class PartsDocument : public QObject {
  Q_OBJECT
 public:
  // `dataRoot` is the program folder (Pattern/Group.dbf and Temp/ below
  // it); `settings` its Kroyna.ini (defaults of new rows, digits).
  PartsDocument(QString dataRoot, ini::IniFile& settings, QObject* parent = nullptr);
  ~PartsDocument() override;

  // Every document that exists, in creation order.
  static QList<PartsDocument*> documents();
  // The document whose header path is `headerPath`, or nullptr. Untitled
  // bases never match a header file.
  static PartsDocument* findOpen(const QString& headerPath);
  // Whether two paths name the same file: the absolute, cleaned paths (or
  // canonical ones, for files that exist) are equal.
  static bool samePath(const QString& a, const QString& b);
  // The numbering of untitled bases starts again at 1 (a new program).
  static void resetNewBaseCounter();

  // ---- Files ----

  // Makes this an untitled base with a fresh table Temp/<n>$Gr.dbf.
  // Returns false (after a message) when the template cannot be copied.
  bool CreateGroup();
  // Opens a header file and its data table, compacting the table. Returns
  // false after a message; the caller then closes the window.
  bool LoadGroup(const QString& headerPath);
  // Saves; with `askName` (or for an untitled base) under a name chosen
  // by the name chooser. A failure is reported and keeps the rows.
  SaveResult SaveGroup(bool askName);
  // Asks for the file of a save: gets the preset, returns the chosen
  // header path or an empty text when the user cancelled.
  using NameChooser = std::function<QString(const QString& preset)>;
  void setNameChooser(NameChooser chooser) { chooser_ = std::move(chooser); }
  // Releases the data table; an untitled base without caption override
  // deletes its temporary table. The document is empty afterwards.
  void closeDocument();

  void SetCaptionOverride(const QString& text);
  QString caption() const;

  bool isOpen() const { return open_; }
  bool isUntitled() const { return untitled_; }
  bool isModified() const { return modified_; }
  void setModified(bool modified);
  const QString& headerPath() const { return headerPath_; }
  const QString& dataPath() const { return dataPath_; }
  const QString& displayName() const { return displayName_; }
  const QString& captionOverride() const { return captionOverride_; }
  const QString& suggestedName() const { return suggestedName_; }
  // The file name an untitled base offers when it is first saved; until
  // then the caption shows it ("База деталей: " followed by its file name).
  void setSuggestedName(const QString& name);

  const std::vector<ModelEntry>& models() const { return models_; }
  void setModels(std::vector<ModelEntry> models);

  int runCounter() const { return runCounter_; }
  // Increases the run counter and returns its new value.
  int nextRun() { return ++runCounter_; }

  // ---- Catalogues ----

  const CatalogueLists& catalogue() const { return catalogue_; }
  // Takes new lists; keeps the filter when its material is still listed,
  // else filters by the first entry. Returns the filter code afterwards.
  int setCatalogue(CatalogueLists lists);
  // Takes a new edge list (the edges window changed it).
  void setEdges(catalogues::EdgeList edges, int defaultEdge);

  // ---- Rows shown ----

  void SetMaterialFilter(int code);
  int materialFilter() const { return filter_; }

  // Rows shown (under the filter), by position from 0.
  int rowCount() const { return static_cast<int>(visible_.size()); }
  const PartRow& row(int position) const {
    return rows_[static_cast<std::size_t>(visible_[static_cast<std::size_t>(position)])];
  }
  // Every row, whatever the filter.
  const std::vector<PartRow>& allRows() const { return rows_; }
  // The rows shown, as values.
  std::vector<PartRow> shownRows() const;

  // The current row (position among the rows shown), -1 when there is
  // none.
  int currentRow() const { return current_; }
  void setCurrentRow(int position);

  // Text of a cell as the grid shows it.
  QString cellText(int position, int column) const;
  // Changes a cell from the text the user typed. Returns why the value is
  // refused (the row stays as it was), or an empty text.
  QString setCell(int position, int column, const QString& text);

  // ---- Row operations ----

  // Values of a new row: the default edges and rotation of the settings,
  // the filter material (or `Default`/`DefMaterial` when all are shown).
  PartRow newRowDefaults() const;
  // Adds a row with the defaults after the last one; returns its position.
  // It is the new row until the user leaves it (leaveNewRow()).
  int appendNewRow();
  // Whether the row at `position` is the new row, and whether it still
  // holds the defaults it was given (the user never changed it).
  bool isNewRow(int position) const;
  bool isUntouchedNewRow(int position) const;
  // The user leaves the new row (another row becomes current, the filter
  // changes, the base is saved, printed or laid out, the window closes):
  // a new row never changed goes again, and the modified flag is what it
  // was before the row was added. Returns whether a row went.
  bool leaveNewRow();
  // Adds a row with these values after the last one, as the imports do.
  // Returns false, adding nothing, when a value cannot be stored (a name
  // too long or not writable, a negative size or quantity, a rotation
  // outside 0..2, the all-materials code); `why` then says which.
  bool AppendDetal(const QString& name, int length, int width, int quantity, int rotation, int left, int right, int top,
                   int bottom, int material, QString* why = nullptr);
  // Adds a row read from another program's file, with the checks of
  // AppendDetal except one: a rotation code the program does not know but
  // the data table holds (kMinStoredRotation .. kMaxStoredRotation) is kept
  // as the file has it, and the cutting run lets such a part turn.
  bool appendImportedRow(const PartRow& row, QString* why = nullptr);
  static constexpr int kMinStoredRotation = -9;
  static constexpr int kMaxStoredRotation = 99;
  // Replaces every row (a merge); the filter stays, the first row shown
  // becomes current, and the base counts as modified.
  void replaceRows(std::vector<PartRow> rows);
  // Copies the row behind it; returns the position of the copy (which
  // becomes current), or -1.
  int copyRow(int position);
  // Deletes the row (no question asked here).
  void removeRow(int position);
  // Writes the four edge codes and the rotation into the current row; with
  // no rows, adds a row with the defaults that gets them. Returns the
  // position of the row changed.
  int StoreRowSettings(const SideCodes& sides, int rotation);
  // The side buttons: a side pressed takes the current edge banding
  // (`DefBorder`), a side released none; with no current edge banding every
  // side has none. sidesOfAll gives every side the current one, or none.
  SideCodes sidesAfterClick(SideCodes sides, int side, bool pressed) const;
  SideCodes sidesOfAll(bool on) const;
  void setRowMaterial(int position, int code);
  // Gives every row of material `fromCode` (every row when it is kAllMaterials) the
  // material `toCode`, whatever the filter. Returns the number of rows
  // changed.
  int replaceMaterial(int fromCode, int toCode);

  // ---- Values computed over the rows shown ----

  Totals totals() const;
  // The four status panels ("Количество: 12 шт", ...).
  QStringList totalsPanels() const;
  // The values without their captions, as the spreadsheet and the printed
  // lists show them.
  QString quantityText() const;
  QString areaText() const;
  QString perimeterText() const;
  QString edgeText() const;
  // "name: 1.23 м" per edge code used, in order of first appearance.
  QStringList edgeUseLines() const;
  // Distinct material codes of the rows shown, in order of first
  // appearance, and their names (empty for codes the catalogue lacks).
  void ListGroupMaterials(QList<int>& codes, QStringList& names) const;
  // One label per piece of the rows shown, into `out`. Reports "Ошибка
  // создания списка деталей." and leaves `out` empty when the list cannot
  // be built (more than kMaxLabels pieces).
  bool labelRows(std::vector<LabelRow>& out) const;
  static constexpr long long kMaxLabels = 100000;
  // Edge names of a row for printed lists: top and bottom, left and right.
  QString borderNames(const PartRow& row, Side first, Side second) const;

 signals:
  // The rows shown are about to change and have changed as a whole
  // (filter, open, replace).
  void aboutToResetRows();
  void rowsReset();
  // Rows shown are inserted or removed at these positions.
  void rowsAboutToBeInserted(int first, int last);
  void rowsInserted();
  void rowsAboutToBeRemoved(int first, int last);
  void rowsRemoved();
  // One row shown changed its values.
  void rowChanged(int position);
  void currentRowChanged(int position);
  void modifiedChanged(bool modified);
  void captionChanged(const QString& caption);
  void totalsChanged();

 private:
  QString templatePath() const;
  QString tempFolder() const;
  void rebuildVisible();
  bool matchesFilter(const PartRow& r) const;
  void rowEdited(std::size_t index);
  void openHolder();
  void setCaptionState();
  int lenDigits() const;
  int sqrDigits() const;
  bool confirmDataTarget(const QString& newHeader, const QString& newData);
  bool appendChecked(PartRow r, bool keepRotation, QString* why);

  QString dataRoot_;
  ini::IniFile& settings_;
  NameChooser chooser_;

  bool open_ = false;
  bool untitled_ = false;
  bool modified_ = false;
  QString headerPath_;
  QString dataPath_;
  QString displayName_;
  QString captionOverride_;
  QString suggestedName_;
  std::vector<ModelEntry> models_;
  int runCounter_ = 0;
  dbase::Table holder_;

  CatalogueLists catalogue_;
  std::vector<PartRow> rows_;
  std::vector<int> visible_;  // indices into rows_
  // The row added by appendNewRow() while the user is on it (index into
  // rows_, -1 for none), the values it was given and the modified flag
  // before it came.
  int newRow_ = -1;
  PartRow newRowGiven_;
  bool modifiedBeforeNewRow_ = false;
  bool leaving_ = false;
  int filter_ = kAllMaterials;
  int current_ = -1;
};

}  // namespace kroyna::parts
