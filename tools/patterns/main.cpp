// kroyna-patterns: writes the empty template tables into a folder, or with
// --check compares the files in a folder with what it would write.
//
//   kroyna-patterns data/Pattern          write (replacing) the templates
//   kroyna-patterns --check data/Pattern  exit 1 when any file differs

#include "PatternTables.h"

#include "platform/dbase/FileOps.h"
#include "platform/dbase/TableError.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

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
    for (const auto& table : kroyna::patterns::patternTables()) {
      const std::string bytes = kroyna::patterns::patternBytes(table);
      const fs::path file = folder / table.fileName;
      if (check) {
        std::ifstream in(file, std::ios::binary);
        const std::string have{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!in.is_open() || have != bytes) {
          std::cerr << file.string() << ": differs from the generated template\n";
          ++differing;
        }
      } else {
        kroyna::dbase::detail::writeFileAtomically(file, bytes);
        std::cout << file.string() << "\n";
      }
    }
  } catch (const kroyna::dbase::TableError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return differing ? 1 : 0;
}
