#include "common/settings/OffcutCriteria.h"

#include "platform/ini/IniFile.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace kroyna::common {

namespace {

std::int32_t clamp32(std::int64_t v) {
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

std::string flag(bool b) { return b ? "1" : "0"; }

}  // namespace

std::int64_t listInt(const std::vector<std::string>& items, std::size_t i, std::int64_t def) {
  if (i >= items.size()) return def;
  const std::string& s = items[i];
  const char* begin = s.c_str();
  while (*begin == ' ' || *begin == '\t') ++begin;
  if (*begin == '\0') return def;
  char* end = nullptr;
  const double v = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(v)) return def;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return def;
  const double cut = std::trunc(v);
  if (cut >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
  if (cut <= -9.2e18) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(cut);
}

bool listBool(const std::vector<std::string>& items, std::size_t i, bool def) {
  return listInt(items, i, def ? 1 : 0) != 0;
}

std::string listText(const std::vector<std::string>& items, std::size_t i) {
  return i < items.size() ? items[i] : std::string();
}

ScrapCriteria parseScrapCriteria(std::string_view text) {
  const std::vector<std::string> items = ini::splitCommaList(text);
  ScrapCriteria c;
  c.joint = listBool(items, 0);
  c.lengthOn = listBool(items, 1);
  c.p1 = clamp32(listInt(items, 2));
  c.widthOn = listBool(items, 3);
  c.p2 = clamp32(listInt(items, 4));
  c.areaOn = listBool(items, 5);
  c.area = listInt(items, 6);
  c.lengthLimitOn = listBool(items, 7);
  c.p3 = clamp32(listInt(items, 8));
  c.widthLimitOn = listBool(items, 9);
  c.p4 = clamp32(listInt(items, 10));
  c.cleanUp = listBool(items, 11);
  return c;
}

std::string formatScrapCriteria(const ScrapCriteria& c) {
  return ini::joinCommaList({flag(c.joint), flag(c.lengthOn), std::to_string(c.p1), flag(c.widthOn),
                             std::to_string(c.p2), flag(c.areaOn), std::to_string(c.area), flag(c.lengthLimitOn),
                             std::to_string(c.p3), flag(c.widthLimitOn), std::to_string(c.p4), flag(c.cleanUp)});
}

bool isWaste(const ScrapCriteria& c, std::int32_t length, std::int32_t width) {
  const std::int64_t area = static_cast<std::int64_t>(length) * width;
  const bool shortL = length < c.effectiveP1();
  const bool narrowW = width < c.effectiveP2();
  const bool small = area < c.effectiveArea() && length < c.effectiveP3() && width < c.effectiveP4();
  if (c.joint) return shortL && narrowW && small;
  return shortL || narrowW || small;
}

MarkRecord parseMarkRecord(std::string_view text) {
  const std::vector<std::string> items = ini::splitCommaList(text);
  MarkRecord m;
  m.continuous = listBool(items, 0);
  m.prefix = listText(items, 1);
  m.suffix = listText(items, 2);
  m.number = clamp32(listInt(items, 3));
  return m;
}

std::string formatMarkRecord(const MarkRecord& m) {
  return ini::joinCommaList({flag(m.continuous), m.prefix, m.suffix, std::to_string(m.number)});
}

std::string markText(const MarkRecord& mark, std::int32_t number) {
  return mark.prefix + std::to_string(number) + mark.suffix;
}

NextMark nextMark(const MarkRecord& mark, const std::function<bool(const std::string&)>& isUsed) {
  std::int32_t n = mark.continuous ? mark.number : 0;
  if (n < 0) n = 0;
  std::string name;
  do {
    if (n == std::numeric_limits<std::int32_t>::max()) break;
    ++n;
    name = markText(mark, n);
  } while (isUsed(name));
  if (name.empty()) name = markText(mark, n);
  return {name, n};
}

}  // namespace kroyna::common
