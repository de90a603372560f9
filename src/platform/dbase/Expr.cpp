#include "platform/dbase/Expr.h"

#include "platform/dbase/TableError.h"
#include "platform/text/Cp1251.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace kroyna::dbase {

enum class ExprOp { Const, Field, Not, Neg, And, Or, Eq, Ne, Lt, Le, Gt, Ge, Add, Sub, Mul, Div };

struct Expr::Node {
  ExprOp op = ExprOp::Const;
  Value value;       // Const
  std::string name;  // Field
  std::shared_ptr<const Node> a, b;
};

struct BoundExpr::Node {
  ExprOp op = ExprOp::Const;
  Value value;
  int field = -1;
  std::shared_ptr<const Node> a, b;
};

namespace {

using NodePtr = std::shared_ptr<const Expr::Node>;

Expr make(ExprOp op, const Expr& a, const Expr& b = {}) {
  auto n = std::make_shared<Expr::Node>();
  n->op = op;
  n->a = a.node();
  n->b = b.node();
  if (!n->a || ((op != ExprOp::Not && op != ExprOp::Neg) && !n->b))
    throw TableError({}, "У операции не хватает операнда");
  return Expr(std::shared_ptr<const Expr::Node>(std::move(n)));
}

const char* opText(ExprOp op) {
  switch (op) {
    case ExprOp::And: return " and ";
    case ExprOp::Or: return " or ";
    case ExprOp::Eq: return "=";
    case ExprOp::Ne: return "<>";
    case ExprOp::Lt: return "<";
    case ExprOp::Le: return "<=";
    case ExprOp::Gt: return ">";
    case ExprOp::Ge: return ">=";
    case ExprOp::Add: return "+";
    case ExprOp::Sub: return "-";
    case ExprOp::Mul: return "*";
    case ExprOp::Div: return "/";
    default: return "?";
  }
}

std::string toText(const NodePtr& n) {
  if (!n) return {};
  switch (n->op) {
    case ExprOp::Const:
      if (n->value.isText()) {
        std::string s = "'";
        for (char c : n->value.text()) s += c == '\'' ? std::string("''") : std::string(1, c);
        return s + "'";
      }
      if (n->value.isNull()) return "null";
      if (n->value.isBool()) return n->value.truth() ? "true" : "false";
      return n->value.toString();
    case ExprOp::Field: return n->name;
    case ExprOp::Not: return "not (" + toText(n->a) + ")";
    case ExprOp::Neg: return "-(" + toText(n->a) + ")";
    default: return "(" + toText(n->a) + opText(n->op) + toText(n->b) + ")";
  }
}

// ---- Parser ---------------------------------------------------------------

class Parser {
 public:
  Parser(std::string_view text, const std::vector<Value>& params) : s_(text), params_(params) {}

  Expr parseAll() {
    skip();
    if (pos_ >= s_.size()) return {};
    Expr e = parseOr();
    skip();
    if (pos_ < s_.size()) fail("лишний текст");
    if (nextParam_ != params_.size()) fail("параметров больше, чем знаков ?");
    return e;
  }

 private:
  [[noreturn]] void fail(const std::string& why) const {
    throw TableError(
        {}, "Ошибка в условии \"" + std::string(s_) + "\": " + why + " (позиция " + std::to_string(pos_ + 1) + ")");
  }

  void skip() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
  }

  bool word(std::string_view w) {
    skip();
    if (s_.size() - pos_ < w.size()) return false;
    for (std::size_t i = 0; i < w.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(s_[pos_ + i])) != w[i]) return false;
    const std::size_t end = pos_ + w.size();
    if (end < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[end])) || s_[end] == '_')) return false;
    pos_ = end;
    return true;
  }

  bool symbol(std::string_view sym) {
    skip();
    if (s_.substr(pos_, sym.size()) != sym) return false;
    pos_ += sym.size();
    return true;
  }

  Expr parseOr() {
    Expr e = parseAnd();
    while (word("or")) e = make(ExprOp::Or, e, parseAnd());
    return e;
  }

  Expr parseAnd() {
    Expr e = parseNot();
    while (word("and")) e = make(ExprOp::And, e, parseNot());
    return e;
  }

  Expr parseNot() {
    if (word("not")) return make(ExprOp::Not, parseNot());
    return parseComparison();
  }

  Expr parseComparison() {
    Expr e = parseSum();
    ExprOp op;
    if (symbol("<="))
      op = ExprOp::Le;
    else if (symbol(">="))
      op = ExprOp::Ge;
    else if (symbol("<>") || symbol("!="))
      op = ExprOp::Ne;
    else if (symbol("="))
      op = ExprOp::Eq;
    else if (symbol("<"))
      op = ExprOp::Lt;
    else if (symbol(">"))
      op = ExprOp::Gt;
    else
      return e;
    return make(op, e, parseSum());
  }

  Expr parseSum() {
    Expr e = parseProduct();
    for (;;) {
      if (symbol("+"))
        e = make(ExprOp::Add, e, parseProduct());
      else if (symbol("-"))
        e = make(ExprOp::Sub, e, parseProduct());
      else
        return e;
    }
  }

  Expr parseProduct() {
    Expr e = parseUnary();
    for (;;) {
      if (symbol("*"))
        e = make(ExprOp::Mul, e, parseUnary());
      else if (symbol("/"))
        e = make(ExprOp::Div, e, parseUnary());
      else
        return e;
    }
  }

  Expr parseUnary() {
    if (symbol("-")) return make(ExprOp::Neg, parseUnary());
    if (symbol("+")) return parseUnary();
    return parsePrimary();
  }

  std::string quoted(char close) {
    std::string out;
    for (;;) {
      if (pos_ >= s_.size()) fail("нет закрывающего знака " + std::string(1, close));
      const char c = s_[pos_++];
      if (c == close) {
        if (close == '\'' && pos_ < s_.size() && s_[pos_] == '\'') {
          out += '\'';
          ++pos_;
          continue;
        }
        return out;
      }
      out += c;
    }
  }

  std::string identifier() {
    skip();
    if (pos_ >= s_.size()) fail("нет имени поля");
    if (s_[pos_] == '"') {
      ++pos_;
      return quoted('"');
    }
    if (s_[pos_] == '[') {
      ++pos_;
      return quoted(']');
    }
    const std::size_t start = pos_;
    while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_' ||
                                static_cast<unsigned char>(s_[pos_]) >= 0x80))
      ++pos_;
    if (pos_ == start) fail("нет имени поля");
    return std::string(s_.substr(start, pos_ - start));
  }

  Expr parsePrimary() {
    skip();
    if (pos_ >= s_.size()) fail("нет значения");
    const char c = s_[pos_];
    if (c == '(') {
      ++pos_;
      Expr e = parseOr();
      if (!symbol(")")) fail("нет закрывающей скобки");
      return e;
    }
    if (c == '?') {
      ++pos_;
      if (nextParam_ >= params_.size()) fail("знаков ? больше, чем параметров");
      return Expr::constant(params_[nextParam_++]);
    }
    if (c == '\'') {
      ++pos_;
      return Expr::constant(Value(quoted('\'')));
    }
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') return number();
    if (word("null")) return Expr::constant(Value());
    if (word("true")) return Expr::constant(Value(true));
    if (word("false")) return Expr::constant(Value(false));
    std::string name = identifier();
    // An alias: a."Code", a.Code, a.[Code].
    if (pos_ < s_.size() && s_[pos_] == '.') {
      ++pos_;
      name += "." + identifier();
    }
    return Expr::field(std::move(name));
  }

  Expr number() {
    const std::size_t start = pos_;
    while (pos_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.')) ++pos_;
    const std::string_view tok = s_.substr(start, pos_ - start);
    int dots = 0;
    for (char ch : tok) dots += ch == '.';
    if (dots == 2) {
      if (auto d = Date::parse(tok)) return Expr::constant(Value(*d));
      fail("неверная дата \"" + std::string(tok) + "\"");
    }
    double v = 0;
    const auto res = std::from_chars(tok.data(), tok.data() + tok.size(), v, std::chars_format::fixed);
    if (dots > 2 || res.ec != std::errc() || res.ptr != tok.data() + tok.size()) {
      pos_ = start;
      fail("неверное число");
    }
    return Expr::constant(Value(v));
  }

  std::string_view s_;
  const std::vector<Value>& params_;
  std::size_t pos_ = 0;
  std::size_t nextParam_ = 0;
};

// ---- Evaluation -----------------------------------------------------------

using BoundPtr = std::shared_ptr<const BoundExpr::Node>;

std::string_view rtrim(const std::string& s) {
  std::string_view v(s);
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  return v;
}

// <0, 0, >0; throws for values that cannot be compared.
int compareValues(const Value& x, const Value& y, const std::filesystem::path& file) {
  if (x.isNumber() && y.isNumber()) return x.number() < y.number() ? -1 : (x.number() > y.number() ? 1 : 0);
  if (x.isDate() || y.isDate()) {
    auto asDate = [&](const Value& v) -> std::optional<Date> {
      if (v.isDate()) return v.date();
      if (v.isText()) return Date::parse(v.text());
      return std::nullopt;
    };
    const auto a = asDate(x), b = asDate(y);
    if (!a || !b) throw TableError(file, "Нельзя сравнить дату с \"" + (x.isDate() ? y : x).toString() + "\"");
    return *a < *b ? -1 : (*a > *b ? 1 : 0);
  }
  if (x.isText() && y.isText()) {
    const int c = rtrim(x.text()).compare(rtrim(y.text()));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (x.isBool() && y.isBool()) return static_cast<int>(x.truth()) - static_cast<int>(y.truth());
  // A number compared with a text holding a number (as in Code='5').
  if (x.isNumber() && y.isText()) {
    double v = 0;
    const auto t = rtrim(y.text());
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec == std::errc() && r.ptr == t.data() + t.size()) return x.number() < v ? -1 : (x.number() > v ? 1 : 0);
  }
  if (x.isText() && y.isNumber()) return -compareValues(y, x, file);
  throw TableError(file, "Нельзя сравнить \"" + x.toString() + "\" с \"" + y.toString() + "\"");
}

Value eval(const BoundPtr& n, const std::function<Value(int)>& cell, const std::filesystem::path& file) {
  switch (n->op) {
    case ExprOp::Const: return n->value;
    case ExprOp::Field: return cell(n->field);
    case ExprOp::Not: {
      const Value v = eval(n->a, cell, file);
      if (v.isNull()) return Value(true);  // a failed comparison negated
      if (!v.isBool()) throw TableError(file, "После \"not\" должно стоять условие");
      return Value(!v.truth());
    }
    case ExprOp::Neg: {
      const Value v = eval(n->a, cell, file);
      if (v.isNull()) return v;
      if (!v.isNumber()) throw TableError(file, "Нельзя сменить знак у \"" + v.toString() + "\"");
      return Value(-v.number());
    }
    case ExprOp::And: {
      const Value a = eval(n->a, cell, file);
      if (!(a.isBool() && a.truth())) return Value(false);
      const Value b = eval(n->b, cell, file);
      return Value(b.isBool() && b.truth());
    }
    case ExprOp::Or: {
      const Value a = eval(n->a, cell, file);
      if (a.isBool() && a.truth()) return Value(true);
      const Value b = eval(n->b, cell, file);
      return Value(b.isBool() && b.truth());
    }
    case ExprOp::Eq:
    case ExprOp::Ne:
    case ExprOp::Lt:
    case ExprOp::Le:
    case ExprOp::Gt:
    case ExprOp::Ge: {
      const Value a = eval(n->a, cell, file);
      const Value b = eval(n->b, cell, file);
      if (a.isNull() || b.isNull()) return Value(false);
      const int c = compareValues(a, b, file);
      switch (n->op) {
        case ExprOp::Eq: return Value(c == 0);
        case ExprOp::Ne: return Value(c != 0);
        case ExprOp::Lt: return Value(c < 0);
        case ExprOp::Le: return Value(c <= 0);
        case ExprOp::Gt: return Value(c > 0);
        default: return Value(c >= 0);
      }
    }
    case ExprOp::Add:
    case ExprOp::Sub:
    case ExprOp::Mul:
    case ExprOp::Div: {
      const Value a = eval(n->a, cell, file);
      const Value b = eval(n->b, cell, file);
      if (a.isNull() || b.isNull()) return {};
      if (!a.isNumber() || !b.isNumber())
        throw TableError(file, "Арифметические действия возможны только с числами, а не с \"" + a.toString() +
                                   "\" и \"" + b.toString() + "\"");
      const double x = a.number(), y = b.number();
      switch (n->op) {
        case ExprOp::Add: return Value(x + y);
        case ExprOp::Sub: return Value(x - y);
        case ExprOp::Mul: return Value(x * y);
        default: return y == 0 ? Value() : Value(x / y);
      }
    }
  }
  return {};
}

BoundPtr bindNode(const NodePtr& n, const std::vector<FieldDef>& fields, const std::filesystem::path& file) {
  if (!n) return nullptr;
  auto b = std::make_shared<BoundExpr::Node>();
  b->op = n->op;
  b->value = n->value;
  if (n->op == ExprOp::Field) {
    b->field = findField(fields, n->name);
    if (b->field < 0) throw TableError(file, "В таблице нет поля \"" + n->name + "\"");
  }
  b->a = bindNode(n->a, fields, file);
  b->b = bindNode(n->b, fields, file);
  return b;
}

}  // namespace

Expr Expr::constant(Value value) {
  auto n = std::make_shared<Node>();
  n->op = ExprOp::Const;
  n->value = std::move(value);
  return Expr(std::shared_ptr<const Node>(std::move(n)));
}

Expr Expr::field(std::string name) {
  auto n = std::make_shared<Node>();
  n->op = ExprOp::Field;
  n->name = std::move(name);
  return Expr(std::shared_ptr<const Node>(std::move(n)));
}

Expr Expr::parse(std::string_view text, const std::vector<Value>& params) { return Parser(text, params).parseAll(); }

std::string Expr::toString() const { return toText(node_); }

std::string Expr::fieldName() const { return node_ && node_->op == ExprOp::Field ? node_->name : std::string(); }

Expr operator==(const Expr& a, const Expr& b) { return make(ExprOp::Eq, a, b); }
Expr operator!=(const Expr& a, const Expr& b) { return make(ExprOp::Ne, a, b); }
Expr operator<(const Expr& a, const Expr& b) { return make(ExprOp::Lt, a, b); }
Expr operator<=(const Expr& a, const Expr& b) { return make(ExprOp::Le, a, b); }
Expr operator>(const Expr& a, const Expr& b) { return make(ExprOp::Gt, a, b); }
Expr operator>=(const Expr& a, const Expr& b) { return make(ExprOp::Ge, a, b); }
Expr detail::compareWithText(int op, const Expr& a, std::string_view text) {
  static constexpr ExprOp kOps[] = {ExprOp::Eq, ExprOp::Ne, ExprOp::Lt, ExprOp::Le, ExprOp::Gt, ExprOp::Ge};
  if (op < 0 || op > 5) throw TableError({}, "Неизвестная операция сравнения");
  return make(kOps[op], a, Expr::constant(Value(text)));
}
Expr operator&&(const Expr& a, const Expr& b) {
  if (a.isEmpty()) return b;
  if (b.isEmpty()) return a;
  return make(ExprOp::And, a, b);
}
Expr operator||(const Expr& a, const Expr& b) {
  if (a.isEmpty() || b.isEmpty()) return {};  // an empty side is always true
  return make(ExprOp::Or, a, b);
}
Expr operator!(const Expr& a) { return make(ExprOp::Not, a); }
Expr operator+(const Expr& a, const Expr& b) { return make(ExprOp::Add, a, b); }
Expr operator-(const Expr& a, const Expr& b) { return make(ExprOp::Sub, a, b); }
Expr operator*(const Expr& a, const Expr& b) { return make(ExprOp::Mul, a, b); }
Expr operator/(const Expr& a, const Expr& b) { return make(ExprOp::Div, a, b); }

BoundExpr::BoundExpr(const Expr& expr, const std::vector<FieldDef>& fields, const std::filesystem::path& file)
    : root_(bindNode(expr.node(), fields, file)), file_(file) {}

Value BoundExpr::evaluate(const std::function<Value(int)>& cell) const {
  if (!root_) return Value(true);
  return eval(root_, cell, file_);
}

bool BoundExpr::holds(const std::function<Value(int)>& cell) const {
  if (!root_) return true;
  const Value v = eval(root_, cell, file_);
  return v.isBool() && v.truth();
}

}  // namespace kroyna::dbase
