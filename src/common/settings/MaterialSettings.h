#pragma once

// The settings of one material: section "Material" + code of the settings
// file (or of the options work file of a run), with its records
//   Optim     layout options of a run, eleven items;
//   Improved  the improved search, "on,effort[,stages]" (falls back to the
//             key of section Default);
//   Scrap     offcut criteria, twelve items (OffcutCriteria.h);
//   Mark      automatic offcut codes, four items (OffcutCriteria.h);
//   WH        minimum number of standard sheets in stock.
// Every reader and writer of these keys goes through MaterialSettings.

#include "common/settings/OffcutCriteria.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {

// Layout options of one material: eleven items, in the order stored.
struct OptimRecord {
  bool enabled = true;        // 0 "Разложить"
  std::int32_t length = 0;    // 1 "Длина" (sheet length, X)
  std::int32_t width = 0;     // 2 "Ширина" (sheet width, Y)
  bool useScraps = false;     // 3 "Использовать базу остатков"
  bool stockControl = false;  // 4 "Контроль количества листов"
  std::int32_t depth = 0;     // 5 "Глубина перебора"
  int algorithm = 0;          // 6 "Алгоритм 1" (0) / "Алгоритм 2" (1)
  std::int32_t stock = 0;     // 7 sheets of length x width in stock
  int fullSearch = 0;         // 8 "Быстрый" (0) / "Полный" (1)
  std::string remark;         // 9 "Комментарий"
  bool oneDimOpt = false;     // 10 "Оптимизировать одноразмерные"
  // Not items of `Optim` (whose eleven items keep their meanings): the key
  // `Improved` of the same section, see ImprovedChoice.
  bool improved = false;    // "Улучшенный" (item 8 stays the quick or full choice)
  std::int32_t effort = 5;  // "Усилие", 1..10
  std::int32_t stages = 0;  // "Ступеней резов не более": 2, 3, 4 or 0 (no limit)
  bool operator==(const OptimRecord&) const = default;
};

// The improved search of a material, "1,5" (on, effort 1..10) or "1,5,3"
// (at most three stages of cuts on a sheet; a third item of 0 or none is
// no limit). A section without the key takes the key of section `Default`
// ("Параметры по умолчанию"), and without that it is off with effort 5 and
// no stage limit, so settings files from before the improved search read
// as before.
struct ImprovedChoice {
  bool on = false;
  std::int32_t effort = 5;
  std::int32_t stages = 0;
  bool operator==(const ImprovedChoice&) const = default;
};
// Whether `stages` is a stage limit the improved search knows: 2, 3, 4 or
// 0 (no limit).
bool isStageLimit(std::int32_t stages);
// Missing or empty text gives `fallback`; a missing effort or stage limit
// that of `fallback`; an effort outside 1..10 is brought into it, a stage
// limit other than 2, 3, 4 or 0 reads as that of `fallback`.
ImprovedChoice parseImproved(std::string_view text, ImprovedChoice fallback = {});
std::string formatImproved(const ImprovedChoice& choice);

// Missing trailing items take their defaults (item 0 is 1, numbers 0,
// the remark empty); an item that is not a number reads as its default.
// Parsing and formatting cover the eleven items of `Optim` only.
OptimRecord parseOptim(std::string_view text);
std::string formatOptim(const OptimRecord& record);

// The records of a material's section.
class MaterialSettings {
 public:
  // The items of the section, for the settings upgrade that writes them
  // from the keys of the old layout.
  enum class Item { LayoutOptions, ImprovedSearch, OffcutCriteria, OffcutCodes, MinimumSheets };
  static const char* key(Item item);

  explicit MaterialSettings(int code) : code_(code) {}
  int code() const { return code_; }
  // "Material" + code.
  std::string section() const;
  // The code whose section is exactly `section`, or none ("Material007"
  // and "MaterialX" are no material's section).
  static std::optional<int> codeOfSection(std::string_view section);

  // `Optim` with `Improved`.
  OptimRecord layoutOptions(const ini::IniFile& ini) const;
  void setLayoutOptions(ini::IniFile& ini, const OptimRecord& record) const;

  // `Scrap`; missing items read as 0.
  ScrapCriteria offcutCriteria(const ini::IniFile& ini) const;
  void setOffcutCriteria(ini::IniFile& ini, const ScrapCriteria& criteria) const;

  // `Mark`.
  MarkRecord offcutCodes(const ini::IniFile& ini) const;
  void setOffcutCodes(ini::IniFile& ini, const MarkRecord& mark) const;
  // The stored text of `Mark` as it stands (none without the key), and
  // putting it back as it was, so that a failed command leaves the
  // settings file as it found it.
  std::optional<std::string> storedOffcutCodes(const ini::IniFile& ini) const;
  void restoreOffcutCodes(ini::IniFile& ini, const std::optional<std::string>& stored) const;

  // `WH`: the first item as a whole number of 0..2147483647; anything
  // else (missing, negative, not a number) reads as 0.
  std::int32_t minimumSheets(const ini::IniFile& ini) const;
  void setMinimumSheets(ini::IniFile& ini, std::int32_t minimum) const;

 private:
  int code_;
};

}  // namespace kroyna::common
