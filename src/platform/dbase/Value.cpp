#include "platform/dbase/Value.h"

#include "platform/text/Cp1251.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace kroyna::dbase {
namespace {

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// Reads an unsigned decimal number of 1..maxDigits digits at s[pos].
bool readNumber(std::string_view s, std::size_t& pos, int maxDigits, int& out, int& digits) {
  out = 0;
  digits = 0;
  while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && digits < maxDigits) {
    out = out * 10 + (s[pos] - '0');
    ++pos;
    ++digits;
  }
  return digits > 0;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

}  // namespace

bool Date::isValid() const {
  return year >= 1 && year < 10000 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

std::optional<Date> Date::parse(std::string_view text) {
  text = trim(text);
  std::size_t pos = 0;
  int a = 0, b = 0, c = 0, da = 0, db = 0, dc = 0;
  if (!readNumber(text, pos, 4, a, da)) return std::nullopt;
  if (pos >= text.size()) return std::nullopt;
  const char sep = text[pos];
  if (sep != '.' && sep != '-') return std::nullopt;
  ++pos;
  if (!readNumber(text, pos, 2, b, db) || pos >= text.size() || text[pos] != sep) return std::nullopt;
  ++pos;
  if (!readNumber(text, pos, 4, c, dc) || pos != text.size()) return std::nullopt;
  Date d;
  if (sep == '-') {  // yyyy-mm-dd
    if (da != 4) return std::nullopt;
    d = {a, b, c};
  } else {  // dd.mm.yyyy or dd.mm.yy
    if (da > 2) return std::nullopt;
    int year = c;
    if (dc == 2)
      year = c >= 50 ? 1900 + c : 2000 + c;
    else if (dc != 4)
      return std::nullopt;
    d = {year, b, a};
  }
  if (!d.isValid()) return std::nullopt;
  return d;
}

std::optional<Date> Date::fromDbf(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  int v[3] = {0, 0, 0};
  const int lens[3] = {4, 2, 2};
  std::size_t pos = 0;
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i < lens[k]; ++i, ++pos) {
      const char ch = text[pos];
      if (ch < '0' || ch > '9') return std::nullopt;
      v[k] = v[k] * 10 + (ch - '0');
    }
  }
  Date d{v[0], v[1], v[2]};
  if (!d.isValid()) return std::nullopt;
  return d;
}

Date Date::today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string Date::toString() const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", day, month, year);
  return buf;
}

std::string Date::toDbf() const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", year, month, day);
  return buf;
}

FieldDef FieldDef::character(std::string name, int width) {
  return FieldDef{std::move(name), FieldType::Character, width, 0, 'C'};
}

FieldDef FieldDef::numeric(std::string name, int width, int decimals) {
  return FieldDef{std::move(name), FieldType::Numeric, width, decimals, 'N'};
}

FieldDef FieldDef::date(std::string name) { return FieldDef{std::move(name), FieldType::Date, 8, 0, 'D'}; }

FieldDef FieldDef::logical(std::string name) { return FieldDef{std::move(name), FieldType::Logical, 1, 0, 'L'}; }

std::string Value::toString() const {
  if (isNull()) return {};
  if (isText()) return text();
  if (isDate()) return date().toString();
  if (isBool()) return truth() ? "T" : "F";
  const double n = number();
  if (!std::isfinite(n)) return std::isnan(n) ? "nan" : (n < 0 ? "-inf" : "inf");
  // Shortest text that reads back as the same number.
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, n);
  std::string s(buf, res.ptr);
  if (s == "-0") s = "0";
  return s;
}

std::string wholeNumberText(double n) {
  if (!std::isfinite(n)) return Value(n).toString();
  const double r = std::round(n);
  // Converted only where a long long holds it; wider fields (up to twenty
  // digits) are printed as they are.
  if (std::fabs(r) < 9.2e18) return std::to_string(static_cast<long long>(r));
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.0f", r);
  return buf;
}

int findField(const std::vector<FieldDef>& fields, std::string_view name) {
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (text::equalsIgnoreCase(fields[i].name, name)) return static_cast<int>(i);
  const auto dot = name.rfind('.');
  if (dot != std::string_view::npos && dot + 1 < name.size()) {
    const std::string_view bare = name.substr(dot + 1);
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (text::equalsIgnoreCase(fields[i].name, bare)) return static_cast<int>(i);
  } else {
    // A plain name also finds the one alias-qualified field ("m.Code") that
    // ends with it, as in the result of a join.
    int found = -1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const std::string& f = fields[i].name;
      const auto fdot = f.rfind('.');
      if (fdot == std::string::npos) continue;
      if (text::equalsIgnoreCase(std::string_view(f).substr(fdot + 1), name)) {
        if (found >= 0) return -1;  // ambiguous
        found = static_cast<int>(i);
      }
    }
    return found;
  }
  return -1;
}

}  // namespace kroyna::dbase
