#pragma once

#include "platform/dbase/DbfFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::dbase::testing {

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes away.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kroyna-dbase-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline std::string readBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Writes a table file with these fields and live rows.
inline void makeTable(const std::filesystem::path& p, std::vector<FieldDef> fields, const std::vector<Row>& rows,
                      const std::vector<bool>& deleted = {}) {
  DbfTable t;
  t.fields = std::move(fields);
  for (std::size_t i = 0; i < rows.size(); ++i)
    t.records.push_back(DbfRecord{i < deleted.size() && deleted[i], rows[i]});
  writeDbfFile(p, t);
}

// The layout of the offcut stock table.
inline std::vector<FieldDef> scrapFields() {
  return {FieldDef::character("NAME", 20), FieldDef::numeric("LENGTH", 11), FieldDef::numeric("WIDTH", 11),
          FieldDef::numeric("MANY", 11),   FieldDef::numeric("CODE", 11),   FieldDef::date("DATE")};
}

// The layout of the standard-sheet stock table.
inline std::vector<FieldDef> sheetFields() {
  return {FieldDef::numeric("LENGTH", 11), FieldDef::numeric("WIDTH", 11), FieldDef::numeric("MANY", 11),
          FieldDef::numeric("CODE", 11)};
}

// The physical records of a file, deleted ones included.
inline std::vector<DbfRecord> records(const std::filesystem::path& p) { return readDbfFile(p).records; }

}  // namespace kroyna::dbase::testing

namespace kroyna::dbase {
// Readable values in test failure messages.
inline void PrintTo(const Value& v, std::ostream* os) {
  if (v.isNull()) *os << "null";
  else if (v.isText()) *os << '"' << v.text() << '"';
  else *os << v.toString();
}
}  // namespace kroyna::dbase
