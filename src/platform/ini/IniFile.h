#pragma once

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ini/IniDocument.h"

namespace kroyna::ini {

// A settings file with the semantics of the Windows profile functions:
// sections and keys are compared without regard to case (Latin and
// Cyrillic), names are trimmed, a missing key gives the caller's default,
// integers are decimal, booleans "1"/"0", floats use ".".
//
// The file is stored in code page 1251 with CRLF line ends; lines ending in
// LF alone, comments and lines that are neither a section nor a key are
// tolerated when read and kept as they are when the file is written.
// Text passed in and out is UTF-8.
//
// Every change is written through at once: the whole file is written to a
// new file in the same folder, synced and renamed over the old one, so a
// crash never leaves a half-written file. A write that fails throws
// IniError and leaves both the file and this object as they were.
//
// Several objects (or another process) may use one file: each call first
// re-reads the file when it changed on disk since this object last read or
// wrote it, as the profile functions do.
class IniFile {
 public:
  // Reads the file if it exists; a missing file is an empty profile.
  // Throws IniError when the file exists but cannot be read.
  explicit IniFile(std::filesystem::path path);

  const std::filesystem::path& path() const { return path_; }

  std::string readString(std::string_view section, std::string_view key, std::string_view def = {}) const;
  // The leading decimal number of the value (after blanks, with an
  // optional sign); the default when the key is missing, the value does
  // not start with a number, or the number is out of range.
  int readInt(std::string_view section, std::string_view key, int def) const;
  // An integer value other than 0 is true.
  bool readBool(std::string_view section, std::string_view key, bool def) const;
  // A number with "." as decimal separator; the default when the key is
  // missing or the value is not a number.
  double readFloat(std::string_view section, std::string_view key, double def) const;

  void writeString(std::string_view section, std::string_view key, std::string_view value);
  void writeInt(std::string_view section, std::string_view key, int value);
  void writeBool(std::string_view section, std::string_view key, bool value);  // "1"/"0"
  void writeFloat(std::string_view section, std::string_view key, double value);

  bool sectionExists(std::string_view section) const;
  bool keyExists(std::string_view section, std::string_view key) const;
  // Section names in file order, each once (the first spelling).
  std::vector<std::string> sections() const;
  // Keys of the section in file order, as spelled in the file.
  std::vector<std::string> readSectionKeys(std::string_view section) const;
  // Key and value of every key line of the section, in file order.
  std::vector<std::pair<std::string, std::string>> readSectionValues(std::string_view section) const;

  // Removes every section of that name with all its lines.
  void eraseSection(std::string_view section);
  // Removes every line of that key in the section.
  void eraseKey(std::string_view section, std::string_view key);

  // Runs `changes`, which may call any of the functions above, and writes
  // the file once at the end instead of at every change. When `changes`
  // throws, nothing is written, this object returns to what it held
  // before and the exception goes on. Batches may nest; the outermost
  // one writes.
  void batch(const std::function<void()>& changes);

  // Re-reads the file from disk. Throws IniError when it exists but cannot
  // be read.
  void reload();

 private:
  struct Stamp {
    bool exists = false, directory = false;
    unsigned long long device = 0, inode = 0, size = 0;
    long long mtimeSec = 0, mtimeNsec = 0;
    bool operator==(const Stamp&) const = default;
  };

  static Stamp stampOf(const std::filesystem::path& path);
  // Re-reads the file when it changed on disk; read errors are ignored
  // (the last contents stay) unless `strict`.
  void refresh(bool strict) const;
  void load() const;
  // Writes `next` to disk when it differs from what the file holds.
  void commit(IniDocument next);
  template <class Change>
  void change(Change&& fn);

  std::filesystem::path path_;
  mutable IniDocument doc_;
  mutable Stamp stamp_;
  int batchDepth_ = 0;
  bool batchDirty_ = false;
};

// Comma lists, as used for per-material records: items are separated by
// commas (and, outside quotes, by blanks); an item that contains a comma,
// a blank or a double quote is written in double quotes with inner quotes
// doubled.
std::vector<std::string> splitCommaList(std::string_view text);
std::string joinCommaList(const std::vector<std::string>& items);

// Writes a settings file through the program's safe writer
// (platform/file/SafeFile.h). Throws IniError naming the file and the
// reason; the old file is then untouched.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kroyna::ini
