#pragma once

// Every key of the settings file that more than one part of the program
// reads, declared once: its section, its spelling, its default and the
// values it may take. Read and write them only through these declarations,
// so that two readers never disagree on a default or a range.
//
// Sections and keys are compared without regard to case in the file, so
// one declaration also finds a key written in another case.

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/settings/SettingsValues.h"

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {

// What a stored integer outside [min, max] reads as.
enum class OutOfRange {
  Nearest,  // the nearer end of the range
  Default,  // the key's default
};

struct IntKey {
  const char* section;
  const char* name;
  int def;
  int min = INT_MIN;
  int max = INT_MAX;
  OutOfRange outside = OutOfRange::Nearest;
};

struct BoolKey {
  const char* section;
  const char* name;
  bool def;
};

struct ColourKey {
  const char* section;
  const char* name;
  std::int32_t def;
};

struct StringKey {
  const char* section;
  const char* name;
  const char* def;
};

int read(const ini::IniFile& ini, const IntKey& key);
bool read(const ini::IniFile& ini, const BoolKey& key);
std::int32_t read(const ini::IniFile& ini, const ColourKey& key);
std::string read(const ini::IniFile& ini, const StringKey& key);
// An integer outside the key's range is brought into it as reading would.
void write(ini::IniFile& ini, const IntKey& key, int value);
void write(ini::IniFile& ini, const BoolKey& key, bool value);
void write(ini::IniFile& ini, const ColourKey& key, std::int32_t value);
void write(ini::IniFile& ini, const StringKey& key, std::string_view value);

namespace keys {

// ---- [Default]: number formats ----
inline constexpr IntKey LenDigits{"Default", "LenDigits", 2, 0, 10};
inline constexpr IntKey SqrDigits{"Default", "SqrDigits", 3, 0, 10};

// ---- [Default]: material and edge banding of new rows ----
// A material code of the catalogue; 0 when none is chosen.
inline constexpr IntKey DefMaterial{"Default", "DefMaterial", 0};
inline constexpr IntKey DefBorder{"Border", "DefBorder", 0};
inline constexpr IntKey LeftBorder{"Border", "LBorder", 0};
inline constexpr IntKey RightBorder{"Border", "RBorder", 0};
inline constexpr IntKey TopBorder{"Border", "TBorder", 0};
inline constexpr IntKey BottomBorder{"Border", "BBorder", 0};
// 0 may be turned, 1 never turned, 2 one orientation for all copies.
inline constexpr IntKey DefRotation{"Rotate", "Default", 0, 0, 2};

// ---- [Default]: how maps look ----
inline constexpr ColourKey SheetColour{"Default", "SheetColor", kAppWorkspaceColour};
inline constexpr ColourKey PartColour{"Default", "DetalColor", 0xFFFFFF};
inline constexpr ColourKey WasteColour{"Default", "LostColor", 0};
inline constexpr ColourKey OffcutColour{"Default", "ScrapColor", 255};
inline constexpr ColourKey CutColour{"Default", "MillColor", 0xFF0000};
inline constexpr ColourKey EdgeBandingColour{"Default", "BorderColor", 0xFF00FF};
inline constexpr BoolKey ShowName{"Default", "ShowName", true};
inline constexpr BoolKey ShowDim{"Default", "ShowDim", true};
inline constexpr BoolKey ShowBorder{"Default", "ShowBorder", true};
inline constexpr BoolKey ShowScrapsText{"Default", "ShowScrapsText", true};
inline constexpr BoolKey ShowHints{"Default", "ShowHints", true};

// ---- [Default]: the machine ----
inline constexpr IntKey Kerf{"Default", "Mill", 4, 0, 1000};
inline constexpr IntKey TrimLeft{"Default", "LIndent", 10};
inline constexpr IntKey TrimRight{"Default", "RIndent", 10};
inline constexpr IntKey TrimTop{"Default", "TIndent", 10};
inline constexpr IntKey TrimBottom{"Default", "BIndent", 10};
// 0 none, 1 maximum cut length, 2 multi-saw machine.
inline constexpr IntKey Technics{"Default", "Technics", 0, 0, 2};
// The maximum cut length as typed; not a number means no limit.
inline constexpr StringKey MaxCutLength{"Default", "PropilLen", "0"};
// 0 largest waste area, 1 longest waste, 2 shortest cuts.
inline constexpr IntKey Criterion{"Default", "Optimization", 0, 0, 2, OutOfRange::Default};
// The improved search for materials without a choice of their own:
// "on,effort" ("1,5"); empty means off.
inline constexpr StringKey DefaultImproved{"Default", "Improved", ""};

// ---- [Default]: printing and stock ----
inline constexpr BoolKey PrintPartEdges{"Default", "PrintDetalBorders", false};
inline constexpr BoolKey PrintPartsSorted{"Default", "PrintDetalSort", true};
inline constexpr BoolKey CheckSheetStock{"Default", "CheckStdSheetsQuantity", false};
inline constexpr BoolKey AutoOffcutMarks{"Default", "AutoScrapsMark", false};

// ---- [SheetParams]: the maps window ----
// 0 cuts hidden, 1 shown, 2 on the last map only; anything else hides them.
inline constexpr IntKey CutsShown{"SheetParams", "MillState", 0, 0, 2, OutOfRange::Default};
inline constexpr IntKey MapsMaterialsPanelWidth{"SheetParams", "OutLook_Width", 105, 0};

}  // namespace keys

// The material a new row takes in a list filtered by `materialFilter`: the
// filter's material, or `DefMaterial` when the list shows all materials;
// never the all-materials code or a negative code (0 then).
int newRowMaterial(const ini::IniFile& ini, int materialFilter);

// The map font of [SheetParams]: FontName, FontBold, FontItalic,
// FontUnderline, FontStrikeOut, FontSize, FontColor and FontCharset
// ("MS Sans Serif", 8 points, black, character set 204 by default).
FontKeys readMapFont(const ini::IniFile& ini);
void writeMapFont(ini::IniFile& ini, const FontKeys& font);

}  // namespace kroyna::common
