#include "reports/mapprint/MapPrintModels.h"

#include <charconv>
#include <climits>

namespace kroyna::reports {

MapPrintDialogModel::MapPrintDialogModel(const MapTabs& tabs, const MapPageParams& stored)
    : fromText(std::to_string(tabs.first)), toText(std::to_string(tabs.last)), params(stored), tabs_(tabs) {}

int MapPrintDialogModel::fieldValue(const std::string& text) {
  std::size_t b = text.find_first_not_of(" \t");
  std::size_t e = text.find_last_not_of(" \t");
  if (b == std::string::npos) return 1;
  const char* first = text.data() + b;
  const char* last = text.data() + e + 1;
  long long v = 0;
  const auto [end, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || end != last || v < INT_MIN || v > INT_MAX) return 1;
  return static_cast<int>(v);
}

void MapPrintDialogModel::leaveFrom() {
  const int from = fieldValue(fromText);
  const int to = fieldValue(toText);
  fromText = std::to_string(from < tabs_.first || from > to ? tabs_.first : from);
}

void MapPrintDialogModel::leaveTo() {
  const int from = fieldValue(fromText);
  const int to = fieldValue(toText);
  toText = std::to_string(to > tabs_.last || to < from ? tabs_.last : to);
}

std::pair<int, int> MapPrintDialogModel::printRange() const {
  switch (range) {
    case MapRange::Current: return {tabs_.current, tabs_.current};
    case MapRange::Numbers: return {fieldValue(fromText), fieldValue(toText)};
    default: return {tabs_.first, tabs_.last};
  }
}

StylePageEnabled stylePageEnabled(const MapDrawStyles& styles, AdvancedPage page) {
  StylePageEnabled e;
  if (page == CutsPage) {
    e.controls = styles.millDraw;
    e.truncText = e.fontButton = false;
    return e;
  }
  const ElementStyle& s = page == PartsPage ? styles.parts : page == OffcutsPage ? styles.offcuts : styles.waste;
  e.controls = s.draw;
  e.truncText = s.draw && (s.title || s.dim);
  e.fontButton = e.truncText;
  return e;
}

std::int32_t brushSampleColour(std::int32_t colour, int style) {
  return (colour & 0xFFFFFF) == 0xFFFFFF && colour >= 0 && style != 0 ? 0 : colour;
}

}  // namespace kroyna::reports
