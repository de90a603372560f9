#pragma once

// Compound files (OLE structured storage): a tree of named storages and
// streams inside one file, as the models file keeps its sections and models.
//
// A file is read whole into an Element tree and written whole from one:
// a change is made to the tree and the complete new file then replaces the
// old one through the program's safe writer, so a crash or a full disk
// never leaves a half-written file. Elements the caller does not touch
// (other streams, class ids of storages) are written back as they were
// read.
//
// The format itself is read and written by libgsf; this header keeps glib
// out of the callers. Standard C++ only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::compound {

// A file that is not a compound file, is damaged, exceeds the limits of a
// read, or cannot be written. The text names the file and the reason.
class CompoundError : public std::runtime_error {
 public:
  CompoundError(std::string file, std::string reason);
  const std::string& file() const { return file_; }
  // The reason without the file name.
  const std::string& reason() const { return reason_; }

 private:
  std::string file_;
  std::string reason_;
};

// One storage or stream. Names are UTF-8; the format compares them without
// regard to letter case, and so do child() and put().
struct Element {
  enum class Kind { Storage, Stream };

  std::string name;
  Kind kind = Kind::Storage;
  // A stream's bytes.
  std::string data;
  // A storage's elements, in the order the file lists them.
  std::vector<Element> children;
  // A storage's class id (all zero for most storages).
  std::array<std::uint8_t, 16> classId{};

  static Element storage(std::string name);
  static Element stream(std::string name, std::string data);

  bool isStorage() const { return kind == Kind::Storage; }
  bool isStream() const { return kind == Kind::Stream; }

  // The element of that name among the children, or nullptr.
  Element* child(std::string_view childName);
  const Element* child(std::string_view childName) const;
  // Adds the element, replacing a child of the same name; returns it.
  Element& put(Element element);
  // Removes the child of that name with everything in it; false when there
  // was none.
  bool remove(std::string_view childName);
};

// Whether two element names are the same name for the format (letter case
// of Latin and Cyrillic letters ignored).
bool sameName(std::string_view a, std::string_view b);

// Why `name` cannot name an element (empty, longer than 31 characters, or
// holding one of / \ : !), or an empty text when it can.
std::string checkName(std::string_view name);

// Bounds of a read, so that a damaged file cannot make the reader walk or
// allocate without end: a file with more elements or deeper storages, or
// whose streams claim more bytes than the file has, is refused as damaged.
struct ReadLimits {
  std::size_t maxElements = 100000;
  std::size_t maxDepth = 64;
};

// Reads the whole tree of a compound file; the result is the root storage.
// Throws CompoundError when the file cannot be read or is not a sound
// compound file.
Element readFile(const std::filesystem::path& file, const ReadLimits& limits = {});
// The same from bytes in memory; `shownName` names them in messages.
Element readBytes(std::string_view bytes, const std::string& shownName, const ReadLimits& limits = {});

// The bytes of a compound file holding the tree below `root` (its name is
// not stored). Throws CompoundError (naming `shownName`) for an element
// name the format cannot hold or two elements of one name in a storage.
std::string toBytes(const Element& root, const std::string& shownName = "<память>");

// Replaces (or creates) `file` with the tree, through the safe writer.
void writeFile(const std::filesystem::path& file, const Element& root);

}  // namespace kroyna::compound
