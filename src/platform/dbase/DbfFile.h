#pragma once

// The dBASE III+ file codec: reads and writes whole table files.
//
// Written files are dBASE III+ (version byte 0x03) with the language driver
// byte of code page 1251 (0xC9), field types C, N, F, D and L, one deletion
// flag byte in front of every record and the end-of-file byte 0x1A. Text is
// UTF-8 in memory and code page 1251 on disk.
//
// Reading is strict about the structure (header and record lengths, field
// widths, record count against file size, deletion flags) and throws a
// TableError naming the file for anything that does not add up, so a
// damaged table is reported instead of read as garbage. Cell contents are
// read leniently: a numeric or date cell that cannot be understood reads
// as null.

#include "platform/dbase/TableError.h"
#include "platform/dbase/Value.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::dbase {

// Language driver byte of code page 1251 ("Russian Windows").
inline constexpr std::uint8_t kLanguageDriverCp1251 = 0xC9;
inline constexpr std::uint8_t kVersionDbase3 = 0x03;

struct DbfRecord {
  bool deleted = false;
  Row values;  // one per field, in field order
};

struct DbfTable {
  std::uint8_t version = kVersionDbase3;
  std::uint8_t languageDriver = kLanguageDriverCp1251;
  Date lastUpdate;  // written as today's date when left invalid
  std::vector<FieldDef> fields;
  std::vector<DbfRecord> records;  // physical order, deleted ones included

  // Empty when this layer can write the table; otherwise why not (an
  // unknown dBASE level, a memo file, a field type it cannot write).
  std::string readOnlyReason;
};

// Reader and writer of whole files. `name` names the file in messages.
DbfTable parseDbf(std::string_view bytes, const std::filesystem::path& name);
std::string serializeDbf(const DbfTable& table, const std::filesystem::path& name);

DbfTable readDbfFile(const std::filesystem::path& path);
// Writes a new file beside `path` and renames it over `path`, so an
// interrupted write leaves the old file as it was.
void writeDbfFile(const std::filesystem::path& path, const DbfTable& table);

// Checks a structure for writing: names of 1 to 10 ASCII letters, digits
// or underscores, unique ignoring case; widths C 1-254, N/F 1-20 with
// decimals below the width (at most 15), D 8, L 1. Throws on the first
// fault.
void validateFields(const std::vector<FieldDef>& fields, const std::filesystem::path& name);

// The bytes of one cell. Character values are converted to code page 1251
// and cut to the field width; a number that does not fit its width and
// decimals, or a value of the wrong kind, throws.
std::string encodeCell(const FieldDef& field, const Value& value, const std::filesystem::path& name);
Value decodeCell(const FieldDef& field, std::string_view bytes);

// Converts a value to what a field of this definition holds (a number in
// a character field becomes its text, digits in a numeric field become the
// number, and so on); throws when it cannot. Character text is cut to the
// width when `cutText` is set and the width is known.
Value coerceForField(const FieldDef& field, const Value& value, const std::filesystem::path& name, bool cutText = true);

// Record-level changes made in place, as a dBASE engine makes them, for rows
// posted one at a time through an open table: they keep the physical
// position of every other record, so several table objects on one file stay
// consistent. Both first check that the file still has the structure
// `fields` (else they throw and change nothing). `index` is 0-based.
void writeRecordInPlace(const std::filesystem::path& path, const std::vector<FieldDef>& fields, std::uint32_t index,
                        const DbfRecord& record);
// Appends after the last record, updates the record count and the date of
// the header, and returns the new record's index.
std::uint32_t appendRecordInPlace(const std::filesystem::path& path, const std::vector<FieldDef>& fields,
                                  const DbfRecord& record);

}  // namespace kroyna::dbase
