#pragma once

// The map print dialogs: "Параметры печати раскроя" (shown by the print
// command of the maps window) and "Дополнительные параметры печати" (from
// its "Д&ополнительно" and from the main menu). What they decide is in
// MapPrintModels.h; these windows show it.

#include "reports/mapprint/MapPrintModels.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::reports {

// The standard font and colour dialogs; tests replace them.
struct MapPrintChoosers {
  std::function<std::optional<common::FontKeys>(const common::FontKeys& current, QWidget* parent)> font;
  std::function<std::optional<std::int32_t>(std::int32_t current, QWidget* parent)> colour;
};
MapPrintChoosers& mapPrintChoosers();

// "Дополнительные параметры печати": the pages "Детали", "Резы",
// "Остатки", "Отходы" on [PrnSetupAdv]. "&Да" writes the page shown and
// every value; "&Отмена" writes nothing.
class AdvancedPrintSetupDialog : public QDialog {
  Q_OBJECT
 public:
  AdvancedPrintSetupDialog(ini::IniFile& settings, QWidget* parent = nullptr);

  const MapDrawStyles& styles() const { return styles_; }
  QListWidget* pages() const { return pageList_; }
  // The controls of a page, for tests: the draw box, the fill colour and
  // style, the line colour and style (cuts: also the width), the font
  // button and sample, and the three label boxes.
  struct PageControls {
    QCheckBox* draw = nullptr;
    QPushButton* fillColour = nullptr;
    QComboBox* fillStyle = nullptr;
    QPushButton* lineColour = nullptr;
    QComboBox* lineStyle = nullptr;
    QSpinBox* lineWidth = nullptr;
    QPushButton* font = nullptr;
    QLabel* fontSample = nullptr;
    QCheckBox* title = nullptr;
    QCheckBox* dim = nullptr;
    QCheckBox* truncText = nullptr;
    QList<QWidget*> others;  // labels and group boxes
  };
  const PageControls& page(AdvancedPage p) const { return controls_[p]; }

  void accept() override;

 private:
  QWidget* buildElementPage(AdvancedPage p, ElementStyle& style, const char* draw, const char* title, const char* dim);
  QWidget* buildCutsPage();
  void applyStates();
  void refreshSamples();

  ini::IniFile& settings_;
  MapDrawStyles styles_;
  QListWidget* pageList_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  std::array<PageControls, 4> controls_;
  bool loading_ = false;
};

// "Параметры печати раскроя". Every close, with "&Печать" or "&Отмена",
// writes the values to [Sheet_Page_Params].
class MapPrintParamsDialog : public QDialog {
  Q_OBJECT
 public:
  MapPrintParamsDialog(const MapTabs& tabs, ini::IniFile& settings, QWidget* parent = nullptr);

  MapPrintDialogModel& model() { return model_; }

  QRadioButton* allMaps() const { return all_; }
  QRadioButton* currentMap() const { return current_; }
  QRadioButton* numberedMaps() const { return numbers_; }
  QLineEdit* fromField() const { return from_; }
  QLineEdit* toField() const { return to_; }
  QRadioButton* perPage(int choice) const { return perPage_[static_cast<std::size_t>(choice)]; }
  QSpinBox* otherSpin() const { return otherSpin_; }
  QCheckBox* statistics(int i) const { return stats_[static_cast<std::size_t>(i)]; }
  QCheckBox* showDetailList() const { return showList_; }
  QComboBox* listFormat() const { return listFormat_; }
  QCheckBox* showOutline() const { return outline_; }
  QCheckBox* blackOutline() const { return black_; }
  QCheckBox* outlineCodes() const { return codes_; }
  QCheckBox* showBorderList() const { return showEdges_; }
  QComboBox* borderListPosition() const { return edgesPosition_; }
  QComboBox* borderListFormat() const { return edgesFormat_; }
  QCheckBox* bordersOnMaps() const { return edgesOnMaps_; }
  QRadioButton* labelCodes() const { return labelCodes_; }
  QRadioButton* labelNames() const { return labelNames_; }
  QLabel* fontSample() const { return fontSample_; }
  QPushButton* fontButton() const { return fontButton_; }
  QPushButton* advancedButton() const { return advanced_; }

  void done(int result) override;

  // Opens the advanced dialog (modal); tests replace it.
  static std::function<void(ini::IniFile&, QWidget*)>& advancedDialog();

 private:
  void fromControls();
  void applyStates();
  void showFont();

  ini::IniFile& settings_;
  MapPrintDialogModel model_;
  bool loading_ = false;
  QRadioButton* all_ = nullptr;
  QRadioButton* current_ = nullptr;
  QRadioButton* numbers_ = nullptr;
  QLabel* fromLabel_ = nullptr;
  QLabel* toLabel_ = nullptr;
  QLineEdit* from_ = nullptr;
  QLineEdit* to_ = nullptr;
  std::array<QRadioButton*, 3> perPage_{};
  QSpinBox* otherSpin_ = nullptr;
  std::array<QCheckBox*, 5> stats_{};
  QCheckBox* showList_ = nullptr;
  QComboBox* listFormat_ = nullptr;
  QCheckBox* outline_ = nullptr;
  QCheckBox* black_ = nullptr;
  QCheckBox* codes_ = nullptr;
  QCheckBox* showEdges_ = nullptr;
  QLabel* edgesPositionLabel_ = nullptr;
  QComboBox* edgesPosition_ = nullptr;
  QLabel* edgesFormatLabel_ = nullptr;
  QComboBox* edgesFormat_ = nullptr;
  QCheckBox* edgesOnMaps_ = nullptr;
  QRadioButton* labelCodes_ = nullptr;
  QRadioButton* labelNames_ = nullptr;
  QLabel* fontSample_ = nullptr;
  QPushButton* fontButton_ = nullptr;
  QPushButton* advanced_ = nullptr;
};

}  // namespace kroyna::reports
