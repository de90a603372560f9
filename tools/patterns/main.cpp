// kroyna-patterns: writes the empty template tables and the empty models
// file into a folder, or with --check compares the files in a folder with
// what it would write.
//
//   kroyna-patterns data/Pattern          write (replacing) the templates
//   kroyna-patterns --check data/Pattern  exit 1 when any file differs

#include "PatternModels.h"
#include "PatternTables.h"
#include "platform/file/ReadFile.h"

#include "platform/compound/CompoundFile.h"
#include "platform/dbase/TableError.h"
#include "platform/file/SafeFile.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const bool check = argc == 3 && std::string(argv[1]) == "--check";
  if (!(argc == 2 || check)) {
    std::cerr << "usage: kroyna-patterns [--check] FOLDER\n";
    return 2;
  }
  const fs::path folder = argv[argc - 1];
  int differing = 0;
  try {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& table : kroyna::patterns::patternTables())
      files.emplace_back(table.fileName, kroyna::patterns::patternBytes(table));
    files.emplace_back(kroyna::patterns::kModelsPatternName, kroyna::patterns::patternModelsBytes());
    for (const auto& [name, bytes] : files) {
      const fs::path file = folder / name;
      if (check) {
        kroyna::platform::ReadFailure why;
        if (kroyna::platform::readWholeFile(file, why) != bytes) {
          std::cerr << file.string() << ": differs from the generated template\n";
          ++differing;
        }
      } else {
        kroyna::platform::writeFileAtomically(file, bytes);
        std::cout << file.string() << "\n";
      }
    }
  } catch (const kroyna::dbase::TableError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  } catch (const kroyna::compound::CompoundError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  } catch (const kroyna::platform::FileError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return differing ? 1 : 0;
}
