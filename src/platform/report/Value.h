#pragma once

#include <string>

namespace kroyna::report {

// A value that a report shows: the text or the number a field, a variable
// or an expression yields, or nothing at all (a name nobody answered).
// Text is UTF-8.
class Value {
 public:
  enum class Kind { Empty, Text, Number };

  Value() = default;
  static Value text(std::string utf8);
  static Value number(double n);

  Kind kind() const { return kind_; }
  bool isEmpty() const { return kind_ == Kind::Empty; }
  bool isNumber() const { return kind_ == Kind::Number; }

  // Numbers are shown without a fraction when they are whole, else with
  // up to six decimals and no trailing zeros; the decimal separator is '.'.
  std::string toText() const;
  // Text that reads as a number gives that number; other text and
  // nothing give 0.
  double toNumber() const;
  // A non-zero number, or text other than "", "0" and "false".
  bool toBool() const;

 private:
  Kind kind_ = Kind::Empty;
  std::string text_;
  double number_ = 0;
};

// Formats a number by a picture such as "#0.000" or "0.00": the count of
// characters after the '.' gives the decimals, rounded half away from zero.
std::string formatNumber(double n, const std::string& picture);

// Reads a whole text as a number ("12", "-3.5", " 7 "); false when it is not one.
bool parseNumber(const std::string& text, double& out);

}  // namespace kroyna::report
