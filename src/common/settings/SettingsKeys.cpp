#include "common/settings/SettingsKeys.h"

#include <algorithm>

#include "common/settings/AllMaterials.h"
#include "platform/ini/IniFile.h"

namespace kroyna::common {

namespace {

int bring(const IntKey& key, int value) {
  if (value >= key.min && value <= key.max) return value;
  if (key.outside == OutOfRange::Default) return key.def;
  return std::clamp(value, key.min, key.max);
}

constexpr const char* kMapFontSection = "SheetParams";

}  // namespace

int read(const ini::IniFile& ini, const IntKey& key) { return bring(key, ini.readInt(key.section, key.name, key.def)); }

bool read(const ini::IniFile& ini, const BoolKey& key) { return ini.readBool(key.section, key.name, key.def); }

std::int32_t read(const ini::IniFile& ini, const ColourKey& key) {
  return readColour(ini, key.section, key.name, key.def);
}

std::string read(const ini::IniFile& ini, const StringKey& key) {
  return ini.readString(key.section, key.name, key.def);
}

void write(ini::IniFile& ini, const IntKey& key, int value) { ini.writeInt(key.section, key.name, bring(key, value)); }

void write(ini::IniFile& ini, const BoolKey& key, bool value) { ini.writeBool(key.section, key.name, value); }

void write(ini::IniFile& ini, const ColourKey& key, std::int32_t value) {
  writeColour(ini, key.section, key.name, value);
}

void write(ini::IniFile& ini, const StringKey& key, std::string_view value) {
  ini.writeString(key.section, key.name, value);
}

int newRowMaterial(const ini::IniFile& ini, int materialFilter) {
  const int code = materialFilter == kAllMaterials ? read(ini, keys::DefMaterial) : materialFilter;
  return code == kAllMaterials || code < 0 ? 0 : code;
}

FontKeys readMapFont(const ini::IniFile& ini) {
  FontKeys f;
  f.name = ini.readString(kMapFontSection, "FontName", "MS Sans Serif");
  f.bold = ini.readBool(kMapFontSection, "FontBold", false);
  f.italic = ini.readBool(kMapFontSection, "FontItalic", false);
  f.underline = ini.readBool(kMapFontSection, "FontUnderline", false);
  f.strikeOut = ini.readBool(kMapFontSection, "FontStrikeOut", false);
  f.size = ini.readInt(kMapFontSection, "FontSize", 8);
  f.colour = readColour(ini, kMapFontSection, "FontColor", 0);
  f.charset = ini.readInt(kMapFontSection, "FontCharset", 204);
  return f;
}

void writeMapFont(ini::IniFile& ini, const FontKeys& f) {
  ini.batch([&] {
    ini.writeString(kMapFontSection, "FontName", f.name);
    ini.writeBool(kMapFontSection, "FontBold", f.bold);
    ini.writeBool(kMapFontSection, "FontItalic", f.italic);
    ini.writeBool(kMapFontSection, "FontUnderline", f.underline);
    ini.writeBool(kMapFontSection, "FontStrikeOut", f.strikeOut);
    ini.writeInt(kMapFontSection, "FontSize", f.size);
    writeColour(ini, kMapFontSection, "FontColor", f.colour);
    ini.writeInt(kMapFontSection, "FontCharset", f.charset);
  });
}

}  // namespace kroyna::common
