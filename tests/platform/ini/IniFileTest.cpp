#include "platform/ini/IniFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "platform/text/Cp1251.h"
#include "support/TempDir.h"

using kroyna::ini::IniError;
using kroyna::ini::IniFile;
using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;
using kroyna::text::utf8ToCp1251;

namespace {

// A file as an older version of the program and a text editor leave it:
// CRLF and LF line ends mixed, a comment, garbage, Cyrillic in code page
// 1251, blanks around names and values.
std::string legacyFile() {
  return utf8ToCp1251(
      "; settings\r\n"
      "[Default]\r\n"
      "Version=2\r\n"
      "LenDigits = 3 \n"
      "SheetColor=-2147483636\r\n"
      "this line means nothing\r\n"
      "\r\n"
      "[SheetParams]\n"
      "FontName=Arial Cyr\r\n"
      "FontCharset=204\r\n"
      "\r\n"
      "[Материал]\r\n"
      "Название=ДСП белое\r\n");
}

}  // namespace

TEST(IniFileRead, ProfileSemanticsOnALegacyFile) {
  TempDir dir;
  writeBytes(dir / "Kroyna.ini", legacyFile());
  const IniFile ini(dir / "Kroyna.ini");

  // Names compared without regard to case, Cyrillic included.
  EXPECT_EQ(ini.readInt("SheetParams", "FontCharSet", 0), 204);
  EXPECT_EQ(ini.readInt("sheetparams", "FONTCHARSET", 0), 204);
  EXPECT_EQ(ini.readString("МАТЕРИАЛ", "название"), "ДСП белое");
  // Blanks around names and values do not count; an LF-only line reads.
  EXPECT_EQ(ini.readInt(" Default ", "LenDigits", 2), 3);
  EXPECT_EQ(ini.readString("SheetParams", "FontName"), "Arial Cyr");
  // Colours are signed 32-bit decimals.
  EXPECT_EQ(ini.readInt("Default", "SheetColor", 0), static_cast<int>(0x8000000C));
  // Missing keys and sections give the caller's default.
  EXPECT_EQ(ini.readInt("Default", "SqrDigits", 3), 3);
  EXPECT_EQ(ini.readString("Nowhere", "Key", "def"), "def");
  EXPECT_TRUE(ini.readBool("Default", "ShowName", true));
  // Garbage and comments are neither keys nor sections.
  EXPECT_EQ(ini.sections(), (std::vector<std::string>{"Default", "SheetParams", "Материал"}));
  EXPECT_EQ(ini.readSectionKeys("default"), (std::vector<std::string>{"Version", "LenDigits", "SheetColor"}));
  EXPECT_TRUE(ini.keyExists("SHEETPARAMS", "fontcharset"));
  EXPECT_FALSE(ini.keyExists("Default", "this line means nothing"));
}

TEST(IniFileRead, NumbersBooleansAndQuotedValues) {
  TempDir dir;
  writeBytes(dir / "a.ini",
             "[N]\r\nlead=12abc\r\nneg= -7\r\nplus=+5\r\nword=abc\r\nempty=\r\n"
             "huge=99999999999\r\nzero=0\r\ntwo=2\r\n"
             "f1=2.5\r\nf2=-0.125\r\nf3=1,5\r\nf4=3.5x\r\n"
             "q1=\"  padded  \"\r\nq2='single'\r\nq3=\"unmatched'\r\nq4=\"a\" and \"b\"\r\n");
  const IniFile ini(dir / "a.ini");
  EXPECT_EQ(ini.readInt("N", "lead", 0), 12);
  EXPECT_EQ(ini.readInt("N", "neg", 0), -7);
  EXPECT_EQ(ini.readInt("N", "plus", 0), 5);
  EXPECT_EQ(ini.readInt("N", "word", 42), 42);
  EXPECT_EQ(ini.readInt("N", "empty", 42), 42);
  EXPECT_EQ(ini.readInt("N", "huge", 42), 42);
  EXPECT_FALSE(ini.readBool("N", "zero", true));
  EXPECT_TRUE(ini.readBool("N", "two", false));
  EXPECT_TRUE(ini.readBool("N", "word", true));
  EXPECT_DOUBLE_EQ(ini.readFloat("N", "f1", 0), 2.5);
  EXPECT_DOUBLE_EQ(ini.readFloat("N", "f2", 0), -0.125);
  EXPECT_DOUBLE_EQ(ini.readFloat("N", "f3", 9), 9);  // "." is the decimal separator
  EXPECT_DOUBLE_EQ(ini.readFloat("N", "f4", 9), 9);
  EXPECT_EQ(ini.readString("N", "q1"), "  padded  ");
  EXPECT_EQ(ini.readString("N", "q2"), "single");
  EXPECT_EQ(ini.readString("N", "q3"), "\"unmatched'");
  EXPECT_EQ(ini.readString("N", "q4"), "a\" and \"b");  // as the profile functions read it
}

TEST(IniFileWrite, UpdatesInPlaceKeepingSpellingLayoutAndUnknownLines) {
  TempDir dir;
  const auto path = dir / "Kroyna.ini";
  writeBytes(path, legacyFile());
  IniFile ini(path);

  ini.writeInt("SheetParams", "FontCharSet", 0);    // existing key, other spelling
  ini.writeString("sheetparams", "FontSize", "8");  // new key, before the blank line
  ini.writeBool("Default", "CheckStdSheetsQuantity", false);
  ini.writeString("Remarks", "12", "Заказ №5");  // new section at the end

  const std::string expected = utf8ToCp1251(
      "; settings\r\n"
      "[Default]\r\n"
      "Version=2\r\n"
      "LenDigits = 3 \r\n"
      "SheetColor=-2147483636\r\n"
      "this line means nothing\r\n"
      "CheckStdSheetsQuantity=0\r\n"
      "\r\n"
      "[SheetParams]\r\n"
      "FontName=Arial Cyr\r\n"
      "FontCharset=0\r\n"
      "FontSize=8\r\n"
      "\r\n"
      "[Материал]\r\n"
      "Название=ДСП белое\r\n"
      "\r\n"
      "[Remarks]\r\n"
      "12=Заказ №5\r\n");
  EXPECT_EQ(readBytes(path), expected);
  EXPECT_EQ(IniFile(path).readString("REMARKS", "12"), "Заказ №5");
}

TEST(IniFileWrite, EveryValueReadsBackAsWritten) {
  TempDir dir;
  const auto path = dir / "r.ini";
  IniFile ini(path);
  EXPECT_FALSE(std::filesystem::exists(path));  // a missing file is an empty profile
  const std::vector<std::string> values = {
      "",      "plain",           "  leading and trailing  ", "\"quoted\"",        "'single'", "\"",
      "a=b=c", "[not a section]", "; not a comment",          "Кромка «ПВХ» 2 мм", "x\"y"};
  for (std::size_t i = 0; i < values.size(); ++i) ini.writeString("Values", "k" + std::to_string(i), values[i]);
  ini.writeFloat("Values", "f1", 0.1);
  ini.writeFloat("Values", "f2", 1e6);
  ini.writeFloat("Values", "f3", -2.5);

  const IniFile again(path);
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(again.readString("Values", "k" + std::to_string(i)), values[i]) << i;
  EXPECT_EQ(again.readString("Values", "f2"), "1000000");
  EXPECT_DOUBLE_EQ(again.readFloat("Values", "f1", 0), 0.1);
  EXPECT_DOUBLE_EQ(again.readFloat("Values", "f3", 0), -2.5);
  EXPECT_EQ(again.readSectionKeys("Values").size(), values.size() + 3);
}

TEST(IniFileWrite, LineBreaksInValuesAndBadNamesCannotCorruptTheFile) {
  TempDir dir;
  const auto path = dir / "r.ini";
  IniFile ini(path);
  ini.writeString("S", "Remark", "one\r\n[Evil]\r\nVersion=9\ntwo");
  EXPECT_EQ(ini.readString("S", "Remark"), "one [Evil] Version=9 two");
  EXPECT_FALSE(IniFile(path).sectionExists("Evil"));

  const std::string before = readBytes(path);
  EXPECT_THROW(ini.writeString("S", "a=b", "1"), IniError);
  EXPECT_THROW(ini.writeString("S", "", "1"), IniError);
  EXPECT_THROW(ini.writeString("S", "x\ny", "1"), IniError);
  EXPECT_THROW(ini.writeString("S", "[k]", "1"), IniError);
  EXPECT_THROW(ini.writeString("S", ";k", "1"), IniError);
  EXPECT_THROW(ini.writeString("a]b", "k", "1"), IniError);
  EXPECT_THROW(ini.writeString(" ", "k", "1"), IniError);
  EXPECT_EQ(readBytes(path), before);
  // The message names the file and the name it refused.
  try {
    ini.writeString("S", "a=b", "1");
    FAIL() << "a key name with '=' was stored";
  } catch (const IniError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Файл настроек \"" + path.string() + "\": имя ключа \"a=b\" нельзя записать в файл");
  }
}

TEST(IniFileWrite, EraseSectionAndKeyRemoveEveryCopy) {
  TempDir dir;
  const auto path = dir / "e.ini";
  writeBytes(path, "[Material5]\r\nMark=1\r\n[Other]\r\nk=1\r\nk=2\r\nj=3\r\n[MATERIAL5]\r\nScrap=2\r\n");
  IniFile ini(path);
  // Duplicates: the first copy is the one read.
  EXPECT_EQ(ini.readInt("Other", "k", 0), 1);
  EXPECT_EQ(ini.sections(), (std::vector<std::string>{"Material5", "Other"}));
  EXPECT_EQ(ini.readSectionValues("Other"),
            (std::vector<std::pair<std::string, std::string>>{{"k", "1"}, {"k", "2"}, {"j", "3"}}));

  ini.eraseSection("material5");
  ini.eraseKey("other", "K");
  EXPECT_EQ(readBytes(path), "[Other]\r\nj=3\r\n");
  EXPECT_FALSE(ini.sectionExists("Material5"));

  // Erasing what is not there leaves the file alone.
  const auto mtime = std::filesystem::last_write_time(path);
  const auto inode = [&] {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
  };
  const auto ino = inode();
  ini.eraseSection("Nothing");
  ini.eraseKey("Other", "nothing");
  ini.writeInt("Other", "J", 3);  // same value: nothing to write
  EXPECT_EQ(inode(), ino);
  EXPECT_EQ(std::filesystem::last_write_time(path), mtime);
}

TEST(IniFileFile, SeveralObjectsAndOutsideEditsSeeEachOther) {
  TempDir dir;
  const auto path = dir / "s.ini";
  IniFile a(path);
  IniFile b(path);
  a.writeInt("Default", "Mill", 5);
  EXPECT_EQ(b.readInt("Default", "Mill", 4), 5);
  b.writeInt("Default", "LIndent", 12);  // must not drop a's key
  EXPECT_EQ(a.readInt("Default", "Mill", 4), 5);
  EXPECT_EQ(a.readInt("Default", "LIndent", 10), 12);

  writeBytes(path, "[Default]\r\nMill=7\r\n");
  EXPECT_EQ(a.readInt("Default", "Mill", 4), 7);
  std::filesystem::remove(path);
  EXPECT_EQ(a.readInt("Default", "Mill", 4), 4);
}

TEST(IniFileFile, KeepsPermissionsAndWritesThroughSymbolicLinks) {
  TempDir dir;
  const auto path = dir / "p.ini";
  writeBytes(path, "[A]\r\nx=1\r\n");
  ::chmod(path.c_str(), 0640);
  std::filesystem::create_symlink(path, dir / "link.ini");
  IniFile ini(dir / "link.ini");
  ini.writeInt("A", "x", 2);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
  EXPECT_EQ(readBytes(path), "[A]\r\nx=2\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(IniFileFile, AFailedWriteLeavesFileAndObjectAsTheyWere) {
  TempDir dir;
  const auto path = dir / "f.ini";
  const std::string original = "[A]\r\nx=1\r\n";
  writeBytes(path, original);
  IniFile ini(path);

  // The disk refuses the new file part way (file size limit).
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 8;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool threw = false;
  std::string message;
  try {
    ini.writeString("A", "x", "a value longer than the limit");
  } catch (const IniError& e) {
    threw = true;
    message = e.what();
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  ASSERT_TRUE(threw);
  EXPECT_EQ(message.rfind("Файл настроек \"" + path.string() + "\": ", 0), 0u) << message;
  EXPECT_EQ(readBytes(path), original);
  EXPECT_EQ(ini.readInt("A", "x", 0), 1);
  // No half-written new file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);

  // The file name is taken by a folder: the rename fails.
  IniFile blocked(dir / "sub" / "x.ini");  // missing folder: an empty profile
  EXPECT_THROW(blocked.writeInt("A", "x", 1), IniError);
  std::filesystem::create_directories(dir / "busy.ini" / "inner");
  EXPECT_THROW(IniFile{dir / "busy.ini"}, IniError);
}

TEST(IniFileFile, BatchWritesOnceAndRollsBackOnFailure) {
  TempDir dir;
  const auto path = dir / "b.ini";
  writeBytes(path, "[A]\r\nx=1\r\n");
  IniFile ini(path);

  EXPECT_THROW(ini.batch([&] {
    ini.writeInt("A", "x", 2);
    ini.eraseSection("A");
    throw std::runtime_error("stop");
  }),
               std::runtime_error);
  EXPECT_EQ(readBytes(path), "[A]\r\nx=1\r\n");
  EXPECT_EQ(ini.readInt("A", "x", 0), 1);

  ini.batch([&] {
    ini.writeInt("A", "x", 2);
    ini.batch([&] { ini.writeInt("B", "y", 3); });
    EXPECT_EQ(readBytes(path), "[A]\r\nx=1\r\n");  // nothing written yet
    EXPECT_EQ(ini.readInt("B", "y", 0), 3);        // but visible here
  });
  EXPECT_EQ(readBytes(path), "[A]\r\nx=2\r\n\r\n[B]\r\ny=3\r\n");
}

TEST(IniFileRead, Utf8FileWithByteOrderMarkIsRead) {
  TempDir dir;
  writeBytes(dir / "u.ini", "\xEF\xBB\xBF[Remarks]\n 5 = Белый\n");
  IniFile ini(dir / "u.ini");
  EXPECT_EQ(ini.readString("Remarks", "5"), "Белый");
  ini.writeString("Remarks", "6", "Серый");
  EXPECT_EQ(readBytes(dir / "u.ini"), utf8ToCp1251("[Remarks]\r\n 5 = Белый\r\n6=Серый\r\n"));
}
