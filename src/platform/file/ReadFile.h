#pragma once

// The one way the program reads a whole file that came from outside (a
// table, a settings file, maps, models, catalogues, imports): the bytes as
// they are, or why not. The caller words the message; a file larger than
// the cap is refused before anything is read, so that a huge or endless
// file (a device, a named pipe) cannot exhaust the memory.
//
// Standard C++ and POSIX only.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace kroyna::platform {

// The largest file read whole unless the caller says otherwise. Every file
// the program keeps is far smaller; a larger one is damaged or not ours.
inline constexpr std::uintmax_t kReadCap = std::uintmax_t{512} << 20;

struct ReadFailure {
  enum class Kind {
    NotFound,    // no such file
    Folder,      // a folder, not a file
    CannotOpen,  // exists but cannot be opened (permissions, ...)
    CannotRead,  // opened, but reading failed
    TooLarge,    // larger than the cap
  };
  Kind kind = Kind::CannotOpen;
  int error = 0;  // errno of the failed step, 0 when none
  // The system's text of `error` ("Permission denied"), or for TooLarge
  // "файл больше N МБ".
  std::string reason() const;
  std::uintmax_t cap = 0;
};

// The bytes of `path`, or nothing with `failure` filled in.
std::optional<std::string> readWholeFile(const std::filesystem::path& path, ReadFailure& failure,
                                         std::uintmax_t cap = kReadCap);

}  // namespace kroyna::platform
