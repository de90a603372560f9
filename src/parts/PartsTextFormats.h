#pragma once

// Parts lists as plain text: the tab-separated file that other programs
// read and write, and the one-line list of the version 1.x parts files
// (`.de1`). Both are code page 1251 on disk and UTF-8 here.
//
// Tab-separated file: one part kind a line, lines ended by CR LF (LF or a
// lone CR also end a line when read), no header line. Fields, separated by
// one TAB: name, length, width, quantity, rotation code, then the left,
// right, top and bottom edges as "1" (banded) or "0". The material is not
// in the file.
//
// Version 1.x list: the first line of the file, a list in parentheses of
// parts in parentheses, each a name in double quotes and four whole numbers
// separated by blanks: length, width, old rotation code, quantity. For
// example (("Полка" 600 300 1 4) ("Дверь" 700 400 0 2)).
//
// Standard C++ only (PartRow aside).

#include "parts/GroupFiles.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::parts {

// A file of another program that cannot be taken in. The text (UTF-8,
// Russian) says where and why.
class ImportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A whole number as other programs write one: blanks around it, an
// optional sign and decimal digits.
enum class WholeNumber {
  None,     // the text is not a whole number
  Ok,       // `value` holds it
  TooLarge  // a whole number no int holds
};
WholeNumber parseWholeNumber(std::string_view text, int& value);

// ---- Tab-separated files ----

// What the settings give rows of an import: the rotation of a row whose
// rotation field is not a number, and the edge code of a banded side.
struct TabDefaults {
  int rotation = 0;
  int edge = 0;
  int material = 0;
};

// The rows of a tab-separated file, one per line (an empty line too), in
// file order. Field rules: the name as it stands; length and width whole
// numbers, anything else 0; the quantity a decimal number with "." rounded
// to the nearest whole number, anything else 0; the rotation a whole
// number, below 0 or above 2 giving 0 and anything else the default; an
// edge not 0 gives the default edge code, 0 or anything else 0. Missing
// fields read as empty, fields after the ninth are ignored. A size or
// quantity below 0 is no size and gives 0.
//
// A size or quantity too large for a part (above kMaxNumber) stops the
// reading: `rows` holds the lines before it and `error` says which line.
struct TabFile {
  std::vector<PartRow> rows;
  std::string error;  // empty when every line was read
  // Lines (other than empty ones) whose length, width or quantity became 0
  // because the field was missing, not a number or below 0: the line
  // number and what stood there, as "длина \"7l6\"" or "количество (нет)".
  struct ZeroedLine {
    std::size_t line = 0;
    std::vector<std::string> fields;
  };
  std::vector<ZeroedLine> zeroed;
  // Some side of some line was marked as banded.
  bool edgeMarks = false;
};
TabFile readTabSeparated(std::string_view bytes, const TabDefaults& defaults, const std::string& shownName);

// The lines of the export of these rows, in code page 1251.
std::string writeTabSeparated(const std::vector<PartRow>& rows);

// ---- Version 1.x files ----

struct Version1Part {
  std::string name;
  int length = 0;
  int width = 0;
  int oldRotation = 0;
  int quantity = 0;
  friend bool operator==(const Version1Part&, const Version1Part&) = default;
};

// The first line of a file's bytes (up to the first CR or LF), as UTF-8.
std::string firstLine(std::string_view bytes);
// The parts of a 1.x list in list order. Throws ImportError naming what is
// wrong: a list without its parentheses, a name without its closing quote,
// a number missing or not a whole number.
std::vector<Version1Part> parseVersion1List(std::string_view line);
// Old rotation codes: 0 → 1 ("не поворачивать"), 1 → 0 ("поворачивать"),
// 2 → 2; any other code is kept as it is.
int rotationOfVersion1(int oldCode);

}  // namespace kroyna::parts
