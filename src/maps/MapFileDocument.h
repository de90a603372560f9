#pragma once

// Between the maps document and the records of the maps file: what a save
// stores of a document, and how a document is filled from a file read.

#include "maps/MapsDocument.h"
#include "maps/model/MapFile.h"

namespace kroyna::maps {

// Everything the binary file stores of the document: the caption, the
// mill-lines mode and display flags, the document's colours and map font,
// every map in tab order with its elements and statistics, whether its tab
// is shown under the material filter, and the used-sheets list.
MapFileData mapFileData(const MapsDocument& document);

// Fills a document with what a file holds, replacing its maps and its
// used-sheets list. A binary file's kinds, colours and statistics are taken
// as stored; an old text file's maps are recomputed from the current
// settings and offcut criteria. The stored mill-lines mode is applied. The
// caption, file name and modified flag are left to the caller.
void loadMapFileData(MapsDocument& document, const MapFileData& data);

}  // namespace kroyna::maps
