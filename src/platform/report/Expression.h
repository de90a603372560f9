#pragma once

#include "platform/report/Value.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::report {

// What an expression needs from the report while it is evaluated.
struct EvalContext {
  // The value of a name (a field, a variable, PAGE#...); Empty when unknown.
  std::function<Value(std::string_view name)> lookup;
  // SUM(arg) and COUNT() over the records of the running group or of the
  // whole report, as the band being printed decides. `arg` is the
  // argument's source text; COUNT passes "".
  std::function<Value(bool isCount, const std::string& arg)> aggregate;
};

// A small expression language for report templates:
//   numbers 12 3.5, texts 'in quotes' ('' inside for a quote), names
//   (letters of any script, digits, _ and #: NAME, PAGE#, MAP_W),
//   + - * / (+ joins texts when either side is text), comparisons
//   = <> < > <= >=, and, or, not, parentheses, and the functions
//   IIF(cond, a, b), SUM(expr), COUNT().
// Names are given to the context as written; the context decides about
// letter case.
class Expression {
 public:
  struct Node;

  Expression();
  ~Expression();
  Expression(Expression&&) noexcept;
  Expression& operator=(Expression&&) noexcept;
  Expression(const Expression&);
  Expression& operator=(const Expression&);

  // Throws ReportError with the reason and the expression's text.
  static Expression parse(std::string_view source);

  Value evaluate(const EvalContext& ctx) const;
  const std::string& source() const { return source_; }

  // Source texts of the SUM arguments and whether COUNT occurs, so that
  // the engine knows what to accumulate over the records.
  void collectAggregates(std::vector<std::string>& sums, bool& usesCount) const;
  // True when the expression refers to the name (letter case ignored).
  bool refersTo(std::string_view name) const;
  // Every name the expression reads, outside SUM arguments.
  void collectNames(std::vector<std::string>& names) const;

 private:
  std::string source_;
  std::shared_ptr<const Node> root_;
};

// A text with embedded expressions in square brackets: "Лист [PAGE#] из
// [TOTALPAGES]". An expression may end in "|picture" to format a number
// ("[SQUARE|#0.000]"). "[[" stands for a literal "[".
class TextTemplate {
 public:
  // Throws ReportError when a bracket is not closed or an expression
  // does not parse.
  static TextTemplate parse(std::string_view text);

  std::string expand(const EvalContext& ctx) const;
  bool hasExpressions() const;
  void collectAggregates(std::vector<std::string>& sums, bool& usesCount) const;
  bool refersTo(std::string_view name) const;
  void collectNames(std::vector<std::string>& names) const;

 private:
  struct Piece {
    std::string literal;
    bool isExpression = false;
    Expression expression;
    std::string picture;
  };
  std::vector<Piece> pieces_;
};

}  // namespace kroyna::report
