#include "parts/PartsTextFormats.h"

#include "platform/text/Cp1251.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace kroyna::parts {

namespace {

bool isBlank(char c) { return c == ' '; }

std::string_view trimBlanks(std::string_view t) {
  while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
  return t;
}

// Trims what the old programs trimmed: blanks and control characters.
std::string_view trimControls(std::string_view t) {
  auto weak = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  while (!t.empty() && weak(t.front())) t.remove_prefix(1);
  while (!t.empty() && weak(t.back())) t.remove_suffix(1);
  return t;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The text of a decimal number with "." as separator and an optional
// exponent, blanks around it: its value, or nothing.
std::optional<double> parseDecimal(std::string_view text) {
  text = trimBlanks(text);
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && isDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponent = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++exponent;
    if (exponent == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  const std::string copy(text);
  errno = 0;
  const double v = std::strtod(copy.c_str(), nullptr);
  if (std::isnan(v)) return std::nullopt;
  return v;  // an overflow reads as infinite, which no range holds
}

std::string lineText(std::size_t line) { return std::to_string(line); }

}  // namespace

WholeNumber parseWholeNumber(std::string_view text, int& value) {
  text = trimBlanks(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return WholeNumber::None;
  for (std::size_t k = i; k < text.size(); ++k)
    if (!isDigit(text[k])) return WholeNumber::None;
  // The digits are checked against the range before anything is converted.
  while (i + 1 < text.size() && text[i] == '0') ++i;
  const std::string_view digits = text.substr(i);
  const std::string_view limit = negative ? "2147483648" : "2147483647";
  if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit)) return WholeNumber::TooLarge;
  long long v = 0;
  for (char c : digits) v = v * 10 + (c - '0');
  value = static_cast<int>(negative ? -v : v);
  return WholeNumber::Ok;
}

// ---- Tab-separated files ----

TabFile readTabSeparated(std::string_view bytes, const TabDefaults& defaults, const std::string& shownName) {
  TabFile out;
  std::size_t pos = 0;
  std::size_t lineNo = 0;
  while (pos < bytes.size()) {
    std::size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    const std::string_view line = bytes.substr(pos, end - pos);
    // CR LF, LF or a lone CR ends the line; the end of the file ends the
    // last one.
    pos = end;
    if (pos < bytes.size()) pos += bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n' ? 2 : 1;
    ++lineNo;

    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size() && fields.size() < 9; ++i)
      if (i == line.size() || line[i] == '\t') {
        fields.push_back(line.substr(start, i - start));
        start = i + 1;
      }
    fields.resize(9);

    auto fail = [&](const char* what, std::string_view value) {
      out.error = "Файл \"" + shownName + "\", строка " + lineText(lineNo) + ": " + what + " " +
                  text::cp1251ToUtf8(trimBlanks(value)) + " вне допустимого диапазона (от 0 до " +
                  std::to_string(kMaxNumber) + ").";
    };
    // A field that became 0 though the line has text is noted.
    const bool emptyLine = trimControls(line).empty();
    std::vector<std::string> zeroed;
    auto zero = [&](const char* what, std::string_view field) {
      if (emptyLine) return;
      const std::string_view t = trimBlanks(field);
      zeroed.push_back(std::string(what) + (t.empty() ? std::string(" (нет)") : " \"" + text::cp1251ToUtf8(t) + "\""));
    };
    auto size = [&](std::string_view field, const char* what, int& target) {
      int v = 0;
      switch (parseWholeNumber(field, v)) {
        case WholeNumber::None:
          target = 0;
          zero(what, field);
          return true;
        case WholeNumber::TooLarge:
          if (trimBlanks(field).front() == '-') {
            target = 0;
            zero(what, field);
            return true;
          }
          fail(what, field);
          return false;
        case WholeNumber::Ok:
          if (v > kMaxNumber) {
            fail(what, field);
            return false;
          }
          if (v < 0) zero(what, field);
          target = v < 0 ? 0 : v;
          return true;
      }
      return true;
    };

    PartRow r;
    r.name = text::cp1251ToUtf8(fields[0]);
    if (!size(fields[1], "длина", r.length) || !size(fields[2], "ширина", r.width)) return out;
    if (const std::optional<double> many = parseDecimal(fields[3])) {
      const double rounded = std::round(*many);
      if (rounded > kMaxNumber) {
        fail("количество", fields[3]);
        return out;
      }
      if (rounded < 0) zero("количество", fields[3]);
      r.quantity = rounded < 0 ? 0 : static_cast<int>(rounded);
    } else {
      zero("количество", fields[3]);
    }
    int rotation = 0;
    switch (parseWholeNumber(fields[4], rotation)) {
      case WholeNumber::None: r.rotation = defaults.rotation; break;
      case WholeNumber::TooLarge: r.rotation = 0; break;
      case WholeNumber::Ok: r.rotation = rotation < 0 || rotation > kMaxRotation ? 0 : rotation; break;
    }
    int* sides[] = {&r.left, &r.right, &r.top, &r.bottom};
    for (int s = 0; s < 4; ++s) {
      int mark = 0;
      const WholeNumber kind = parseWholeNumber(fields[static_cast<std::size_t>(5 + s)], mark);
      const bool banded = kind == WholeNumber::TooLarge || (kind == WholeNumber::Ok && mark != 0);
      *sides[s] = banded ? defaults.edge : 0;
      out.edgeMarks = out.edgeMarks || banded;
    }
    r.material = defaults.material;
    out.rows.push_back(std::move(r));
    if (!zeroed.empty()) out.zeroed.push_back({lineNo, std::move(zeroed)});
  }
  return out;
}

std::string writeTabSeparated(const std::vector<PartRow>& rows) {
  std::string out;
  for (const PartRow& r : rows) {
    out += text::utf8ToCp1251(r.name);
    for (int v : {r.length, r.width, r.quantity, r.rotation}) out += '\t' + std::to_string(v);
    for (int edge : {r.left, r.right, r.top, r.bottom}) out += edge == 0 ? "\t0" : "\t1";
    out += "\r\n";
  }
  return out;
}

// ---- Version 1.x files ----

std::string firstLine(std::string_view bytes) {
  std::size_t end = 0;
  while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
  return text::cp1251ToUtf8(bytes.substr(0, end));
}

namespace {

// The list is read from the front; each step takes what it has read off
// `rest` and trims what is left.
class Version1Parser {
 public:
  explicit Version1Parser(std::string_view line) : rest_(trimControls(line)) {}

  std::vector<Version1Part> run() {
    list(0);
    return std::move(parts_);
  }

 private:
  // Nesting deeper than a list of lists never reads as parts (the inner
  // lists leave closing parentheses nobody takes); the bound only keeps a
  // damaged line from exhausting the stack.
  static constexpr int kMaxDepth = 64;

  void list(int depth) {
    if (depth > kMaxDepth) fail("слишком много вложенных скобок");
    while (!rest_.empty() && rest_.front() == '(') {
      take(1);
      list(depth + 1);
    }
    if (rest_ == ")") return;
    part();
  }

  void part() {
    if (rest_.empty()) fail("список деталей не закрыт скобкой или пуст");
    if (rest_.front() != '"') fail("название детали должно начинаться с двойной кавычки");
    const std::size_t close = rest_.find('"', 1);
    if (close == std::string_view::npos) fail("нет закрывающей кавычки после названия детали");
    Version1Part p;
    p.name = std::string(rest_.substr(1, close - 1));
    take(close + 1);
    p.length = number(rest_.find(' '), "длина", p.name);
    p.width = number(rest_.find(' '), "ширина", p.name);
    p.oldRotation = number(rest_.find(' '), "код поворота", p.name);
    p.quantity = number(rest_.find(')'), "количество", p.name);
    parts_.push_back(std::move(p));
  }

  // The number up to `end` (the separator, dropped with it).
  int number(std::size_t end, const char* what, const std::string& name) {
    const std::string_view text = end == std::string_view::npos ? std::string_view() : rest_.substr(0, end);
    int v = 0;
    const WholeNumber kind = parseWholeNumber(text, v);
    if (kind != WholeNumber::Ok)
      fail(std::string(what) + " детали \"" + name + "\" " +
           (end == std::string_view::npos ? std::string("отсутствует")
                                          : "\"" + std::string(text) + "\" не является целым числом" +
                                                (kind == WholeNumber::TooLarge ? " допустимого размера" : "")));
    take(end + 1);
    return v;
  }

  void take(std::size_t n) {
    rest_.remove_prefix(std::min(n, rest_.size()));
    rest_ = trimControls(rest_);
  }

  [[noreturn]] void fail(const std::string& why) {
    throw ImportError("Строка базы деталей версии 1.x не читается: " + why + ".");
  }

  std::string_view rest_;
  std::vector<Version1Part> parts_;
};

}  // namespace

std::vector<Version1Part> parseVersion1List(std::string_view line) { return Version1Parser(line).run(); }

int rotationOfVersion1(int oldCode) {
  switch (oldCode) {
    case 0: return 1;
    case 1: return 0;
    default: return oldCode;
  }
}

}  // namespace kroyna::parts
