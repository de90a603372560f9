#pragma once

// kroyna-cut run as a program by a test: a folder of the test's own for its
// files, and the program run there with arguments.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kroyna::testing {

inline std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct CutRun {
  int status = -1;  // the exit status, -1 when the program did not exit
  std::string out;
  std::string err;
};

class CutProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("kroyna-cut-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  CutRun cut(const std::string& args) {
    const std::filesystem::path out = dir_ / "out";
    const std::filesystem::path err = dir_ / "err";
    const std::string command =
        std::string("'") + KROYNA_CUT_BINARY + "' " + args + " > '" + out.string() + "' 2> '" + err.string() + "'";
    const int raw = std::system(command.c_str());
    CutRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = slurp(out);
    run.err = slurp(err);
    return run;
  }
  // The exit status; standard output in `out` and standard error in `err`.
  int cut(const std::string& args, std::string& out, std::string& err) {
    CutRun run = cut(args);
    out = std::move(run.out);
    err = std::move(run.err);
    return run.status;
  }

  std::filesystem::path write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
    return dir_ / name;
  }

  std::filesystem::path dir_;
};

}  // namespace kroyna::testing
