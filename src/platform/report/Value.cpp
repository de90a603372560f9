#include "platform/report/Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kroyna::report {

Value Value::text(std::string utf8) {
  Value v;
  v.kind_ = Kind::Text;
  v.text_ = std::move(utf8);
  return v;
}

Value Value::number(double n) {
  Value v;
  v.kind_ = Kind::Number;
  v.number_ = n;
  return v;
}

static std::string numberToText(double n) {
  if (!std::isfinite(n)) return "0";
  if (n == std::floor(n) && std::fabs(n) < 1e15) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", n);
    std::string s = buf;
    return s == "-0" ? "0" : s;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", n);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

std::string Value::toText() const {
  switch (kind_) {
    case Kind::Empty: return {};
    case Kind::Text: return text_;
    case Kind::Number: return numberToText(number_);
  }
  return {};
}

bool parseNumber(const std::string& text, double& out) {
  size_t b = text.find_first_not_of(" \t");
  size_t e = text.find_last_not_of(" \t");
  if (b == std::string::npos) return false;
  std::string t = text.substr(b, e - b + 1);
  for (char& c : t)
    if (c == ',') c = '.';
  const char* s = t.c_str();
  char* end = nullptr;
  double v = std::strtod(s, &end);
  if (end == s || *end != '\0' || !std::isfinite(v)) return false;
  // strtod also reads hexadecimal and "inf"/"nan"; report texts mean decimals only.
  for (char c : t)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
      return false;
  out = v;
  return true;
}

double Value::toNumber() const {
  if (kind_ == Kind::Number) return number_;
  double v = 0;
  if (kind_ == Kind::Text && parseNumber(text_, v)) return v;
  return 0;
}

bool Value::toBool() const {
  switch (kind_) {
    case Kind::Empty: return false;
    case Kind::Number: return number_ != 0;
    case Kind::Text:
      return !(text_.empty() || text_ == "0" || text_ == "false" || text_ == "False" || text_ == "FALSE");
  }
  return false;
}

std::string formatNumber(double n, const std::string& picture) {
  int decimals = 0;
  size_t dot = picture.find('.');
  if (dot != std::string::npos) decimals = static_cast<int>(picture.size() - dot - 1);
  if (decimals > 15) decimals = 15;
  if (!std::isfinite(n)) n = 0;
  double scale = std::pow(10.0, decimals);
  double r = std::round(n * scale) / scale;
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, r);
  std::string s = buf;
  if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("0.", 1) == std::string::npos) s.erase(0, 1);
  return s;
}

}  // namespace kroyna::report
