#pragma once

// What the map print dialogs decide, without widgets: the print dialog
// "Параметры печати раскроя" (which maps, how many per page, statistics,
// lists, edge labels, font) and the advanced dialog "Дополнительные
// параметры печати" (how parts, cuts, offcuts and waste are drawn). The
// dialogs show these models and hand every change to them.

#include "reports/mapprint/MapPrintSettings.h"

#include <string>
#include <utility>

namespace kroyna::reports {

// "Все", "Текущая", "Номера".
enum class MapRange { All, Current, Numbers };

// The tabs the print command offers: the 1-based positions of the first
// and last tab the material filter shows (1 and the tab count when it
// shows none) and of the active tab, whether shown or not.
struct MapTabs {
  int first = 1;
  int last = 0;
  int current = 1;
};
// `visible[i]` tells whether tab i is shown; `active` is the active tab (0-based).
template <class VisibleFn>
MapTabs mapTabs(int count, VisibleFn visible, int active) {
  MapTabs t;
  int first = 0, last = 0;
  for (int i = 0; i < count; ++i)
    if (visible(i)) {
      if (!first) first = i + 1;
      last = i + 1;
    }
  t.first = first ? first : 1;
  t.last = first ? last : count;
  t.current = active + 1;
  return t;
}

class MapPrintDialogModel {
 public:
  // On opening: "Все" checked, "от" the first and "до" the last shown tab,
  // the five statistics switches on, then every control from the stored
  // settings.
  MapPrintDialogModel(const MapTabs& tabs, const MapPageParams& stored);

  const MapTabs& tabs() const { return tabs_; }
  MapRange range = MapRange::All;
  // The fields "от" and "до" as typed.
  std::string fromText;
  std::string toText;
  MapPageParams params;

  // Enabled controls.
  bool numbersEnabled() const { return range == MapRange::Numbers; }             // "от", "до"
  bool otherSpinEnabled() const { return params.position == OtherMapsPerPage; }  // spin of "другое"
  bool listFormatEnabled() const { return params.showDetailList; }  // format, "Добавить контур детали с кромкой"
  bool outlineOptionsEnabled() const {  // "Черный цвет", "Подписывать код кромки"
    return params.showDetailList && params.showDetailOutline;
  }
  bool edgeListOptionsEnabled() const { return params.showBorderList; }  // position, format
  bool edgeStyleEnabled() const { return params.showBordersOnMaps; }     // "Код" / "Название"

  // Leaving "от": below the first shown tab or above "до", it becomes the
  // first. Leaving "до": above the last shown tab or below "от", it
  // becomes the last. A field that is not a number counts as 1.
  void leaveFrom();
  void leaveTo();

  // "&Печать": the maps printed, 1-based and inclusive: the shown tabs
  // with "Все", the active one with "Текущая", the fields with "Номера".
  std::pair<int, int> printRange() const;

  // A field as a number; text that is not a number counts as 1.
  static int fieldValue(const std::string& text);

 private:
  MapTabs tabs_;
};

// The enabled controls of one page of the advanced dialog: with the
// page's draw box off everything else is off; "Обрезать текст" needs one
// of the two label boxes, and the font button follows it.
struct StylePageEnabled {
  bool controls = true;
  bool truncText = true;
  bool fontButton = true;
};
StylePageEnabled stylePageEnabled(const MapDrawStyles& styles, AdvancedPage page);

// The colour a fill style sample is drawn in: the chosen colour, or black
// when it is white and the style is not solid (white hatching on white
// would not show).
std::int32_t brushSampleColour(std::int32_t colour, int style);

// The captions of the style lists.
inline constexpr const char* kPenStyleNames[] = {
    "Сплошная", "Пунктирная", "Точки", "Пунктир - точка", "Пунктир - точка - точка", "Нет"};
inline constexpr int kBrushStyleCount = 8;

}  // namespace kroyna::reports
