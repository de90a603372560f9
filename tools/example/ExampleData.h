#pragma once

// The example data of a first start, shipped in data/Example and copied
// into a new data root: a materials and an edge-banding catalogue, standard
// sheets and a few offcuts in stock, a kitchen order `Groups/Пример.krb`
// over two materials, and the layout options of the materials in
// Kroyna.ini, so that "Разложить" works at once.
//
// The program never builds these files: it copies them. This generator
// writes them once from the shipped template tables (each table is a copy
// of its template with rows added), and its check mode proves that the
// committed files are exactly what it writes.

#include <filesystem>
#include <string>
#include <vector>

namespace kroyna::example {

// Files of the example, relative to the data root, in the order a first
// start copies them (the stock and catalogue tables last).
std::vector<std::string> exampleFiles();

// Writes every file of the example under `target`, the tables made from
// the templates in `patternFolder`. Throws on failure.
void writeExample(const std::filesystem::path& patternFolder, const std::filesystem::path& target);

}  // namespace kroyna::example
