#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace kroyna::dbase {

// The one error type of the table layer. Every failed operation throws it;
// its message names the file concerned, so the calling command can show it
// as it is when it has no message of its own: the reason, then the file in
// parentheses ("... (файл: /path/Sheets.dbf)"). Tables in memory use the
// name "<таблица в памяти>"; a condition that does not parse names no file.
class TableError : public std::runtime_error {
 public:
  TableError(const std::filesystem::path& file, const std::string& what)
      : std::runtime_error(file.empty() ? what : what + " (файл: " + file.string() + ")"), file_(file) {}

  const std::filesystem::path& file() const { return file_; }

 private:
  std::filesystem::path file_;
};

}  // namespace kroyna::dbase
