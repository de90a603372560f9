#include "common/Settings.h"

#include <algorithm>

#include "common/SettingsUpgrade.h"
#include "common/SettingsUtils.h"
#include "common/settings/SettingsKeys.h"
#include "platform/ini/CommaList.h"

namespace kroyna::common {
namespace {

constexpr const char* kRemarks = "Remarks";

}  // namespace

Settings::Settings(std::filesystem::path file) : ini_(std::move(file)) {
  upgradeSettings(ini_);
  reread();
  for (auto& [key, value] : ini_.readSectionValues(kRemarks)) {
    const int code = ini::parseLeadingInt(key, -1);
    if (code < 0 || std::to_string(code) != key) continue;
    if (std::none_of(remarks_.begin(), remarks_.end(), [&](const auto& r) { return r.first == code; }))
      remarks_.emplace_back(code, std::move(value));
  }
  write(ini_, keys::CheckSheetStock, read(ini_, keys::CheckSheetStock));
}

void Settings::reread() {
  margins_ = readPageMargins(ini_);
  lenDigits_ = read(ini_, keys::LenDigits);
  sqrDigits_ = read(ini_, keys::SqrDigits);
}

void Settings::setPageMargins(const PageMargins& margins) {
  writePageMargins(ini_, margins);
  margins_ = readPageMargins(ini_);
}

void Settings::setLenDigits(int digits) {
  write(ini_, keys::LenDigits, digits);
  lenDigits_ = read(ini_, keys::LenDigits);
}

void Settings::setSqrDigits(int digits) {
  write(ini_, keys::SqrDigits, digits);
  sqrDigits_ = read(ini_, keys::SqrDigits);
}

QString Settings::formatLength(double mm) const { return common::formatLength(mm, lenDigits_); }

QString Settings::formatArea(double mm2) const { return common::formatArea(mm2, sqrDigits_); }

std::string Settings::remark(int materialCode) const {
  for (const auto& [code, text] : remarks_)
    if (code == materialCode) return text;
  return {};
}

void Settings::setRemark(int materialCode, std::string text) {
  std::string* kept = nullptr;
  for (auto& [code, old] : remarks_)
    if (code == materialCode) kept = &old;
  if (!kept) kept = &remarks_.emplace_back(materialCode, std::string()).second;
  *kept = std::move(text);
  try {
    ini_.writeString(kRemarks, std::to_string(materialCode), *kept);
  } catch (const std::exception&) {
    // Kept in memory; the write at exit tries again and reports.
  }
}

void Settings::saveRemarks() {
  ini_.batch([&] {
    for (const auto& [code, text] : remarks_) ini_.writeString(kRemarks, std::to_string(code), text);
  });
}

}  // namespace kroyna::common
