#pragma once

// The map font with its colour. Qt's font dialog has no choice of colour,
// so the colour (`FontColor` of the map font) has a button of its own
// beside the font's: "Параметры по умолчанию" → "Шрифт" holds the picker,
// and the maps window's "Шрифт" shows it as a small dialog.

#include "common/settings/SettingsValues.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace kroyna::common {

class MapFontPicker : public QWidget {
  Q_OBJECT
 public:
  explicit MapFontPicker(const FontKeys& font, QWidget* parent = nullptr);

  const FontKeys& mapFont() const { return font_; }

  // "Изменить" asks Qt's font dialog and keeps the colour; "Цвет" asks the
  // colour dialog and keeps the font. Both are modal dialogs, which tests
  // replace; nothing is returned for a cancelled choice.
  using FontChooser = std::function<std::optional<QFont>(const QFont& current, QWidget* parent)>;
  using ColourChooser = std::function<std::optional<QColor>(const QColor& current, QWidget* parent)>;
  void setChoosers(FontChooser font, ColourChooser colour);
  void chooseFont();
  void chooseColour();

  QLabel* sample() const { return sample_; }
  QPushButton* fontButton() const { return fontButton_; }
  QPushButton* colourButton() const { return colourButton_; }

 signals:
  void changed();

 private:
  void showFont();

  FontKeys font_;
  FontChooser fontChooser_;
  ColourChooser colourChooser_;
  QLabel* sample_ = nullptr;
  QPushButton* fontButton_ = nullptr;
  QPushButton* colourButton_ = nullptr;
};

// "Шрифт" of the maps window: the picker with "&Да" and "&Отмена".
class MapFontDialog : public QDialog {
  Q_OBJECT
 public:
  explicit MapFontDialog(const FontKeys& font, QWidget* parent = nullptr);
  MapFontPicker* picker() const { return picker_; }
  const FontKeys& mapFont() const;

 private:
  MapFontPicker* picker_ = nullptr;
};

}  // namespace kroyna::common
