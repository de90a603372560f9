#pragma once

#include <QDialog>
#include <QStringList>

class QTableWidget;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::parts {

// The part names list (section `Detal_Name`): standard names offered when
// a part's code name is typed.
inline constexpr int kPartNameLength = 20;
// Every value of the section, sorted.
QStringList loadPartNames(const ini::IniFile& settings);
// Erases the section and writes the non-empty entries (cut to 20
// characters) in their order under keys 1, 2, ... Throws ini::IniError.
void savePartNames(ini::IniFile& settings, const QStringList& names);

// The dialog "Названия деталей": a one-column grid "Название" of the list;
// the last row is always empty for a new entry. "&Да" keeps the entries.
class PartNamesDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PartNamesDialog(ini::IniFile& settings, QWidget* parent = nullptr);
  // The entries of the grid in grid order, empty ones left out.
  QStringList names() const;
  QTableWidget* grid() const { return grid_; }
  void removeCurrent();
  // Writes the list and the column width; false (after a message) when
  // the settings file cannot be written.
  bool save();

 private:
  void ensureEmptyLastRow();

  ini::IniFile& settings_;
  QTableWidget* grid_ = nullptr;
};

}  // namespace kroyna::parts
