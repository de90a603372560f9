#include "run/ui/DefaultParamsDialog.h"

#include "catalogues/Catalogues.h"
#include "common/Messages.h"
#include "common/SettingsUtils.h"
#include "common/ui/MapFontDialog.h"
#include "common/ui/MessageBoxes.h"
#include "platform/ini/IniFile.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kroyna::run {

// ---- Edge buttons ----

void EdgeButtons::load(const std::array<int, 4>& codes, int currentEdge) {
  current_ = currentEdge;
  codes_ = currentEdge == 0 ? std::array<int, 4>{} : codes;
}

void EdgeButtons::setCurrentEdge(int code) {
  current_ = code;
  for (int& c : codes_) {
    if (code == 0)
      c = 0;
    else if (c != 0)
      c = code;
  }
}

void EdgeButtons::setPressed(int side, bool pressed) {
  if (side < 0 || side > 3) return;
  codes_[static_cast<std::size_t>(side)] = pressed ? current_ : 0;
}

// ---- Colours ----

ColoursDialog::ColoursDialog(const MapColours& colours, QWidget* parent) : QDialog(parent), colours_(colours) {
  setWindowTitle(QStringLiteral("Дополнительные настройки"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  const char* captions[5] = {"Лист", "Деталь", "Отход бесполезный", "Отход полезный", "Рез"};
  for (int i = 0; i < 5; ++i) {
    grid->addWidget(new QLabel(QString::fromUtf8(captions[i]), this), i, 0);
    swatches_[i] = new QPushButton(this);
    swatches_[i]->setFixedSize(60, 22);
    swatches_[i]->setFlat(true);
    swatches_[i]->setAutoFillBackground(true);
    connect(swatches_[i], &QPushButton::clicked, this, [this, i] { pickColour(i); });
    grid->addWidget(swatches_[i], i, 1);
  }
  layout->addLayout(grid);
  layout->addWidget(common::yesCancelButtons(this));
  paintSwatches();
}

void ColoursDialog::paintSwatches() {
  const std::int32_t values[5] = {colours_.sheet, colours_.detal, colours_.lost, colours_.scrap, colours_.mill};
  for (int i = 0; i < 5; ++i)
    swatches_[i]->setStyleSheet(
        QStringLiteral("background-color: %1; border: 1px solid black;").arg(common::toQColor(values[i]).name()));
}

void ColoursDialog::pickColour(int swatch) {
  std::int32_t* values[5] = {&colours_.sheet, &colours_.detal, &colours_.lost, &colours_.scrap, &colours_.mill};
  if (swatch < 0 || swatch > 4) return;
  const QColor c = QColorDialog::getColor(common::toQColor(*values[swatch]), this);
  if (!c.isValid()) return;
  *values[swatch] = common::fromQColor(c);
  paintSwatches();
}

// ---- Defaults dialog ----

namespace {

QSpinBox* spin(QWidget* parent, int min, int max, int value) {
  auto* s = new QSpinBox(parent);
  s->setRange(min, max);
  s->setValue(value);
  return s;
}

}  // namespace

DefaultParamsDialog::DefaultParamsDialog(const DefaultParams& p, const QList<MaterialChoice>& materials,
                                         const QList<EdgeChoice>& edges, bool cuttingOnly, QWidget* parent)
    : QDialog(parent), base_(p) {
  setWindowTitle(QStringLiteral("Параметры по умолчанию"));
  colours_ = {p.sheetColor, p.detalColor, p.lostColor, p.scrapColor, p.millColor};
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  // Wide enough to show every tab caption without scroll arrows.
  tabs_->setUsesScrollButtons(false);
  QWidget* general = buildGeneral();
  QWidget* edgesTab = buildEdges(materials, edges);
  if (!cuttingOnly) {
    tabs_->addTab(general, QStringLiteral("Общее"));
    tabs_->addTab(edgesTab, QStringLiteral("Кромка и поворот"));
  } else {
    general->hide();
    edgesTab->hide();
  }
  tabs_->addTab(buildResults(), QStringLiteral("Результаты раскроя"));
  tabs_->addTab(buildTechnology(), QStringLiteral("Технологические параметры"));
  tabs_->setCurrentIndex(0);
  layout->addWidget(tabs_);
  layout->addWidget(common::yesCancelButtons(this));
}

QWidget* DefaultParamsDialog::buildGeneral() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  auto* digits = new QGroupBox(QStringLiteral("Количество знаков после запятой"), page);
  auto* f = new QFormLayout(digits);
  lenDigits_ = spin(digits, 0, 10, base_.lenDigits);
  sqrDigits_ = spin(digits, 0, 10, base_.sqrDigits);
  f->addRow(QStringLiteral("в длине"), lenDigits_);
  f->addRow(QStringLiteral("в площаде"), sqrDigits_);
  v->addWidget(digits);
  printBorders_ = new QCheckBox(QStringLiteral("Выводить информацию по кромкам при печати списка деталей"), page);
  printBorders_->setChecked(base_.printDetalBorders);
  printSort_ = new QCheckBox(QStringLiteral("Сортировка по шифру при печати списка деталей"), page);
  printSort_->setChecked(base_.printDetalSort);
  v->addWidget(printBorders_);
  v->addWidget(printSort_);
  v->addStretch();
  return page;
}

QWidget* DefaultParamsDialog::buildEdges(const QList<MaterialChoice>& materials, const QList<EdgeChoice>& edges) {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  auto* matRow = new QFormLayout;
  material_ = new QComboBox(page);
  for (const MaterialChoice& m : materials) material_->addItem(m.name, m.code);
  material_->setCurrentIndex(material_->findData(base_.defMaterial));
  matRow->addRow(QStringLiteral("Материал детали"), material_);
  v->addLayout(matRow);

  auto* edgeBox = new QGroupBox(QStringLiteral(" Кромка "), page);
  auto* g = new QGridLayout(edgeBox);
  const char* sideNames[4] = {"Слева", "Справа", "Сверху", "Снизу"};
  const int pos[4][2] = {{1, 0}, {1, 2}, {0, 1}, {2, 1}};
  for (int i = 0; i < 4; ++i) {
    sides_[i] = new QToolButton(edgeBox);
    sides_[i]->setText(QString::fromUtf8(sideNames[i]));
    sides_[i]->setCheckable(true);
    sides_[i]->setMinimumWidth(70);
    g->addWidget(sides_[i], pos[i][0], pos[i][1]);
    connect(sides_[i], &QToolButton::toggled, this, [this, i](bool on) {
      edgeButtons_.setPressed(i, on);
      syncSideButtons();
    });
  }
  auto* centre = new QLabel(QStringLiteral("деталь"), edgeBox);
  centre->setAlignment(Qt::AlignCenter);
  centre->setFrameShape(QFrame::Box);
  g->addWidget(centre, 1, 1);
  g->addWidget(new QLabel(QStringLiteral("Текущая кромка"), edgeBox), 3, 0);
  edgeList_ = new QComboBox(edgeBox);
  if (edges.isEmpty() || edges.first().code != 0) edgeList_->addItem(QString::fromUtf8(catalogues::kNoEdgeName), 0);
  for (const EdgeChoice& e : edges) edgeList_->addItem(e.name, e.code);
  int current = edgeList_->findData(base_.defBorder);
  if (current < 0) current = 0;
  edgeList_->setCurrentIndex(current);
  g->addWidget(edgeList_, 3, 1, 1, 2);
  v->addWidget(edgeBox);
  edgeButtons_.load({base_.lBorder, base_.rBorder, base_.tBorder, base_.bBorder}, edgeList_->currentData().toInt());
  syncSideButtons();
  connect(edgeList_, &QComboBox::currentIndexChanged, this, [this] {
    edgeButtons_.setCurrentEdge(edgeList_->currentData().toInt());
    syncSideButtons();
  });

  auto* rot = new QGroupBox(QStringLiteral("Поворот"), page);
  auto* rv = new QVBoxLayout(rot);
  const char* rotNames[3] = {"Поворачивать", "Не поворачивать", "Один для всех"};
  for (int i = 0; i < 3; ++i) {
    rotate_[i] = new QRadioButton(QString::fromUtf8(rotNames[i]), rot);
    rv->addWidget(rotate_[i]);
  }
  rotate_[std::clamp(base_.rotate, 0, 2)]->setChecked(true);
  v->addWidget(rot);
  v->addStretch();
  return page;
}

void DefaultParamsDialog::syncSideButtons() {
  for (int i = 0; i < 4; ++i) {
    if (!sides_[i]) continue;
    QSignalBlocker b(sides_[i]);
    sides_[i]->setChecked(edgeButtons_.pressed(i));
  }
}

QWidget* DefaultParamsDialog::buildResults() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  auto check = [&](const char* caption, bool value) {
    auto* c = new QCheckBox(QString::fromUtf8(caption), page);
    c->setChecked(value);
    v->addWidget(c);
    return c;
  };
  showName_ = check("Проставлять шифр", base_.showName);
  showDim_ = check("Проставлять размеры", base_.showDim);
  showBorder_ = check("Показывать кромку", base_.showBorder);
  showScraps_ = check("Подписывать остатки", base_.showScrapsText);
  showHints_ = check("Всплывающие подсказки", base_.showHints);
  auto* colours = new QPushButton(QStringLiteral("&Цвета элементов"), page);
  connect(colours, &QPushButton::clicked, this, [this] {
    ColoursDialog d(colours_, this);
    if (d.exec() == QDialog::Accepted) colours_ = d.colours();
  });
  v->addWidget(colours);
  auto* mill = new QGroupBox(QStringLiteral("Рисовать резы"), page);
  auto* mv = new QHBoxLayout(mill);
  const char* millNames[3] = {"Никогда", "Всегда", "Последний лист"};
  for (int i = 0; i < 3; ++i) {
    millState_[i] = new QRadioButton(QString::fromUtf8(millNames[i]), mill);
    mv->addWidget(millState_[i]);
  }
  millState_[std::clamp(base_.millState, 0, 2)]->setChecked(true);
  v->addWidget(mill);
  auto* font = new QGroupBox(QStringLiteral("Шрифт"), page);
  auto* fh = new QHBoxLayout(font);
  fontPicker_ = new common::MapFontPicker({base_.fontName, base_.fontColor, base_.fontSize, base_.fontCharset,
                                           base_.fontBold, base_.fontItalic, base_.fontUnderline, base_.fontStrikeOut},
                                          font);
  fh->addWidget(fontPicker_);
  v->addWidget(font);
  v->addStretch();
  return page;
}

QWidget* DefaultParamsDialog::buildTechnology() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  auto* top = new QFormLayout;
  mill_ = new QDoubleSpinBox(page);
  mill_->setRange(0, 1000);
  mill_->setDecimals(1);
  mill_->setValue(base_.mill);
  top->addRow(QStringLiteral("Толщина фрезы, мм"), mill_);
  v->addLayout(top);
  auto* indents = new QGroupBox(QStringLiteral("Отступ от края листа"), page);
  auto* ig = new QFormLayout(indents);
  lIndent_ = spin(indents, 0, 100000, base_.lIndent);
  rIndent_ = spin(indents, 0, 100000, base_.rIndent);
  tIndent_ = spin(indents, 0, 100000, base_.tIndent);
  bIndent_ = spin(indents, 0, 100000, base_.bIndent);
  ig->addRow(QStringLiteral("слева"), lIndent_);
  ig->addRow(QStringLiteral("справа"), rIndent_);
  ig->addRow(QStringLiteral("сверху"), tIndent_);
  ig->addRow(QStringLiteral("снизу"), bIndent_);
  v->addWidget(indents);
  auto* limits = new QGroupBox(QStringLiteral("Ограничения"), page);
  auto* lg = new QGridLayout(limits);
  const char* tNames[3] = {"Без ограничений", "Максимальная длина пропила", "Многопильный станок"};
  for (int i = 0; i < 3; ++i) {
    technics_[i] = new QRadioButton(QString::fromUtf8(tNames[i]), limits);
    lg->addWidget(technics_[i], i, 0);
  }
  propilLen_ = new QLineEdit(QString::fromStdString(base_.propilLen), limits);
  lg->addWidget(propilLen_, 1, 1);
  technics_[std::clamp(base_.technics, 0, 2)]->setChecked(true);
  propilLen_->setEnabled(technics_[1]->isChecked());
  connect(technics_[1], &QRadioButton::toggled, propilLen_, &QLineEdit::setEnabled);
  v->addWidget(limits);
  auto* opt = new QGroupBox(QStringLiteral("Дополнительная оптимизация"), page);
  auto* ov = new QVBoxLayout(opt);
  const char* oNames[3] = {"по максимальной площади отхода", "по максимальной длине отхода",
                           "по минимальной длине резов"};
  for (int i = 0; i < 3; ++i) {
    optimization_[i] = new QRadioButton(QString::fromUtf8(oNames[i]), opt);
    ov->addWidget(optimization_[i]);
  }
  optimization_[(base_.optimization >= 0 && base_.optimization <= 2) ? base_.optimization : 0]->setChecked(true);
  v->addWidget(opt);
  // The improved search for materials whose options do not choose a way of
  // their own ("Способ перебора" of "Параметры разложения").
  auto* improved = new QGroupBox(QStringLiteral("Улучшенный перебор"), page);
  auto* imf = new QFormLayout(improved);
  improved_ = new QCheckBox(QStringLiteral("Для материалов без своего способа перебора"), improved);
  improved_->setChecked(base_.improved.on);
  effort_ = spin(improved, 1, 10, std::clamp(base_.improved.effort, 1, 10));
  effort_->setToolTip(QStringLiteral("Усилие улучшенного перебора: 1 быстрее, 10 тщательнее"));
  imf->addRow(improved_);
  imf->addRow(QStringLiteral("Усилие"), effort_);
  v->addWidget(improved);
  v->addStretch();
  return page;
}

DefaultParams DefaultParamsDialog::params() const {
  DefaultParams p = base_;
  p.lenDigits = lenDigits_->value();
  p.sqrDigits = sqrDigits_->value();
  p.printDetalBorders = printBorders_->isChecked();
  p.printDetalSort = printSort_->isChecked();
  p.defMaterial = material_->currentIndex() >= 0 ? material_->currentData().toInt() : 0;
  p.lBorder = edgeButtons_.code(0);
  p.rBorder = edgeButtons_.code(1);
  p.tBorder = edgeButtons_.code(2);
  p.bBorder = edgeButtons_.code(3);
  p.defBorder = edgeList_->currentIndex() >= 0 ? edgeList_->currentData().toInt() : 0;
  for (int i = 0; i < 3; ++i)
    if (rotate_[i]->isChecked()) p.rotate = i;
  p.showName = showName_->isChecked();
  p.showDim = showDim_->isChecked();
  p.showBorder = showBorder_->isChecked();
  p.showScrapsText = showScraps_->isChecked();
  p.showHints = showHints_->isChecked();
  p.sheetColor = colours_.sheet;
  p.detalColor = colours_.detal;
  p.lostColor = colours_.lost;
  p.scrapColor = colours_.scrap;
  p.millColor = colours_.mill;
  for (int i = 0; i < 3; ++i)
    if (millState_[i]->isChecked()) p.millState = i;
  const common::FontKeys& f = fontPicker_->mapFont();
  p.fontName = f.name;
  p.fontBold = f.bold;
  p.fontItalic = f.italic;
  p.fontUnderline = f.underline;
  p.fontStrikeOut = f.strikeOut;
  p.fontSize = f.size;
  p.fontColor = f.colour;
  p.fontCharset = f.charset;
  p.mill = roundKerf(mill_->value());
  p.lIndent = lIndent_->value();
  p.rIndent = rIndent_->value();
  p.tIndent = tIndent_->value();
  p.bIndent = bIndent_->value();
  for (int i = 0; i < 3; ++i) {
    if (technics_[i]->isChecked()) p.technics = i;
    if (optimization_[i]->isChecked()) p.optimization = i;
  }
  p.propilLen = propilLen_->text().toStdString();
  p.improved = {improved_->isChecked(), effort_->value()};
  return p;
}

bool editDefaultParams(ini::IniFile& settings, bool cuttingOnly, QWidget* parent) {
  QList<MaterialChoice> materials;
  QList<EdgeChoice> edges;
  if (const catalogues::Catalogues* c = catalogues::Catalogues::instance()) {
    const catalogues::MaterialList list = c->materialList(false);
    for (int i = 0; i < list.size(); ++i) materials.append({list.codeAt(i), list.names[i]});
    const catalogues::EdgeList& e = c->edgeList();
    for (int i = 0; i < e.size(); ++i) edges.append({e.codes[i].toInt(), e.names[i]});
  }
  DefaultParamsDialog d(readDefaultParams(settings), materials, edges, cuttingOnly, parent);
  if (d.exec() != QDialog::Accepted) return false;
  try {
    writeDefaultParams(settings, d.params());
  } catch (const std::exception& e) {
    common::showError(QStringLiteral("Параметры не записаны:\r%1").arg(QString::fromUtf8(e.what())), parent);
    return false;
  }
  return true;
}

}  // namespace kroyna::run
