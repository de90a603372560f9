#include "platform/file/ReadFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

namespace kroyna::platform {
namespace {

namespace fs = std::filesystem;
using kroyna::testing::TempDir;
using Kind = ReadFailure::Kind;

// What a reader of outside files meets: each case gives the bytes or the
// reason, and none of them hangs or reads without end.
TEST(ReadWholeFile, GivesTheBytesOrTheReason) {
  TempDir dir;
  const fs::path file = dir.path() / "Sheets.dbf";
  std::ofstream(file, std::ios::binary) << std::string("\x03\0\x1a", 3);
  const fs::path pipe = dir.path() / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

  ReadFailure why;
  EXPECT_EQ(readWholeFile(file, why), std::string("\x03\0\x1a", 3));

  struct Case {
    fs::path path;
    std::uintmax_t cap;
    Kind kind;
  };
  for (const Case& c :
       {Case{dir.path() / "missing.dbf", kReadCap, Kind::NotFound}, Case{dir.path(), kReadCap, Kind::Folder},
        Case{file, 2, Kind::TooLarge},              // one byte over the cap
        Case{pipe, kReadCap, Kind::CannotOpen}}) {  // no writer: refused, not waited for
    SCOPED_TRACE(c.path.string());
    EXPECT_FALSE(readWholeFile(c.path, why, c.cap));
    EXPECT_EQ(why.kind, c.kind);
    EXPECT_FALSE(why.reason().empty());
  }
  EXPECT_EQ(readWholeFile(file, why, 3), std::string("\x03\0\x1a", 3));  // exactly the cap
}

}  // namespace
}  // namespace kroyna::platform
