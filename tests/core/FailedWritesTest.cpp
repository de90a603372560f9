// Every kind of file the program writes keeps its old bytes when the disk
// fills up during a save, and the failure is reported, never taken for a
// save.

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "maps/model/MapFile.h"
#include "parts/SpreadsheetExport.h"
#include "platform/dbase/FileOps.h"
#include "platform/ini/IniFile.h"
#include "platform/report/Template.h"
#include "support/FailingWrites.h"

namespace kroyna {
namespace {

namespace fs = std::filesystem;

std::string bytesOf(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FailedWrites : public ::testing::Test {
 protected:
  fs::path path(const char* name) const { return fs::path(dir_.path().toStdString()) / name; }
  // The old file is left as it was and no new file stays beside it.
  void expectUntouched(const fs::path& file, const std::string& before) {
    EXPECT_EQ(bytesOf(file), before) << file;
    int entries = 0;
    for (const auto& e : fs::directory_iterator(file.parent_path())) entries += e.path() == file ? 0 : 1;
    EXPECT_EQ(entries, 0) << "a new file was left beside " << file;
  }
  QTemporaryDir dir_;
};

TEST_F(FailedWrites, Tables) {
  const fs::path source = path("source.dbf"), table = path("Sheets.dbf");
  std::ofstream(source, std::ios::binary) << std::string(4000, 'x');
  dbase::copyOver(source, table);
  fs::remove(source);
  std::ofstream(source, std::ios::binary) << std::string(9000, 'y');
  const std::string before = bytesOf(table);
  {
    testing::FailingWrites full(100);
    EXPECT_ANY_THROW(dbase::copyOver(source, table));
  }
  fs::remove(source);
  expectUntouched(table, before);
}

TEST_F(FailedWrites, SettingsFiles) {
  const fs::path file = path("Kroyna.ini");
  ini::IniFile ini(file);
  ini.writeString("Default", "LenDigits", "2");
  const std::string before = bytesOf(file);
  {
    testing::FailingWrites full(16);
    EXPECT_THROW(ini.writeString("Remarks", "1", std::string(500, 'r')), ini::IniError);
  }
  expectUntouched(file, before);
}

TEST_F(FailedWrites, MapFiles) {
  const fs::path file = path("result.map");
  maps::MapFileData data;
  data.header.caption = "Вариант раскроя 1";
  maps::writeMapFile(file, data);
  const std::string before = bytesOf(file);
  data.sheets.resize(20);
  {
    testing::FailingWrites full(before.size());
    EXPECT_THROW(maps::writeMapFile(file, data), maps::MapFileError);
  }
  expectUntouched(file, before);
}

TEST_F(FailedWrites, ReportTemplatesAndSpreadsheets) {
  const fs::path frf = path("Statistic.frf");
  report::saveFileAtomically(QString::fromStdString(frf.string()), QByteArray("<report/>"));
  const std::string before = bytesOf(frf);
  {
    testing::FailingWrites full(4);
    EXPECT_ANY_THROW(report::saveFileAtomically(QString::fromStdString(frf.string()), QByteArray(2000, 'z')));
  }
  expectUntouched(frf, before);

  const fs::path xlsx = path("Кухня.xlsx");
  fs::remove(frf);
  parts::writeSpreadsheet(QString::fromStdString(xlsx.string()), {{1, 1, QStringLiteral("База деталей")}});
  const std::string sheet = bytesOf(xlsx);
  ASSERT_FALSE(sheet.empty());
  {
    testing::FailingWrites full(64);
    EXPECT_ANY_THROW(parts::writeSpreadsheet(QString::fromStdString(xlsx.string()), {{1, 1, QStringLiteral("Бок")}}));
  }
  expectUntouched(xlsx, sheet);
}

}  // namespace
}  // namespace kroyna
