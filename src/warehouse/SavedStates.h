#pragma once

// Saved warehouse states: numbered byte copies of both stored stock tables
// with the date, the time and a description, kept in the folder Warehouse/.
//
//   WHSave.ini   [Root] Sections = the state numbers in use, comma-separated,
//                in the order they were made (1,3,2); one section per
//                number with Date (dd.mm.yyyy), Time and Remark.
//   n.wh         copy of Sheets/Sheets.dbf when state n was saved
//   n_.wh        copy of Sheets/Scraps.dbf
//
// Only numbers listed in Sections are states; sections and files of other
// numbers are ignored, and their files are overwritten by the next save that
// takes that number. A missing WHSave.ini is an empty list.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kroyna::warehouse {

class StockModule;

struct SavedState {
  int number = 0;
  std::string date;  // "dd.mm.yyyy"
  std::string time;  // "hh:mm:ss"
  std::string remark;
  bool operator==(const SavedState&) const = default;
};

// Orders states by the moment they were saved, oldest first (dates are
// compared as dates, not as the text "dd.mm.yyyy"); states saved at the
// same moment keep their order. A state whose date cannot be read comes
// after the dated ones.
void sortByDate(std::vector<SavedState>& states);

class SavedStatesStore {
 public:
  // `folder` is the Warehouse folder of the program.
  explicit SavedStatesStore(std::filesystem::path folder);

  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path indexFile() const;             // WHSave.ini
  std::filesystem::path sheetsCopy(int number) const;  // n.wh
  std::filesystem::path scrapsCopy(int number) const;  // n_.wh

  // The states listed in Sections, in the order they were made. Throws
  // ini::IniError when WHSave.ini exists but cannot be read.
  std::vector<SavedState> states() const;
  std::optional<SavedState> state(int number) const;
  // The smallest number from 1 up that Sections does not list.
  int nextNumber() const;

  // Saves both tables as the next state with `date`, `time` and `remark`
  // and returns its number. Both copies are written in full to new files
  // first and only then renamed to n.wh and n_.wh; the entry is written
  // last. On failure it throws (platform::FileError, ini::IniError): no
  // entry is added and the files of the listed states are untouched.
  int save(const std::filesystem::path& sheets, const std::filesystem::path& scraps, const std::string& date,
           const std::string& time, const std::string& remark);

  // Writes a new description of a listed state.
  void setRemark(int number, const std::string& remark);

  // Unlists the state and erases its section in one write of WHSave.ini,
  // then deletes its two files. A file that cannot be deleted stays: it
  // belongs to no state any more.
  void remove(int number);

 private:
  std::filesystem::path folder_;
};

// A restore that failed; `rolledBack` tells whether every table that was
// already replaced got its content from before the restore back.
class RestoreError : public std::runtime_error {
 public:
  RestoreError(const std::string& what, bool rolledBack) : std::runtime_error(what), rolledBack_(rolledBack) {}
  bool rolledBack() const { return rolledBack_; }

 private:
  bool rolledBack_;
};

// Puts the copies of a saved state in place of the stock: first the
// standard sheets (stored table and working copy), then the offcuts. The
// copies are checked to be stock tables before anything changes. Each file
// is replaced atomically; when a table cannot be replaced, it and every
// table replaced before it go back to their content from before the
// restore, and RestoreError is thrown. The table views are closed for the
// copies and reopened with their filters by the caller (they stay closed
// afterwards). The changed flags are left as they are.
void restoreStockTables(StockModule& module, const std::filesystem::path& sheetsCopy,
                        const std::filesystem::path& scrapsCopy);

}  // namespace kroyna::warehouse
