#pragma once

// The layout options of each material of a parts database, as "Параметры
// разложения" edits them: in the work file `Kroyna.tmp`, copied into
// `Kroyna.ini` by "&Да". LayoutOptionsModel holds what the dialog decides.

#include "run/CuttingParameters.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace kroyna::ini {
class IniFile;
}
namespace kroyna::warehouse {
class StockModule;
}

namespace kroyna::run {

struct LayoutMaterial {
  int code = 0;
  QString name;
};

// What the options need of the standard-sheet stock (the working copy).
struct SheetStockLookup {
  // Size of the first standard-sheet row of the material, in table order.
  std::function<std::optional<std::pair<std::int32_t, std::int32_t>>(int code)> firstSize;
  // MANY of the row of that material and size; nothing when there is none.
  std::function<std::optional<std::int32_t>(int code, std::int32_t length, std::int32_t width)> stock;
};
// Looks up the warehouse's working copy.
SheetStockLookup stockOf(warehouse::StockModule& module);

class LayoutOptionsModel {
 public:
  // `settings` is Kroyna.ini, `workFile` the path of Kroyna.tmp, `remarkOf`
  // the remark of a material's maps (empty when none).
  LayoutOptionsModel(ini::IniFile& settings, std::filesystem::path workFile, std::vector<LayoutMaterial> materials,
                     std::function<std::string(int)> remarkOf);
  ~LayoutOptionsModel();

  // Deletes the work file and writes every material's options into it
  // (item 7 set to 0, item 9 the remark). Throws ini::IniError.
  void open();
  const std::vector<LayoutMaterial>& materials() const { return materials_; }
  ini::IniFile& workFile() { return *work_; }

  OptimRecord read(int code) const;
  // Writes a page back (item 7 is set to 0).
  void write(int code, OptimRecord record);

  // The buttons for all materials.
  void setRemarkForAll(const std::string& remark);
  void setDepthForAll(std::int32_t depth);
  // "Способ перебора": quick or full (item 8), or the improved search
  // with its effort and stage limit (key `Improved`, item 8 kept as it
  // was).
  void setSearchForAll(int fullSearch, bool improved = false, std::int32_t effort = 5, std::int32_t stages = 0);
  void setAlgorithmForAll(int algorithm, bool oneDimOpt);

  // "&Авто - размер листов": each material takes the size of its first
  // standard sheet in stock (0 x 0 when it has none) and stock control.
  void autoSize(const SheetStockLookup& stock);

  // "&Да" after the shown page was written: copies every section of the
  // work file into Kroyna.ini, then checks each enabled material: its
  // sheet size in 0..kMaxSizeMm, and under stock control its stock.
  // Returns the message of the first material that fails (the dialog stays
  // open), or nothing.
  std::optional<QString> accept(const SheetStockLookup& stock);

 private:
  ini::IniFile& settings_;
  std::filesystem::path workPath_;
  std::unique_ptr<ini::IniFile> work_;
  std::vector<LayoutMaterial> materials_;
  std::function<std::string(int)> remarkOf_;
};

}  // namespace kroyna::run
