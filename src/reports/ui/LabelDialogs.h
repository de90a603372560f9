#pragma once

// The two label dialogs, "Печать ярлычков деталей" and "Печать ярлычков
// остатков": size of a label, the text items, alignment, frame, word wrap,
// page margins, font, "&Печать" and "&Закрыть". They hold the labels the
// command gave them; the settings are read from the dialog's section when
// it opens and written back when it closes.

#include "common/PageMargins.h"
#include "reports/Labels.h"

#include <QDialog>
#include <QFont>

#include <functional>
#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace kroyna::ini {
class IniFile;
}

namespace kroyna::reports {

class LabelDialog : public QDialog {
  Q_OBJECT
 public:
  // `templatePath` is Reports/ScrapsLbl.frf; `landscape` whether the
  // printer is set to landscape.
  LabelDialog(LabelKind kind, std::vector<Label> labels, ini::IniFile& settings, QString templatePath, bool landscape,
              QWidget* parent = nullptr);

  LabelKind kind() const { return kind_; }
  const std::vector<Label>& labels() const { return labels_; }
  // The settings as the controls show them.
  LabelSettings currentSettings() const;

  // "Параметры &шрифта", "Параметры &страницы", "&Печать".
  void chooseFont();
  void editPageMargins();
  void print();

  // The font and margins dialogs; tests put answers of their own here.
  using FontChooser = std::function<std::optional<QFont>(const QFont& current, QWidget* parent)>;
  using MarginsEditor =
      std::function<std::optional<common::PageMargins>(const common::PageMargins& current, QWidget* parent)>;
  void setFontChooser(FontChooser chooser) { fontChooser_ = std::move(chooser); }
  void setMarginsEditor(MarginsEditor editor) { marginsEditor_ = std::move(editor); }

  // Closing by "&Закрыть" or the close box empties the labels and writes
  // the settings back.
  void done(int result) override;

 private:
  void showFont();

  LabelKind kind_;
  std::vector<Label> labels_;
  ini::IniFile& settings_;
  QString templatePath_;
  bool landscape_;
  LabelFont font_;
  FontChooser fontChooser_;
  MarginsEditor marginsEditor_;

  QSpinBox* width_ = nullptr;
  QSpinBox* height_ = nullptr;
  QCheckBox* code_ = nullptr;
  QCheckBox* size_ = nullptr;
  QCheckBox* material_ = nullptr;
  QCheckBox* comment_ = nullptr;
  QCheckBox* edges_ = nullptr;  // parts only
  QButtonGroup* alignment_ = nullptr;
  QCheckBox* frame_ = nullptr;
  QCheckBox* wordWrap_ = nullptr;
  QLabel* fontSample_ = nullptr;
};

// "Печать ярлычков деталей" / "Печать ярлычков остатков".
QString labelDialogCaption(LabelKind kind);

}  // namespace kroyna::reports
