#include "common/settings/SettingsValues.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <random>
#include <stdexcept>

#include "platform/ini/CommaList.h"
#include "platform/ini/IniFile.h"

namespace kroyna::common {
namespace {

std::string key(std::string_view prefix, std::string_view suffix) {
  std::string k(prefix);
  k += suffix;
  return k;
}

}  // namespace

int32_t readColour(const ini::IniFile& ini, std::string_view section, std::string_view key, int32_t def) {
  if (!ini.keyExists(section, key)) return def;
  std::string s = ini.readString(section, key);
  std::string_view v(s);
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  if (!v.empty() && v.front() == '+') v.remove_prefix(1);
  long long n = 0;
  const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (ec != std::errc() || ptr == v.data()) return def;
  if (n < INT32_MIN || n > static_cast<long long>(UINT32_MAX)) return def;
  return static_cast<int32_t>(static_cast<uint32_t>(n));
}

void writeColour(ini::IniFile& ini, std::string_view section, std::string_view key, int32_t colour) {
  ini.writeInt(section, key, colour);
}

FontKeys readFont(const ini::IniFile& ini, std::string_view section, std::string_view prefix, const FontKeys& def) {
  FontKeys f;
  f.name = ini.readString(section, key(prefix, "_Name"), def.name);
  f.colour = readColour(ini, section, key(prefix, "_Color"), def.colour);
  f.size = ini.readInt(section, key(prefix, "_Size"), def.size);
  f.charset = ini.readInt(section, key(prefix, "_Charset"), def.charset);
  f.bold = ini.readBool(section, key(prefix, "_Style_B"), def.bold);
  f.italic = ini.readBool(section, key(prefix, "_Style_I"), def.italic);
  f.underline = ini.readBool(section, key(prefix, "_Style_U"), def.underline);
  f.strikeOut = ini.readBool(section, key(prefix, "_Style_S"), def.strikeOut);
  return f;
}

void writeFont(ini::IniFile& ini, std::string_view section, std::string_view prefix, const FontKeys& f) {
  ini.batch([&] {
    ini.writeString(section, key(prefix, "_Name"), f.name);
    writeColour(ini, section, key(prefix, "_Color"), f.colour);
    ini.writeInt(section, key(prefix, "_Size"), f.size);
    ini.writeInt(section, key(prefix, "_Charset"), f.charset);
    ini.writeBool(section, key(prefix, "_Style_B"), f.bold);
    ini.writeBool(section, key(prefix, "_Style_I"), f.italic);
    ini.writeBool(section, key(prefix, "_Style_U"), f.underline);
    ini.writeBool(section, key(prefix, "_Style_S"), f.strikeOut);
  });
}

BrushKeys readBrush(const ini::IniFile& ini, std::string_view section, std::string_view prefix, const BrushKeys& def) {
  return {readColour(ini, section, key(prefix, "_Color"), def.colour),
          ini.readInt(section, key(prefix, "_Style"), def.style)};
}

void writeBrush(ini::IniFile& ini, std::string_view section, std::string_view prefix, const BrushKeys& b) {
  ini.batch([&] {
    writeColour(ini, section, key(prefix, "_Color"), b.colour);
    ini.writeInt(section, key(prefix, "_Style"), b.style);
  });
}

PenKeys readPen(const ini::IniFile& ini, std::string_view section, std::string_view prefix, const PenKeys& def) {
  return {readColour(ini, section, key(prefix, "_Color"), def.colour),
          ini.readInt(section, key(prefix, "_Style"), def.style),
          ini.readInt(section, key(prefix, "_Width"), def.width)};
}

void writePen(ini::IniFile& ini, std::string_view section, std::string_view prefix, const PenKeys& p) {
  ini.batch([&] {
    writeColour(ini, section, key(prefix, "_Color"), p.colour);
    ini.writeInt(section, key(prefix, "_Style"), p.style);
    ini.writeInt(section, key(prefix, "_Width"), p.width);
  });
}

std::vector<int> readColumnWidths(const ini::IniFile& ini, std::string_view section, std::string_view viewName,
                                  std::vector<int> current) {
  const std::string prefix = key(viewName, "_Width");
  for (std::size_t i = 0; i < current.size(); ++i) {
    const int w = ini.readInt(section, prefix + std::to_string(i), current[i]);
    if (w >= 0) current[i] = w;
  }
  return current;
}

void writeColumnWidths(ini::IniFile& ini, std::string_view section, std::string_view viewName,
                       const std::vector<int>& widths) {
  const std::string prefix = key(viewName, "_Width");
  ini.batch([&] {
    for (std::size_t i = 0; i < widths.size(); ++i) ini.writeInt(section, prefix + std::to_string(i), widths[i]);
  });
}

int appendNumbered(ini::IniFile& ini, std::string_view section, std::string_view value) {
  int n = 1;
  while (ini.keyExists(section, std::to_string(n))) ++n;
  ini.writeString(section, std::to_string(n), value);
  return n;
}

std::string formatScaled(double value, int divExp, int digits) {
  digits = std::clamp(digits, 0, 10);
  if (!std::isfinite(value)) return std::string(value != value ? "NAN" : value > 0 ? "INF" : "-INF");
  long double scaled = static_cast<long double>(value);
  if (digits >= divExp) {
    for (int i = divExp; i < digits; ++i) scaled *= 10;
  } else {
    long double div = 1;
    for (int i = digits; i < divExp; ++i) div *= 10;
    scaled /= div;
  }
  const long double rounded = std::round(scaled);
  if (std::fabs(rounded) >= 9.0e18L) {
    long double plain = static_cast<long double>(value);
    for (int i = 0; i < divExp; ++i) plain /= 10;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*Lf", digits, plain);
    return buf;
  }
  const long long q = std::llround(rounded);
  const unsigned long long mag = q < 0 ? 0ULL - static_cast<unsigned long long>(q) : static_cast<unsigned long long>(q);
  unsigned long long pow = 1;
  for (int i = 0; i < digits; ++i) pow *= 10;
  std::string out = q < 0 ? "-" : "";
  out += std::to_string(mag / pow);
  if (digits > 0) {
    const std::string frac = std::to_string(mag % pow);
    out += '.';
    out += std::string(static_cast<std::size_t>(digits) - frac.size(), '0');
    out += frac;
  }
  return out;
}

std::string formatFixed(double value, int digits) { return formatScaled(value, 0, digits); }

std::string percentText(double part, double base) {
  if (base == 0 || !std::isfinite(part / base)) return formatFixed(0, 2);
  return formatFixed(part / base * 100.0, 2);
}

double textToFloat(std::string_view text) { return ini::parseFloat(text, 0.0); }

int randomUnusedCode(int limit, const std::function<bool(int)>& isUsed) {
  if (limit < 2) throw std::invalid_argument("randomUnusedCode: no code below " + std::to_string(limit));
  static thread_local std::mt19937 rng{std::random_device{}()};
  std::uniform_int_distribution<int> draw(1, limit - 1);
  const int range = limit - 1;
  const int tries = std::min(range, 64) * 4;
  for (int i = 0; i < tries; ++i) {
    const int code = draw(rng);
    if (!isUsed(code)) return code;
  }
  // Nearly every code is taken: look at each one, from a random start.
  const int start = draw(rng);
  for (int i = 0; i < range; ++i) {
    const int code = 1 + (start - 1 + i) % range;
    if (!isUsed(code)) return code;
  }
  throw std::runtime_error("Нет свободного кода: заняты все коды от 1 до " + std::to_string(limit - 1) + ".");
}

std::string normalizeFolder(std::string_view text) {
  std::size_t b = 0, e = text.size();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
  while (b < e && blank(text[b])) ++b;
  while (e > b && blank(text[e - 1])) --e;
  std::string s(text.substr(b, e - b));
  if (s.empty()) return s;
  std::replace(s.begin(), s.end(), '\\', '/');
  if (s.back() != '/') s += '/';
  return s;
}

}  // namespace kroyna::common
