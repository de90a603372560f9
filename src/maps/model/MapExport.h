#pragma once

// The INI export of a maps document ("... в INI - файл"), for other
// programs: one section "SHEET" + i per map (i from 1, every map in tab
// order) with the keys
//   SNAME, SMATERIAL, SWIDTH, SHEIGHT, SQUANTITY,
//   D<n> for each part, S<n> for each useful and LS<n> for each useless
//   offcut, in the map's element order, each kind numbered from 1, with the
//   value "\"name\",length,width",
//   DCOUNT, SCOUNT, LSCOUNT.
// Text is stored in code page 1251 with CRLF line ends.
//
// Same shape as the maps file: serialize gives the bytes, write puts them
// in a new file renamed over the old one; failures throw MapFileError.

#include "maps/model/MapFile.h"

#include <filesystem>
#include <functional>
#include <string>

namespace kroyna::maps {

// The catalogue name of a material code (empty when unknown).
using MaterialNames = std::function<std::string(std::int32_t code)>;

std::string serializeMapExport(const MapFileData& data, const MaterialNames& materialName);
void writeMapExport(const std::filesystem::path& path, const MapFileData& data, const MaterialNames& materialName);

}  // namespace kroyna::maps
