#pragma once

// The outside files of the catalogues:
// - `listmat.ini` and `borders.ini` of the external catalogue folder, kept
//   by the companion design program: section `Materials`, key = code
//   (decimal), value = name; code page 1251;
// - `brdolors.ini` in the program folder: plain text, one "code=colour"
//   line per edge, both decimal (the colour a signed 32-bit Windows colour
//   value); it keeps the colours of external edges, which the external
//   files do not hold.
//
// Each format has a parser of bytes, a reader of a file, and the matching
// serializer and writer. Writers replace the file atomically.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::catalogues {

// A catalogue file or table that cannot be read or written; the message is
// fit to show to the user.
class CatalogueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---- External catalogue files (listmat.ini, borders.ini) ----

struct ExternalEntry {
  int code = 0;
  std::string name;  // UTF-8, as written (quotes inside kept)
  friend bool operator==(const ExternalEntry&, const ExternalEntry&) = default;
};

struct ExternalCatalogue {
  // Entries of section `Materials` whose key is a whole number not below
  // 0, in file order (duplicates kept).
  std::vector<ExternalEntry> entries;
  // Keys that were not such numbers ("A1", "-1", "12x"), as written.
  std::vector<std::string> skippedKeys;
};

// The code of a key: decimal digits only, leading zeros allowed ("007" is
// 7); nothing for a sign, other characters, or a number above 2147483647.
bool parseCodeKey(std::string_view key, int& code);

ExternalCatalogue parseExternalCatalogue(std::string_view bytes);
// Throws CatalogueError when the file cannot be read.
ExternalCatalogue readExternalCatalogue(const std::filesystem::path& file);

std::string serializeExternalCatalogue(const std::vector<ExternalEntry>& entries);
void writeExternalCatalogue(const std::filesystem::path& file, const std::vector<ExternalEntry>& entries);

// ---- Edge colours file (brdolors.ini) ----

struct EdgeColour {
  int code = 0;
  std::int32_t colour = 0;
  friend bool operator==(const EdgeColour&, const EdgeColour&) = default;
};

// Lines that are not "code=colour" with two decimal numbers are skipped;
// a colour may also be written unsigned (0..4294967295).
std::vector<EdgeColour> parseEdgeColours(std::string_view bytes);
// A missing file gives an empty list; throws CatalogueError when the file
// exists but cannot be read.
std::vector<EdgeColour> readEdgeColours(const std::filesystem::path& file);
// The colour of the first line with that code, or `def`.
std::int32_t colourOf(const std::vector<EdgeColour>& colours, int code, std::int32_t def);

// One "code=colour" line per entry, CRLF line ends.
std::string serializeEdgeColours(const std::vector<EdgeColour>& colours);
// Throws CatalogueError naming the file; the old file is then untouched.
void writeEdgeColours(const std::filesystem::path& file, const std::vector<EdgeColour>& colours);

// The file `name` in `folder`, found without regard to letter case (files
// kept by Windows programs are named LISTMAT.INI as often as listmat.ini).
// Returns the exact-case path when nothing matches.
std::filesystem::path findFileIgnoringCase(const std::filesystem::path& folder, std::string_view name);

}  // namespace kroyna::catalogues
