#pragma once

// What the warehouse needs of the materials catalogue: the materials in
// name order, the name of a code and the path of the current materials
// table. The program answers from the catalogues subsystem
// (CatalogueMaterials); tests and tools answer from a table file of their
// own (TableMaterials).

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kroyna::warehouse {

struct MaterialEntry {
  int code = 0;
  std::string name;  // UTF-8
};

class MaterialDirectory {
 public:
  virtual ~MaterialDirectory() = default;
  // Every material of the current catalogue, ordered by name.
  virtual std::vector<MaterialEntry> materials() const = 0;
  // The catalogue name of the code; empty when it is not in the catalogue.
  virtual std::string name(int code) const;
  // The current materials table (for the printed stock lists).
  virtual std::filesystem::path tablePath() const = 0;
};

// Reads a materials table (fields MATERIAL and CODE) at each call; an
// unreadable table gives no materials.
class TableMaterials : public MaterialDirectory {
 public:
  explicit TableMaterials(std::filesystem::path table) : table_(std::move(table)) {}
  std::vector<MaterialEntry> materials() const override;
  std::filesystem::path tablePath() const override { return table_; }

 private:
  std::filesystem::path table_;
};

// The catalogues of the running program (catalogues::Catalogues::instance());
// no materials while there is none.
class CatalogueMaterials : public MaterialDirectory {
 public:
  std::vector<MaterialEntry> materials() const override;
  std::string name(int code) const override;
  std::filesystem::path tablePath() const override;
};

}  // namespace kroyna::warehouse
