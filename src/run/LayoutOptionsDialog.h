#pragma once

// The dialog "Параметры разложения": the layout options of each material of
// a parts database, edited in the work file `Kroyna.tmp` and copied into
// `Kroyna.ini` by "&Да". LayoutOptionsModel holds what the dialog decides;
// LayoutOptionsDialog shows it.

#include "run/CuttingParameters.h"

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
class TModule;
}

namespace kroyna::run {

struct LayoutMaterial {
  int code = 0;
  QString name;
};

// What the options need of the standard-sheet stock (the working copy).
struct SheetStockLookup {
  // Size of the first standard-sheet row of the material, in table order.
  std::function<std::optional<std::pair<std::int32_t, std::int32_t>>(int code)> firstSize;
  // MANY of the row of that material and size; nothing when there is none.
  std::function<std::optional<std::int32_t>(int code, std::int32_t length, std::int32_t width)> stock;
};
// Looks up the warehouse's working copy.
SheetStockLookup stockOf(warehouse::TModule& module);

class LayoutOptionsModel {
 public:
  // `settings` is Kroyna.ini, `workFile` the path of Kroyna.tmp, `remarkOf`
  // the remark of a material's maps (empty when none).
  LayoutOptionsModel(ini::IniFile& settings, std::filesystem::path workFile, std::vector<LayoutMaterial> materials,
                     std::function<std::string(int)> remarkOf);
  ~LayoutOptionsModel();

  // Deletes the work file and writes every material's options into it
  // (item 7 set to 0, item 9 the remark). Throws ini::IniError.
  void open();
  const std::vector<LayoutMaterial>& materials() const { return materials_; }
  ini::IniFile& workFile() { return *work_; }

  OptimRecord read(int code) const;
  // Writes a page back (item 7 is set to 0).
  void write(int code, OptimRecord record);

  // The buttons for all materials.
  void setRemarkForAll(const std::string& remark);
  void setDepthForAll(std::int32_t depth);
  // "Способ перебора": quick or full (item 8), or the improved search
  // with its effort (key `Improved`, item 8 kept as it was).
  void setSearchForAll(int fullSearch, bool improved = false, std::int32_t effort = 5);
  void setAlgorithmForAll(int algorithm, bool oneDimOpt);

  // "&Авто - размер листов": each material takes the size of its first
  // standard sheet in stock (0 x 0 when it has none) and stock control.
  void autoSize(const SheetStockLookup& stock);

  // "&Да" after the shown page was written: copies every section of the
  // work file into Kroyna.ini, then checks the stock of each enabled
  // material under stock control. Returns the message of the first
  // material whose sheets are missing (the dialog stays open), or nothing.
  std::optional<QString> accept(const SheetStockLookup& stock);

 private:
  ini::IniFile& settings_;
  std::filesystem::path workPath_;
  std::unique_ptr<ini::IniFile> work_;
  std::vector<LayoutMaterial> materials_;
  std::function<std::string(int)> remarkOf_;
};

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
  QSpinBox* depthBox() const { return depth_; }

 private:
  void updateEnabled();
  void updateIcon(int row);
  void storeShown();

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
