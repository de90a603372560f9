#include "platform/report/Expression.h"

#include "platform/report/ReportError.h"
#include "platform/text/Cp1251.h"

#include <cmath>

namespace kroyna::report {

struct Expression::Node {
  enum class Op { Number, Text, Name, Neg, Not, Add, Sub, Mul, Div, Eq, Ne, Lt, Gt, Le, Ge, And, Or, Iif, Sum, Count };
  Op op = Op::Number;
  double number = 0;
  std::string text;  // text literal, name, or the source of a SUM argument
  std::vector<std::shared_ptr<const Node>> args;
};

using NodePtr = std::shared_ptr<const Expression::Node>;
using Op = Expression::Node::Op;

namespace {

bool isNameChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '#' || c >= 0x80; }

class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s) {}

  NodePtr parseAll() {
    NodePtr n = parseOr();
    skipSpace();
    if (pos_ != s_.size()) fail("лишние символы");
    return n;
  }

 private:
  [[noreturn]] void fail(const std::string& what) {
    throw ReportError("Ошибка в выражении \"" + std::string(s_) + "\": " + what + " (позиция " +
                      std::to_string(pos_ + 1) + ")");
  }

  void skipSpace() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n')) ++pos_;
  }

  bool eat(std::string_view tok) {
    skipSpace();
    if (s_.substr(pos_, tok.size()) == tok) {
      pos_ += tok.size();
      return true;
    }
    return false;
  }

  // A keyword such as "and": matched without regard to case and only as a whole word.
  bool eatWord(std::string_view word) {
    skipSpace();
    if (pos_ + word.size() > s_.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(s_[pos_ + i])) != word[i]) return false;
    if (pos_ + word.size() < s_.size() && isNameChar(static_cast<unsigned char>(s_[pos_ + word.size()]))) return false;
    pos_ += word.size();
    return true;
  }

  static NodePtr make(Op op, std::vector<NodePtr> args) {
    auto n = std::make_shared<Expression::Node>();
    n->op = op;
    n->args = std::move(args);
    return n;
  }

  NodePtr parseOr() {
    NodePtr l = parseAnd();
    while (eatWord("or")) l = make(Op::Or, {l, parseAnd()});
    return l;
  }

  NodePtr parseAnd() {
    NodePtr l = parseNot();
    while (eatWord("and")) l = make(Op::And, {l, parseNot()});
    return l;
  }

  NodePtr parseNot() {
    if (eatWord("not")) {
      if (++depth_ > 200) fail("слишком глубокая вложенность");
      NodePtr n = make(Op::Not, {parseNot()});
      --depth_;
      return n;
    }
    return parseCompare();
  }

  NodePtr parseCompare() {
    NodePtr l = parseAdd();
    static const std::pair<std::string_view, Op> ops[] = {{"<>", Op::Ne}, {"<=", Op::Le}, {">=", Op::Ge},
                                                          {"=", Op::Eq},  {"<", Op::Lt},  {">", Op::Gt}};
    for (const auto& [tok, op] : ops)
      if (eat(tok)) return make(op, {l, parseAdd()});
    return l;
  }

  NodePtr parseAdd() {
    NodePtr l = parseMul();
    for (;;) {
      if (eat("+"))
        l = make(Op::Add, {l, parseMul()});
      else if (eat("-"))
        l = make(Op::Sub, {l, parseMul()});
      else
        return l;
    }
  }

  NodePtr parseMul() {
    NodePtr l = parseUnary();
    for (;;) {
      if (eat("*"))
        l = make(Op::Mul, {l, parseUnary()});
      else if (eat("/"))
        l = make(Op::Div, {l, parseUnary()});
      else
        return l;
    }
  }

  NodePtr parseUnary() {
    if (++depth_ > 200) fail("слишком глубокая вложенность");
    NodePtr n;
    if (eat("-"))
      n = make(Op::Neg, {parseUnary()});
    else if (eat("+"))
      n = parseUnary();
    else
      n = parsePrimary();
    --depth_;
    return n;
  }

  NodePtr parsePrimary() {
    skipSpace();
    if (pos_ >= s_.size()) fail("ожидалось значение");
    unsigned char c = static_cast<unsigned char>(s_[pos_]);
    if (c == '(') {
      ++pos_;
      NodePtr n = parseOr();
      if (!eat(")")) fail("ожидалась \")\"");
      return n;
    }
    if (c == '\'') {
      ++pos_;
      std::string t;
      for (;;) {
        if (pos_ >= s_.size()) fail("не закрыта кавычка");
        if (s_[pos_] == '\'') {
          if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') {
            t += '\'';
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        t += s_[pos_++];
      }
      auto n = std::make_shared<Expression::Node>();
      n->op = Op::Text;
      n->text = std::move(t);
      return n;
    }
    if (std::isdigit(c) || c == '.') {
      size_t start = pos_;
      while (pos_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.')) ++pos_;
      double v = 0;
      if (!parseNumber(std::string(s_.substr(start, pos_ - start)), v)) fail("неверное число");
      auto n = std::make_shared<Expression::Node>();
      n->op = Op::Number;
      n->number = v;
      return n;
    }
    if (isNameChar(c)) {
      size_t start = pos_;
      while (pos_ < s_.size() && isNameChar(static_cast<unsigned char>(s_[pos_]))) ++pos_;
      std::string name(s_.substr(start, pos_ - start));
      if (eat("(")) return parseCall(name);
      auto n = std::make_shared<Expression::Node>();
      n->op = Op::Name;
      n->text = std::move(name);
      return n;
    }
    fail("неожиданный символ");
  }

  NodePtr parseCall(const std::string& name) {
    std::string upper = text::toUpperUtf8(name);
    if (upper == "COUNT") {
      if (!eat(")")) fail("COUNT() не имеет аргументов");
      return make(Op::Count, {});
    }
    if (upper == "SUM") {
      skipSpace();
      size_t start = pos_;
      NodePtr arg = parseOr();
      size_t end = pos_;
      if (!eat(")")) fail("ожидалась \")\"");
      auto n = std::make_shared<Expression::Node>();
      n->op = Op::Sum;
      n->text = std::string(s_.substr(start, end - start));
      while (!n->text.empty() && n->text.back() == ' ') n->text.pop_back();
      n->args = {arg};
      return n;
    }
    if (upper == "IIF") {
      NodePtr a = parseOr();
      if (!eat(",")) fail("IIF ожидает три аргумента");
      NodePtr b = parseOr();
      if (!eat(",")) fail("IIF ожидает три аргумента");
      NodePtr d = parseOr();
      if (!eat(")")) fail("ожидалась \")\"");
      return make(Op::Iif, {a, b, d});
    }
    fail("неизвестная функция " + name);
  }

  std::string_view s_;
  size_t pos_ = 0;
  int depth_ = 0;
};

int compareValues(const Value& a, const Value& b) {
  double x = 0, y = 0;
  bool an = a.isNumber() || (a.kind() == Value::Kind::Text && parseNumber(a.toText(), x));
  bool bn = b.isNumber() || (b.kind() == Value::Kind::Text && parseNumber(b.toText(), y));
  if (an && bn) {
    x = a.toNumber();
    y = b.toNumber();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  std::string s = a.toText(), t = b.toText();
  return s < t ? -1 : (s > t ? 1 : 0);
}

Value eval(const Expression::Node& n, const EvalContext& ctx) {
  switch (n.op) {
    case Op::Number: return Value::number(n.number);
    case Op::Text: return Value::text(n.text);
    case Op::Name: return ctx.lookup ? ctx.lookup(n.text) : Value();
    case Op::Neg: return Value::number(-eval(*n.args[0], ctx).toNumber());
    case Op::Not: return Value::number(eval(*n.args[0], ctx).toBool() ? 0 : 1);
    case Op::Add: {
      Value a = eval(*n.args[0], ctx), b = eval(*n.args[1], ctx);
      if (a.kind() == Value::Kind::Text || b.kind() == Value::Kind::Text) return Value::text(a.toText() + b.toText());
      return Value::number(a.toNumber() + b.toNumber());
    }
    case Op::Sub: return Value::number(eval(*n.args[0], ctx).toNumber() - eval(*n.args[1], ctx).toNumber());
    case Op::Mul: return Value::number(eval(*n.args[0], ctx).toNumber() * eval(*n.args[1], ctx).toNumber());
    case Op::Div: {
      double d = eval(*n.args[1], ctx).toNumber();
      // A division by zero shows 0 rather than stopping the whole report.
      return Value::number(d == 0 ? 0 : eval(*n.args[0], ctx).toNumber() / d);
    }
    case Op::Eq: return Value::number(compareValues(eval(*n.args[0], ctx), eval(*n.args[1], ctx)) == 0);
    case Op::Ne: return Value::number(compareValues(eval(*n.args[0], ctx), eval(*n.args[1], ctx)) != 0);
    case Op::Lt: return Value::number(compareValues(eval(*n.args[0], ctx), eval(*n.args[1], ctx)) < 0);
    case Op::Gt: return Value::number(compareValues(eval(*n.args[0], ctx), eval(*n.args[1], ctx)) > 0);
    case Op::Le: return Value::number(compareValues(eval(*n.args[0], ctx), eval(*n.args[1], ctx)) <= 0);
    case Op::Ge: return Value::number(compareValues(eval(*n.args[0], ctx), eval(*n.args[1], ctx)) >= 0);
    case Op::And: return Value::number(eval(*n.args[0], ctx).toBool() && eval(*n.args[1], ctx).toBool());
    case Op::Or: return Value::number(eval(*n.args[0], ctx).toBool() || eval(*n.args[1], ctx).toBool());
    case Op::Iif: return eval(*n.args[0], ctx).toBool() ? eval(*n.args[1], ctx) : eval(*n.args[2], ctx);
    case Op::Sum: return ctx.aggregate ? ctx.aggregate(false, n.text) : Value::number(0);
    case Op::Count: return ctx.aggregate ? ctx.aggregate(true, std::string()) : Value::number(0);
  }
  return {};
}

void collect(const Expression::Node& n, std::vector<std::string>& sums, bool& usesCount) {
  if (n.op == Op::Sum) {
    bool known = false;
    for (const auto& s : sums) known = known || s == n.text;
    if (!known) sums.push_back(n.text);
  }
  if (n.op == Op::Count) usesCount = true;
  for (const auto& a : n.args) collect(*a, sums, usesCount);
}

bool refers(const Expression::Node& n, std::string_view name) {
  if (n.op == Op::Name && text::equalsIgnoreCase(n.text, name)) return true;
  for (const auto& a : n.args)
    if (refers(*a, name)) return true;
  return false;
}

void names(const Expression::Node& n, std::vector<std::string>& out) {
  if (n.op == Op::Sum) return;
  if (n.op == Op::Name) out.push_back(n.text);
  for (const auto& a : n.args) names(*a, out);
}

}  // namespace

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;
Expression::Expression(const Expression&) = default;
Expression& Expression::operator=(const Expression&) = default;

Expression Expression::parse(std::string_view source) {
  Expression e;
  e.source_ = std::string(source);
  e.root_ = Parser(source).parseAll();
  return e;
}

Value Expression::evaluate(const EvalContext& ctx) const { return root_ ? eval(*root_, ctx) : Value(); }

void Expression::collectAggregates(std::vector<std::string>& sums, bool& usesCount) const {
  if (root_) collect(*root_, sums, usesCount);
}

void Expression::collectNames(std::vector<std::string>& out) const {
  if (root_) names(*root_, out);
}

bool Expression::refersTo(std::string_view name) const { return root_ && refers(*root_, name); }

TextTemplate TextTemplate::parse(std::string_view text) {
  TextTemplate t;
  std::string literal;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '[' && i + 1 < text.size() && text[i + 1] == '[') {
      literal += '[';
      i += 2;
      continue;
    }
    if (c != '[') {
      literal += c;
      ++i;
      continue;
    }
    // Find the closing bracket, skipping quoted texts and nested brackets.
    size_t j = i + 1;
    int depth = 1;
    bool quoted = false;
    size_t bar = std::string_view::npos;
    for (; j < text.size(); ++j) {
      char d = text[j];
      if (quoted) {
        if (d == '\'') quoted = false;
        continue;
      }
      if (d == '\'')
        quoted = true;
      else if (d == '[')
        ++depth;
      else if (d == ']' && --depth == 0)
        break;
      else if (d == '|' && depth == 1)
        bar = j;
    }
    if (j >= text.size()) throw ReportError("Не закрыта скобка \"[\" в тексте \"" + std::string(text) + "\"");
    std::string_view inner = text.substr(i + 1, (bar == std::string_view::npos ? j : bar) - i - 1);
    if (!literal.empty()) {
      t.pieces_.push_back(Piece{literal, false, {}, {}});
      literal.clear();
    }
    Piece p;
    p.isExpression = true;
    p.expression = Expression::parse(inner);
    if (bar != std::string_view::npos) p.picture = std::string(text.substr(bar + 1, j - bar - 1));
    t.pieces_.push_back(std::move(p));
    i = j + 1;
  }
  if (!literal.empty()) t.pieces_.push_back(Piece{literal, false, {}, {}});
  return t;
}

std::string TextTemplate::expand(const EvalContext& ctx) const {
  std::string out;
  for (const Piece& p : pieces_) {
    if (!p.isExpression) {
      out += p.literal;
      continue;
    }
    Value v = p.expression.evaluate(ctx);
    if (!p.picture.empty() && !v.isEmpty())
      out += formatNumber(v.toNumber(), p.picture);
    else
      out += v.toText();
  }
  return out;
}

bool TextTemplate::hasExpressions() const {
  for (const Piece& p : pieces_)
    if (p.isExpression) return true;
  return false;
}

void TextTemplate::collectAggregates(std::vector<std::string>& sums, bool& usesCount) const {
  for (const Piece& p : pieces_)
    if (p.isExpression) p.expression.collectAggregates(sums, usesCount);
}

void TextTemplate::collectNames(std::vector<std::string>& out) const {
  for (const Piece& p : pieces_)
    if (p.isExpression) p.expression.collectNames(out);
}

bool TextTemplate::refersTo(std::string_view name) const {
  for (const Piece& p : pieces_)
    if (p.isExpression && p.expression.refersTo(name)) return true;
  return false;
}

}  // namespace kroyna::report
