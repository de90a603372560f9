#include "platform/ini/CommaList.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace kroyna::ini {
namespace {

bool isSeparatorBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<std::string> splitCommaList(std::string_view text) {
  std::vector<std::string> items;
  std::size_t p = 0;
  const std::size_t n = text.size();
  auto skipBlanks = [&] {
    while (p < n && isSeparatorBlank(text[p])) ++p;
  };
  skipBlanks();
  while (p < n) {
    std::string item;
    if (text[p] == '"') {
      // Quoted item: a doubled quote stands for one quote; a missing
      // closing quote takes the rest of the text.
      ++p;
      while (p < n) {
        if (text[p] == '"') {
          if (p + 1 < n && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      const std::size_t start = p;
      while (p<n&& static_cast<unsigned char>(text[p])> ' ' && text[p] != ',') ++p;
      item.assign(text.substr(start, p - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (p < n && text[p] == ',') {
      if (p + 1 == n) items.emplace_back();  // a trailing comma ends with an empty item
      ++p;
      skipBlanks();
    }
  }
  return items;
}

std::string joinCommaList(const std::vector<std::string>& items) {
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += ',';
    const std::string& s = items[i];
    bool quote = false;
    for (char c : s)
      if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',') quote = true;
    if (!quote) {
      out += s;
      continue;
    }
    out += '"';
    for (char c : s) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

int parseLeadingInt(std::string_view text, int def) {
  std::string_view s = trimBlanks(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  long long n = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || ptr == s.data()) return def;
  if (n < INT_MIN || n > INT_MAX) return def;
  return static_cast<int>(n);
}

double parseFloat(std::string_view text, double def) {
  std::string_view s = trimBlanks(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return def;
  double d = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
  if (ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(d)) return def;
  return d;
}

std::string CommaList::text(std::size_t i, std::string_view def) const {
  return i < items_.size() ? items_[i] : std::string(def);
}

int CommaList::integer(std::size_t i, int def) const {
  return i < items_.size() ? parseLeadingInt(items_[i], def) : def;
}

bool CommaList::boolean(std::size_t i, bool def) const { return integer(i, def ? 1 : 0) != 0; }

double CommaList::number(std::size_t i, double def) const {
  return i < items_.size() ? parseFloat(items_[i], def) : def;
}

void CommaList::setText(std::size_t i, std::string value) {
  if (i >= items_.size()) items_.resize(i + 1);
  items_[i] = std::move(value);
}

CommaList& CommaList::add(std::string value) {
  items_.push_back(std::move(value));
  return *this;
}

}  // namespace kroyna::ini
