#pragma once

#include "common/TempDir.h"
#include "platform/text/Cp1251.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <filesystem>
#include <string>

namespace kroyna::models::testing {

namespace fs = std::filesystem;
using kroyna::testing::readBytes;
using kroyna::testing::TempDir;
using kroyna::testing::writeBytes;

inline const fs::path kShippedPattern = fs::path(KROYNA_SOURCE_DATA_DIR) / "Pattern";

// A program folder with what the models base uses: Models.dat copied from
// the shipped template, Pattern/Group.dbf and Pattern/Models.dat, Catalog/,
// Temp/, Export/ and Reports/ModelsList.frf.
class ModelsRoot {
 public:
  ModelsRoot() {
    for (const char* d : {"Pattern", "Catalog", "Temp", "Export", "Reports"}) fs::create_directories(dir_ / d);
    for (const char* f : {"Group.dbf", "Models.dat"}) fs::copy_file(kShippedPattern / f, dir_ / "Pattern" / f);
    fs::copy_file(kShippedPattern / "Models.dat", dir_ / "Models.dat");
    fs::copy_file(fs::path(KROYNA_SOURCE_DATA_DIR) / "Reports" / "ModelsList.frf", dir_ / "Reports" / "ModelsList.frf");
  }
  const fs::path& path() const { return dir_.path(); }
  fs::path operator/(std::string_view name) const { return dir_ / name; }
  fs::path modelsFile() const { return dir_ / "Models.dat"; }

 private:
  TempDir dir_;
};

// A counted string of a record: length, the code page 1251 bytes, 0.
inline std::string counted(const std::string& utf8) {
  const std::string bytes = text::utf8ToCp1251(utf8);
  return std::string{static_cast<char>(bytes.size() & 0xFF), static_cast<char>(bytes.size() >> 8)} + bytes +
         std::string(1, '\0');
}
inline std::string int32(std::int32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  return out;
}
inline std::string hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// Runs tests/models/olefile_interop.py with Debian's interpreter.
struct PythonRun {
  int status = -1;
  std::string out;
};
inline PythonRun olefile(const std::string& args) {
  const fs::path script = fs::path(KROYNA_TEST_DATA_DIR) / ".." / "models" / "olefile_interop.py";
  const std::string cmd = "PYTHONIOENCODING=utf-8 /usr/bin/python3 '" + script.string() + "' " + args + " 2>&1";
  PythonRun r;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

}  // namespace kroyna::models::testing

#define SKIP_WITHOUT_OLEFILE()                                                                            \
  do {                                                                                                    \
    if (!std::filesystem::exists("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3";              \
    if (kroyna::models::testing::olefile("check").status == 3) GTEST_SKIP() << "python3-olefile missing"; \
  } while (false)
