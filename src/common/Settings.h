#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <QString>

#include "common/PageMargins.h"
#include "platform/ini/IniFile.h"

namespace kroyna::common {

// The settings file `Kroyna.ini` of the main window and the values the
// program keeps in memory from it: report page margins (`PageParams`),
// decimals of lengths and areas (`LenDigits`, `SqrDigits` of `Default`)
// and the remarks of the materials (section `Remarks`, key the material
// code). Everything else is read from the file when it is needed.
class Settings {
 public:
  // Opens the file (a missing file is an empty one), runs the settings
  // upgrade, reads the values held in memory, and writes
  // `CheckStdSheetsQuantity` back so that the key exists. Throws
  // ini::IniError when the file cannot be read or written.
  explicit Settings(std::filesystem::path file);

  ini::IniFile& ini() { return ini_; }
  const ini::IniFile& ini() const { return ini_; }

  const PageMargins& pageMargins() const { return margins_; }
  // Writes the four keys (each brought into 0..100 mm) and keeps them.
  void setPageMargins(const PageMargins& margins);

  // 0..10; a value outside that range in the file reads as the nearest end.
  int lenDigits() const { return lenDigits_; }
  int sqrDigits() const { return sqrDigits_; }
  void setLenDigits(int digits);
  void setSqrDigits(int digits);
  // A length in mm and an area in mm² with these decimals ("1.23", "2.500").
  QString formatLength(double mm) const;
  QString formatArea(double mm2) const;

  // Remarks in the order of the file; keys that are not material codes are
  // left out here and stay in the file.
  const std::vector<std::pair<int, std::string>>& remarks() const { return remarks_; }
  std::string remark(int materialCode) const;
  // Changes the remark and writes it to section `Remarks` at once. When
  // the file cannot be written the remark stays in memory, and
  // saveRemarks() at exit writes it (and reports a failure).
  void setRemark(int materialCode, std::string text);
  // Writes every remark to section `Remarks` in one write.
  void saveRemarks();

  // Re-reads the margins and the digits, after another part of the program
  // changed them in the file (the defaults dialog writes the digits). The
  // remarks are the program's own list and stay as they are.
  void reread();

 private:
  ini::IniFile ini_;
  PageMargins margins_;
  int lenDigits_ = 2;
  int sqrDigits_ = 3;
  std::vector<std::pair<int, std::string>> remarks_;
};

}  // namespace kroyna::common
