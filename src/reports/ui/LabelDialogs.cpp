#include "reports/ui/LabelDialogs.h"

#include "common/Messages.h"
#include "common/ui/PageParamsDialog.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Literals.h"
#include "reports/ui/ReportPreview.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

namespace kroyna::reports {

namespace {

using text::u;

QSpinBox* millimetres(int value, const char* name, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(0, 1000);
  box->setValue(value);
  return box;
}

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

  auto* sizeBox = new QGroupBox(u("Размер ярлычка"), this);
  width_ = millimetres(s.width, "width", sizeBox);
  height_ = millimetres(s.height, "height", sizeBox);
  auto* sizeGrid = new QGridLayout(sizeBox);
  sizeGrid->addWidget(new QLabel(u("Длина"), sizeBox), 0, 0);
  sizeGrid->addWidget(width_, 0, 1);
  sizeGrid->addWidget(new QLabel(u("мм"), sizeBox), 0, 2);
  sizeGrid->addWidget(new QLabel(u("Высота"), sizeBox), 1, 0);
  sizeGrid->addWidget(height_, 1, 1);
  sizeGrid->addWidget(new QLabel(u("мм"), sizeBox), 1, 2);

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
  left->addWidget(sizeBox);
  left->addWidget(alignBox);
  left->addWidget(frame_);
  left->addWidget(wordWrap_);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(textBox);
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
}

LabelSettings LabelDialog::currentSettings() const {
  LabelSettings s;
  s.width = width_->value();
  s.height = height_->value();
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
    const common::PageMargins current = common::readPageMargins(settings_, kLabelPageSection);
    std::optional<common::PageMargins> chosen;
    if (marginsEditor_) {
      chosen = marginsEditor_(current, this);
    } else {
      common::PageParamsDialog dialog(current, this);
      if (dialog.exec() == QDialog::Accepted) chosen = dialog.margins();
    }
    if (chosen) common::writePageMargins(settings_, *chosen, kLabelPageSection);
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
  }
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
