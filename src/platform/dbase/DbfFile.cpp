#include "platform/dbase/DbfFile.h"

#include "platform/dbase/FileOps.h"
#include "platform/file/ReadFile.h"
#include "platform/text/Cp1251.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace kroyna::dbase {
namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr char kFieldTerminator = 0x0D;
constexpr char kEndOfFile = 0x1A;
constexpr int kMaxNumericWidth = 20;
constexpr int kMaxDecimals = 15;

std::uint32_t le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void putLe32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void putLe16(std::string& s, std::size_t at, std::uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

// A field as messages name it: "LENGTH (N 5,0)", with the decimal comma
// the user reads.
std::string typeText(const FieldDef& f) {
  const char t = f.type == FieldType::Other ? f.rawType : static_cast<char>(f.type);
  std::string s = f.name + " (" + std::string(1, t) + " " + std::to_string(f.width);
  if (f.type == FieldType::Numeric || f.type == FieldType::Float) s += "," + std::to_string(f.decimals);
  return s + ")";
}

// "3 байта", "5 байт", "21 байт": a count of bytes as the user reads it.
std::string bytesText(std::uint64_t n) {
  const std::uint64_t last = n % 10, lastTwo = n % 100;
  const bool few = last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14);
  return std::to_string(n) + (few ? " байта" : " байт");
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

std::optional<double> parseNumber(std::string_view s) {
  s = trimBlanks(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  double v = 0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::fixed);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// The structure part of a file: everything up to the first record.
struct Header {
  std::uint8_t version = 0;
  std::uint8_t languageDriver = 0;
  Date lastUpdate;
  std::uint32_t recordCount = 0;
  std::uint16_t headerLength = 0;
  std::uint16_t recordLength = 0;
  std::vector<FieldDef> fields;
  std::string readOnlyReason;
};

// Parses and checks the header. `fileSize` is the size of the whole file
// (bytes may hold only the header).
Header parseHeader(std::string_view bytes, std::uint64_t fileSize, const std::filesystem::path& name) {
  if (bytes.size() < kHeaderSize + 1)
    throw TableError(name, "Это не таблица dBASE: файл слишком короткий (" + bytesText(fileSize) + ")");
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  Header h;
  h.version = b[0];
  h.lastUpdate = Date{1900 + b[1], b[2], b[3]};
  if (!h.lastUpdate.isValid()) h.lastUpdate = Date{};
  h.recordCount = le32(b + 4);
  h.headerLength = le16(b + 8);
  h.recordLength = le16(b + 10);
  h.languageDriver = b[29];

  if (h.headerLength < kHeaderSize + kDescriptorSize + 1)
    throw TableError(name,
                     "Таблица повреждена: длина заголовка " + std::to_string(h.headerLength) + " меньше допустимой");
  if (h.headerLength > fileSize || h.headerLength > bytes.size())
    throw TableError(name, "Таблица повреждена: длина заголовка " + std::to_string(h.headerLength) +
                               " больше размера файла " + std::to_string(fileSize));

  std::size_t off = kHeaderSize;
  bool terminated = false;
  while (off < h.headerLength) {
    if (b[off] == static_cast<unsigned char>(kFieldTerminator)) {
      terminated = true;
      break;
    }
    if (off + kDescriptorSize > h.headerLength)
      throw TableError(name, "Таблица повреждена: описание поля выходит за конец заголовка");
    const unsigned char* d = b + off;
    const std::size_t fieldNo = h.fields.size() + 1;
    std::size_t nameLen = 0;
    while (nameLen < 11 && d[nameLen] != 0) ++nameLen;
    std::string fieldName = text::cp1251ToUtf8(trimBlanks(std::string_view(reinterpret_cast<const char*>(d), nameLen)));
    if (fieldName.empty())
      throw TableError(name, "Таблица повреждена: у поля " + std::to_string(fieldNo) + " нет имени");
    FieldDef f;
    f.name = std::move(fieldName);
    f.rawType = static_cast<char>(d[11]);
    f.width = d[16];
    f.decimals = d[17];
    switch (f.rawType) {
      case 'C': f.type = FieldType::Character; break;
      case 'N': f.type = FieldType::Numeric; break;
      case 'F': f.type = FieldType::Float; break;
      case 'D': f.type = FieldType::Date; break;
      case 'L': f.type = FieldType::Logical; break;
      default: f.type = FieldType::Other; break;
    }
    std::string bad;
    switch (f.type) {
      case FieldType::Character:
        if (f.width < 1) bad = "нулевая длина";
        f.decimals = 0;  // some writers keep a high width byte here; not supported
        break;
      case FieldType::Numeric:
      case FieldType::Float:
        if (f.width < 1 || f.width > kMaxNumericWidth)
          bad = "недопустимая длина";
        else if (f.decimals > kMaxDecimals || (f.decimals > 0 && f.decimals >= f.width))
          bad = "недопустимое число знаков после запятой";
        break;
      case FieldType::Date:
        if (f.width != 8) bad = "длина не равна 8";
        break;
      case FieldType::Logical:
        if (f.width != 1) bad = "длина не равна 1";
        break;
      case FieldType::Other:
        if (f.width < 1) bad = "нулевая длина";
        if (h.readOnlyReason.empty())
          h.readOnlyReason =
              "у поля " + f.name + " тип '" + std::string(1, f.rawType) + "', который программа не умеет записывать";
        break;
    }
    if (!bad.empty()) throw TableError(name, "Таблица повреждена: у поля " + typeText(f) + " " + bad);
    h.fields.push_back(std::move(f));
    off += kDescriptorSize;
  }
  if (!terminated) throw TableError(name, "Таблица повреждена: нет признака конца списка полей");
  if (h.fields.empty()) throw TableError(name, "Таблица повреждена: в ней нет полей");

  std::size_t sum = 1;
  for (const auto& f : h.fields) sum += static_cast<std::size_t>(f.width);
  if (sum != h.recordLength)
    throw TableError(name, "Таблица повреждена: длина записи " + std::to_string(h.recordLength) +
                               " не совпадает с суммой длин полей (" + std::to_string(sum) + ")");
  const std::uint64_t need = static_cast<std::uint64_t>(h.recordCount) * h.recordLength;
  if (need > fileSize - h.headerLength)
    throw TableError(name, "Таблица повреждена: число записей в заголовке " + std::to_string(h.recordCount) +
                               ", а в файле помещается только " +
                               std::to_string((fileSize - h.headerLength) / h.recordLength));

  if (h.readOnlyReason.empty() && h.version != kVersionDbase3) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", h.version);
    h.readOnlyReason = (h.version & 0x80) ? std::string("у таблицы есть мемо-файл (уровень ") + hex + ")"
                                          : std::string("это таблица dBASE уровня ") + hex;
  }
  return h;
}

std::string formatNumber(double v, int decimals) {
  const double scale = std::pow(10.0, decimals);
  double r = std::round(v * scale) / scale;
  if (!std::isfinite(r)) r = v;
  if (r == 0) r = 0;  // no "-0"
  // As printf's "%.*f" writes it; a double has at most 309 digits before
  // the point.
  const int places = std::max(decimals, 0);
  std::string s(320 + static_cast<std::size_t>(places), '\0');
  const auto out = std::to_chars(s.data(), s.data() + s.size(), r, std::chars_format::fixed, places);
  s.resize(out.ec == std::errc{} ? static_cast<std::size_t>(out.ptr - s.data()) : 0);
  return s;
}

// The system's reason for the last failed call, as the C library words it.
std::string errnoText() { return std::generic_category().message(errno); }

// Reads the header part of a file on disk for the in-place record writes,
// and checks that it still has the structure the caller knows.
Header readHeaderOnDisk(std::fstream& file, const std::filesystem::path& path, const std::vector<FieldDef>& fields) {
  file.seekg(0, std::ios::end);
  const auto size = static_cast<std::uint64_t>(file.tellg());
  file.seekg(0);
  std::string head(std::min<std::uint64_t>(size, 65536 + kHeaderSize), '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  if (!file) throw TableError(path, "Не удалось прочитать таблицу: " + errnoText());
  Header h = parseHeader(head, size, path);
  bool same = h.fields.size() == fields.size();
  for (std::size_t i = 0; same && i < fields.size(); ++i)
    same = text::equalsIgnoreCase(h.fields[i].name, fields[i].name) && h.fields[i].type == fields[i].type &&
           h.fields[i].width == fields[i].width && h.fields[i].decimals == fields[i].decimals;
  if (!same) throw TableError(path, "Файл таблицы заменён файлом другой структуры; откройте таблицу заново");
  if (!h.readOnlyReason.empty()) throw TableError(path, "Таблицу нельзя изменить: " + h.readOnlyReason);
  return h;
}

std::string encodeRecord(const std::vector<FieldDef>& fields, const DbfRecord& record,
                         const std::filesystem::path& name) {
  std::string out(1, record.deleted ? '*' : ' ');
  for (std::size_t i = 0; i < fields.size(); ++i)
    out += encodeCell(fields[i], i < record.values.size() ? record.values[i] : Value(), name);
  return out;
}

}  // namespace

void validateFields(const std::vector<FieldDef>& fields, const std::filesystem::path& name) {
  if (fields.empty()) throw TableError(name, "В таблице должно быть хотя бы одно поле");
  if (fields.size() > 254) throw TableError(name, "В таблице может быть не больше 254 полей");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldDef& f = fields[i];
    if (f.name.empty() || f.name.size() > 10)
      throw TableError(name, "Имя поля \"" + f.name + "\" должно содержать от 1 до 10 символов");
    for (char ch : f.name)
      if (!(std::isalnum(static_cast<unsigned char>(ch)) && static_cast<unsigned char>(ch) < 0x80) && ch != '_')
        throw TableError(name, "Имя поля \"" + f.name + "\" может содержать только латинские буквы, цифры и _");
    for (std::size_t j = 0; j < i; ++j)
      if (text::equalsIgnoreCase(fields[j].name, f.name))
        throw TableError(name, "Имя поля \"" + f.name + "\" встречается дважды");
    bool ok = true;
    switch (f.type) {
      case FieldType::Character: ok = f.width >= 1 && f.width <= 254 && f.decimals == 0; break;
      case FieldType::Numeric:
      case FieldType::Float:
        ok = f.width >= 1 && f.width <= kMaxNumericWidth && f.decimals >= 0 && f.decimals <= kMaxDecimals &&
             (f.decimals == 0 || f.decimals < f.width);
        break;
      case FieldType::Date: ok = f.width == 8; break;
      case FieldType::Logical: ok = f.width == 1; break;
      case FieldType::Other: ok = false; break;
    }
    if (!ok)
      throw TableError(name,
                       "Поле " + typeText(f) + " нельзя записать: неверный тип, длина или число знаков после запятой");
  }
}

std::string encodeCell(const FieldDef& field, const Value& value, const std::filesystem::path& name) {
  const auto width = static_cast<std::size_t>(field.width);
  const Value v = coerceForField(field, value, name, true);
  switch (field.type) {
    case FieldType::Character: {
      std::string bytes = text::utf8ToCp1251(v.isNull() ? std::string() : v.text());
      if (bytes.size() > width) bytes.resize(width);
      bytes.append(width - bytes.size(), ' ');
      return bytes;
    }
    case FieldType::Numeric:
    case FieldType::Float: {
      if (v.isNull()) return std::string(width, ' ');
      const std::string s = formatNumber(v.number(), field.decimals);
      if (s.size() > width)
        throw TableError(name, "Значение " + Value(v.number()).toString() + " не помещается в поле " + typeText(field));
      return std::string(width - s.size(), ' ') + s;
    }
    case FieldType::Date: return v.isNull() ? std::string(8, ' ') : v.date().toDbf();
    case FieldType::Logical: return v.isNull() ? std::string("?") : std::string(v.truth() ? "T" : "F");
    case FieldType::Other: break;
  }
  throw TableError(name, "Поле " + typeText(field) + " нельзя записать");
}

Value decodeCell(const FieldDef& field, std::string_view bytes) {
  switch (field.type) {
    case FieldType::Character: {
      while (!bytes.empty() && (bytes.back() == ' ' || bytes.back() == '\0')) bytes.remove_suffix(1);
      return Value(text::cp1251ToUtf8(bytes));
    }
    case FieldType::Numeric:
    case FieldType::Float: {
      const auto n = parseNumber(bytes);
      return n ? Value(*n) : Value();
    }
    case FieldType::Date: {
      const auto d = Date::fromDbf(bytes);
      return d ? Value(*d) : Value();
    }
    case FieldType::Logical: {
      if (bytes.empty()) return {};
      switch (bytes[0]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y': return Value(true);
        case 'F':
        case 'f':
        case 'N':
        case 'n': return Value(false);
        default: return {};
      }
    }
    case FieldType::Other: break;
  }
  return {};
}

Value coerceForField(const FieldDef& field, const Value& value, const std::filesystem::path& name, bool cutText) {
  auto refuse = [&](const std::string& why) -> TableError {
    return TableError(name, "Поле " + typeText(field) + ": " + why);
  };
  switch (field.type) {
    case FieldType::Character: {
      if (value.isText()) {
        if (cutText && field.width > 0) {
          // Cut by characters: code page 1251 has one byte a character.
          std::string bytes = text::utf8ToCp1251(value.text());
          if (bytes.size() > static_cast<std::size_t>(field.width)) {
            bytes.resize(static_cast<std::size_t>(field.width));
            return Value(text::cp1251ToUtf8(bytes));
          }
        }
        return value;
      }
      Value text(value.toString());
      return cutText ? coerceForField(field, text, name, true) : text;
    }
    case FieldType::Numeric:
    case FieldType::Float:
      if (value.isNull()) return value;
      if (value.isNumber()) {
        if (!std::isfinite(value.number())) throw refuse("значение не является конечным числом");
        return value;
      }
      if (value.isText()) {
        if (trimBlanks(value.text()).empty()) return {};
        if (auto n = parseNumber(value.text())) return Value(*n);
        throw refuse("\"" + value.text() + "\" не является числом");
      }
      if (value.isBool()) return Value(value.truth() ? 1.0 : 0.0);
      throw refuse("дата не является числом");
    case FieldType::Date:
      if (value.isNull()) return value;
      if (value.isDate()) {
        if (!value.date().isValid()) throw refuse("неверная дата");
        return value;
      }
      if (value.isText()) {
        if (trimBlanks(value.text()).empty()) return {};
        if (auto d = Date::parse(value.text())) return Value(*d);
        throw refuse("\"" + value.text() + "\" не является датой");
      }
      throw refuse("значение не является датой");
    case FieldType::Logical:
      if (value.isNull() || value.isBool()) return value;
      if (value.isNumber()) return Value(value.number() != 0);
      if (value.isText()) {
        const std::string_view t = trimBlanks(value.text());
        if (t.empty()) return {};
        if (t == "T" || t == "t" || t == "Y" || t == "y" || t == "1") return Value(true);
        if (t == "F" || t == "f" || t == "N" || t == "n" || t == "0") return Value(false);
        throw refuse("\"" + value.text() + "\" не является логическим значением");
      }
      throw refuse("дата не является логическим значением");
    case FieldType::Other: break;
  }
  throw refuse("поле такого типа записать нельзя");
}

DbfTable parseDbf(std::string_view bytes, const std::filesystem::path& name) {
  const Header h = parseHeader(bytes, bytes.size(), name);
  DbfTable t;
  t.version = h.version;
  t.languageDriver = h.languageDriver;
  t.lastUpdate = h.lastUpdate;
  t.fields = h.fields;
  t.readOnlyReason = h.readOnlyReason;
  t.records.reserve(h.recordCount);
  std::size_t off = h.headerLength;
  for (std::uint32_t r = 0; r < h.recordCount; ++r) {
    const char flag = bytes[off];
    if (flag != ' ' && flag != '*')
      throw TableError(name,
                       "Таблица повреждена: запись " + std::to_string(r + 1) + " не начинается с признака удаления");
    DbfRecord rec;
    rec.deleted = flag == '*';
    rec.values.reserve(t.fields.size());
    std::size_t cell = off + 1;
    for (const auto& f : t.fields) {
      rec.values.push_back(decodeCell(f, bytes.substr(cell, static_cast<std::size_t>(f.width))));
      cell += static_cast<std::size_t>(f.width);
    }
    t.records.push_back(std::move(rec));
    off += h.recordLength;
  }
  return t;
}

std::string serializeDbf(const DbfTable& table, const std::filesystem::path& name) {
  if (!table.readOnlyReason.empty()) throw TableError(name, "Таблицу нельзя записать: " + table.readOnlyReason);
  validateFields(table.fields, name);
  std::size_t recordLength = 1;
  for (const auto& f : table.fields) recordLength += static_cast<std::size_t>(f.width);
  if (table.records.size() > 0xFFFFFFFFu) throw TableError(name, "Слишком много записей");
  const std::size_t headerLength = kHeaderSize + kDescriptorSize * table.fields.size() + 1;

  std::string out(headerLength, '\0');
  const Date d = table.lastUpdate.isValid() ? table.lastUpdate : Date::today();
  out[0] = static_cast<char>(kVersionDbase3);
  out[1] = static_cast<char>((d.year - 1900) & 0xFF);
  out[2] = static_cast<char>(d.month);
  out[3] = static_cast<char>(d.day);
  putLe32(out, 4, static_cast<std::uint32_t>(table.records.size()));
  putLe16(out, 8, static_cast<std::uint16_t>(headerLength));
  putLe16(out, 10, static_cast<std::uint16_t>(recordLength));
  out[29] = static_cast<char>(kLanguageDriverCp1251);
  std::size_t off = kHeaderSize;
  for (const auto& f : table.fields) {
    std::string upper = f.name;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    std::memcpy(&out[off], upper.data(), upper.size());
    out[off + 11] = static_cast<char>(f.type);
    out[off + 16] = static_cast<char>(f.width);
    out[off + 17] = static_cast<char>(f.decimals);
    off += kDescriptorSize;
  }
  out[off] = kFieldTerminator;
  out.reserve(headerLength + recordLength * table.records.size() + 1);
  for (const auto& rec : table.records) out += encodeRecord(table.fields, rec, name);
  out += kEndOfFile;
  return out;
}

DbfTable readDbfFile(const std::filesystem::path& path) {
  platform::ReadFailure why;
  const std::optional<std::string> bytes = platform::readWholeFile(path, why);
  if (bytes) return parseDbf(*bytes, path);
  using Kind = platform::ReadFailure::Kind;
  if (why.kind == Kind::NotFound) throw TableError(path, "Файл таблицы не найден");
  if (why.kind == Kind::CannotRead) throw TableError(path, "Не удалось прочитать файл таблицы: " + why.reason());
  throw TableError(path, "Не удалось открыть файл таблицы: " + why.reason());
}

void writeDbfFile(const std::filesystem::path& path, const DbfTable& table) {
  detail::writeFileAtomically(path, serializeDbf(table, path));
}

void writeRecordInPlace(const std::filesystem::path& path, const std::vector<FieldDef>& fields, std::uint32_t index,
                        const DbfRecord& record) {
  const std::string bytes = encodeRecord(fields, record, path);  // may throw: nothing written yet
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  if (!file) throw TableError(path, "Не удалось открыть файл таблицы для записи: " + errnoText());
  const Header h = readHeaderOnDisk(file, path, fields);
  if (index >= h.recordCount)
    throw TableError(path, "Записи " + std::to_string(index + 1) + " больше нет в таблице; откройте таблицу заново");
  file.clear();
  file.seekp(static_cast<std::streamoff>(h.headerLength + static_cast<std::uint64_t>(index) * h.recordLength));
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.flush();
  if (!file) throw TableError(path, "Не удалось записать файл таблицы: " + errnoText());
}

std::uint32_t appendRecordInPlace(const std::filesystem::path& path, const std::vector<FieldDef>& fields,
                                  const DbfRecord& record) {
  std::string bytes = encodeRecord(fields, record, path);
  bytes += kEndOfFile;
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  if (!file) throw TableError(path, "Не удалось открыть файл таблицы для записи: " + errnoText());
  const Header h = readHeaderOnDisk(file, path, fields);
  if (h.recordCount == 0xFFFFFFFFu) throw TableError(path, "Таблица заполнена до предела");
  file.clear();
  file.seekp(static_cast<std::streamoff>(h.headerLength + static_cast<std::uint64_t>(h.recordCount) * h.recordLength));
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  // The record is in place before the count says so: an interruption leaves
  // the old count and a table that reads as before.
  file.flush();
  std::string head(8, '\0');
  const Date d = Date::today();
  head[0] = static_cast<char>((d.year - 1900) & 0xFF);
  head[1] = static_cast<char>(d.month);
  head[2] = static_cast<char>(d.day);
  putLe32(head, 3, h.recordCount + 1);
  file.seekp(1);
  file.write(head.data(), 7);
  file.flush();
  if (!file) throw TableError(path, "Не удалось записать файл таблицы: " + errnoText());
  return h.recordCount;
}

}  // namespace kroyna::dbase
