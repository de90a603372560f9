#include "platform/file/SafeFile.h"

#include "support/FailingWrites.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/time.h>
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

TEST(SafeFile, ARelativeLinkIsFollowedFromTheFolderItIsIn) {
  // The data root is a link to another disk, and the stock table there is a
  // relative link up from that disk's folder: the kernel reads
  // mnt/d/shared/Sheets.dbf, so that is the file to replace, not a file
  // the same steps up from the link's name would reach.
  TempDir dir;
  fs::create_directories(dir / "mnt/d/k/Sheets");
  fs::create_directories(dir / "mnt/d/shared");
  fs::create_directories(dir / "home/shared");
  writePlain(dir / "mnt/d/shared/Sheets.dbf", "old");
  fs::create_symlink(dir / "mnt/d/k", dir / "home/Kroyna");
  fs::create_symlink("../../shared/Sheets.dbf", dir / "mnt/d/k/Sheets/Sheets.dbf");
  const fs::path table = dir / "home/Kroyna/Sheets/Sheets.dbf";
  ASSERT_EQ(readBytes(table), "old");
  writeFileAtomically(table, "new");
  EXPECT_EQ(readBytes(table), "new");
  EXPECT_EQ(readBytes(dir / "mnt/d/shared/Sheets.dbf"), "new");
  EXPECT_TRUE(fs::is_symlink(dir / "mnt/d/k/Sheets/Sheets.dbf"));
  EXPECT_TRUE(fs::is_empty(dir / "home/shared"));
  // Links that go round are refused, as the kernel refuses them.
  fs::create_symlink("b", dir / "a");
  fs::create_symlink("a", dir / "b");
  EXPECT_THROW(writeFileAtomically(dir / "a", "x"), FileError);
}

TEST(SafeFile, LongNamesSaveAndTheNewFileStaysWithinTheNameLimit) {
  TempDir dir;
  std::string cyrillic;
  for (int i = 0; i < 120; ++i) cyrillic += "Ш";
  for (const std::string& name : {cyrillic + ".krb", std::string(251, 'a') + ".dbf", std::string(1, 'b')}) {
    SCOPED_TRACE(name.size());
    {
      SafeFileWriter writer(dir / name);
      EXPECT_LE(writer.newPath().filename().string().size(), 255u);
      EXPECT_TRUE(isWriterNewFile(writer.newPath().filename().string()));
    }
    writeFileAtomically(dir / name, "saved");
    EXPECT_EQ(readBytes(dir / name), "saved");
    fs::remove(dir / name);
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

namespace {
int closeThenFail(int fd) {
  ::close(fd);
  errno = EIO;
  return -1;
}
int failSync(int) {
  errno = EIO;
  return -1;
}
}  // namespace

TEST(SafeFile, AFailedCloseOrFolderSyncIsReported) {
  TempDir dir;
  const fs::path file = dir / "Scraps.dbf";
  writePlain(file, "old bytes");
  testhooks::setWriterClose(closeThenFail);
  EXPECT_THROW(writeFileAtomically(file, "new bytes"), FileError);
  testhooks::setWriterClose(nullptr);
  EXPECT_EQ(readBytes(file), "old bytes");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"Scraps.dbf"});
  // The folder's entry may be lost in a crash: the save is not taken for
  // a sure one, though the file already holds the new bytes.
  testhooks::setWriterFolderSync(failSync);
  try {
    writeFileAtomically(file, "new bytes");
    ADD_FAILURE() << "a failed sync of the folder was taken for a save";
  } catch (const FileError& e) {
    EXPECT_NE(e.reason().find("папку"), std::string::npos) << e.reason();
  }
  testhooks::setWriterFolderSync(nullptr);
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"Scraps.dbf"});
}

TEST(SafeFile, KeepsTheGroupAUserMaySet) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a user with two groups";
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  const fs::path file = dir / "Kroyna.ini";
  writePlain(file, "old");
  ASSERT_EQ(::chown(file.c_str(), 65534, 100), 0);
  ::chmod(file.c_str(), 0664);
  // A user (65534) in the groups 65534 and 100 saves a file of group 100.
  const pid_t child = ::fork();
  if (child == 0) {
    const gid_t groups[] = {65534, 100};
    if (::setgroups(2, groups) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    try {
      writeFileAtomically(file, "new");
    } catch (...) {
      ::_exit(3);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  struct stat st {};
  ::stat(file.c_str(), &st);
  EXPECT_EQ(readBytes(file), "new");
  EXPECT_EQ(st.st_gid, 100u);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
  // Root keeps another user's file that user's.
  ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
  writeFileAtomically(file, "root");
  ::stat(file.c_str(), &st);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
}

namespace {
// The writer's new-file name with another process number.
// ".<name>.<host>-<process>-<counter>.kroyna-new": where <process> starts,
// and where <host> does.
std::size_t processAt(const std::string& name) { return name.rfind('-', name.rfind('-', name.rfind('.')) - 1) + 1; }
std::string withPid(std::string name, long long pid) {
  const std::size_t at = processAt(name);
  return name.replace(at, name.find('-', at) - at, std::to_string(pid));
}
void setAge(const fs::path& p, int hours) {
  const timeval now{::time(nullptr) - hours * 3600, 0};
  const timeval times[2] = {now, now};
  ::utimes(p.c_str(), times);
}
}  // namespace

TEST(SafeFile, LeftoversOfACrashAreRemovedAndNothingElse) {
  TempDir dir;
  fs::create_directories(dir / "Groups" / "Кухни");
  std::string own;
  {
    SafeFileWriter writer(dir / "Sheets.dbf");
    own = writer.newPath().filename().string();
  }
  std::string otherHost = own;
  const std::size_t tag = processAt(otherHost) - 9;
  otherHost.replace(tag, 8, "00000000" == otherHost.substr(tag, 8) ? "11111111" : "00000000");
  const std::string deadPid = withPid(own, 999999999);  // no such process
  // Left by a process that is gone: removed, in subfolders too.
  writePlain(dir / deadPid, "x");
  writePlain(dir / "Groups" / "Кухни" / deadPid, "x");
  // Being written right now by this process, or by another computer on the
  // shared folder: kept until they are a day old.
  writePlain(dir / own, "x");
  writePlain(dir / withPid(otherHost, 1), "x");
  writePlain(dir / withPid(otherHost, 2), "x");
  setAge(dir / withPid(otherHost, 2), 25);
  // Files of the user, however they look.
  for (const char* name : {"Sheets.dbf", ".Sheets.dbf.1.2.new", "notes.kroyna-new", ".x.zzzzzzzz-1-2.kroyna-new"}) {
    writePlain(dir / name, "user");
    setAge(dir / name, 100);
  }
  EXPECT_EQ(removeLeftoverNewFiles(dir.path(), true), 3);
  std::vector<std::string> kept{
      ".Sheets.dbf.1.2.new", own, withPid(otherHost, 1), ".x.zzzzzzzz-1-2.kroyna-new", "Groups", "Sheets.dbf",
      "notes.kroyna-new"};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(namesIn(dir.path()), kept);
  EXPECT_TRUE(fs::exists(dir / own));
  EXPECT_TRUE(fs::exists(dir / withPid(otherHost, 1)));
  EXPECT_FALSE(fs::exists(dir / withPid(otherHost, 2)));
  EXPECT_FALSE(fs::exists(dir / deadPid));
  EXPECT_TRUE(fs::is_empty(dir / "Groups" / "Кухни"));
  for (const char* name : {"Sheets.dbf", ".Sheets.dbf.1.2.new", "notes.kroyna-new", ".x.zzzzzzzz-1-2.kroyna-new"})
    EXPECT_EQ(readBytes(dir / name), "user") << name;
}

TEST(SafeFile, NewFilesAndMovesNeverReplaceATakenName) {
  TempDir dir;
  writePlain(dir / "Models.dat", "models");
  writePlain(dir / "Models_1.dat", "an earlier copy");
  EXPECT_EQ(copyFileAsNew(dir / "Models.dat", dir / "Models.dat"), dir / "Models_2.dat");
  EXPECT_EQ(readBytes(dir / "Models_1.dat"), "an earlier copy");
  EXPECT_EQ(readBytes(dir / "Models_2.dat"), "models");

  writePlain(dir / "a.dkm", "a");
  EXPECT_FALSE(renameIfAbsent(dir / "a.dkm", dir / "Models.dat"));
  EXPECT_EQ(readBytes(dir / "Models.dat"), "models");
  fs::create_symlink("/nonexistent", dir / "link.dkm");
  EXPECT_FALSE(renameIfAbsent(dir / "a.dkm", dir / "link.dkm"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.dkm"));
  EXPECT_EQ(moveToFreeName(dir / "a.dkm", dir / "imported"), dir / "imported" / "a.dkm");
  writePlain(dir / "a.dkm", "a again");
  EXPECT_EQ(moveToFreeName(dir / "a.dkm", dir / "imported"), dir / "imported" / "a_1.dkm");
  EXPECT_EQ(readBytes(dir / "imported" / "a.dkm"), "a");
  EXPECT_FALSE(fs::exists(dir / "a.dkm"));

  // From another file system: copied, then the source goes.
  const fs::path shm = "/dev/shm";
  struct stat a {
  }, b{};
  if (::stat(shm.c_str(), &a) != 0 || ::stat(dir.path().c_str(), &b) != 0 || a.st_dev == b.st_dev) return;
  const fs::path source = shm / ("kroyna-test-" + std::to_string(::getpid()) + ".krm");
  writePlain(source, "far");
  EXPECT_FALSE(renameIfAbsent(source, dir / "Models.dat"));
  EXPECT_TRUE(renameIfAbsent(source, dir / "far.krm"));
  EXPECT_EQ(readBytes(dir / "far.krm"), "far");
  EXPECT_FALSE(fs::exists(source));
  fs::remove(source);
}

}  // namespace
}  // namespace kroyna::platform
