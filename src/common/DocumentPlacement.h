#pragma once

// Where a document window opens in the main window's document area, and
// how its placement is kept in its section of the settings file.

#include <QRect>
#include <QSize>

#include <optional>
#include <string_view>

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::common {

// The placement of a document window in its settings section: the frame
// while neither maximised nor minimised (`NormPos`, "left,top,right,bottom"
// in the document area) and the state (`ShowCmd`: 1 normal, 2 minimised,
// 3 maximised).
struct DocumentPlacement {
  std::optional<QRect> frame;  // none when not stored or not readable
  bool maximized = false;
};

DocumentPlacement readDocumentPlacement(const ini::IniFile& ini, std::string_view section);
// Writes the state, and the frame unless the window is maximised or
// minimised (the frame it had before stays).
void writeDocumentPlacement(ini::IniFile& ini, std::string_view section, const QRect& frame, bool maximized,
                            bool minimized);

// The frame a document window gets in a document area of size `area`:
// `wanted` made at least `minimum` (but never larger than the area), then
// moved so that the whole frame, its title bar above all, lies inside the
// area. Without a wanted frame the window fills the area.
QRect fitDocumentFrame(const std::optional<QRect>& wanted, const QSize& area, const QSize& minimum);

}  // namespace kroyna::common
