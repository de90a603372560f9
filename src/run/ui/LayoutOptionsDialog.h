#pragma once

// The dialog "Параметры разложения" over LayoutOptionsModel
// (run/LayoutOptions.h).

#include "run/LayoutOptions.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QGroupBox;

namespace kroyna::ini {
class IniFile;
}
namespace kroyna::warehouse {
class StockModule;
}

namespace kroyna::run {

class LayoutOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  LayoutOptionsDialog(LayoutOptionsModel& model, SheetStockLookup stock, QWidget* parent = nullptr);

  // Shows material `index` of the list, writing the shown page back first.
  void selectMaterial(int index);
  // The shown page as a record (item 7 = 0; sizes 0 when not numbers).
  OptimRecord page() const;
  void showPage(const OptimRecord& record);
  int shownCode() const { return shownCode_; }

  // Buttons.
  void chooseFromStock();  // "&База листов"
  void autoSize();         // "&Авто - размер листов"
  void openDefaults();     // "&Параметры"
  void accept() override;  // "&Да"

  // For tests and the run driver: how "&База листов" chooses a sheet and
  // how "&Параметры" opens the defaults (the program's dialogs by default).
  std::function<std::optional<std::pair<std::int32_t, std::int32_t>>(int code, const QString& name)> chooseSheet;
  std::function<void()> editDefaults;

  QListWidget* list() const { return list_; }
  QCheckBox* enabledBox() const { return enabled_; }
  QLineEdit* lengthEdit() const { return length_; }
  QLineEdit* widthEdit() const { return width_; }
  QCheckBox* stockControlBox() const { return stockControl_; }
  QRadioButton* quickButton() const { return quick_; }
  QRadioButton* fullButton() const { return full_; }
  QRadioButton* improvedButton() const { return improved_; }
  QSpinBox* effortBox() const { return effort_; }
  QComboBox* stagesBox() const { return stages_; }
  QSpinBox* depthBox() const { return depth_; }

 private:
  void updateEnabled();
  void updateIcon(int row);
  void storeShown();
  std::int32_t shownStages() const;

  LayoutOptionsModel& model_;
  SheetStockLookup stock_;
  int shownCode_ = -1;
  int shownRow_ = -1;
  QListWidget* list_ = nullptr;
  QWidget* right_ = nullptr;
  QCheckBox* enabled_ = nullptr;
  QLineEdit* length_ = nullptr;
  QLineEdit* width_ = nullptr;
  QCheckBox* useScraps_ = nullptr;
  QCheckBox* stockControl_ = nullptr;
  QSpinBox* depth_ = nullptr;
  QRadioButton* quick_ = nullptr;
  QRadioButton* full_ = nullptr;
  QRadioButton* improved_ = nullptr;
  QSpinBox* effort_ = nullptr;
  QComboBox* stages_ = nullptr;
  QRadioButton* alg1_ = nullptr;
  QRadioButton* alg2_ = nullptr;
  QCheckBox* oneDim_ = nullptr;
  QLineEdit* remark_ = nullptr;
  std::vector<QWidget*> dependents_;
};

// Opens the dialog for the materials of a parts database (the cutting run
// calls this); the work file is `Kroyna.tmp` of the program folder.
// Returns true on "&Да".
bool editLayoutOptions(const std::vector<LayoutMaterial>& materials, QWidget* parent = nullptr);

}  // namespace kroyna::run
