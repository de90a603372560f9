#include "reports/ui/LabelDialogs.h"

#include "common/Messages.h"
#include "common/ui/PageParamsDialog.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Literals.h"
#include "reports/ui/ReportPreview.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <exception>

namespace kroyna::reports {

namespace {

using text::u;

QDoubleSpinBox* millimetres(double value, double max, const char* name, QWidget* parent) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setDecimals(2);
  box->setRange(0, max);
  box->setSingleStep(1);
  box->setValue(value);
  return box;
}

QString mm(double v) { return QLocale(QLocale::Russian).toString(v, 'g', 6); }

QCheckBox* check(const char* caption, bool on, const char* name, QWidget* parent) {
  auto* box = new QCheckBox(u(caption), parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(on);
  return box;
}

QFont toQFont(const LabelFont& f) {
  QFont font(QString::fromStdString(f.name));
  font.setPointSize(f.size > 0 ? f.size : 10);
  font.setBold(f.bold);
  font.setItalic(f.italic);
  return font;
}

}  // namespace

QString labelDialogCaption(LabelKind kind) {
  return kind == LabelKind::Parts ? u("Печать ярлычков деталей") : u("Печать ярлычков остатков");
}

LabelDialog::LabelDialog(LabelKind kind, std::vector<Label> labels, ini::IniFile& settings, QString templatePath,
                         bool landscape, QWidget* parent)
    : QDialog(parent),
      kind_(kind),
      labels_(std::move(labels)),
      settings_(settings),
      templatePath_(std::move(templatePath)),
      landscape_(landscape) {
  setObjectName(kind == LabelKind::Parts ? QStringLiteral("PartLabelsDialog") : QStringLiteral("OffcutLabelsDialog"));
  setWindowTitle(labelDialogCaption(kind));
  const bool parts = kind == LabelKind::Parts;
  LabelSettings s;
  try {
    s = readLabelSettings(settings_, kind);
  } catch (const std::exception& e) {
    // An unreadable settings file leaves the defaults; the user is told.
    common::showError(QString::fromUtf8(e.what()), parent);
  }
  font_ = s.font;

  auto* sheetBox = new QGroupBox(u("Лист ярлычков"), this);
  sheet_ = new QComboBox(sheetBox);
  sheet_->setObjectName(QStringLiteral("sheet"));
  sheet_->addItem(ownLabelSizeCaption(), QString());
  for (const LabelSheetPreset& preset : labelSheetPresets())
    sheet_->addItem(u(preset.caption), QString::fromLatin1(preset.id));
  sheet_->setCurrentIndex(std::max(0, sheet_->findData(QString::fromStdString(s.sheet))));
  gapX_ = millimetres(s.gapX, 100, "gapX", sheetBox);
  gapY_ = millimetres(s.gapY, 100, "gapY", sheetBox);
  margins_ = new QLabel(sheetBox);
  margins_->setObjectName(QStringLiteral("margins"));
  margins_->setWordWrap(true);
  auto* sheetGrid = new QGridLayout(sheetBox);
  sheetGrid->addWidget(sheet_, 0, 0, 1, 3);
  sheetGrid->addWidget(new QLabel(u("Промежуток по горизонтали"), sheetBox), 1, 0);
  sheetGrid->addWidget(gapX_, 1, 1);
  sheetGrid->addWidget(new QLabel(u("мм"), sheetBox), 1, 2);
  sheetGrid->addWidget(new QLabel(u("Промежуток по вертикали"), sheetBox), 2, 0);
  sheetGrid->addWidget(gapY_, 2, 1);
  sheetGrid->addWidget(new QLabel(u("мм"), sheetBox), 2, 2);
  sheetGrid->addWidget(margins_, 3, 0, 1, 3);

  auto* sizeBox = new QGroupBox(u("Размер ярлычка"), this);
  width_ = millimetres(s.width, 1000, "width", sizeBox);
  height_ = millimetres(s.height, 1000, "height", sizeBox);
  auto* sizeGrid = new QGridLayout(sizeBox);
  sizeGrid->addWidget(new QLabel(u("Длина"), sizeBox), 0, 0);
  sizeGrid->addWidget(width_, 0, 1);
  sizeGrid->addWidget(new QLabel(u("мм"), sizeBox), 0, 2);
  sizeGrid->addWidget(new QLabel(u("Высота"), sizeBox), 1, 0);
  sizeGrid->addWidget(height_, 1, 1);
  sizeGrid->addWidget(new QLabel(u("мм"), sizeBox), 1, 2);
  connect(sheet_, &QComboBox::currentIndexChanged, this, &LabelDialog::sheetChosen);
  for (QDoubleSpinBox* box : {width_, height_, gapX_, gapY_})
    connect(box, &QDoubleSpinBox::valueChanged, this, &LabelDialog::sizeEdited);

  auto* barcodeBox = new QGroupBox(u("Штрихкод"), this);
  barcode_ = new QComboBox(barcodeBox);
  barcode_->setObjectName(QStringLiteral("barcode"));
  const char* kinds[] = {"нет", "Code 128", "DataMatrix", "QR"};
  for (int i = 0; i < 4; ++i) barcode_->addItem(u(kinds[i]), i);
  barcode_->setCurrentIndex(std::clamp(static_cast<int>(s.barcode), 0, 3));
  auto* barcodeLayout = new QVBoxLayout(barcodeBox);
  barcodeLayout->addWidget(barcode_);

  auto* textBox = new QGroupBox(u("Текст"), this);
  auto* textLayout = new QVBoxLayout(textBox);
  code_ = check(parts ? "Шифр детали" : "Шифр остатка", s.code, "code", textBox);
  size_ = check(parts ? "Размер детали" : "Размер остатка", s.size, "size", textBox);
  material_ = check("Название материала", s.material, "material", textBox);
  comment_ = check("Комментарий", s.comment, "comment", textBox);
  for (QCheckBox* b : {code_, size_, material_, comment_}) textLayout->addWidget(b);
  if (parts) {
    edges_ = check("Кромки", s.edges, "edges", textBox);
    textLayout->addWidget(edges_);
  }

  auto* alignBox = new QGroupBox(u("Выравнивание"), this);
  auto* alignLayout = new QVBoxLayout(alignBox);
  alignment_ = new QButtonGroup(this);
  const char* aligns[] = {"по левому краю", "по правому краю", "по центру"};
  for (int i = 0; i < 3; ++i) {
    auto* radio = new QRadioButton(u(aligns[i]), alignBox);
    radio->setObjectName(QStringLiteral("align%1").arg(i));
    alignment_->addButton(radio, i);
    alignLayout->addWidget(radio);
  }
  const int align = (s.alignment >= AlignLeft && s.alignment <= AlignCenter) ? s.alignment : AlignLeft;
  alignment_->button(align)->setChecked(true);

  frame_ = check("Рисовать рамку", s.frame, "frame", this);
  wordWrap_ = check("Переносить текст", s.wordWrap, "wordWrap", this);

  fontSample_ = new QLabel(this);
  fontSample_->setObjectName(QStringLiteral("fontSample"));
  auto* count = new QLabel(u("Ярлычков: %1").arg(labels_.size()), this);
  count->setObjectName(QStringLiteral("labelCount"));

  auto* pageButton = new QPushButton(u("Параметры &страницы"), this);
  pageButton->setObjectName(QStringLiteral("pageButton"));
  auto* fontButton = new QPushButton(u("Параметры &шрифта"), this);
  fontButton->setObjectName(QStringLiteral("fontButton"));
  auto* printButton = new QPushButton(u("&Печать"), this);
  printButton->setObjectName(QStringLiteral("printButton"));
  printButton->setDefault(true);
  auto* closeButton = new QPushButton(u("&Закрыть"), this);
  closeButton->setObjectName(QStringLiteral("closeButton"));
  connect(pageButton, &QPushButton::clicked, this, &LabelDialog::editPageMargins);
  connect(fontButton, &QPushButton::clicked, this, &LabelDialog::chooseFont);
  connect(printButton, &QPushButton::clicked, this, &LabelDialog::print);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

  auto* left = new QVBoxLayout;
  left->addWidget(sheetBox);
  left->addWidget(sizeBox);
  left->addWidget(alignBox);
  left->addWidget(frame_);
  left->addWidget(wordWrap_);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(textBox);
  right->addWidget(barcodeBox);
  right->addWidget(fontSample_);
  right->addWidget(count);
  right->addStretch();
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {pageButton, fontButton, printButton, closeButton}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(buttons);
  showFont();
  showMargins();
}

LabelSettings LabelDialog::currentSettings() const {
  LabelSettings s;
  s.width = width_->value();
  s.height = height_->value();
  s.gapX = gapX_->value();
  s.gapY = gapY_->value();
  s.sheet = sheet_->currentData().toString().toStdString();
  s.barcode = static_cast<report::Symbology>(std::clamp(barcode_->currentIndex(), 0, 3));
  s.code = code_->isChecked();
  s.size = size_->isChecked();
  s.material = material_->isChecked();
  s.comment = comment_->isChecked();
  s.edges = edges_ ? edges_->isChecked() : LabelSettings{}.edges;
  s.frame = frame_->isChecked();
  s.wordWrap = wordWrap_->isChecked();
  s.alignment = std::max(0, alignment_->checkedId());
  s.font = font_;
  return s;
}

void LabelDialog::showFont() {
  fontSample_->setText(u("Шрифт: %1, %2 пт").arg(QString::fromStdString(font_.name)).arg(font_.size));
}

common::PageMargins LabelDialog::ownMargins() const {
  try {
    return common::readPageMargins(settings_, kLabelPageSection);
  } catch (const std::exception&) {
    return {};
  }
}

void LabelDialog::showMargins() {
  double left = 0, top = 0, right = 0, bottom = 0;
  if (const LabelSheetPreset* p = findLabelSheetPreset(sheet_->currentData().toString().toStdString())) {
    left = p->left;
    top = p->top;
    right = p->right;
    bottom = p->bottom;
  } else {
    const common::PageMargins m = ownMargins();
    left = m.left;
    top = m.top;
    right = m.right;
    bottom = m.bottom;
  }
  margins_->setText(
      u("Поля страницы: слева %1, сверху %2, справа %3, снизу %4 мм").arg(mm(left), mm(top), mm(right), mm(bottom)));
}

void LabelDialog::sheetChosen() {
  if (const LabelSheetPreset* p = findLabelSheetPreset(sheet_->currentData().toString().toStdString())) {
    const QSignalBlocker a(width_), b(height_), c(gapX_), d(gapY_);
    width_->setValue(p->width);
    height_->setValue(p->height);
    gapX_->setValue(p->gapX);
    gapY_->setValue(p->gapY);
  }
  showMargins();
}

void LabelDialog::sizeEdited() {
  if (sheet_->currentIndex() == 0) return;
  const QSignalBlocker block(sheet_);
  sheet_->setCurrentIndex(0);
  showMargins();
}

void LabelDialog::chooseFont() {
  std::optional<QFont> chosen;
  if (fontChooser_) {
    chosen = fontChooser_(toQFont(font_), this);
  } else {
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, toQFont(font_), this, u("Шрифт"));
    if (ok) chosen = f;
  }
  if (!chosen) return;
  font_.name = chosen->family().toStdString();
  const double points = chosen->pointSizeF();
  if (points > 0) font_.size = std::max(1, static_cast<int>(std::lround(points)));
  font_.bold = chosen->bold();
  font_.italic = chosen->italic();
  showFont();
}

void LabelDialog::editPageMargins() {
  try {
    common::PageMargins current = common::readPageMargins(settings_, kLabelPageSection);
    const LabelSheetPreset* preset = findLabelSheetPreset(sheet_->currentData().toString().toStdString());
    if (preset)
      current = {static_cast<int>(std::lround(preset->top)), static_cast<int>(std::lround(preset->left)),
                 static_cast<int>(std::lround(preset->right)), static_cast<int>(std::lround(preset->bottom))};
    std::optional<common::PageMargins> chosen;
    if (marginsEditor_) {
      chosen = marginsEditor_(current, this);
    } else {
      common::PageParamsDialog dialog(current, this);
      if (dialog.exec() == QDialog::Accepted) chosen = dialog.margins();
    }
    if (chosen) {
      common::writePageMargins(settings_, *chosen, kLabelPageSection);
      // Margins of one's own: the sheet is no longer the one bought.
      if (preset) {
        const QSignalBlocker block(sheet_);
        sheet_->setCurrentIndex(0);
      }
    }
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
  }
  showMargins();
}

void LabelDialog::print() {
  report::PreparedReport prepared;
  try {
    ReportPage page;
    page.landscape = landscape_;
    page.margins = common::readPageMargins(settings_, kLabelPageSection);
    prepared = prepareLabelSheet(labels_, currentSettings(), kind_, templatePath_, page);
  } catch (const std::exception& e) {
    common::showError(u("Ошибка создания отчета.\r%1").arg(QString::fromUtf8(e.what())), this);
    return;
  }
  showReportPreview(std::move(prepared), this);
}

void LabelDialog::done(int result) {
  labels_.clear();
  try {
    writeLabelSettings(settings_, kind_, currentSettings());
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
  }
  QDialog::done(result);
}

}  // namespace kroyna::reports
