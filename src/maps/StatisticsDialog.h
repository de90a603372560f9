#pragma once

#include "catalogues/AllMaterials.h"

// The statistics of a maps document as the statistics command shows them:
// the totals over the maps the material filter shows and their edge use.

#include "maps/MapsDocument.h"

#include <QDialog>

#include <functional>
#include <utility>
#include <vector>

class QPushButton;
class QTableWidget;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::maps {

struct StatisticsFigures {
  QString materialName;  // the selected materials panel entry
  int materialCode = kAllMaterials;
  // Six label/value rows: "Бесполезный отход:" ... "Общая длина резов:".
  std::vector<std::pair<QString, QString>> rows;
  MapTotals totals;
};

StatisticsFigures statisticsFigures(const MapsDocument& document, const QString& materialName);

// One row of the edge use table: the catalogue name of the code (empty
// when the catalogue has not got it) and the length in metres.
struct EdgeUseRow {
  QString name;
  QString length;
};
std::vector<EdgeUseRow> edgeUseRows(const MapTotals& totals, const MapsEnvironment& environment);

// "Статистика": the material, the six figures, the edge use; "&Печать"
// (enabled once printing is attached), "&Кромки", "&Закрыть".
class StatisticsDialog : public QDialog {
  Q_OBJECT
 public:
  StatisticsDialog(StatisticsFigures figures, const MapsEnvironment& environment, ini::IniFile& settings,
                   QWidget* parent = nullptr);
  void enablePrint(std::function<void()> print);
  const StatisticsFigures& figures() const { return figures_; }
  QPushButton* printButton() const { return print_; }
  QPushButton* edgesButton() const { return edges_; }

 private:
  void showEdges();

  StatisticsFigures figures_;
  const MapsEnvironment& environment_;
  ini::IniFile& settings_;
  std::function<void()> printHandler_;
  QPushButton* print_ = nullptr;
  QPushButton* edges_ = nullptr;
};

// "Статиска кромок": a read-only table of the edge use; its column widths
// are kept in [BorderInfo_Window].
class EdgeStatisticsDialog : public QDialog {
  Q_OBJECT
 public:
  EdgeStatisticsDialog(const std::vector<EdgeUseRow>& rows, ini::IniFile& settings, QWidget* parent = nullptr);
  void done(int result) override;

 private:
  ini::IniFile& settings_;
  QTableWidget* table_ = nullptr;
};

}  // namespace kroyna::maps
