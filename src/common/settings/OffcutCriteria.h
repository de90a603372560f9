#pragma once

// Offcut criteria of a material (key `Scrap` of section "Material" + code)
// and the offcut marks (key `Mark`): the records, their comma-list form, the
// useful/useless verdict on an offcut and the next automatic mark.
//
// Standard C++ only, so that the maps and the headless tools can call the
// classification without the program's windows.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::common {

// The largest value a switched-off limit takes ("no limit").
inline constexpr std::int32_t kNoLimit = 2147483647;

// Twelve items, in the order stored.
struct ScrapCriteria {
  bool joint = false;          // 0: the criteria must all hold together
  bool lengthOn = false;       // 1: "длиной меньше"
  std::int32_t p1 = 0;         // 2: mm
  bool widthOn = false;        // 3: "шириной меньше"
  std::int32_t p2 = 0;         // 4: mm
  bool areaOn = false;         // 5: "площадью меньше"
  std::int64_t area = 0;       // 6: mm²
  bool lengthLimitOn = false;  // 7: "минимальная длина"
  std::int32_t p3 = 0;         // 8: mm
  bool widthLimitOn = false;   // 9: "минимальная ширина"
  std::int32_t p4 = 0;         // 10: mm
  bool cleanUp = false;        // 11: "Удалять отходы со склада"

  // Values as the classification uses them: a criterion that is off
  // counts as 0, a limit that is off as kNoLimit.
  std::int32_t effectiveP1() const { return lengthOn ? p1 : 0; }
  std::int32_t effectiveP2() const { return widthOn ? p2 : 0; }
  std::int64_t effectiveArea() const { return areaOn ? area : 0; }
  std::int32_t effectiveP3() const { return lengthLimitOn ? p3 : kNoLimit; }
  std::int32_t effectiveP4() const { return widthLimitOn ? p4 : kNoLimit; }

  bool operator==(const ScrapCriteria&) const = default;
};

// Reads the comma-list text; missing or non-numeric items read as 0.
ScrapCriteria parseScrapCriteria(std::string_view text);
// The twelve items, flags as "1"/"0".
std::string formatScrapCriteria(const ScrapCriteria& criteria);

// Whether an offcut of length x width is waste (useless) under the
// criteria:
// - normal mode: L < P1, or W < P2, or (L x W < A and L < P3 and W < P4);
// - joint mode: L < P1 and W < P2 and L x W < A and L < P3 and W < P4.
// Switched-off values take their effective values in both modes.
bool isWaste(const ScrapCriteria& criteria, std::int32_t length, std::int32_t width);
inline bool isUseful(const ScrapCriteria& criteria, std::int32_t length, std::int32_t width) {
  return !isWaste(criteria, length, width);
}

// Offcut marks: four items.
struct MarkRecord {
  bool continuous = false;  // continue numbering from `number`
  std::string prefix;
  std::string suffix;
  std::int32_t number = 0;  // the last number used
  bool operator==(const MarkRecord&) const = default;
};

MarkRecord parseMarkRecord(std::string_view text);
std::string formatMarkRecord(const MarkRecord& mark);

// prefix + number (decimal, no leading zeros) + suffix.
std::string markText(const MarkRecord& mark, std::int32_t number);

struct NextMark {
  std::string name;
  std::int32_t number = 0;  // the number the name carries
};
// The next automatic mark: counting from the stored number (continuous
// numbering) or from 0, the first number whose text `isUsed` reports free.
// Stops at the largest 32-bit number (then the name carries it even if it
// is used, rather than looping for ever).
NextMark nextMark(const MarkRecord& mark, const std::function<bool(const std::string&)>& isUsed);

// Helpers for comma-list records: item `i` as a whole number (0 when
// missing or not a number; a fraction is cut), as a flag, as text.
std::int64_t listInt(const std::vector<std::string>& items, std::size_t i, std::int64_t def = 0);
bool listBool(const std::vector<std::string>& items, std::size_t i, bool def = false);
std::string listText(const std::vector<std::string>& items, std::size_t i);

}  // namespace kroyna::common
