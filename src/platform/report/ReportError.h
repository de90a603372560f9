#pragma once

#include <stdexcept>
#include <string>

namespace kroyna::report {

// Every failure of the report engine: a missing or malformed template, an
// expression that does not parse, a file that cannot be written. The text
// (UTF-8, Russian like all the program's messages) is meant for the user.
class ReportError : public std::runtime_error {
 public:
  explicit ReportError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace kroyna::report
