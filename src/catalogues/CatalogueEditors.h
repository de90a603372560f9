#pragma once

// What the materials window and the edges window decide: their rows, the
// codes of new rows, deletion, and saving. The windows only show the rows
// and forward the user's actions.

#include "catalogues/CatalogueTables.h"
#include "catalogues/Catalogues.h"

#include <QString>

#include <filesystem>
#include <optional>
#include <set>
#include <vector>

namespace kroyna::catalogues {

// The rows of a materials table ordered by name (MATERIAL, CODE). Throws
// CatalogueError when the table cannot be read.
MaterialList readMaterialList(const std::filesystem::path& table);

// The code a new material gets: the largest code plus 1, or 1 when there is
// none; the reserved all-materials code kAllMaterials is passed over. When
// the largest code is the largest int, the smallest code not in use.
int nextMaterialCode(const std::vector<std::optional<int>>& codes);

// The row added last, while the user is on it, and the row as it was
// added: a row never filled in goes again when the user leaves it, and
// the modified flag is then as it was before the row came.
template <class Row>
class NewRowMark {
 public:
  void set(int i, const Row& given, bool modifiedBefore) {
    index_ = i;
    given_ = given;
    modifiedBefore_ = modifiedBefore;
  }
  void clear() { index_ = -1; }
  int index() const { return index_; }
  bool modifiedBefore() const { return modifiedBefore_; }
  // Row i was removed: the mark stays on its row.
  void removed(int i) {
    if (index_ == i)
      index_ = -1;
    else if (index_ > i)
      --index_;
  }
  bool untouched(const std::vector<Row>& rows, int i) const {
    return i >= 0 && i == index_ && i < static_cast<int>(rows.size()) && rows[static_cast<std::size_t>(i)] == given_;
  }
  // The user leaves the new row: the mark ends. Returns the row's index
  // when it was never changed (the caller removes it), else -1.
  int leave(const std::vector<Row>& rows) {
    const int i = untouched(rows, index_) ? index_ : -1;
    index_ = -1;
    return i;
  }

 private:
  int index_ = -1;
  Row given_{};
  bool modifiedBefore_ = false;
};

// The materials window's working copy. On construction `Pattern/Types.dbf`
// is copied to `Temp/TempTp.dbf` and every row of the current materials
// table into it; the rows are edited in memory and save() writes them to
// the working copy and copies it over the current table. The working copy
// is deleted when the editor goes.
class MaterialsEditor {
 public:
  struct Row {
    QString name;
    std::optional<int> code;
    friend bool operator==(const Row&, const Row&) = default;
  };

  // Throws CatalogueError when the working copy cannot be made.
  MaterialsEditor(CataloguePaths paths, std::filesystem::path currentTable);
  ~MaterialsEditor();
  MaterialsEditor(const MaterialsEditor&) = delete;
  MaterialsEditor& operator=(const MaterialsEditor&) = delete;

  int rowCount() const { return static_cast<int>(rows_.size()); }
  const Row& row(int i) const { return rows_.at(i); }
  const std::filesystem::path& workingCopy() const { return workingCopy_; }

  void setName(int i, const QString& name);
  // Appends a row with the next material code; returns its index. It is
  // the new row until the user leaves it (leaveNewRow()) or another row is
  // added.
  int addRow();
  void removeRow(int i);
  bool isModified() const { return modified_; }
  // The new row (-1 for none), and whether row i is it, still as it was
  // added.
  int newRow() const { return newRow_.index(); }
  bool isUntouchedNewRow(int i) const;
  // The user leaves the new row: when it was never changed it goes again
  // and the modified flag is as before it came. Returns the index of the
  // row that went, or -1.
  int leaveNewRow();

  // Writes the rows to the working copy and copies it over the current
  // materials table (replacing the file as a whole). Throws CatalogueError;
  // the current table is then untouched and the rows stay.
  void save();
  // Deletes the working copy (the window closes); a later save makes it
  // again.
  void discardWorkingCopy();

 private:
  CataloguePaths paths_;
  std::filesystem::path currentTable_;
  std::filesystem::path workingCopy_;
  std::vector<Row> rows_;
  bool modified_ = false;
  NewRowMark<Row> newRow_;
};

// The smallest whole number from 1 up that is not in `used`.
int smallestFreeCode(const std::set<int>& used);

// The edges window's rows, read from the current edge table and kept in
// memory until saved (the cached edits of the window).
class EdgesEditor {
 public:
  struct Row {
    std::optional<int> code;
    QString name;
    int allowance = 0;
    int colour = 0;
    friend bool operator==(const Row&, const Row&) = default;
  };

  // Throws CatalogueError when the table cannot be read.
  EdgesEditor(CataloguePaths paths, std::filesystem::path currentTable);

  int rowCount() const { return static_cast<int>(rows_.size()); }
  const Row& row(int i) const { return rows_.at(i); }
  const std::set<int>& usedCodes() const { return used_; }
  bool isChanged() const { return changed_; }

  // Posting an edit of a row. A code below 1 is refused (false): code 0
  // means "no edge-banding" and codes are above 0; an empty code is
  // allowed and gets a code on saving.
  bool setCode(int i, std::optional<int> code);
  void setName(int i, const QString& name);
  bool setAllowance(int i, int allowance);
  void setColour(int i, int colour);
  // Appends a row with the smallest code not in use; returns its index. It
  // is the new row until the user leaves it (leaveNewRow()) or another row
  // is added.
  int addRow();
  void removeRow(int i);
  // The new row (-1 for none), and whether row i is it, still as it was
  // added.
  int newRow() const { return newRow_.index(); }
  bool isUntouchedNewRow(int i) const;
  // The user leaves the new row: when it was never changed it goes again,
  // its code is free again and the changed flag is as before it came.
  // Returns the index of the row that went, or -1.
  int leaveNewRow();

  // Gives every row without a code a random code from 1 to 998 that no row
  // of this table has, then writes the rows over the current edge table in
  // one replacement and clears the changed flag. Throws CatalogueError when
  // no code from 1 to 998 is free (nothing is written) or the table cannot
  // be written (the file is then as it was).
  void save();
  // Drops the edits: the rows of the table as it is on disk.
  void reload();

 private:
  void post(int i, std::optional<int> previous);

  CataloguePaths paths_;
  std::filesystem::path table_;
  std::vector<Row> rows_;
  std::set<int> used_;
  bool changed_ = false;
  NewRowMark<Row> newRow_;
};

// The material search: the index of the first entry whose first k
// characters equal the first k characters of `text`, for k from the text's
// length down to 1, comparing Latin letters a-z without regard to case and
// every other character exactly. 0 when nothing matches or the text is
// empty (the first entry), -1 when there are no entries.
int findMaterialMatch(const QStringList& names, const QString& text);

// The catalogue switch dialog's settings.
struct SwitchSettings {
  bool external = false;
  QString path;  // as shown in the dialog
};

// Reads `MatBaseChange`. When `BasePath` is empty after trimming, proposes
// `companionFolder` (the companion design program's folder, when known)
// with a separator added when missing and "Inbase/" appended. Throws
// CatalogueError ("Ошибка загрузки данных о диалоговом окне.") when the
// settings cannot be read.
SwitchSettings loadSwitchSettings(ini::IniFile& ini, const QString& companionFolder);
// The companion design program's folder, on this system given by the
// environment variable KROYNA_DESIGN_PROGPATH (empty when unset).
QString companionProgramFolder();
// Whether a folder holds both external files (the folder browser's test).
bool folderHoldsCatalogues(const QString& path);
// "&Да": returns the message that keeps the dialog open, or nothing when
// the settings were written ("По указанному пути базы материалов и кромок
// не найдены!" when the external folder lacks listmat.ini, "Ошибка
// сохранения данных о диалоговом окне." when writing fails).
std::optional<QString> acceptSwitchSettings(ini::IniFile& ini, const SwitchSettings& settings);

}  // namespace kroyna::catalogues
