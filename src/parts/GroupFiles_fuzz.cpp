// libFuzzer target for the readers of the two files of a parts database:
// any bytes, taken as a header file and as a data table, either read or
// throw GroupFileError; a header that reads names a table in its own
// folder; rows that read go through the writer (with the
// table itself as template when it has the ten fields) and read back the
// same. Built as target parts_files_fuzz with -DKROYNA_FUZZ=ON and clang.
// Seeds: data/Pattern/Group.dbf and any .krb and .dbf of a parts database.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "parts/GroupFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kroyna::parts;
  static QTemporaryDir dir;
  if (!dir.isValid()) std::abort();
  const QString input = dir.filePath(QStringLiteral("input"));
  {
    QFile f(input);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  }
  try {
    // The table a header that reads names lies in the header's folder.
    const std::string name = readGroupHeader(input).dataFileName.toStdString();
    const std::filesystem::path folder = "/root/Groups";
    if (!name.empty() && (name.find_first_of(std::string("/\\\0", 3)) != std::string::npos || name.size() > 255 ||
                          (folder / name).lexically_normal().parent_path() != folder))
      std::abort();
  } catch (const GroupFileError&) {
  }
  std::vector<PartRow> rows;
  try {
    rows = readPartRows(input);
  } catch (const GroupFileError&) {
    return 0;
  }
  const QString output = dir.filePath(QStringLiteral("output.dbf"));
  try {
    writePartTable(input, output, rows);
  } catch (const GroupFileError&) {
    return 0;  // a table that cannot serve as template, or values that do not fit it
  }
  std::vector<PartRow> back;
  try {
    back = readPartRows(output);
  } catch (const GroupFileError&) {
    std::abort();  // what was written must read
  }
  if (back.size() != rows.size()) std::abort();
  return 0;
}
