#pragma once

// The statistics dialog of the maps window and its edge statistics dialog.

#include "maps/StatisticsFigures.h"

#include <QDialog>

#include <functional>
#include <vector>

class QPushButton;
class QTableWidget;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::maps {

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
