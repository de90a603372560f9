#pragma once

// Conditions and computed values over the fields of a row: the filters of
// open tables, the where-conditions of statements and the sums of grouped
// selects.
//
// An expression is built either from text or in code:
//
//   Expr::parse("Code=5 and Many>0")
//   Expr::parse("(Date>=01.03.2005 and Date<=31.03.2005)")
//   Expr::parse("[Length]=? and [Width]=? and [Code]=?", {2800, 2070, 3})
//   col("Length") * col("Width") < 250000 && col("Code") == k
//   col("Name") == userText          // the text is data, whatever it holds
//
// Text syntax: field names plain (Code), in brackets ([Length]), in double
// quotes ("Code") or qualified by a table alias (a."Code", a.Code; the
// alias is dropped when the table has no field of the qualified name);
// numbers (12, -3.5); dates dd.mm.yyyy written bare or in single quotes;
// text in single quotes ('' stands for one quote); ? for a parameter
// passed as a value; the operators = <> != < <= > >= + - * / and the words
// and, or, not (any letter case), with parentheses.
//
// Meaning: comparisons of numbers, dates, texts (exactly, trailing blanks
// ignored) and truth values; a text compared with a date is read as a date.
// A comparison with a null (blank) cell is false, and so is its negation
// by `<>`; arithmetic with a null gives null; division by zero gives null.
// Comparing a number with a text or a date is an error.

#include "platform/dbase/TableError.h"
#include "platform/dbase/Value.h"

#include <concepts>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kroyna::dbase {

class Expr {
 public:
  struct Node;

  // The empty expression: true for every row as a condition.
  Expr() = default;
  // A constant number, date or truth value. Text does not convert on its
  // own, so that a condition written as text is never taken for a constant
  // by mistake: use Expr::parse for conditions, and Expr::constant or a
  // comparison such as col("Name") == text for text values.
  template <typename T>
  requires(std::constructible_from<Value, T> && !std::is_convertible_v<T, std::string_view>) Expr(T value)
      : Expr(constant(Value(value))) {}

  static Expr constant(Value value);
  static Expr field(std::string name);
  // Parses text; `?` marks take the parameters in order. Throws
  // TableError with the position of the fault.
  static Expr parse(std::string_view text, const std::vector<Value>& params = {});

  bool isEmpty() const { return !node_; }
  // The field name when the expression is just a field; otherwise empty.
  std::string fieldName() const;
  // The expression written back as text (for messages).
  std::string toString() const;

  const std::shared_ptr<const Node>& node() const { return node_; }
  explicit Expr(std::shared_ptr<const Node> node) : node_(std::move(node)) {}

 private:
  std::shared_ptr<const Node> node_;
};

inline Expr col(std::string name) { return Expr::field(std::move(name)); }

Expr operator==(const Expr& a, const Expr& b);
Expr operator!=(const Expr& a, const Expr& b);
Expr operator<(const Expr& a, const Expr& b);
Expr operator<=(const Expr& a, const Expr& b);
Expr operator>(const Expr& a, const Expr& b);
Expr operator>=(const Expr& a, const Expr& b);
// Comparisons of an expression with a text value (templates, so that a
// literal 0 is never taken for a null text pointer).
namespace detail {
// op: 0 =, 1 <>, 2 <, 3 <=, 4 >, 5 >=
Expr compareWithText(int op, const Expr& a, std::string_view text);
template <typename T>
concept TextLike = std::is_convertible_v<const T&, std::string_view> && !std::is_arithmetic_v<T>;
}  // namespace detail
template <detail::TextLike T>
Expr operator==(const Expr& a, const T& text) {
  return detail::compareWithText(0, a, text);
}
template <detail::TextLike T>
Expr operator!=(const Expr& a, const T& text) {
  return detail::compareWithText(1, a, text);
}
template <detail::TextLike T>
Expr operator<(const Expr& a, const T& text) {
  return detail::compareWithText(2, a, text);
}
template <detail::TextLike T>
Expr operator<=(const Expr& a, const T& text) {
  return detail::compareWithText(3, a, text);
}
template <detail::TextLike T>
Expr operator>(const Expr& a, const T& text) {
  return detail::compareWithText(4, a, text);
}
template <detail::TextLike T>
Expr operator>=(const Expr& a, const T& text) {
  return detail::compareWithText(5, a, text);
}
Expr operator&&(const Expr& a, const Expr& b);  // an empty side is left out
Expr operator||(const Expr& a, const Expr& b);  // an empty side makes it empty (true)
Expr operator!(const Expr& a);
Expr operator+(const Expr& a, const Expr& b);
Expr operator-(const Expr& a, const Expr& b);
Expr operator*(const Expr& a, const Expr& b);
Expr operator/(const Expr& a, const Expr& b);

// An expression whose field names are resolved against one field list,
// ready to be evaluated row by row.
class BoundExpr {
 public:
  BoundExpr() = default;
  // Throws TableError naming `file` when the expression names a field the
  // list does not have.
  BoundExpr(const Expr& expr, const std::vector<FieldDef>& fields, const std::filesystem::path& file);

  bool isEmpty() const { return !root_; }
  // `cell(i)` gives the value of field i of the row.
  Value evaluate(const std::function<Value(int)>& cell) const;
  // As a condition: an empty expression and a true value hold; false, null
  // and anything else do not. Throws TableError on a comparison of
  // incompatible values.
  bool holds(const std::function<Value(int)>& cell) const;

  struct Node;

 private:
  std::shared_ptr<const Node> root_;
  std::filesystem::path file_;
};

}  // namespace kroyna::dbase
