#include "common/ui/HeaderWidths.h"

#include "common/settings/SettingsValues.h"
#include "platform/ini/IniFile.h"

#include <QHeaderView>
#include <QListWidget>
#include <QStyle>
#include <QTableView>

#include <algorithm>
#include <vector>

namespace kroyna::common {

void readColumnWidths(const ini::IniFile& ini, std::string_view section, std::string_view viewName,
                      QHeaderView& header) {
  std::vector<int> widths;
  for (int i = 0; i < header.count(); ++i) widths.push_back(header.sectionSize(i));
  widths = readColumnWidths(ini, section, viewName, std::move(widths));
  for (int i = 0; i < header.count(); ++i)
    if (widths[static_cast<std::size_t>(i)] != header.sectionSize(i))
      header.resizeSection(i, widths[static_cast<std::size_t>(i)]);
}

void writeColumnWidths(ini::IniFile& ini, std::string_view section, std::string_view viewName,
                       const QHeaderView& header) {
  std::vector<int> widths;
  for (int i = 0; i < header.count(); ++i) widths.push_back(header.sectionSize(i));
  writeColumnWidths(ini, section, viewName, widths);
}

int fittingColumnWidth(const QTableView& view, int column, const QStringList& texts) {
  const QHeaderView* header = view.horizontalHeader();
  int width = header->isHidden() ? 0 : header->sectionSizeHint(column);
  // The cells as the view's delegate draws them (QTableView keeps its own
  // override protected).
  width = std::max(width, static_cast<const QAbstractItemView&>(view).sizeHintForColumn(column));
  // A cell's text has the focus frame's margin plus one on either side, and
  // the grid line takes one more.
  const int margin =
      2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1) + (view.showGrid() ? 1 : 0);
  const QFontMetrics metrics = view.fontMetrics();
  for (const QString& text : texts) width = std::max(width, metrics.horizontalAdvance(text) + margin);
  return width;
}

void restoreColumnWidth(const ini::IniFile& ini, std::string_view section, std::string_view key, QTableView& view,
                        int column, const QStringList& texts, int atLeast) {
  const int stored = ini.keyExists(section, key) ? ini.readInt(section, key, 0) : 0;
  view.setColumnWidth(column, stored > 0 ? stored : std::max(atLeast, fittingColumnWidth(view, column, texts)));
}

int wholeTableWidth(const QTableView& view) {
  const QHeaderView* rows = view.verticalHeader();
  int width = 2 * view.frameWidth() + (rows->isHidden() ? 0 : rows->sizeHint().width()) +
              view.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &view);
  const QHeaderView* columns = view.horizontalHeader();
  for (int i = 0; i < columns->count(); ++i)
    if (!view.isColumnHidden(i)) width += view.columnWidth(i);
  return width;
}

int fittingListWidth(const QListWidget& list, int atLeast, int atMost) {
  const int entries = static_cast<const QAbstractItemView&>(list).sizeHintForColumn(0);
  const int width = std::max(0, entries) + 2 * list.frameWidth() + 4 +
                    list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
  return std::clamp(width, atLeast, std::max(atLeast, atMost));
}

}  // namespace kroyna::common
