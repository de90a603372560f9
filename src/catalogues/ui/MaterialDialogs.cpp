#include "catalogues/ui/CatalogueWindows.h"

#include "common/Messages.h"
#include "platform/ini/IniFile.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace kroyna::catalogues {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSelMatSection = "SelMatDlg";

void restorePlacement(QWidget& w, const ini::IniFile& ini, const char* section) {
  const QByteArray g = QByteArray::fromBase64(QByteArray::fromStdString(ini.readString(section, "Geometry")));
  if (!g.isEmpty()) w.restoreGeometry(g);
}

// "&Да" and "&Отмена" buttons.
QDialogButtonBox* okCancel(QDialog* dialog, const QString& okText = QStringLiteral("&Да")) {
  auto* box = new QDialogButtonBox(dialog);
  QPushButton* ok = box->addButton(okText, QDialogButtonBox::AcceptRole);
  box->addButton(QStringLiteral("&Отмена"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return box;
}

}  // namespace

// ---- Material choice dialog ----

SelectMaterialDialog::SelectMaterialDialog(const MaterialList& materials, int code, ini::IniFile& settings,
                                           QWidget* parent)
    : QDialog(parent), materials_(materials), settings_(settings) {
  setWindowTitle(QStringLiteral("Выбор материала"));
  list_ = new QListWidget(this);
  list_->setFlow(QListView::TopToBottom);
  list_->setWrapping(true);
  list_->setResizeMode(QListView::Adjust);
  list_->setUniformItemSizes(true);
  list_->addItems(materials_.names);
  const int selected = materials_.indexOfCode(code);
  if (selected >= 0) list_->setCurrentRow(selected);

  auto* label = new QLabel(QStringLiteral("Столбцов: "), this);
  columns_ = new QSpinBox(this);
  columns_->setMinimum(1);
  columns_->setMaximum(20);
  // Changed with the arrows only.
  if (auto* edit = columns_->findChild<QLineEdit*>()) edit->setReadOnly(true);
  columns_->setValue(qMax(1, settings_.readInt(kSelMatSection, "Columns", 1)));
  label->setBuddy(columns_);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(label);
  bottom->addWidget(columns_);
  bottom->addStretch();
  bottom->addWidget(okCancel(this));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(bottom);
  resize(420, 360);
  restorePlacement(*this, settings_, kSelMatSection);

  connect(columns_, &QSpinBox::valueChanged, this, [this] { applyColumns(); });
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  applyColumns();
}

SelectMaterialDialog::~SelectMaterialDialog() {
  try {
    settings_.batch([this] {
      settings_.writeInt(kSelMatSection, "Columns", columns_->value());
      settings_.writeString(kSelMatSection, "Geometry", saveGeometry().toBase64().toStdString());
    });
  } catch (const std::exception&) {
    // The column count and placement are a convenience only.
  }
}

void SelectMaterialDialog::applyColumns() {
  // Items are one and one fifth of the standard height; with several
  // columns the names run down each column and on into the next.
  const int height = list_->fontMetrics().height() + 2;
  const int itemHeight = height * 6 / 5;
  const int columns = columns_->value();
  const int width = qMax(40, (list_->viewport()->width() - 2) / columns);
  list_->setGridSize(QSize(width, itemHeight));
  for (int i = 0; i < list_->count(); ++i) list_->item(i)->setSizeHint(QSize(width, itemHeight));
}

void SelectMaterialDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  applyColumns();
}

int SelectMaterialDialog::chosenCode() const {
  const int row = list_->currentRow();
  if (row < 0 || !list_->currentItem() || !list_->currentItem()->isSelected()) return -1;
  return materials_.codeAt(row);
}

int selectMaterialDialog(int code, QWidget* parent) {
  Catalogues* catalogues = Catalogues::instance();
  if (!catalogues) return -1;
  SelectMaterialDialog dialog(catalogues->materialList(false), code, catalogues->settings(), parent);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return dialog.chosenCode();
}

// ---- Material replace dialog ----

ReplaceMaterialDialog::ReplaceMaterialDialog(const QString& currentText, const MaterialList& materials, int initialCode,
                                             QWidget* parent)
    : QDialog(parent), materials_(materials) {
  setWindowTitle(QStringLiteral("Выбор материала"));
  auto* caption = new QLabel(QStringLiteral("Текущий материал:"), this);
  auto* current = new QLabel(currentText, this);
  QFont bold = current->font();
  bold.setBold(true);
  current->setFont(bold);
  current->setStyleSheet(QStringLiteral("color: navy;"));
  list_ = new QListWidget(this);
  list_->addItems(materials_.names);

  auto* box = new QDialogButtonBox(this);
  replace_ = box->addButton(QStringLiteral("&Заменить"), QDialogButtonBox::AcceptRole);
  box->addButton(QStringLiteral("&Отмена"), QDialogButtonBox::RejectRole);
  replace_->setDefault(true);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* top = new QHBoxLayout;
  top->addWidget(caption);
  top->addWidget(current, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(list_);
  layout->addWidget(box);
  resize(360, 380);

  const auto update = [this] { replace_->setEnabled(list_->currentItem() && list_->currentItem()->isSelected()); };
  connect(list_, &QListWidget::itemSelectionChanged, this, update);
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
    if (replace_->isEnabled()) accept();
  });
  const int selected = materials_.indexOfCode(initialCode);
  if (selected >= 0) list_->setCurrentRow(selected);
  update();
}

int ReplaceMaterialDialog::chosenCode() const {
  const int row = list_->currentRow();
  return row < 0 ? -1 : materials_.codeAt(row);
}

std::optional<int> replaceMaterialDialog(const QString& currentText, int initialCode, QWidget* parent) {
  Catalogues* catalogues = Catalogues::instance();
  if (!catalogues) return std::nullopt;
  MaterialList materials;
  try {
    materials = readMaterialList(fs::path(catalogues->materialsTablePath().toStdString()));
  } catch (const std::exception&) {
    common::showError(QStringLiteral("Ошибка открытия базы материалов."), parent);
  }
  ReplaceMaterialDialog dialog(currentText, materials, initialCode, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const int code = dialog.chosenCode();
  if (code < 0) return std::nullopt;
  return code;
}

// ---- Material search dialog ----

FindMaterialDialog::FindMaterialDialog(const QList<MaterialBarEntry>& entries, int selected, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Поиск материала"));
  auto* label = new QLabel(QStringLiteral("Название материала"), this);
  text_ = new QLineEdit(this);
  label->setBuddy(text_);
  list_ = new QListWidget(this);
  for (const MaterialBarEntry& e : entries) {
    auto* item = new QListWidgetItem(e.name, list_);
    item->setData(Qt::UserRole, e.code);
  }
  if (selected >= 0 && selected < list_->count()) list_->setCurrentRow(selected);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(text_);
  layout->addWidget(list_);
  layout->addWidget(okCancel(this));
  resize(320, 380);

  connect(text_, &QLineEdit::textChanged, this, [this](const QString& text) {
    QStringList names;
    for (int i = 0; i < list_->count(); ++i) names << list_->item(i)->text();
    const int found = findMaterialMatch(names, text);
    if (found >= 0) list_->setCurrentRow(found);
  });
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  text_->installEventFilter(this);
  list_->installEventFilter(this);
  text_->setFocus();
}

bool FindMaterialDialog::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == text_ || watched == list_) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      accept();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

int FindMaterialDialog::chosenIndex() const { return list_->currentRow(); }

int findMaterialDialog(const QList<MaterialBarEntry>& entries, int selected, QWidget* parent) {
  FindMaterialDialog dialog(entries, selected, parent);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return dialog.chosenIndex();
}

// ---- Catalogue switch dialog ----

CatalogueSwitchDialog::CatalogueSwitchDialog(ini::IniFile& settings, const QString& companionFolder, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  const SwitchSettings loaded = loadSwitchSettings(settings, companionFolder);
  setWindowTitle(QStringLiteral("Базы материалов и кромок"));

  auto* group = new QGroupBox(QStringLiteral("Использовать базы"), this);
  local_ = new QRadioButton(QStringLiteral("локальные"), group);
  external_ = new QRadioButton(QStringLiteral("внешние"), group);
  path_ = new QLineEdit(group);
  path_->setReadOnly(true);  // chosen with the folder browser only
  browse_ = new QToolButton(group);
  browse_->setText(QStringLiteral("..."));
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(path_, 1);
  pathRow->addWidget(browse_);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(local_);
  groupLayout->addWidget(external_);
  groupLayout->addLayout(pathRow);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(okCancel(this));
  resize(440, 180);

  (loaded.external ? external_ : local_)->setChecked(true);
  path_->setText(loaded.path);
  picker_ = [](const QString& start, QWidget* parent) {
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Выберите папку c внешними базами"), start);
  };
  connect(external_, &QRadioButton::toggled, this, [this] { updateEnabled(); });
  connect(browse_, &QToolButton::clicked, this, &CatalogueSwitchDialog::browse);
  updateEnabled();
}

void CatalogueSwitchDialog::updateEnabled() {
  path_->setEnabled(external_->isChecked());
  browse_->setEnabled(external_->isChecked());
}

void CatalogueSwitchDialog::browse() {
  QString start = path_->text().trimmed();
  for (;;) {
    const QString chosen = picker_(start, this);
    if (chosen.isEmpty()) return;
    if (folderHoldsCatalogues(chosen)) {
      path_->setText(chosen);
      return;
    }
    common::showError(QString::fromUtf8(kMsgNotFound), this);
    start = chosen;
  }
}

void CatalogueSwitchDialog::accept() {
  const SwitchSettings chosen{external_->isChecked(), path_->text()};
  if (const auto error = acceptSwitchSettings(settings_, chosen)) {
    common::showError(*error, this);
    return;
  }
  QDialog::accept();
}

void runCatalogueSwitch(Catalogues& catalogues, QWidget* parent) {
  std::unique_ptr<CatalogueSwitchDialog> dialog;
  try {
    dialog = std::make_unique<CatalogueSwitchDialog>(catalogues.settings(), companionProgramFolder(), parent);
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), parent);
    return;
  }
  if (dialog->exec() != QDialog::Accepted) return;
  dialog.reset();
  catalogues.ApplyCatalogueMode();
  catalogues.refreshMaterialLists();
  catalogues.ReloadEdgeList();
  emit catalogues.edgesChanged();
}

}  // namespace kroyna::catalogues
