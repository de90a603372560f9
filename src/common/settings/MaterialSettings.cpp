#include "common/settings/MaterialSettings.h"

#include "common/settings/SettingsKeys.h"
#include "platform/ini/CommaList.h"
#include "platform/ini/IniFile.h"

#include <algorithm>
#include <limits>

namespace kroyna::common {

namespace {

constexpr const char* kSectionPrefix = "Material";
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

std::int32_t clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), kMax));
}

std::string flag(bool b) { return b ? "1" : "0"; }

std::string trimmed(std::string_view s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(" \t");
  return std::string(s.substr(b, e - b + 1));
}

}  // namespace

OptimRecord parseOptim(std::string_view text) {
  const std::vector<std::string> items = ini::splitCommaList(text);
  OptimRecord r;
  r.enabled = listBool(items, 0, true);
  r.length = clamp32(listInt(items, 1));
  r.width = clamp32(listInt(items, 2));
  r.useScraps = listBool(items, 3);
  r.stockControl = listBool(items, 4);
  r.depth = clamp32(listInt(items, 5));
  r.algorithm = listInt(items, 6) != 0 ? 1 : 0;
  r.stock = clamp32(listInt(items, 7));
  r.fullSearch = listInt(items, 8) != 0 ? 1 : 0;
  r.remark = listText(items, 9);
  r.oneDimOpt = listBool(items, 10);
  return r;
}

std::string formatOptim(const OptimRecord& r) {
  return ini::joinCommaList({flag(r.enabled), std::to_string(r.length), std::to_string(r.width), flag(r.useScraps),
                             flag(r.stockControl), std::to_string(r.depth), std::to_string(r.algorithm),
                             std::to_string(r.stock), std::to_string(r.fullSearch), r.remark, flag(r.oneDimOpt)});
}

ImprovedChoice parseImproved(std::string_view text, ImprovedChoice fallback) {
  const std::vector<std::string> items = ini::splitCommaList(text);
  if (items.empty() || (items.size() == 1 && items[0].empty())) return fallback;
  ImprovedChoice c;
  c.on = listBool(items, 0, fallback.on);
  c.effort = items.size() > 1 ? std::clamp(clamp32(listInt(items, 1, fallback.effort)), 1, 10) : fallback.effort;
  const std::int64_t stages = items.size() > 2 ? listInt(items, 2, fallback.stages) : fallback.stages;
  const bool known = stages == 0 || (stages >= 2 && stages <= 4);
  c.stages = known ? static_cast<std::int32_t>(stages) : fallback.stages;
  return c;
}

bool isStageLimit(std::int32_t stages) { return stages == 0 || (stages >= 2 && stages <= 4); }

std::string formatImproved(const ImprovedChoice& c) {
  std::vector<std::string> items{flag(c.on), std::to_string(std::clamp(c.effort, 1, 10))};
  // Without a limit the key stays as it was before there were limits.
  if (c.stages != 0 && isStageLimit(c.stages)) items.push_back(std::to_string(c.stages));
  return ini::joinCommaList(items);
}

const char* MaterialSettings::key(Item item) {
  switch (item) {
    case Item::LayoutOptions: return "Optim";
    case Item::ImprovedSearch: return "Improved";
    case Item::OffcutCriteria: return "Scrap";
    case Item::OffcutCodes: return "Mark";
    case Item::MinimumSheets: return "WH";
  }
  return "";
}

std::string MaterialSettings::section() const { return kSectionPrefix + std::to_string(code_); }

std::optional<int> MaterialSettings::codeOfSection(std::string_view section) {
  const std::string_view prefix = kSectionPrefix;
  if (section.size() <= prefix.size() || section.substr(0, prefix.size()) != prefix) return std::nullopt;
  const std::string_view digits = section.substr(prefix.size());
  if (digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int code = std::stoi(std::string(digits));
  if (MaterialSettings(code).section() != section) return std::nullopt;  // leading zeros
  return code;
}

OptimRecord MaterialSettings::layoutOptions(const ini::IniFile& ini) const {
  const std::string s = section();
  OptimRecord r = parseOptim(ini.readString(s, key(Item::LayoutOptions)));
  const ImprovedChoice fallback = parseImproved(read(ini, keys::DefaultImproved));
  const ImprovedChoice c = parseImproved(ini.readString(s, key(Item::ImprovedSearch)), fallback);
  r.improved = c.on;
  r.effort = c.effort;
  r.stages = c.stages;
  return r;
}

void MaterialSettings::setLayoutOptions(ini::IniFile& ini, const OptimRecord& record) const {
  const std::string s = section();
  ini.batch([&] {
    ini.writeString(s, key(Item::LayoutOptions), formatOptim(record));
    ini.writeString(s, key(Item::ImprovedSearch), formatImproved({record.improved, record.effort, record.stages}));
  });
}

ScrapCriteria MaterialSettings::offcutCriteria(const ini::IniFile& ini) const {
  return parseScrapCriteria(ini.readString(section(), key(Item::OffcutCriteria)));
}

void MaterialSettings::setOffcutCriteria(ini::IniFile& ini, const ScrapCriteria& criteria) const {
  ini.writeString(section(), key(Item::OffcutCriteria), formatScrapCriteria(criteria));
}

MarkRecord MaterialSettings::offcutCodes(const ini::IniFile& ini) const {
  return parseMarkRecord(ini.readString(section(), key(Item::OffcutCodes)));
}

void MaterialSettings::setOffcutCodes(ini::IniFile& ini, const MarkRecord& mark) const {
  ini.writeString(section(), key(Item::OffcutCodes), formatMarkRecord(mark));
}

std::optional<std::string> MaterialSettings::storedOffcutCodes(const ini::IniFile& ini) const {
  if (!ini.keyExists(section(), key(Item::OffcutCodes))) return std::nullopt;
  return ini.readString(section(), key(Item::OffcutCodes));
}

void MaterialSettings::restoreOffcutCodes(ini::IniFile& ini, const std::optional<std::string>& stored) const {
  if (stored)
    ini.writeString(section(), key(Item::OffcutCodes), *stored);
  else
    ini.eraseKey(section(), key(Item::OffcutCodes));
}

std::int32_t MaterialSettings::minimumSheets(const ini::IniFile& ini) const {
  const std::vector<std::string> items = ini::splitCommaList(ini.readString(section(), key(Item::MinimumSheets)));
  if (items.empty()) return 0;
  std::string s = trimmed(items.front());
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.erase(0, 1);
  }
  if (s.empty()) return 0;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return 0;
    if (v <= kMax) v = v * 10 + (c - '0');
  }
  if (negative) return 0;
  return v > kMax ? kMax : static_cast<std::int32_t>(v);
}

void MaterialSettings::setMinimumSheets(ini::IniFile& ini, std::int32_t minimum) const {
  ini.writeString(section(), key(Item::MinimumSheets), std::to_string(minimum));
}

}  // namespace kroyna::common
