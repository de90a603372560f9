#include "maps/model/MapFile.h"

#include "platform/file/ReadFile.h"
#include "platform/file/SafeFile.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Cp1251.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <unordered_map>

namespace kroyna::maps {
namespace {

constexpr std::string_view kMagic = "ZK_MAP";

// ---- Binary writing ----

class ByteWriter {
 public:
  void u8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void boolean(bool v) { u8(v ? 1 : 0); }
  void u16(std::uint32_t v) {
    u8(static_cast<std::uint8_t>(v & 0xFF));
    u8(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  }
  void i16(std::int32_t v) {
    u16(static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))));
  }
  void i32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>((u >> (8 * i)) & 0xFF));
  }
  void f80(double v) {
    for (std::uint8_t b : toFloat80(v)) u8(b);
  }
  // strN: length byte and N bytes; the text in code page 1251 cut to N.
  void str(std::string_view utf8, std::size_t n) {
    std::string bytes = text::utf8ToCp1251(utf8);
    if (bytes.size() > n) bytes.resize(n);
    u8(static_cast<std::uint8_t>(bytes.size()));
    out_ += bytes;
    out_.append(n - bytes.size(), '\0');
  }
  void zeros(std::size_t n) { out_.append(n, '\0'); }
  void pen(std::int32_t colour) {
    i32(colour);
    u8(0);  // solid
    u8(1);  // one pixel
  }
  void brush(std::int32_t colour) {
    i32(colour);
    u8(0);  // solid
  }
  void font(const MapFont& f) {
    str(f.name, 30);
    u8(static_cast<std::uint8_t>(std::clamp(f.size, 0, 255)));
    i32(f.colour);
    u8(f.style);
    u8(static_cast<std::uint8_t>(std::clamp(f.charset, 0, 255)));
  }
  std::size_t size() const { return out_.size(); }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

// ---- Binary reading ----

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  std::size_t left() const { return bytes_.size() - pos_; }
  bool atEnd() const { return pos_ >= bytes_.size(); }
  std::size_t position() const { return pos_; }

  std::uint8_t u8() {
    need(1);
    return static_cast<std::uint8_t>(bytes_[pos_++]);
  }
  bool boolean() { return u8() != 0; }
  std::int32_t u16() {
    const std::uint32_t lo = u8();
    const std::uint32_t hi = u8();
    return static_cast<std::int32_t>(lo | (hi << 8));
  }
  std::int32_t i16() { return static_cast<std::int16_t>(static_cast<std::uint16_t>(u16())); }
  std::int32_t i32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(u8()) << (8 * i);
    return static_cast<std::int32_t>(v);
  }
  double f80(const char* what) {
    need(10);
    const double v = fromFloat80(reinterpret_cast<const std::uint8_t*>(bytes_.data() + pos_));
    if (!std::isfinite(v)) damaged(std::string(what) + " не является числом");
    pos_ += 10;
    return v;
  }
  std::string str(std::size_t n) {
    need(n + 1);
    const std::size_t len = u8();
    if (len > n) damaged("длина строки " + std::to_string(len) + " больше её поля (" + std::to_string(n) + ")");
    std::string text = text::cp1251ToUtf8(bytes_.substr(pos_, len));
    pos_ += n;
    return text;
  }
  void skip(std::size_t n) {
    need(n);
    pos_ += n;
  }
  std::int32_t pen() {  // the colour; style and width are not kept
    const std::int32_t colour = i32();
    skip(2);
    return colour;
  }
  std::int32_t brush() {
    const std::int32_t colour = i32();
    skip(1);
    return colour;
  }
  MapFont font() {
    MapFont f;
    f.name = str(30);
    f.size = u8();
    f.colour = i32();
    f.style = u8();
    f.charset = u8();
    return f;
  }
  [[noreturn]] void damaged(const std::string& what) const {
    throw MapFileError("Файл карт раскроя повреждён (байт " + std::to_string(pos_) + "): " + what + ".");
  }

 private:
  void need(std::size_t n) const {
    if (left() < n) damaged("файл обрывается внутри записи");
  }
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

bool hasMagicBytes(std::string_view bytes) {
  return bytes.size() >= kMapHeaderSize && static_cast<unsigned char>(bytes[0]) == kMagic.size() &&
         bytes.substr(1, kMagic.size()) == kMagic;
}

MapFileData parseBinary(std::string_view bytes) {
  ByteReader in(bytes);
  MapFileData data;
  data.format = MapFileFormat::Binary;
  MapFileHeader& h = data.header;
  in.skip(7 + 2 + 2);  // magic and the two version words
  h.caption = in.str(100);
  const std::uint8_t mode = in.u8();
  h.millMode = mode > 2 ? 1 : mode;
  h.showBorder = in.boolean();
  h.showScrapsText = in.boolean();
  h.showHints = in.boolean();
  in.pen();                 // parts
  in.pen();                 // useful offcuts
  in.pen();                 // useless offcuts
  h.millColour = in.pen();  // cuts
  in.pen();                 // sheets
  h.detalColour = in.brush();
  h.scrapColour = in.brush();
  h.lostColour = in.brush();
  h.sheetColour = in.brush();
  in.font();
  in.font();
  in.font();
  h.font = in.font();  // the copy for sheets is the one the document takes

  while (!in.atEnd()) {
    const std::uint8_t tag = in.u8();
    auto currentSheet = [&]() -> MapSheetRecord& {
      if (data.sheets.empty()) in.damaged("элемент карты стоит перед первым листом");
      return data.sheets.back();
    };
    switch (tag) {
      case static_cast<std::uint8_t>(MapRecordTag::Sheet): {
        MapSheetRecord s;
        in.u16();  // index of the map: the order of the records decides
        s.sheetName = in.str(50);
        s.caption = in.str(50);
        s.remark = in.str(100);
        s.material = in.i32();
        s.width = in.u16();
        s.height = in.u16();
        in.pen();
        s.colour = in.brush();
        s.font = in.font();
        s.millSize = in.u16();
        s.quantity = in.u16();
        s.isScraps = in.boolean();
        s.visible = in.boolean();
        s.scrapSquare = in.f80("площадь остатков");
        s.lostSquare = in.f80("площадь отходов");
        s.detalsSquare = in.f80("площадь деталей");
        s.millCount = in.u16();
        s.millLength = in.f80("длина резов");
        data.sheets.push_back(std::move(s));
        break;
      }
      case static_cast<std::uint8_t>(MapRecordTag::Part): {
        MapPartRecord p;
        in.u16();
        p.title = in.str(50);
        p.left = in.i16();
        p.top = in.i16();
        p.width = in.i16();
        p.height = in.i16();
        in.skip(4);
        in.pen();
        p.brushColour = in.brush();
        in.font();
        p.showTitle = in.boolean();
        p.showDim = in.boolean();
        p.showBorder = in.boolean();
        for (auto& e : p.edges) e = in.i32();
        for (auto& c : p.edgeColours) c = in.i32();
        currentSheet().parts.push_back(std::move(p));
        break;
      }
      case static_cast<std::uint8_t>(MapRecordTag::Offcut): {
        MapOffcutRecord o;
        in.u16();
        o.name = in.str(50);
        o.left = in.i16();
        o.top = in.i16();
        o.width = in.i16();
        o.height = in.i16();
        in.skip(4);
        in.pen();
        o.colour = in.brush();
        in.font();
        o.useless = in.boolean();
        o.showText = in.boolean();
        o.showDim = in.boolean();
        currentSheet().offcuts.push_back(std::move(o));
        break;
      }
      case static_cast<std::uint8_t>(MapRecordTag::Cut): {
        MapCutRecord c;
        in.u16();
        c.left = in.i16();
        c.top = in.i16();
        c.width = in.i16();
        c.height = in.i16();
        c.colour = in.pen();
        c.alongX = in.boolean();
        c.visible = in.boolean();
        currentSheet().cuts.push_back(c);
        break;
      }
      case static_cast<std::uint8_t>(MapRecordTag::UsedSheet): {
        MapUsedSheetRecord u;
        in.str(50);  // always empty
        u.material = in.i32();
        u.length = in.i16();
        u.width = in.i16();
        u.remaining = in.u16();
        u.initial = in.u16();
        data.usedSheets.push_back(u);
        break;
      }
      default: break;  // an unknown tag byte is passed over; the next byte is read as a tag
    }
  }
  return data;
}

// ---- Range checks before writing ----

std::string mapName(std::size_t index, const MapSheetRecord& s) {
  std::string name = "карта " + std::to_string(index + 1);
  if (!s.caption.empty()) name += " \"" + s.caption + "\"";
  return name;
}

// Adds a text to `fault` (only the first fault is kept) when `value` is
// outside [lo, hi].
void checkRange(std::string& fault, const std::string& where, const char* what, std::int32_t value, std::int32_t lo,
                std::int32_t hi) {
  if (!fault.empty() || (value >= lo && value <= hi)) return;
  fault = "Карты раскроя нельзя сохранить: " + where + ": " + what + " " + std::to_string(value) +
          " не помещается в файл карт раскроя (допустимо от " + std::to_string(lo) + " до " + std::to_string(hi) + ").";
}

void checkFinite(std::string& fault, const std::string& where, const char* what, double value) {
  if (!fault.empty() || std::isfinite(value)) return;
  fault = "Карты раскроя нельзя сохранить: " + where + ": " + what + " не является числом.";
}

// ---- Old text form ----

std::string upperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string_view trimView(std::string_view s) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\0'; };
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The sections and keys of an INI text as the profile functions see them:
// names without regard to case, the first section and the first key of a
// name win, values trimmed and taken out of a matching pair of quotes.
// Read in one pass, so that a file with many keys is read in linear time.
class OldIni {
 public:
  explicit OldIni(std::string_view bytes) {
    std::unordered_map<std::string, std::string>* current = nullptr;
    std::size_t pos = 0;
    while (pos <= bytes.size()) {
      std::size_t end = bytes.find('\n', pos);
      if (end == std::string_view::npos) end = bytes.size();
      const std::string_view line = trimView(bytes.substr(pos, end - pos));
      pos = end + 1;
      if (line.empty()) continue;
      if (line.front() == '[') {
        const std::size_t close = line.find(']');
        if (close == std::string_view::npos) continue;
        const std::string name = upperAscii(trimView(line.substr(1, close - 1)));
        auto [it, inserted] = sections_.try_emplace(name);
        current = inserted ? &it->second : nullptr;  // a repeated section is not read
        continue;
      }
      if (line.front() == ';') continue;
      const std::size_t eq = line.find('=');
      if (eq == std::string_view::npos) continue;
      ++keyLines_;
      if (!current) continue;
      std::string_view value = trimView(line.substr(eq + 1));
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
      current->try_emplace(upperAscii(trimView(line.substr(0, eq))), value);
    }
  }

  std::size_t keyLines() const { return keyLines_; }
  bool hasSection(const std::string& section) const { return sections_.count(upperAscii(section)) > 0; }

  const std::string* raw(const std::string& section, const std::string& key) const {
    const auto s = sections_.find(upperAscii(section));
    if (s == sections_.end()) return nullptr;
    const auto k = s->second.find(upperAscii(key));
    return k == s->second.end() ? nullptr : &k->second;
  }

  std::string text(const std::string& section, const std::string& key, std::string_view def = {}) const {
    const std::string* v = raw(section, key);
    return v ? text::cp1251ToUtf8(*v) : std::string(def);
  }

  // Whole value as an integer: decimal with an optional sign, or
  // hexadecimal after "$" or "0x" (colours are written that way); the
  // default for anything else.
  std::int32_t integer(const std::string& section, const std::string& key, std::int32_t def) const {
    const std::string* v = raw(section, key);
    if (!v) return def;
    std::string_view s = trimView(*v);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
      negative = s.front() == '-';
      s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
      base = 16;
      s.remove_prefix(1);
    } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
      base = 16;
      s.remove_prefix(2);
    }
    if (s.empty()) return def;
    std::uint64_t value = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc() || ptr != s.data() + s.size()) return def;
    if (base == 16) {
      if (value > 0xFFFFFFFFull) return def;
      // Eight hexadecimal digits are a 32-bit pattern ($8000000C is a
      // system colour, a negative number).
      const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
      return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(bits)) : bits;
    }
    const std::int64_t signedValue = negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
    if (value > 0x80000000ull || signedValue > std::numeric_limits<std::int32_t>::max() ||
        signedValue < std::numeric_limits<std::int32_t>::min())
      return def;
    return static_cast<std::int32_t>(signedValue);
  }

  bool boolean(const std::string& section, const std::string& key, bool def) const {
    return integer(section, key, def ? 1 : 0) != 0;
  }

  // A decimal number with "." or "," as separator.
  double number(const std::string& section, const std::string& key, double def) const {
    const std::string* v = raw(section, key);
    if (!v) return def;
    std::string s(trimView(*v));
    std::replace(s.begin(), s.end(), ',', '.');
    if (!s.empty() && s.front() == '+') s.erase(0, 1);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(value)) return def;
    return value;
  }

 private:
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> sections_;
  std::size_t keyLines_ = 0;
};

[[noreturn]] void oldDamaged(const std::string& what) {
  throw MapFileError("Файл карт раскроя повреждён: " + what + ".");
}

}  // namespace

// ---- Extended floats ----

std::array<std::uint8_t, 10> toFloat80(double value) {
  std::array<std::uint8_t, 10> out{};
  std::uint16_t signExp = std::signbit(value) ? 0x8000 : 0;
  std::uint64_t mantissa = 0;
  if (std::isnan(value)) {
    signExp |= 0x7FFF;
    mantissa = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    signExp |= 0x7FFF;
    mantissa = 0x8000000000000000ull;
  } else if (value != 0) {
    int exp = 0;
    const double fraction = std::frexp(std::fabs(value), &exp);  // [0.5, 1)
    // 53 significant bits shifted into the top of 64: exact.
    mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    signExp |= static_cast<std::uint16_t>(exp - 1 + 16383);
  }
  for (int i = 0; i < 8; ++i) out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(mantissa >> (8 * i));
  out[8] = static_cast<std::uint8_t>(signExp & 0xFF);
  out[9] = static_cast<std::uint8_t>(signExp >> 8);
  return out;
}

double fromFloat80(const std::uint8_t* bytes) {
  std::uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
  const std::uint16_t signExp = static_cast<std::uint16_t>(bytes[8] | (bytes[9] << 8));
  const bool negative = (signExp & 0x8000) != 0;
  int exp = signExp & 0x7FFF;
  double value = 0;
  if (exp == 0x7FFF) {
    value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
  } else {
    if (exp == 0) exp = 1;  // denormals share the smallest exponent
    value = std::ldexp(static_cast<double>(mantissa), exp - 16383 - 63);
  }
  return negative ? -value : value;
}

// ---- Reading ----

MapFileData parseMapFile(std::string_view bytes) {
  return hasMagicBytes(bytes) ? parseBinary(bytes) : parseOldMapFile(bytes);
}

bool hasMapMagic(std::string_view bytes) { return hasMagicBytes(bytes); }

MapFileData readMapFile(const std::filesystem::path& path) {
  platform::ReadFailure why;
  const std::optional<std::string> bytes = platform::readWholeFile(path, why);
  if (bytes) return parseMapFile(*bytes);
  if (why.kind == platform::ReadFailure::Kind::CannotRead || why.kind == platform::ReadFailure::Kind::TooLarge)
    throw MapFileError("Не удаётся прочитать файл " + path.string() + ".");
  throw MapFileError("Не удаётся открыть файл " + path.string() + ".");
}

MapFileData parseOldMapFile(std::string_view bytes) {
  const OldIni ini(bytes);
  MapFileData data;
  data.format = MapFileFormat::OldText;
  MapFileHeader& h = data.header;
  h.caption = ini.text("Global", "Caption", "Вариант раскроя");
  const std::int32_t sheetsCount = std::max(0, ini.integer("Global", "SheetsCount", 0));
  // Any text file reads as INI sections: only a [Global] section that
  // counts at least one sheet, with that sheet's section, is a maps file.
  if (!ini.hasSection("Global") || sheetsCount < 1 || !ini.hasSection("Sheet1"))
    throw MapFileError(
        "Файл не является файлом карт раскроя: в нём нет ни признака ZK_MAP, ни раздела [Global] с "
        "листами.");
  h.millMode = ini.integer("Global", "MillState", 0);
  if (h.millMode < 0 || h.millMode > 2)
    oldDamaged("режим рисования резов " + std::to_string(h.millMode) + " не существует");
  h.showHints = ini.boolean("Global", "ShowHints", true);
  h.showBorder = ini.boolean("Global", "ShowBorder", true);
  h.showScrapsText = ini.boolean("Global", "ShowScrapsText", true);
  MapFont& f = h.font;
  f.name = ini.text("Font", "Name", "Arial Cyr");
  f.style = static_cast<std::uint8_t>((ini.boolean("Font", "Bold", false) ? kFontBold : 0) |
                                      (ini.boolean("Font", "Italic", false) ? kFontItalic : 0) |
                                      (ini.boolean("Font", "Underline", false) ? kFontUnderline : 0) |
                                      (ini.boolean("Font", "StrikeOut", false) ? kFontStrikeOut : 0));
  f.size = ini.integer("Font", "Size", 8);
  f.colour = ini.integer("Font", "Color", 0);
  f.charset = ini.integer("Font", "Charset", 204);

  // Every map and element the old program wrote has keys of its own, so a
  // file cannot describe more of them than it has key lines. Counts beyond
  // that (or beyond what the binary file can hold) mark a damaged file and
  // are refused before anything is allocated for them.
  const std::size_t room = ini.keyLines();
  std::size_t items = 0;
  auto count = [&](const std::string& section, const char* key) {
    const std::int32_t n = std::max(0, ini.integer(section, key, 0));
    if (n > kMaxCount) oldDamaged("в разделе " + section + " " + key + "=" + std::to_string(n));
    items += static_cast<std::size_t>(n);
    if (items > room) oldDamaged("в файле нет места для " + std::to_string(items) + " листов и элементов");
    return n;
  };
  if (sheetsCount > kMaxCount) oldDamaged("число листов " + std::to_string(sheetsCount));
  items = static_cast<std::size_t>(sheetsCount);
  if (items > room) oldDamaged("в файле нет места для " + std::to_string(items) + " листов");

  bool lastShowBorder = false;
  data.sheets.reserve(static_cast<std::size_t>(sheetsCount));
  for (std::int32_t i = 1; i <= sheetsCount; ++i) {
    const std::string sec = "Sheet" + std::to_string(i);
    MapSheetRecord s;
    s.material = ini.integer(sec, "MatCode", -1);
    const std::int32_t mills = count(sec, "MillsCount");
    const std::int32_t parts = count(sec, "DetalsCount");
    const std::int32_t scraps = count(sec, "ScrapsCount");
    s.remark = ini.text(sec, "Remark");
    s.width = ini.integer(sec, "Width", 0);
    s.height = ini.integer(sec, "Heigth", 0);
    s.colour = ini.integer(sec, "Color", kSystemWorkspaceColour);
    s.millSize = ini.integer(sec, "MillSize", 4);
    s.quantity = ini.integer(sec, "Quantity", 1);
    s.isScraps = ini.boolean(sec, "IsScraps", false);
    s.millCount = ini.integer(sec, "MillLinesCount", 0);
    s.millLength = ini.number(sec, "MillLinesLength", 0);
    s.sheetName = ini.text(sec, "Title");
    s.caption = ini.text(sec, "PageTitle");
    s.font = h.font;

    s.parts.reserve(static_cast<std::size_t>(parts));
    for (std::int32_t j = 1; j <= parts; ++j) {
      const std::string n = std::to_string(j);
      MapPartRecord p;
      p.left = ini.integer(sec, "DetLeft" + n, 0);
      p.top = ini.integer(sec, "DetTop" + n, 0);
      p.width = ini.integer(sec, "DetWidth" + n, 0);
      p.height = ini.integer(sec, "DetHeigth" + n, 0);
      p.brushColour = ini.integer(sec, "DetColor" + n, 0xFFFFFF);
      p.title = ini.text(sec, "DetTitle" + n);
      p.showTitle = ini.boolean(sec, "ShowTitle" + n, true);
      p.showDim = ini.boolean(sec, "ShowDim" + n, true);
      p.showBorder = ini.boolean(sec, "ShowBorder" + n, true);
      p.edges = {ini.integer(sec, "LBorder" + n, 0), ini.integer(sec, "RBorder" + n, 0),
                 ini.integer(sec, "TBorder" + n, 0), ini.integer(sec, "BBorder" + n, 0)};
      lastShowBorder = p.showBorder;
      s.parts.push_back(std::move(p));
    }
    s.offcuts.reserve(static_cast<std::size_t>(scraps));
    for (std::int32_t j = 1; j <= scraps; ++j) {
      const std::string n = std::to_string(j);
      MapOffcutRecord o;
      o.left = ini.integer(sec, "ScrLeft" + n, 0);
      o.top = ini.integer(sec, "ScrTop" + n, 0);
      o.width = ini.integer(sec, "ScrWidth" + n, 0);
      o.height = ini.integer(sec, "ScrHeigth" + n, 0);
      o.colour = ini.integer(sec, "ScrColor" + n, 0);
      o.name = ini.text(sec, "ScrName" + n);
      s.offcuts.push_back(std::move(o));
    }
    s.cuts.reserve(static_cast<std::size_t>(mills));
    for (std::int32_t j = 1; j <= mills; ++j) {
      const std::string n = std::to_string(j);
      MapCutRecord c;
      c.left = ini.integer(sec, "MillLeft" + n, 0);
      c.top = ini.integer(sec, "MillTop" + n, 0);
      c.width = ini.integer(sec, "MillWidth" + n, 0);
      c.height = ini.integer(sec, "MillHeigth" + n, 0);
      c.colour = ini.integer(sec, "MillColor" + n, 0);
      c.alongX = ini.boolean(sec, "MillOrient" + n, c.height < c.width);
      s.cuts.push_back(c);
    }
    data.sheets.push_back(std::move(s));
  }
  // The old program left the edge-banding display of the whole document as
  // the last part it read had it.
  h.showBorder = lastShowBorder;
  for (MapSheetRecord& s : data.sheets)
    for (MapPartRecord& p : s.parts) p.showBorder = lastShowBorder;
  return data;
}

// ---- Writing ----

std::optional<std::string> checkMapFile(const MapFileData& data) {
  std::string fault;
  if (data.sheets.size() > static_cast<std::size_t>(kMaxCount) + 1)
    fault = "Карты раскроя нельзя сохранить: в файле помещается не больше " + std::to_string(kMaxCount + 1) +
            " карт, а их " + std::to_string(data.sheets.size()) + ".";
  checkRange(fault, "документ", "режим рисования резов", data.header.millMode, 0, 2);
  for (std::size_t i = 0; i < data.sheets.size() && fault.empty(); ++i) {
    const MapSheetRecord& s = data.sheets[i];
    const std::string where = mapName(i, s);
    checkRange(fault, where, "длина листа, мм,", s.width, 0, kMaxSheetSize);
    checkRange(fault, where, "ширина листа, мм,", s.height, 0, kMaxSheetSize);
    checkRange(fault, where, "толщина пропила, мм,", s.millSize, 0, kMaxCount);
    checkRange(fault, where, "количество листов", s.quantity, 0, kMaxCount);
    checkRange(fault, where, "количество резов", s.millCount, 0, kMaxCount);
    checkFinite(fault, where, "площадь остатков", s.scrapSquare);
    checkFinite(fault, where, "площадь отходов", s.lostSquare);
    checkFinite(fault, where, "площадь деталей", s.detalsSquare);
    checkFinite(fault, where, "длина резов", s.millLength);
    auto checkBox = [&](const std::string& element, std::int32_t left, std::int32_t top, std::int32_t width,
                        std::int32_t height) {
      checkRange(fault, where + ", " + element, "левый край, мм,", left, kMinElementValue, kMaxElementValue);
      checkRange(fault, where + ", " + element, "верхний край, мм,", top, kMinElementValue, kMaxElementValue);
      checkRange(fault, where + ", " + element, "длина, мм,", width, kMinElementValue, kMaxElementValue);
      checkRange(fault, where + ", " + element, "ширина, мм,", height, kMinElementValue, kMaxElementValue);
    };
    for (std::size_t j = 0; j < s.parts.size() && fault.empty(); ++j)
      checkBox("деталь " + std::to_string(j + 1), s.parts[j].left, s.parts[j].top, s.parts[j].width, s.parts[j].height);
    for (std::size_t j = 0; j < s.offcuts.size() && fault.empty(); ++j)
      checkBox("остаток " + std::to_string(j + 1), s.offcuts[j].left, s.offcuts[j].top, s.offcuts[j].width,
               s.offcuts[j].height);
    for (std::size_t j = 0; j < s.cuts.size() && fault.empty(); ++j)
      checkBox("рез " + std::to_string(j + 1), s.cuts[j].left, s.cuts[j].top, s.cuts[j].width, s.cuts[j].height);
  }
  for (std::size_t i = 0; i < data.usedSheets.size() && fault.empty(); ++i) {
    const MapUsedSheetRecord& u = data.usedSheets[i];
    const std::string where = "израсходованные листы, запись " + std::to_string(i + 1);
    checkRange(fault, where, "длина листа, мм,", u.length, kMinElementValue, kMaxElementValue);
    checkRange(fault, where, "ширина листа, мм,", u.width, kMinElementValue, kMaxElementValue);
    checkRange(fault, where, "остаток листов", u.remaining, 0, kMaxCount);
    checkRange(fault, where, "начальное количество листов", u.initial, 0, kMaxCount);
  }
  if (fault.empty()) return std::nullopt;
  return fault;
}

std::string serializeMapFile(const MapFileData& data) {
  if (const auto fault = checkMapFile(data)) throw MapFileError(*fault);
  const MapFileHeader& h = data.header;
  ByteWriter out;
  out.str(kMagic, 6);
  out.u16(1);
  out.u16(0);
  out.str(h.caption, 100);
  out.u8(static_cast<std::uint8_t>(h.millMode));
  out.boolean(h.showBorder);
  out.boolean(h.showScrapsText);
  out.boolean(h.showHints);
  out.pen(0);             // parts
  out.pen(0);             // useful offcuts
  out.pen(0);             // useless offcuts
  out.pen(h.millColour);  // cuts
  out.pen(0);             // sheets
  out.brush(h.detalColour);
  out.brush(h.scrapColour);
  out.brush(h.lostColour);
  out.brush(h.sheetColour);
  for (int i = 0; i < 4; ++i) out.font(h.font);

  for (std::size_t i = 0; i < data.sheets.size(); ++i) {
    const MapSheetRecord& s = data.sheets[i];
    const auto index = static_cast<std::uint32_t>(i);
    out.u8(static_cast<std::uint8_t>(MapRecordTag::Sheet));
    out.u16(index);
    out.str(s.sheetName, 50);
    out.str(s.caption, 50);
    out.str(s.remark, 100);
    out.i32(s.material);
    out.u16(static_cast<std::uint32_t>(s.width));
    out.u16(static_cast<std::uint32_t>(s.height));
    out.pen(0);
    out.brush(s.colour);
    out.font(s.font);
    out.u16(static_cast<std::uint32_t>(s.millSize));
    out.u16(static_cast<std::uint32_t>(s.quantity));
    out.boolean(s.isScraps);
    out.boolean(s.visible);
    out.f80(s.scrapSquare);
    out.f80(s.lostSquare);
    out.f80(s.detalsSquare);
    out.u16(static_cast<std::uint32_t>(s.millCount));
    out.f80(s.millLength);
    for (const MapPartRecord& p : s.parts) {
      out.u8(static_cast<std::uint8_t>(MapRecordTag::Part));
      out.u16(index);
      out.str(p.title, 50);
      out.i16(p.left);
      out.i16(p.top);
      out.i16(p.width);
      out.i16(p.height);
      out.zeros(4);
      out.pen(0);
      out.brush(p.brushColour);
      out.font(h.font);
      out.boolean(p.showTitle);
      out.boolean(p.showDim);
      out.boolean(p.showBorder);
      for (std::int32_t e : p.edges) out.i32(e);
      for (std::int32_t c : p.edgeColours) out.i32(c);
    }
    for (const MapOffcutRecord& o : s.offcuts) {
      out.u8(static_cast<std::uint8_t>(MapRecordTag::Offcut));
      out.u16(index);
      out.str(o.name, 50);
      out.i16(o.left);
      out.i16(o.top);
      out.i16(o.width);
      out.i16(o.height);
      out.zeros(4);
      out.pen(0);
      out.brush(o.colour);
      out.font(h.font);
      out.boolean(o.useless);
      out.boolean(o.showText);
      out.boolean(o.showDim);
    }
    for (const MapCutRecord& c : s.cuts) {
      out.u8(static_cast<std::uint8_t>(MapRecordTag::Cut));
      out.u16(index);
      out.i16(c.left);
      out.i16(c.top);
      out.i16(c.width);
      out.i16(c.height);
      out.pen(c.colour);
      out.boolean(c.alongX);
      out.boolean(c.visible);
    }
  }
  for (const MapUsedSheetRecord& u : data.usedSheets) {
    out.u8(static_cast<std::uint8_t>(MapRecordTag::UsedSheet));
    out.str({}, 50);
    out.i32(u.material);
    out.i16(u.length);
    out.i16(u.width);
    out.u16(static_cast<std::uint32_t>(u.remaining));
    out.u16(static_cast<std::uint32_t>(u.initial));
  }
  return out.take();
}

void writeMapFile(const std::filesystem::path& path, const MapFileData& data) {
  const std::string bytes = serializeMapFile(data);
  try {
    platform::writeFileAtomically(path, bytes);
  } catch (const platform::FileError& e) {
    throw MapFileError(std::string("Ошибка записи файла карт раскроя: ") + e.what());
  }
}

}  // namespace kroyna::maps
