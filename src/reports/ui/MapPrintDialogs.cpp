#include "reports/ui/MapPrintDialogs.h"

#include "common/Messages.h"
#include "common/SettingsUtils.h"
#include "platform/text/Literals.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <exception>

namespace kroyna::reports {

namespace {

using text::u;

const QSize kSampleSize(64, 14);

QIcon brushSample(std::int32_t colour, int style) {
  QPixmap pix(kSampleSize);
  pix.fill(Qt::white);
  QPainter p(&pix);
  p.setPen(Qt::black);
  common::BrushKeys b{brushSampleColour(colour, style), style};
  p.setBrush(common::toQBrush(b));
  p.drawRect(QRect(QPoint(0, 0), kSampleSize - QSize(1, 1)));
  return QIcon(pix);
}

QIcon penSample(std::int32_t colour, int style) {
  QPixmap pix(kSampleSize);
  pix.fill(Qt::white);
  QPainter p(&pix);
  QPen pen = common::toQPen(common::PenKeys{colour, style, 2});
  if (style == 5) pen.setStyle(Qt::NoPen);
  p.setPen(pen);
  p.drawLine(2, kSampleSize.height() / 2, kSampleSize.width() - 3, kSampleSize.height() / 2);
  return QIcon(pix);
}

void setColourButton(QPushButton* button, std::int32_t colour) {
  QPixmap pix(24, 12);
  pix.fill(common::toQColor(colour));
  button->setIcon(QIcon(pix));
  button->setIconSize(pix.size());
}

// Turns a numbered choice into the combo's index, values out of range as 0.
void selectIndex(QComboBox* box, int index) { box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0); }

void showFontSample(QLabel* sample, const common::FontKeys& f) {
  QFont font = common::toQFont(f);
  sample->setFont(font);
  QPalette pal = sample->palette();
  pal.setColor(QPalette::WindowText, common::toQColor(f.colour));
  sample->setPalette(pal);
  sample->setText(u("AaZzДдЯя"));
}

}  // namespace

MapPrintChoosers& mapPrintChoosers() {
  static MapPrintChoosers choosers{
      [](const common::FontKeys& current, QWidget* parent) -> std::optional<common::FontKeys> {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, common::toQFont(current), parent, u("Шрифт"));
        if (!ok) return std::nullopt;
        return common::fromQFont(f, current.colour, current.charset);
      },
      [](std::int32_t current, QWidget* parent) -> std::optional<std::int32_t> {
        const QColor c = QColorDialog::getColor(common::toQColor(current), parent, u("Цвет"));
        if (!c.isValid()) return std::nullopt;
        return common::fromQColor(c);
      }};
  return choosers;
}

// ---- "Дополнительные параметры печати" ------------------------------------

AdvancedPrintSetupDialog::AdvancedPrintSetupDialog(ini::IniFile& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), styles_(readMapDrawStyles(settings)) {
  setWindowTitle(u("Дополнительные параметры печати"));
  loading_ = true;
  pageList_ = new QListWidget(this);
  pageList_->setObjectName(QStringLiteral("pages"));
  for (const char* name : {"Детали", "Резы", "Остатки", "Отходы"}) pageList_->addItem(u(name));
  pageList_->setFixedWidth(110);
  stack_ = new QStackedWidget(this);
  stack_->addWidget(buildElementPage(PartsPage, styles_.parts, "Рисовать детали", "Подписать название детали",
                                     "Подписать размер детали"));
  stack_->addWidget(buildCutsPage());
  stack_->addWidget(buildElementPage(OffcutsPage, styles_.offcuts, "Рисовать остатки", "Подписать название остатка",
                                     "Подписать размер остатка"));
  stack_->addWidget(buildElementPage(WastePage, styles_.waste, "Рисовать отходы", "Подписать название отхода",
                                     "Подписать размер отхода"));
  connect(pageList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0) return;
    stack_->setCurrentIndex(row);
    styles_.currentPage = row;
  });
  pageList_->setCurrentRow(styles_.currentPage);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* yes = buttons->addButton(u("&Да"), QDialogButtonBox::AcceptRole);
  yes->setObjectName(QStringLiteral("yes"));
  yes->setDefault(true);
  buttons->addButton(u("&Отмена"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* body = new QHBoxLayout;
  body->addWidget(pageList_);
  body->addWidget(stack_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addWidget(buttons);
  loading_ = false;
  refreshSamples();
  applyStates();
}

QWidget* AdvancedPrintSetupDialog::buildElementPage(AdvancedPage p, ElementStyle& style, const char* draw,
                                                    const char* title, const char* dim) {
  PageControls& c = controls_[p];
  auto* page = new QWidget(this);
  c.draw = new QCheckBox(u(draw), page);
  c.draw->setChecked(style.draw);

  auto* fill = new QGroupBox(u("Заливка"), page);
  c.fillColour = new QPushButton(u("Цвет заливки"), fill);
  c.fillStyle = new QComboBox(fill);
  c.fillStyle->setIconSize(kSampleSize);
  for (int i = 0; i < kBrushStyleCount; ++i) c.fillStyle->addItem(QString());
  auto* fillLabel = new QLabel(u("Стиль заливки"), fill);
  auto* fillLayout = new QGridLayout(fill);
  fillLayout->addWidget(c.fillColour, 0, 0, 1, 2);
  fillLayout->addWidget(fillLabel, 1, 0);
  fillLayout->addWidget(c.fillStyle, 1, 1);

  auto* border = new QGroupBox(u("Граница"), page);
  c.lineColour = new QPushButton(u("Цвет границы"), border);
  c.lineStyle = new QComboBox(border);
  c.lineStyle->setIconSize(kSampleSize);
  for (const char* name : kPenStyleNames) c.lineStyle->addItem(u(name));
  auto* borderLabel = new QLabel(u("Стиль границы"), border);
  auto* borderLayout = new QGridLayout(border);
  borderLayout->addWidget(c.lineColour, 0, 0, 1, 2);
  borderLayout->addWidget(borderLabel, 1, 0);
  borderLayout->addWidget(c.lineStyle, 1, 1);

  auto* labels = new QGroupBox(u("Надписи"), page);
  c.font = new QPushButton(u("&Шрифт"), labels);
  c.fontSample = new QLabel(labels);
  c.title = new QCheckBox(u(title), labels);
  c.dim = new QCheckBox(u(dim), labels);
  c.truncText = new QCheckBox(u("Обрезать текст"), labels);
  c.title->setChecked(style.title);
  c.dim->setChecked(style.dim);
  c.truncText->setChecked(style.truncText);
  auto* labelsLayout = new QGridLayout(labels);
  labelsLayout->addWidget(c.font, 0, 0);
  labelsLayout->addWidget(c.fontSample, 0, 1);
  labelsLayout->addWidget(c.title, 1, 0, 1, 2);
  labelsLayout->addWidget(c.dim, 2, 0, 1, 2);
  labelsLayout->addWidget(c.truncText, 3, 0, 1, 2);
  c.others = {fill, fillLabel, border, borderLabel, labels};

  selectIndex(c.fillStyle, style.brush.style);
  selectIndex(c.lineStyle, style.pen.style);

  connect(c.draw, &QCheckBox::toggled, this, [this, &style](bool on) {
    style.draw = on;
    applyStates();
  });
  connect(c.title, &QCheckBox::toggled, this, [this, &style](bool on) {
    style.title = on;
    applyStates();
  });
  connect(c.dim, &QCheckBox::toggled, this, [this, &style](bool on) {
    style.dim = on;
    applyStates();
  });
  connect(c.truncText, &QCheckBox::toggled, this, [&style](bool on) { style.truncText = on; });
  connect(c.fillStyle, &QComboBox::currentIndexChanged, this, [this, &style](int i) {
    if (!loading_ && i >= 0) style.brush.style = i;
  });
  connect(c.lineStyle, &QComboBox::currentIndexChanged, this, [this, &style](int i) {
    if (!loading_ && i >= 0) style.pen.style = i;
  });
  connect(c.fillColour, &QPushButton::clicked, this, [this, &style] {
    if (auto colour = mapPrintChoosers().colour(style.brush.colour, this)) {
      style.brush.colour = *colour;
      refreshSamples();
    }
  });
  connect(c.lineColour, &QPushButton::clicked, this, [this, &style] {
    if (auto colour = mapPrintChoosers().colour(style.pen.colour, this)) {
      style.pen.colour = *colour;
      refreshSamples();
    }
  });
  connect(c.font, &QPushButton::clicked, this, [this, &style] {
    if (auto font = mapPrintChoosers().font(style.font, this)) {
      style.font = *font;
      refreshSamples();
    }
  });

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(c.draw);
  layout->addWidget(fill);
  layout->addWidget(border);
  layout->addWidget(labels);
  layout->addStretch(1);
  return page;
}

QWidget* AdvancedPrintSetupDialog::buildCutsPage() {
  PageControls& c = controls_[CutsPage];
  auto* page = new QWidget(this);
  c.draw = new QCheckBox(u("Рисовать резы"), page);
  c.draw->setChecked(styles_.millDraw);
  c.lineColour = new QPushButton(u("Цвет линий реза"), page);
  auto* styleLabel = new QLabel(u("Стиль линий реза"), page);
  c.lineStyle = new QComboBox(page);
  c.lineStyle->setIconSize(kSampleSize);
  for (const char* name : kPenStyleNames) c.lineStyle->addItem(u(name));
  selectIndex(c.lineStyle, styles_.millPen.style);
  auto* widthLabel = new QLabel(u("Толщина линий реза"), page);
  c.lineWidth = new QSpinBox(page);
  c.lineWidth->setRange(kMinCutWidth, kMaxCutWidth);
  c.lineWidth->setValue(styles_.millPen.width);
  c.others = {styleLabel, widthLabel};

  connect(c.draw, &QCheckBox::toggled, this, [this](bool on) {
    styles_.millDraw = on;
    applyStates();
  });
  connect(c.lineStyle, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!loading_ && i >= 0) styles_.millPen.style = i;
  });
  connect(c.lineWidth, &QSpinBox::valueChanged, this, [this](int v) { styles_.millPen.width = v; });
  connect(c.lineColour, &QPushButton::clicked, this, [this] {
    if (auto colour = mapPrintChoosers().colour(styles_.millPen.colour, this)) {
      styles_.millPen.colour = *colour;
      refreshSamples();
    }
  });

  auto* grid = new QGridLayout;
  grid->addWidget(c.lineColour, 0, 0, 1, 2);
  grid->addWidget(styleLabel, 1, 0);
  grid->addWidget(c.lineStyle, 1, 1);
  grid->addWidget(widthLabel, 2, 0);
  grid->addWidget(c.lineWidth, 2, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(c.draw);
  layout->addLayout(grid);
  layout->addStretch(1);
  return page;
}

void AdvancedPrintSetupDialog::refreshSamples() {
  const bool wasLoading = loading_;
  loading_ = true;
  auto element = [&](AdvancedPage p, const ElementStyle& s) {
    PageControls& c = controls_[p];
    setColourButton(c.fillColour, s.brush.colour);
    setColourButton(c.lineColour, s.pen.colour);
    for (int i = 0; i < kBrushStyleCount; ++i) c.fillStyle->setItemIcon(i, brushSample(s.brush.colour, i));
    for (int i = 0; i < c.lineStyle->count(); ++i) c.lineStyle->setItemIcon(i, penSample(s.pen.colour, i));
    showFontSample(c.fontSample, s.font);
  };
  element(PartsPage, styles_.parts);
  element(OffcutsPage, styles_.offcuts);
  element(WastePage, styles_.waste);
  PageControls& cuts = controls_[CutsPage];
  setColourButton(cuts.lineColour, styles_.millPen.colour);
  for (int i = 0; i < cuts.lineStyle->count(); ++i)
    cuts.lineStyle->setItemIcon(i, penSample(styles_.millPen.colour, i));
  loading_ = wasLoading;
}

void AdvancedPrintSetupDialog::applyStates() {
  if (loading_) return;
  for (int p = PartsPage; p <= WastePage; ++p) {
    const StylePageEnabled e = stylePageEnabled(styles_, static_cast<AdvancedPage>(p));
    PageControls& c = controls_[static_cast<std::size_t>(p)];
    for (QWidget* w : std::initializer_list<QWidget*>{c.fillColour, c.fillStyle, c.lineColour, c.lineStyle, c.lineWidth,
                                                      c.fontSample, c.title, c.dim})
      if (w) w->setEnabled(e.controls);
    for (QWidget* w : c.others) w->setEnabled(e.controls);
    if (c.truncText) c.truncText->setEnabled(e.truncText);
    if (c.font) c.font->setEnabled(e.fontButton);
  }
}

void AdvancedPrintSetupDialog::accept() {
  try {
    writeMapDrawStyles(settings_, styles_);
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
    return;
  }
  QDialog::accept();
}

// ---- "Параметры печати раскроя" --------------------------------------------

std::function<void(ini::IniFile&, QWidget*)>& MapPrintParamsDialog::advancedDialog() {
  static std::function<void(ini::IniFile&, QWidget*)> open = [](ini::IniFile& settings, QWidget* parent) {
    AdvancedPrintSetupDialog dialog(settings, parent);
    dialog.exec();
  };
  return open;
}

MapPrintParamsDialog::MapPrintParamsDialog(const MapTabs& tabs, ini::IniFile& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), model_(tabs, readMapPageParams(settings)) {
  setWindowTitle(u("Параметры печати раскроя"));
  loading_ = true;
  const MapPageParams& p = model_.params;

  // "Карты раскроя"
  auto* maps = new QGroupBox(u("Карты раскроя"), this);
  all_ = new QRadioButton(u("Все"), maps);
  current_ = new QRadioButton(u("Текущая"), maps);
  numbers_ = new QRadioButton(u("Номера"), maps);
  fromLabel_ = new QLabel(u("от"), maps);
  toLabel_ = new QLabel(u("до"), maps);
  from_ = new QLineEdit(QString::fromStdString(model_.fromText), maps);
  to_ = new QLineEdit(QString::fromStdString(model_.toText), maps);
  from_->setMaximumWidth(60);
  to_->setMaximumWidth(60);
  all_->setChecked(true);
  auto* mapsLayout = new QGridLayout(maps);
  mapsLayout->addWidget(all_, 0, 0, 1, 4);
  mapsLayout->addWidget(current_, 1, 0, 1, 4);
  mapsLayout->addWidget(numbers_, 2, 0);
  mapsLayout->addWidget(fromLabel_, 2, 1);
  mapsLayout->addWidget(from_, 2, 2);
  mapsLayout->addWidget(toLabel_, 2, 3);
  mapsLayout->addWidget(to_, 2, 4);

  // "Количество карт раскроя"
  auto* perPage = new QGroupBox(u("Количество карт раскроя"), this);
  auto* perPageGroup = new QButtonGroup(this);
  const char* perPageNames[] = {"по одной на листе", "по две на листе", "другое"};
  auto* perPageLayout = new QGridLayout(perPage);
  for (int i = 0; i < 3; ++i) {
    perPage_[static_cast<std::size_t>(i)] = new QRadioButton(u(perPageNames[i]), perPage);
    perPageGroup->addButton(perPage_[static_cast<std::size_t>(i)], i);
    perPageLayout->addWidget(perPage_[static_cast<std::size_t>(i)], i, 0);
  }
  otherSpin_ = new QSpinBox(perPage);
  otherSpin_->setRange(kMinOtherMaps, kMaxOtherMaps);
  otherSpin_->setValue(p.otherMaps());
  perPageLayout->addWidget(otherSpin_, 2, 1);
  perPage_[static_cast<std::size_t>(std::clamp(p.position, 0, 2))]->setChecked(true);

  // "Статистика"
  auto* stats = new QGroupBox(u("Статистика"), this);
  auto* statsLayout = new QVBoxLayout(stats);
  const char* statNames[] = {"Статистика резов", "Общая статистика остатков", "Статистика остатков",
                             "Статистика отходов", "Статистика деталей"};
  const bool statValues[] = {p.millStat, p.totalWStat, p.usefulWStat, p.uselessWStat, p.detalStat};
  for (int i = 0; i < 5; ++i) {
    stats_[static_cast<std::size_t>(i)] = new QCheckBox(u(statNames[i]), stats);
    stats_[static_cast<std::size_t>(i)]->setChecked(statValues[i]);
    statsLayout->addWidget(stats_[static_cast<std::size_t>(i)]);
  }

  // "Список деталей"
  auto* list = new QGroupBox(u("Список деталей"), this);
  showList_ = new QCheckBox(u("Отображать список деталей"), list);
  listFormat_ = new QComboBox(list);
  listFormat_->addItem(u("Название [Размер] Количество"));
  outline_ = new QCheckBox(u("Добавить контур детали с кромкой"), list);
  black_ = new QCheckBox(u("Черный цвет"), list);
  codes_ = new QCheckBox(u("Подписывать код кромки"), list);
  showList_->setChecked(p.showDetailList);
  selectIndex(listFormat_, p.detailListFormat);
  outline_->setChecked(p.showDetailOutline);
  black_->setChecked(p.showBlackOutline);
  codes_->setChecked(p.showOutlineBorderCodes);
  auto* listLayout = new QGridLayout(list);
  listLayout->addWidget(showList_, 0, 0, 1, 2);
  listLayout->addWidget(listFormat_, 1, 0, 1, 2);
  listLayout->addWidget(outline_, 2, 0, 1, 2);
  listLayout->addWidget(black_, 3, 0);
  listLayout->addWidget(codes_, 3, 1);

  // "Кромки"
  auto* edges = new QGroupBox(u("Кромки"), this);
  showEdges_ = new QCheckBox(u("Отображать список кромок"), edges);
  edgesPositionLabel_ = new QLabel(u("Расположение"), edges);
  edgesPosition_ = new QComboBox(edges);
  edgesPosition_->addItems({u("Под списком деталей"), u("Над списком деталей")});
  edgesFormatLabel_ = new QLabel(u("Формат"), edges);
  edgesFormat_ = new QComboBox(edges);
  edgesFormat_->addItems(
      {u("Название [Код]: Длина"), u("[Код] Название: Длина"), u("Название: Длина"), u("[Код]: Длина")});
  edgesOnMaps_ = new QCheckBox(u("Отображать кромки на карте раскроя"), edges);
  labelCodes_ = new QRadioButton(u("Код"), edges);
  labelNames_ = new QRadioButton(u("Название"), edges);
  auto* labelGroup = new QButtonGroup(this);
  labelGroup->addButton(labelCodes_, EdgeLabelCodes);
  labelGroup->addButton(labelNames_, EdgeLabelNames);
  showEdges_->setChecked(p.showBorderList);
  selectIndex(edgesPosition_, p.borderListPosition);
  selectIndex(edgesFormat_, p.borderListFormat);
  edgesOnMaps_->setChecked(p.showBordersOnMaps);
  (p.bordersOnMapsStyle == EdgeLabelNames ? labelNames_ : labelCodes_)->setChecked(true);
  auto* edgesLayout = new QGridLayout(edges);
  edgesLayout->addWidget(showEdges_, 0, 0, 1, 2);
  edgesLayout->addWidget(edgesPositionLabel_, 1, 0);
  edgesLayout->addWidget(edgesPosition_, 1, 1);
  edgesLayout->addWidget(edgesFormatLabel_, 2, 0);
  edgesLayout->addWidget(edgesFormat_, 2, 1);
  edgesLayout->addWidget(edgesOnMaps_, 3, 0, 1, 2);
  edgesLayout->addWidget(labelCodes_, 4, 0);
  edgesLayout->addWidget(labelNames_, 4, 1);

  // "Шрифт"
  auto* font = new QGroupBox(u("Шрифт"), this);
  fontSample_ = new QLabel(font);
  fontSample_->setFrameShape(QFrame::Panel);
  fontSample_->setFrameShadow(QFrame::Sunken);
  fontSample_->setAlignment(Qt::AlignCenter);
  fontSample_->setMinimumHeight(36);
  fontButton_ = new QPushButton(u("&Изменть шрифт"), font);
  auto* fontLayout = new QHBoxLayout(font);
  fontLayout->addWidget(fontSample_, 1);
  fontLayout->addWidget(fontButton_);
  showFont();

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* print = buttons->addButton(u("&Печать"), QDialogButtonBox::AcceptRole);
  print->setObjectName(QStringLiteral("print"));
  print->setDefault(true);
  buttons->addButton(u("&Отмена"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("cancel"));
  advanced_ = buttons->addButton(u("Д&ополнительно"), QDialogButtonBox::ActionRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(advanced_, &QPushButton::clicked, this, [this] { advancedDialog()(settings_, this); });

  auto* left = new QVBoxLayout;
  left->addWidget(maps);
  left->addWidget(perPage);
  left->addWidget(stats);
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(list);
  right->addWidget(edges);
  right->addWidget(font);
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addWidget(buttons);

  // Every control feeds the model and the enabled states follow.
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
           all_, current_, numbers_, perPage_[0], perPage_[1], perPage_[2], stats_[0], stats_[1], stats_[2], stats_[3],
           stats_[4], showList_, outline_, black_, codes_, showEdges_, edgesOnMaps_, labelCodes_, labelNames_})
    connect(b, &QAbstractButton::toggled, this, [this] { fromControls(); });
  for (QComboBox* box : {listFormat_, edgesPosition_, edgesFormat_})
    connect(box, &QComboBox::currentIndexChanged, this, [this] { fromControls(); });
  connect(otherSpin_, &QSpinBox::valueChanged, this, [this] { fromControls(); });
  connect(from_, &QLineEdit::textChanged, this, [this](const QString& t) { model_.fromText = t.toStdString(); });
  connect(to_, &QLineEdit::textChanged, this, [this](const QString& t) { model_.toText = t.toStdString(); });
  connect(from_, &QLineEdit::editingFinished, this, [this] {
    model_.leaveFrom();
    from_->setText(QString::fromStdString(model_.fromText));
  });
  connect(to_, &QLineEdit::editingFinished, this, [this] {
    model_.leaveTo();
    to_->setText(QString::fromStdString(model_.toText));
  });
  connect(fontButton_, &QPushButton::clicked, this, [this] {
    if (auto f = mapPrintChoosers().font(model_.params.mapFont, this)) {
      model_.params.mapFont = *f;
      showFont();
    }
  });
  loading_ = false;
  fromControls();
}

void MapPrintParamsDialog::fromControls() {
  if (loading_) return;
  MapPageParams& p = model_.params;
  model_.range = numbers_->isChecked() ? MapRange::Numbers : current_->isChecked() ? MapRange::Current : MapRange::All;
  for (int i = 0; i < 3; ++i)
    if (perPage_[static_cast<std::size_t>(i)]->isChecked()) p.position = i;
  p.mapQuantity = otherSpin_->value();
  p.millStat = stats_[0]->isChecked();
  p.totalWStat = stats_[1]->isChecked();
  p.usefulWStat = stats_[2]->isChecked();
  p.uselessWStat = stats_[3]->isChecked();
  p.detalStat = stats_[4]->isChecked();
  p.showDetailList = showList_->isChecked();
  p.detailListFormat = listFormat_->currentIndex();
  p.showDetailOutline = outline_->isChecked();
  p.showBlackOutline = black_->isChecked();
  p.showOutlineBorderCodes = codes_->isChecked();
  p.showBorderList = showEdges_->isChecked();
  p.borderListPosition = edgesPosition_->currentIndex();
  p.borderListFormat = edgesFormat_->currentIndex();
  p.showBordersOnMaps = edgesOnMaps_->isChecked();
  p.bordersOnMapsStyle = labelNames_->isChecked() ? EdgeLabelNames : EdgeLabelCodes;
  applyStates();
}

void MapPrintParamsDialog::applyStates() {
  const bool numbers = model_.numbersEnabled();
  for (QWidget* w : std::initializer_list<QWidget*>{fromLabel_, toLabel_, from_, to_}) w->setEnabled(numbers);
  otherSpin_->setEnabled(model_.otherSpinEnabled());
  listFormat_->setEnabled(model_.listFormatEnabled());
  outline_->setEnabled(model_.listFormatEnabled());
  black_->setEnabled(model_.outlineOptionsEnabled());
  codes_->setEnabled(model_.outlineOptionsEnabled());
  for (QWidget* w :
       std::initializer_list<QWidget*>{edgesPositionLabel_, edgesPosition_, edgesFormatLabel_, edgesFormat_})
    w->setEnabled(model_.edgeListOptionsEnabled());
  labelCodes_->setEnabled(model_.edgeStyleEnabled());
  labelNames_->setEnabled(model_.edgeStyleEnabled());
}

void MapPrintParamsDialog::showFont() { showFontSample(fontSample_, model_.params.mapFont); }

void MapPrintParamsDialog::done(int result) {
  // The fields as last typed count, as if they had been left.
  model_.fromText = from_->text().toStdString();
  model_.toText = to_->text().toStdString();
  if (result == QDialog::Accepted && model_.range == MapRange::Numbers) {
    model_.leaveFrom();
    model_.leaveTo();
  }
  try {
    writeMapPageParams(settings_, model_.params);
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
  }
  QDialog::done(result);
}

}  // namespace kroyna::reports
