#pragma once

// The labels of cutting maps, shared by the maps window and the headless
// cutter: one label per physical piece, each part in its own terms (its
// length, width and edges as the parts database has them, however it lies
// on the sheet) with an identifier for its barcode.

#include "maps/model/MapModel.h"
#include "reports/labels/LabelSheet.h"

#include <QString>

#include <functional>
#include <vector>

namespace kroyna::reports {

// "Пример-12-3": the parts database's short name, the row (from 1) and the
// copy (from 1); "12-3" when the parts database has no name.
QString partIdentifier(const QString& partsBase, int row, int copy);

// The short name of a parts database file: "Пример" for ".../Пример.krb".
QString partsBaseShortName(const QString& path);

// The parts database a maps document was cut from, as its caption names it
// ("Вариант раскроя 1: "База деталей: Пример.krb"" gives "Пример"); empty
// when it names none (an untitled base, or another caption).
QString partsBaseOfCaption(const QString& caption);

// A placed part as the parts database has it: a turned part's length and
// width swapped back and its edges turned back (drawn left, right, top,
// bottom are the database's top, bottom, right and left).
struct PartInBase {
  std::int32_t length = 0, width = 0;
  std::int32_t left = 0, right = 0, top = 0, bottom = 0;
};
PartInBase partInBase(const maps::MapPart& part);

using NameOfCode = std::function<QString(int code)>;

// "л: name\r" and so on for each side with an edge code above 0, in the
// order left, right, top, bottom.
QString edgeBandingText(int left, int right, int top, int bottom, const NameOfCode& edgeName);

// The maps and how to name what they hold.
struct MapLabelSource {
  const std::vector<maps::SheetMap>* maps = nullptr;
  std::function<bool(int map)> shown;  // all maps when empty
  QString partsBase;
  NameOfCode materialName;
  NameOfCode edgeName;
};

// For parts, every part of a map shown as many times as the map's
// Quantity, copies of one row numbered across all maps in order; for
// offcuts, every useful offcut so (waste gets no label), its barcode its
// code.
std::vector<Label> labelsOfMaps(const MapLabelSource& source, LabelKind kind);

}  // namespace kroyna::reports
