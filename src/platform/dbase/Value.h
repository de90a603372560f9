#pragma once

// Values, dates and field descriptions shared by the dBASE table layer.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kroyna::dbase {

// A calendar date as stored in a dBASE date field. Only the proleptic
// Gregorian calendar from year 1 up to (not including) 10000 is valid.
struct Date {
  int year = 0;
  int month = 0;
  int day = 0;

  bool isValid() const;

  // "dd.mm.yyyy" (the form the program shows and users type; a two-digit
  // year is taken as 19yy from 50 up and 20yy below). Also accepts
  // "yyyy-mm-dd". Returns nothing for text that is not a valid date.
  static std::optional<Date> parse(std::string_view text);
  // The eight-character form "yyyymmdd" of dBASE files; nothing for blank
  // or invalid text.
  static std::optional<Date> fromDbf(std::string_view text);
  static Date today();

  std::string toString() const;  // "dd.mm.yyyy"
  std::string toDbf() const;     // "yyyymmdd"

  friend auto operator<=>(const Date&, const Date&) = default;
  friend bool operator==(const Date&, const Date&) = default;
};

// Field types of dBASE III+ tables. Other is any type this layer can read
// past but not interpret or write (memo, binary, and the like); a table
// holding one opens read-only.
enum class FieldType : char {
  Character = 'C',
  Numeric = 'N',
  Float = 'F',
  Date = 'D',
  Logical = 'L',
  Other = '?',
};

struct FieldDef {
  std::string name;  // as stored; looked up without regard to letter case
  FieldType type = FieldType::Character;
  int width = 0;     // bytes in the record (characters for code page 1251)
  int decimals = 0;  // digits after the point, numeric fields only
  char rawType = 0;  // the type letter found in the file (for Other)

  static FieldDef character(std::string name, int width);
  static FieldDef numeric(std::string name, int width, int decimals = 0);
  static FieldDef date(std::string name);
  static FieldDef logical(std::string name);

  friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

// One cell: null (a blank numeric, date or logical field), text (UTF-8),
// a number, a date or a truth value. Character fields are never null:
// a blank one reads as the empty string.
class Value {
 public:
  Value() = default;
  Value(std::nullptr_t) {}
  Value(std::string text) : v_(std::move(text)) {}
  Value(std::string_view text) : v_(std::string(text)) {}
  Value(const char* text) : v_(std::string(text)) {}
  Value(double number) : v_(number) {}
  Value(int number) : v_(static_cast<double>(number)) {}
  Value(long number) : v_(static_cast<double>(number)) {}
  Value(long long number) : v_(static_cast<double>(number)) {}
  Value(unsigned number) : v_(static_cast<double>(number)) {}
  Value(unsigned long number) : v_(static_cast<double>(number)) {}
  Value(Date date) : v_(date) {}
  Value(bool truth) : v_(truth) {}

  bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
  bool isText() const { return std::holds_alternative<std::string>(v_); }
  bool isNumber() const { return std::holds_alternative<double>(v_); }
  bool isDate() const { return std::holds_alternative<Date>(v_); }
  bool isBool() const { return std::holds_alternative<bool>(v_); }

  // Exact accessors; they throw std::bad_variant_access on the wrong kind.
  const std::string& text() const { return std::get<std::string>(v_); }
  double number() const { return std::get<double>(v_); }
  Date date() const { return std::get<Date>(v_); }
  bool truth() const { return std::get<bool>(v_); }

  // Display text: numbers without needless trailing zeros, dates as
  // "dd.mm.yyyy", truth values as "T"/"F", null as "".
  std::string toString() const;

  friend bool operator==(const Value&, const Value&) = default;

 private:
  std::variant<std::monostate, std::string, double, Date, bool> v_;
};

using Row = std::vector<Value>;

// Index of the field named `name` (compared without regard to letter
// case, Latin and Cyrillic), or -1. A name qualified by a table alias
// ("a.Name") also matches the unqualified field "Name" when no field
// carries the qualified name itself, and a plain name finds the single
// qualified field that ends with it ("Code" finds "m.Code" unless there is
// also "s.Code").
int findField(const std::vector<FieldDef>& fields, std::string_view name);

// Decimal text of a number rounded to a whole number (half away from zero),
// however large it is, for grids that show numeric fields as whole numbers.
std::string wholeNumberText(double n);

}  // namespace kroyna::dbase
