#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kroyna::ini {

// A settings file that cannot be read or written, or a name that cannot be
// stored; the message names the file (when there is one) and the reason.
struct IniError : std::runtime_error {
  using runtime_error::runtime_error;
};

// The lines of a settings file in memory, without any file access: parses
// the bytes of a file (code page 1251, CRLF or LF) and gives them back
// with CRLF line ends. Lines it does not understand are kept byte for
// byte. Names and values passed in and out are UTF-8.
//
// A line whose first non-blank character is '[' and that has a ']' starts
// a section (the name between them, trimmed). A line with '=' (and not
// starting with ';') is a key: the name before the first '=' and the value
// after it, both trimmed. Values enclosed in a matching pair of double or
// single quotes are read without them; values that would lose blanks or
// quotes that way are written inside double quotes, so every value reads
// back as written.
class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument parse(std::string_view bytes);
  std::string serialize() const;

  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  bool hasSection(std::string_view section) const;
  bool hasKey(std::string_view section, std::string_view key) const;
  std::vector<std::string> sections() const;
  std::vector<std::string> keys(std::string_view section) const;
  std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;

  // Each returns true when the document changed. setValue keeps the
  // spelling of an existing key and adds a missing key at the end of the
  // section (a missing section at the end of the document). Line breaks
  // in the value become blanks. Throws IniError for a section or key name
  // that could not be read back (empty, or with a line break, or a key
  // with '=' or starting with '[' or ';', or a section name with ']').
  bool setValue(std::string_view section, std::string_view key, std::string_view value);
  bool eraseSection(std::string_view section);
  bool eraseKey(std::string_view section, std::string_view key);

 private:
  enum class Kind { Other, Section, Key };
  struct Line {
    std::string raw;  // bytes as in the file, code page 1251, no line end
    Kind kind = Kind::Other;
    std::string name;   // UTF-8, trimmed: section name or key
    std::string upper;  // `name` in upper case, for comparisons
  };
  static Line parseLine(std::string raw);
  // [begin, end) of the lines of the first section of that name (the
  // section line itself excluded); begin == npos when there is none.
  std::pair<std::size_t, std::size_t> findSection(const std::string& upperName) const;
  std::size_t sectionEnd(std::size_t begin) const;

  std::vector<Line> lines_;
};

}  // namespace kroyna::ini
