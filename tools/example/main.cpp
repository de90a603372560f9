// kroyna-example: writes the example data of a first start into a folder,
// or with --check compares the files in a folder with what it would write.
//
//   kroyna-example data/Pattern data/Example          write (replacing) the example
//   kroyna-example --check data/Pattern data/Example  exit 1 when any file differs

#include "ExampleData.h"
#include "platform/file/ReadFile.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>

namespace {

std::string readAll(const std::filesystem::path& path) {
  kroyna::platform::ReadFailure why;
  return kroyna::platform::readWholeFile(path, why).value_or(std::string());
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const bool check = argc == 4 && std::string(argv[1]) == "--check";
  if (!(argc == 3 || check)) {
    std::cerr << "usage: kroyna-example [--check] PATTERN_FOLDER EXAMPLE_FOLDER\n";
    return 2;
  }
  const fs::path pattern = argv[argc - 2];
  const fs::path target = argv[argc - 1];
  try {
    if (!check) {
      kroyna::example::writeExample(pattern, target);
      for (const std::string& f : kroyna::example::exampleFiles()) std::cout << (target / f).string() << "\n";
      return 0;
    }
    const fs::path scratch = fs::temp_directory_path() / ("kroyna-example-" + std::to_string(std::random_device{}()));
    kroyna::example::writeExample(pattern, scratch);
    int differing = 0;
    for (const std::string& f : kroyna::example::exampleFiles()) {
      if (readAll(scratch / f) != readAll(target / f) || !fs::exists(target / f)) {
        std::cerr << (target / f).string() << ": differs from the generated example\n";
        ++differing;
      }
    }
    fs::remove_all(scratch);
    return differing ? 1 : 0;
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
}
