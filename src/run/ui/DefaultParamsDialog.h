#pragma once

// The dialog "Параметры по умолчанию" (tabs "Общее", "Кромка и поворот",
// "Результаты раскроя", "Технологические параметры") with its colour
// sub-dialog "Дополнительные настройки", and the rules of its edge buttons.

#include "maps/model/MapModel.h"
#include "run/CuttingParameters.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace kroyna::ini {
class IniFile;
}
namespace kroyna::common {
class MapFontPicker;
}

namespace kroyna::run {

// The four side buttons of " Кромка " and the edge chosen in "Текущая
// кромка". Sides: 0 left, 1 right, 2 top, 3 bottom.
class EdgeButtons {
 public:
  // Loads stored side codes; with no current edge (code 0) every button is
  // released and holds 0.
  void load(const std::array<int, 4>& codes, int currentEdge);
  // Choosing another edge gives its code to every pressed button; choosing
  // "<нет>" (0) releases all.
  void setCurrentEdge(int code);
  // Pressing gives the side the current edge's code; releasing gives 0.
  // Pressing while no edge is chosen does nothing.
  void setPressed(int side, bool pressed);
  bool pressed(int side) const { return codes_[static_cast<std::size_t>(side)] != 0; }
  int code(int side) const { return codes_[static_cast<std::size_t>(side)]; }
  int currentEdge() const { return current_; }

 private:
  std::array<int, 4> codes_{};
  int current_ = 0;
};

// The five map colours of "Дополнительные настройки", in the order of its
// swatches: sheet, part, useless offcut, useful offcut, cut.
using maps::MapColours;

class ColoursDialog : public QDialog {
  Q_OBJECT
 public:
  ColoursDialog(const MapColours& colours, QWidget* parent = nullptr);
  const MapColours& colours() const { return colours_; }
  // A left click on swatch i (0..4) asks the colour dialog.
  void pickColour(int swatch);

 private:
  void paintSwatches();
  MapColours colours_;
  QPushButton* swatches_[5] = {};
};

struct MaterialChoice {
  int code = 0;
  QString name;
};
struct EdgeChoice {
  int code = 0;
  QString name;
};

class DefaultParamsDialog : public QDialog {
  Q_OBJECT
 public:
  // `cuttingOnly` hides "Общее" and "Кромка и поворот" (opened from
  // "Параметры разложения"). `materials` and `edges` fill the lists; the
  // edge list starts with "<нет>" (code 0).
  DefaultParamsDialog(const DefaultParams& params, const QList<MaterialChoice>& materials,
                      const QList<EdgeChoice>& edges, bool cuttingOnly, QWidget* parent = nullptr);

  // The values as "&Да" writes them.
  DefaultParams params() const;
  EdgeButtons& edges() { return edgeButtons_; }
  QTabWidget* tabs() const { return tabs_; }
  QSpinBox* lenDigitsBox() const { return lenDigits_; }
  QSpinBox* sqrDigitsBox() const { return sqrDigits_; }
  QComboBox* edgeList() const { return edgeList_; }
  QToolButton* sideButton(int side) const { return sides_[side]; }
  QLineEdit* propilLenEdit() const { return propilLen_; }
  QRadioButton* technicsButton(int i) const { return technics_[i]; }
  QRadioButton* optimizationButton(int i) const { return optimization_[i]; }
  QCheckBox* improvedBox() const { return improved_; }
  QSpinBox* effortBox() const { return effort_; }
  void setColours(const MapColours& c) { colours_ = c; }
  // The map font and its colour ("Шрифт" of "Результаты раскроя").
  common::MapFontPicker* fontPicker() const { return fontPicker_; }

 private:
  QWidget* buildGeneral();
  QWidget* buildEdges(const QList<MaterialChoice>& materials, const QList<EdgeChoice>& edges);
  QWidget* buildResults();
  QWidget* buildTechnology();
  void syncSideButtons();

  DefaultParams base_;
  EdgeButtons edgeButtons_;
  MapColours colours_;
  QTabWidget* tabs_ = nullptr;
  // General
  QSpinBox *lenDigits_ = nullptr, *sqrDigits_ = nullptr;
  QCheckBox *printBorders_ = nullptr, *printSort_ = nullptr;
  // Edge and rotation
  QComboBox* material_ = nullptr;
  QComboBox* edgeList_ = nullptr;
  QToolButton* sides_[4] = {};
  QRadioButton* rotate_[3] = {};
  // Results
  QCheckBox *showName_ = nullptr, *showDim_ = nullptr, *showBorder_ = nullptr, *showScraps_ = nullptr,
            *showHints_ = nullptr;
  QRadioButton* millState_[3] = {};
  common::MapFontPicker* fontPicker_ = nullptr;
  // Technology
  QDoubleSpinBox* mill_ = nullptr;
  QSpinBox *lIndent_ = nullptr, *rIndent_ = nullptr, *tIndent_ = nullptr, *bIndent_ = nullptr;
  QRadioButton* technics_[3] = {};
  QLineEdit* propilLen_ = nullptr;
  QRadioButton* optimization_[3] = {};
  QCheckBox* improved_ = nullptr;
  QSpinBox* effort_ = nullptr;
};

// Shows "Параметры по умолчанию" over the settings file (materials and
// edges from the catalogues); on "&Да" writes every key and returns true.
// A write that fails is reported and the dialog result is false.
bool editDefaultParams(ini::IniFile& settings, bool cuttingOnly, QWidget* parent = nullptr);

}  // namespace kroyna::run
