#include "common/ui/MapFontDialog.h"

#include "common/SettingsUtils.h"
#include "common/ui/MessageBoxes.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kroyna::common {

namespace {

std::optional<QFont> askFont(const QFont& current, QWidget* parent) {
  bool ok = false;
  const QFont f = QFontDialog::getFont(&ok, current, parent, QStringLiteral("Шрифт"), QFontDialog::ScalableFonts);
  return ok ? std::optional<QFont>(f) : std::nullopt;
}

std::optional<QColor> askColour(const QColor& current, QWidget* parent) {
  const QColor c = QColorDialog::getColor(current, parent, QStringLiteral("Цвет шрифта"));
  return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
}

}  // namespace

MapFontPicker::MapFontPicker(const FontKeys& font, QWidget* parent)
    : QWidget(parent), font_(font), fontChooser_(askFont), colourChooser_(askColour) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  sample_ = new QLabel(QStringLiteral("АаЯяAaZz"), this);
  sample_->setMinimumHeight(40);
  row->addWidget(sample_, 1);
  auto* buttons = new QVBoxLayout;
  fontButton_ = new QPushButton(QStringLiteral("Изменить"), this);
  colourButton_ = new QPushButton(QStringLiteral("Цвет"), this);
  buttons->addWidget(fontButton_);
  buttons->addWidget(colourButton_);
  buttons->addStretch();
  row->addLayout(buttons);
  connect(fontButton_, &QPushButton::clicked, this, &MapFontPicker::chooseFont);
  connect(colourButton_, &QPushButton::clicked, this, &MapFontPicker::chooseColour);
  showFont();
}

void MapFontPicker::setChoosers(FontChooser font, ColourChooser colour) {
  fontChooser_ = std::move(font);
  colourChooser_ = std::move(colour);
}

void MapFontPicker::chooseFont() {
  QFont current = toQFont(font_);
  if (current.pointSize() <= 0) current.setPointSize(8);
  if (const auto chosen = fontChooser_(current, this)) {
    font_ = fromQFont(*chosen, font_.colour, font_.charset);
    showFont();
    emit changed();
  }
}

void MapFontPicker::chooseColour() {
  if (const auto chosen = colourChooser_(toQColor(font_.colour), this)) {
    font_.colour = fromQColor(*chosen);
    showFont();
    emit changed();
  }
}

void MapFontPicker::showFont() {
  sample_->setFont(toQFont(font_));
  QPalette pal = sample_->palette();
  pal.setColor(QPalette::WindowText, toQColor(font_.colour));
  sample_->setPalette(pal);
  // The colour button shows the colour it chooses.
  QPixmap swatch(14, 14);
  swatch.fill(toQColor(font_.colour));
  colourButton_->setIcon(QIcon(swatch));
}

MapFontDialog::MapFontDialog(const FontKeys& font, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Шрифт"));
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox(QStringLiteral("Шрифт карт"), this);
  auto* inside = new QVBoxLayout(group);
  picker_ = new MapFontPicker(font, group);
  inside->addWidget(picker_);
  layout->addWidget(group);
  setMinimumWidth(340);
  layout->addWidget(yesCancelButtons(this));
}

const FontKeys& MapFontDialog::mapFont() const { return picker_->mapFont(); }

}  // namespace kroyna::common
