#include "reports/mapprint/MapReportStream.h"

#include "maps/model/MapFile.h"
#include "platform/report/ReportError.h"
#include "platform/text/Cp1251.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kroyna::reports {

namespace {

// Font sizes a stream may hold, in points.
constexpr std::int32_t kMinFontSize = 1;
constexpr std::int32_t kMaxFontSize = 1000;

enum FontStyleBits : std::uint8_t { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

}  // namespace

// ---- writer ----

void StreamWriter::i32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(u >> (8 * i)));
}

void StreamWriter::extended(double v) {
  for (std::uint8_t b : maps::toFloat80(v)) u8(b);
}

void StreamWriter::string(std::string_view utf8) {
  std::string bytes = text::utf8ToCp1251(utf8);
  if (bytes.size() > std::numeric_limits<std::uint16_t>::max()) bytes.resize(std::numeric_limits<std::uint16_t>::max());
  const auto n = static_cast<std::uint16_t>(bytes.size());
  u8(static_cast<std::uint8_t>(n & 0xFF));
  u8(static_cast<std::uint8_t>(n >> 8));
  bytes_ += bytes;
  u8(0);
}

void StreamWriter::shortString(std::string_view utf8, int capacity) {
  std::string bytes = text::utf8ToCp1251(utf8);
  const auto cap = static_cast<std::size_t>(std::clamp(capacity, 0, 255));
  if (bytes.size() > cap) bytes.resize(cap);
  u8(static_cast<std::uint8_t>(bytes.size()));
  bytes_ += bytes;
  bytes_.append(cap - bytes.size(), '\0');
}

void StreamWriter::font(const common::FontKeys& f) {
  string(f.name);
  i32(std::clamp(f.size, kMinFontSize, kMaxFontSize));
  i32(f.colour);
  u8(static_cast<std::uint8_t>((f.bold ? Bold : 0) | (f.italic ? Italic : 0) | (f.underline ? Underline : 0) |
                               (f.strikeOut ? StrikeOut : 0)));
  u8(static_cast<std::uint8_t>(std::clamp(f.charset, 0, 255)));
}

// ---- reader ----

StreamReader::StreamReader(std::string_view bytes, std::string what) : bytes_(bytes), what_(std::move(what)) {}

void StreamReader::fail(const std::string& reason) const {
  throw report::ReportError("Повреждены данные объекта " + what_ + " (байт " + std::to_string(pos_) + "): " + reason +
                            ".");
}

const char* StreamReader::take(std::size_t n, const char* item) {
  if (n > left())
    fail(std::string(item) + ": нужно " + std::to_string(n) + " байт, осталось " + std::to_string(left()));
  const char* p = bytes_.data() + pos_;
  pos_ += n;
  return p;
}

std::uint8_t StreamReader::u8() { return static_cast<std::uint8_t>(*take(1, "байт")); }

std::int32_t StreamReader::i32() {
  const char* p = take(4, "целое число");
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= std::uint32_t(static_cast<std::uint8_t>(p[i])) << (8 * i);
  return static_cast<std::int32_t>(u);
}

double StreamReader::extended() {
  const std::size_t at = pos_;
  const double v = maps::fromFloat80(reinterpret_cast<const std::uint8_t*>(take(10, "число")));
  if (!std::isfinite(v)) {
    pos_ = at;
    fail("число не конечно");
  }
  return v;
}

std::string StreamReader::string() {
  const char* p = take(2, "длина строки");
  const std::size_t n = std::size_t(static_cast<std::uint8_t>(p[0])) | std::size_t(static_cast<std::uint8_t>(p[1]))
                                                                           << 8;
  if (n + 1 > left())
    fail("строка длиной " + std::to_string(n) + " не помещается в оставшиеся " + std::to_string(left()) + " байт");
  std::string text = text::cp1251ToUtf8(std::string_view(take(n, "строка"), n));
  if (u8() != 0) {
    --pos_;
    fail("строка не завершена нулевым байтом");
  }
  return text;
}

std::string StreamReader::shortString(int capacity) {
  const auto cap = static_cast<std::size_t>(capacity);
  const std::size_t n = u8();
  if (n > cap) {
    --pos_;
    fail("длина строки " + std::to_string(n) + " больше её поля (" + std::to_string(cap) + ")");
  }
  const char* p = take(cap, "строка");
  return text::cp1251ToUtf8(std::string_view(p, n));
}

common::FontKeys StreamReader::font() {
  common::FontKeys f;
  f.name = string();
  const std::size_t at = pos_;
  f.size = i32();
  if (f.size < kMinFontSize || f.size > kMaxFontSize) {
    pos_ = at;
    fail("неверный размер шрифта " + std::to_string(f.size));
  }
  f.colour = i32();
  const std::uint8_t style = u8();
  f.bold = style & Bold;
  f.italic = style & Italic;
  f.underline = style & Underline;
  f.strikeOut = style & StrikeOut;
  f.charset = u8();
  return f;
}

std::int32_t StreamReader::count(std::size_t minBytesEach, const char* items) {
  const std::size_t at = pos_;
  const std::int32_t n = i32();
  if (n < 0) {
    pos_ = at;
    fail(std::string("отрицательное число ") + items + " (" + std::to_string(n) + ")");
  }
  if (minBytesEach > 0 && static_cast<std::size_t>(n) > left() / minBytesEach) {
    pos_ = at;
    fail(std::string("число ") + items + " " + std::to_string(n) + " не помещается в оставшиеся " +
         std::to_string(left()) + " байт");
  }
  return n;
}

void StreamReader::expectEnd() {
  if (left() != 0) fail("лишние " + std::to_string(left()) + " байт после конца данных");
}

}  // namespace kroyna::reports
