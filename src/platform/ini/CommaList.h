#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ini/IniFile.h"

namespace kroyna::ini {

// A record kept as one comma list value (the per-material `Optim`,
// `Scrap`, `Mark` and `WH` keys). Items are read by position; an item that
// is missing (the list is shorter) or not a number where a number is
// wanted gives the caller's default, so records written by an older
// layout with fewer items still read.
class CommaList {
 public:
  CommaList() = default;
  explicit CommaList(std::string_view text) : items_(splitCommaList(text)) {}

  std::size_t size() const { return items_.size(); }
  const std::vector<std::string>& items() const { return items_; }

  std::string text(std::size_t i, std::string_view def = {}) const;
  int integer(std::size_t i, int def) const;
  bool boolean(std::size_t i, bool def) const;  // integer other than 0
  double number(std::size_t i, double def) const;

  // Setting an item past the end adds empty items before it.
  void setText(std::size_t i, std::string value);
  void setInteger(std::size_t i, int value) { setText(i, std::to_string(value)); }
  void setBoolean(std::size_t i, bool value) { setText(i, value ? "1" : "0"); }

  // Appends an item.
  CommaList& add(std::string value);
  CommaList& add(int value) { return add(std::to_string(value)); }
  CommaList& add(bool value) { return add(std::string(value ? "1" : "0")); }

  std::string joined() const { return joinCommaList(items_); }

 private:
  std::vector<std::string> items_;
};

// The number at the start of `text` as the settings file reads integers
// (blanks, optional sign, decimal digits); `def` when there is none or it
// is out of range.
int parseLeadingInt(std::string_view text, int def);
// The whole of `text` (blanks around it allowed) as a number with "." as
// the decimal separator; `def` when it is not one.
double parseFloat(std::string_view text, double def);

}  // namespace kroyna::ini
