#include "platform/file/SafeFile.h"

#include "support/FailingWrites.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace kroyna::platform {
namespace {

namespace fs = std::filesystem;
using kroyna::testing::readBytes;
using kroyna::testing::TempDir;

void writePlain(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

mode_t modeOf(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_mode & 07777;
}

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SafeFile, ReplacesTheContentAndKeepsThePermissions) {
  TempDir dir;
  const fs::path file = dir / "Kroyna.ini";
  writePlain(file, "old");
  ::chmod(file.c_str(), 0600);
  writeFileAtomically(file, "new content");
  EXPECT_EQ(readBytes(file), "new content");
  EXPECT_EQ(modeOf(file), 0600u);
  ::chmod(file.c_str(), 0640);
  writeFileAtomically(file, "again");
  EXPECT_EQ(modeOf(file), 0640u);
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"Kroyna.ini"});
}

TEST(SafeFile, WritesThroughASymbolicLinkAndKeepsTheLink) {
  TempDir dir;
  fs::create_directory(dir / "real");
  const fs::path real = dir / "real" / "Sheets.dbf";
  writePlain(real, "old");
  const fs::path link = dir / "Sheets.dbf";
  fs::create_symlink("real/Sheets.dbf", link);
  writeFileAtomically(link, "new");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readBytes(real), "new");
  // A chain of links ends at the same file.
  const fs::path second = dir / "again.dbf";
  fs::create_symlink(link, second);
  writeFileAtomically(second, "newer");
  EXPECT_TRUE(fs::is_symlink(second));
  EXPECT_EQ(readBytes(real), "newer");
}

TEST(SafeFile, AFailedWriteLeavesTheOldBytesAndNoNewFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempDir dir;
  fs::create_directory(dir / "ro");
  const fs::path file = dir / "ro" / "map.map";
  writePlain(file, "old bytes");
  fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  try {
    writeFileAtomically(file, "new bytes");
    ADD_FAILURE() << "the write into a read-only folder succeeded";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
    EXPECT_NE(e.reason().find("Permission denied"), std::string::npos) << e.reason();
  }
  fs::permissions(dir / "ro", fs::perms::owner_all);
  EXPECT_EQ(readBytes(file), "old bytes");
  EXPECT_EQ(namesIn(dir / "ro"), std::vector<std::string>{"map.map"});
}

TEST(SafeFile, AFullDiskLeavesTheOldBytesAndNoNewFile) {
  TempDir dir;
  const fs::path file = dir / "Sheets.dbf";
  writePlain(file, "old bytes");
  {
    kroyna::testing::FailingWrites full(16);
    try {
      writeFileAtomically(file, std::string(1000, 'x'));
      ADD_FAILURE() << "the write past the size limit succeeded";
    } catch (const FileError& e) {
      EXPECT_NE(std::string(e.what()).find("Sheets.dbf"), std::string::npos) << e.what();
      EXPECT_NE(e.reason().find("не удалось записать"), std::string::npos) << e.reason();
    }
  }
  EXPECT_EQ(readBytes(file), "old bytes");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"Sheets.dbf"});
}

TEST(SafeFile, AFailedRenameLeavesTheOldFileAndNoNewFile) {
  // The target is a folder: the new file is written, the rename fails.
  TempDir dir;
  fs::create_directory(dir / "Models.dat");
  writePlain(dir / "Models.dat" / "inside", "kept");
  EXPECT_THROW(writeFileAtomically(dir / "Models.dat", "bytes"), FileError);
  EXPECT_EQ(readBytes(dir / "Models.dat" / "inside"), "kept");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"Models.dat"});
}

TEST(SafeFile, AProducerWritesByNameAndAnUncommittedWriterLeavesNothing) {
  TempDir dir;
  const fs::path file = dir / "parts.xlsx";
  writePlain(file, "old");
  {
    SafeFileWriter writer(file);
    writePlain(writer.newPath(), "produced by name");
    EXPECT_EQ(readBytes(file), "old");
  }
  EXPECT_EQ(readBytes(file), "old");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"parts.xlsx"});
  SafeFileWriter writer(file);
  writePlain(writer.newPath(), "produced by name");
  writer.commit();
  EXPECT_EQ(readBytes(file), "produced by name");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"parts.xlsx"});
}

TEST(SafeFile, CopiesAFileAndNamesAMissingSource) {
  TempDir dir;
  writePlain(dir / "a", "pattern");
  copyFileAtomically(dir / "a", dir / "b");
  EXPECT_EQ(readBytes(dir / "b"), "pattern");
  EXPECT_THROW(copyFileAtomically(dir / "missing", dir / "b"), FileError);
  EXPECT_EQ(readBytes(dir / "b"), "pattern");
}

}  // namespace
}  // namespace kroyna::platform
