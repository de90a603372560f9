#pragma once

#include "common/settings/AllMaterials.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

namespace kroyna::ini {
class IniFile;
}
namespace kroyna::common {
class AppContext;
}

namespace kroyna::catalogues {

inline const char* const kAllMaterialsName = "<все материалы>";

// Name and colour of the "no edge-banding" entry (code 0) that heads every
// edge list. The colour is the system button-face colour (0x8000000F).
inline const char* const kNoEdgeName = "<нет>";
inline constexpr int kNoEdgeColor = -2147483633;

// A material list: two parallel lists of the same length, ordered by name
// (the all-materials entry, when requested, first). Codes are decimal text.
struct MaterialList {
  QStringList names;
  QStringList codes;

  int size() const { return static_cast<int>(names.size()); }
  // The code of entry i as a number, or -1 when it is not a number.
  int codeAt(int i) const;
  // Index of the first entry with that code, or -1.
  int indexOfCode(int code) const;
};

// The edge list: four parallel lists of decimal text. Entry 0 is always
// "<нет>" (code 0, button-face colour, allowance 0); the rows of the
// current edge table follow, ordered by name.
struct EdgeList {
  QStringList codes;
  QStringList colors;
  QStringList names;
  QStringList allowances;

  int size() const { return static_cast<int>(codes.size()); }
  // Index of the first entry whose code text equals the decimal text of
  // `code`, or -1.
  int indexOfCode(int code) const;
};

// One entry of a material bar (the list on the left of the parts window,
// the warehouse window and the maps window), for the material search
// dialog.
struct MaterialBarEntry {
  QString name;
  int code = 0;
};

// The materials and edge-banding catalogues of the running program: which
// tables are current (local `Sheets/Types.dbf` + `Sheets/Borders.dbf`, or
// external `Sheets/Materials.dbf` + `Sheets/BrdsExt.dbf`), the material
// list and name lookups read from the current materials table, and the
// edge list with its lookups, held in memory.
//
// One object exists while the program runs (made by install()); tests make
// their own on a data root of their choice. The most recently constructed
// object that is still alive is instance().
class Catalogues : public QObject {
  Q_OBJECT
 public:
  // `dataRoot` is the program folder (Pattern/, Sheets/, Temp/ and
  // brdolors.ini below it); `settings` is its Kroyna.ini. The local tables
  // are current until ApplyCatalogueMode() runs; the edge list holds only
  // "<нет>" until ReloadEdgeList() runs.
  Catalogues(QString dataRoot, ini::IniFile& settings, QObject* parent = nullptr);
  ~Catalogues() override;

  // The live object, or nullptr when there is none.
  static Catalogues* instance();

  const QString& dataRoot() const { return dataRoot_; }
  ini::IniFile& settings() const { return settings_; }

  // ---- Catalogue mode ----

  // Makes the local or external tables current according to
  // `MatBaseChange`/`BaseType`: local mode rebuilds the local tables from
  // their templates; external mode imports `listmat.ini` and `borders.ini`
  // of `BasePath` into the external tables, falling back to the local
  // tables (with a message) when that fails. Failures are reported through
  // common::showMessage. Returns false when a failure was reported.
  bool ApplyCatalogueMode();

  // True while the external tables are current.
  bool isExternal() const { return external_; }
  // Absolute paths of the current materials and edge tables.
  QString materialsTablePath() const;
  QString edgesTablePath() const;

  // ---- Materials ----

  // Every row of the current materials table ordered by name, with
  // "<все материалы>" / kAllMaterials first when `withAllMaterials`. Read from the
  // table at each call; an unreadable table gives an empty list (plus the
  // all-materials entry when requested).
  MaterialList materialList(bool withAllMaterials) const;
  // `MATERIAL` of the first row with that code; empty when there is none.
  QString materialName(int code) const;

  // Asks every open parts window and the warehouse window to rebuild its
  // material list (emits RefreshMaterialLists()).
  void refreshMaterialLists() { emit RefreshMaterialLists(); }

  // ---- Edges ----

  // Rebuilds the edge list from the current edge table. An unreadable
  // table leaves only "<нет>".
  void ReloadEdgeList();
  const EdgeList& edgeList() const { return edges_; }

  // Name of an edge code; empty when absent.
  QString edgeName(int code) const;
  // Colour of an edge code (Windows colour value); `defaultColor` when
  // absent.
  int edgeColor(int code, int defaultColor) const;
  // Allowance of an edge code in mm; 0 when absent.
  int edgeAllowance(int code) const;
  // `length` plus the allowance of the code.
  int sideWithAllowance(int length, int code) const;

  // The default edge code (`Border`/`DefBorder`, 0 when missing), as last
  // read by rereadDefaultEdge().
  int defaultEdgeCode() const { return defaultEdge_; }
  void rereadDefaultEdge();

  // Writes `brdolors.ini` in the program folder from the edge list: one
  // code=colour line per entry in list order, the first being
  // 0=-2147483633. Throws std::runtime_error naming the file on failure
  // (the old file is then untouched).
  void writeEdgeColours() const;

 signals:
  // The materials catalogue changed (the materials window saved its rows,
  // a catalogue switch): parts windows and the warehouse window rebuild
  // their material lists and bars.
  void RefreshMaterialLists();
  // The edge list was rebuilt after the edges window saved its rows (or
  // after a catalogue switch): parts windows refresh their side panel and
  // totals.
  void edgesChanged();

 private:
  // The rows of the current materials table (MATERIAL, CODE in table
  // order), read again whenever the file changed on disk.
  struct MaterialRows;
  const MaterialRows& materialRows() const;

  QString dataRoot_;
  ini::IniFile& settings_;
  bool external_ = false;
  mutable std::shared_ptr<const MaterialRows> materialRows_;
  EdgeList edges_;
  int defaultEdge_ = 0;
};

// ---- Material choice dialogs ----

// Material choice dialog "Выбор материала": a list of the materials of the
// current catalogue with `code` selected. Returns the chosen code, or -1
// when the user cancelled or chose nothing.
int selectMaterialDialog(int code, QWidget* parent = nullptr);

// Material replace dialog "Выбор материала": shows `currentText` as the
// current material and lists the materials with `initialCode` selected.
// Returns the chosen code, or nothing when the user cancelled (the caller
// then abandons its operation without a message).
std::optional<int> replaceMaterialDialog(const QString& currentText, int initialCode, QWidget* parent = nullptr);

// Material search dialog "Поиск материала" over the entries of a material
// bar, starting on entry `selected`. Returns the index of the chosen entry,
// or -1 when cancelled.
int findMaterialDialog(const QList<MaterialBarEntry>& entries, int selected, QWidget* parent = nullptr);

// Connects the catalogues to the running program: makes the Catalogues
// object, applies the catalogue mode at the "Подключение внешних баз
// материалов" step, builds the edge list when the main window is shown,
// writes `brdolors.ini` on exit in external mode, and attaches the
// catalogue commands of the "&Установки" menu.
void install(common::AppContext& context);

}  // namespace kroyna::catalogues
