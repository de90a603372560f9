#pragma once

// The maps file (".map"): the binary form that begins with the magic
// `ZK_MAP`, which the program writes and reads, and the older INI-style text
// form, which it only reads.
//
// Binary layout (little-endian, records packed without alignment):
//   header, 318 bytes; then records, each introduced by a one-byte tag:
//   1 sheet (310 bytes), 2 part (149), 3 offcut (117), 4 cut (18),
//   5 used sheet (63). Part, offcut and cut records belong to the sheet
//   record read last before them; used-sheet records follow all maps.
//   strN: a length byte 0..N and N bytes of code page 1251 text;
//   float80: a 10-byte x87 extended float.
//
// The records here hold what the file stores, in the program's terms (UTF-8
// text, 32-bit numbers). Copies the file repeats (pens, fonts of elements,
// the index of the map in every record) are written from these values and
// not kept on reading.
//
// Every reader and writer has one shape: parse/serialize work on bytes,
// read/write on files; failures throw MapFileError with a text for the user.
// Writers check every value against its field before writing anything and
// replace the file by writing a new one and renaming it over the old.
//
// Standard C++ only: the headless cutter writes maps files with it.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kroyna::maps {

struct MapFileError : std::runtime_error {
  using runtime_error::runtime_error;
};

// Sizes of the binary records (without their tag byte).
inline constexpr std::size_t kMapHeaderSize = 318;
inline constexpr std::size_t kSheetRecordSize = 310;
inline constexpr std::size_t kPartRecordSize = 149;
inline constexpr std::size_t kOffcutRecordSize = 117;
inline constexpr std::size_t kCutRecordSize = 18;
inline constexpr std::size_t kUsedSheetRecordSize = 63;

enum class MapRecordTag : std::uint8_t { Sheet = 1, Part = 2, Offcut = 3, Cut = 4, UsedSheet = 5 };

// Colours are Windows colour integers (red in the lowest byte; the high bit
// names a system colour).
inline constexpr std::int32_t kSystemWorkspaceColour = static_cast<std::int32_t>(0x8000000C);

// Font style bits.
inline constexpr std::uint8_t kFontBold = 1;
inline constexpr std::uint8_t kFontItalic = 2;
inline constexpr std::uint8_t kFontUnderline = 4;
inline constexpr std::uint8_t kFontStrikeOut = 8;

struct MapFont {
  std::string name = "MS Sans Serif";  // at most 30 characters are stored
  std::int32_t size = 8;               // points, 0..255
  std::int32_t colour = 0;
  std::uint8_t style = 0;      // kFontBold | kFontItalic | ...
  std::int32_t charset = 204;  // 0..255
  friend bool operator==(const MapFont&, const MapFont&) = default;
};

struct MapFileHeader {
  std::string caption;        // at most 100 characters are stored
  std::int32_t millMode = 0;  // 0 cuts hidden, 1 shown, 2 on the last map only
  bool showBorder = false;
  bool showScrapsText = false;
  bool showHints = false;
  // The document's colours (the pens and brushes of the header).
  std::int32_t detalColour = 0xFFFFFF;
  std::int32_t scrapColour = 255;
  std::int32_t lostColour = 0;
  std::int32_t sheetColour = kSystemWorkspaceColour;
  std::int32_t millColour = 0xFF0000;
  MapFont font;  // the document's map font
  friend bool operator==(const MapFileHeader&, const MapFileHeader&) = default;
};

struct MapPartRecord {
  std::string title;                                      // at most 50 characters are stored
  std::int32_t left = 0, top = 0, width = 0, height = 0;  // mm, 16-bit signed in the file
  std::int32_t brushColour = 0xFFFFFF;
  bool showTitle = true;
  bool showDim = true;
  bool showBorder = false;
  // Edge codes and their colours, in the order left, right, top, bottom.
  std::array<std::int32_t, 4> edges{};
  std::array<std::int32_t, 4> edgeColours{};
  friend bool operator==(const MapPartRecord&, const MapPartRecord&) = default;
};

struct MapOffcutRecord {
  std::string name;  // ScrapName, at most 50 characters are stored
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  std::int32_t colour = 0;
  bool useless = false;  // stLostScrap
  bool showText = false;
  bool showDim = false;
  friend bool operator==(const MapOffcutRecord&, const MapOffcutRecord&) = default;
};

struct MapCutRecord {
  std::int32_t left = 0, top = 0, width = 0, height = 0;  // the kerf band
  std::int32_t colour = 0;
  bool alongX = true;
  bool visible = true;
  friend bool operator==(const MapCutRecord&, const MapCutRecord&) = default;
};

struct MapSheetRecord {
  std::string sheetName;  // stock name of an offcut used as sheet (50)
  std::string caption;    // tab caption (50)
  std::string remark;     // (100)
  std::int32_t material = 0;
  std::int32_t width = 0;   // length: sheet length along X, 0..65535
  std::int32_t height = 0;  // width: sheet width along Y, 0..65535
  std::int32_t colour = kSystemWorkspaceColour;
  MapFont font;
  std::int32_t millSize = 0;  // kerf, 0..65535
  std::int32_t quantity = 1;  // 0..65535
  bool isScraps = false;
  bool visible = true;     // shown under the material filter when saved
  double scrapSquare = 0;  // mm²
  double lostSquare = 0;
  double detalsSquare = 0;
  std::int32_t millCount = 0;  // 0..65535
  double millLength = 0;       // mm
  std::vector<MapPartRecord> parts;
  std::vector<MapOffcutRecord> offcuts;
  std::vector<MapCutRecord> cuts;
  friend bool operator==(const MapSheetRecord&, const MapSheetRecord&) = default;
};

struct MapUsedSheetRecord {
  std::int32_t material = 0;
  std::int32_t length = 0;  // 16-bit signed in the file
  std::int32_t width = 0;
  std::int32_t remaining = 0;  // 0..65535
  std::int32_t initial = 0;    // 0..65535
  friend bool operator==(const MapUsedSheetRecord&, const MapUsedSheetRecord&) = default;
};

enum class MapFileFormat {
  Binary,   // written by this program: stored kinds, colours and statistics
  OldText,  // INI-style: no colours, statistics or used sheets; the reader
            // of the document recomputes them
};

struct MapFileData {
  MapFileFormat format = MapFileFormat::Binary;
  MapFileHeader header;
  std::vector<MapSheetRecord> sheets;  // in tab order
  std::vector<MapUsedSheetRecord> usedSheets;
  friend bool operator==(const MapFileData&, const MapFileData&) = default;
};

// Limits of the 16-bit fields of the binary file.
inline constexpr std::int32_t kMaxSheetSize = 65535;     // sheet length and width
inline constexpr std::int32_t kMaxElementValue = 32767;  // element positions and sizes
inline constexpr std::int32_t kMinElementValue = -32768;
inline constexpr std::int32_t kMaxCount = 65535;  // quantities, counts, kerf

// Reads either form: the binary one when the bytes start with the magic and
// hold a whole header, the old text form otherwise. Throws MapFileError for
// a file that is neither (no magic, and no [Global] section counting at
// least one sheet whose [Sheet1] section is there), and for a damaged file:
// a record cut off by the end of the file, a length byte larger than its
// field, an element before any sheet, a stored float that is not a finite
// number; in the old form, a mill-lines mode outside 0..2 or counts the
// file has no room for. A binary mill-lines mode above 2 reads as 1.
MapFileData parseMapFile(std::string_view bytes);
// Whether the bytes are taken as the binary form (a whole header that
// starts with the magic).
bool hasMapMagic(std::string_view bytes);
// Throws MapFileError also when the file cannot be read.
MapFileData readMapFile(const std::filesystem::path& path);

// The reader of the old text form alone (what parseMapFile uses for bytes
// without the magic).
MapFileData parseOldMapFile(std::string_view bytes);

// Why `data` cannot be stored in the binary form (a value outside its
// field), as a text for the user; nothing when it can.
std::optional<std::string> checkMapFile(const MapFileData& data);
// The binary form. Texts longer than their field are cut. Throws
// MapFileError with the text of checkMapFile when a value does not fit.
std::string serializeMapFile(const MapFileData& data);
// Writes the binary form to a new file beside `path` and renames it over
// `path`; on failure the old file is as it was. Throws MapFileError.
void writeMapFile(const std::filesystem::path& path, const MapFileData& data);

// The x87 extended float of the file, converted from and to double (values
// the double cannot hold read as infinite; NaN stays NaN).
std::array<std::uint8_t, 10> toFloat80(double value);
double fromFloat80(const std::uint8_t* bytes);

}  // namespace kroyna::maps
