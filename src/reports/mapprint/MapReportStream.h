#pragma once

// The binary stream in which the cutting map and parts list objects keep
// their properties inside templates and prepared reports: integers
// little-endian; a string as a 16-bit length, the characters in code page
// 1251 and one zero byte; a short string as a length byte and a fixed
// field of characters; a font as its name (string), size in points
// (int32), colour (int32, Windows colour), style (uint8: 1 bold, 2 italic,
// 4 underline, 8 strike-out) and character set (uint8); an extended float
// in the 10 bytes of the x87.
//
// The reader checks every length and count against the bytes that are
// left, so that a damaged stream is refused with a reason instead of being
// read past its end. Standard C++ only; errors are report::ReportError.

#include "common/settings/SettingsValues.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kroyna::reports {

class StreamWriter {
 public:
  void u8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void boolean(bool v) { u8(v ? 1 : 0); }
  void i32(std::int32_t v);
  void extended(double v);
  // UTF-8 text written in code page 1251 (characters it lacks become '?').
  void string(std::string_view utf8);
  // At most `capacity` characters, the rest of the field zero bytes.
  void shortString(std::string_view utf8, int capacity);
  void font(const common::FontKeys& f);

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

class StreamReader {
 public:
  // `what` names the stream in messages ("карта раскроя \"Map\"").
  StreamReader(std::string_view bytes, std::string what);

  std::uint8_t u8();
  bool boolean() { return u8() != 0; }
  std::int32_t i32();
  // Refuses a value that is not a finite number.
  double extended();
  std::string string();
  std::string shortString(int capacity);
  common::FontKeys font();

  std::size_t left() const { return bytes_.size() - pos_; }
  // Refuses a count that is negative or that cannot fit the bytes left at
  // `minBytesEach` bytes an item.
  std::int32_t count(std::size_t minBytesEach, const char* items);
  // Refuses bytes after the end of the object's data.
  void expectEnd();
  [[noreturn]] void fail(const std::string& reason) const;

 private:
  const char* take(std::size_t n, const char* item);

  std::string_view bytes_;
  std::size_t pos_ = 0;
  std::string what_;
};

}  // namespace kroyna::reports
