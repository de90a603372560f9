#include "models/ui/ModelsWindow.h"

#include "catalogues/Catalogues.h"
#include "common/AppContext.h"
#include "common/Messages.h"
#include "common/PageMargins.h"
#include "common/ui/MainFrame.h"
#include "common/ui/WaitWindow.h"
#include "common/ui/WindowPlacement.h"
#include "models/ModelsListModel.h"
#include "models/ui/ModelDialogs.h"
#include "platform/ini/IniFile.h"
#include "platform/report/PreparedReport.h"
#include "platform/report/ui/PreviewWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPrinter>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace kroyna::models {

namespace {

constexpr const char* kLayoutSection = "ModelsBase";

}  // namespace

ModelsWindow::ModelsWindow(const QString& dataRoot, ini::IniFile& settings, QWidget* parent)
    : QWidget(parent), dataRoot_(dataRoot), settings_(settings) {
  setObjectName(QStringLiteral("TfrmModelsBase"));
  setWindowTitle(QStringLiteral("База моделей"));
  base_ = new ModelsBase(ModelsPaths{dataRoot}, this);
  ModelsUi& ui = base_->ui();
  ui.askSectionName = [this](const QString& initial) { return SectionNameDialog::ask(this, initial); };
  ui.askModelProperties = [this](const QStringList& sections, const ModelProperties& initial) {
    return ModelPropertiesDialog::ask(this, sections, initial);
  };
  ui.chooseExportFile = [this](const QString& name) { return chooseExportFile(name); };
  ui.materialName = [](int code) {
    catalogues::Catalogues* c = catalogues::Catalogues::instance();
    return c ? c->materialName(code) : QString();
  };
  ui.waiting = [](bool shown) {
    if (shown)
      common::WaitWindow::instance().showCentered();
    else
      common::WaitWindow::instance().hide();
  };

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  buildToolBar();
  layout->addWidget(toolBar_);

  splitter_ = new QSplitter(Qt::Horizontal, this);
  auto* barBox = new QWidget(splitter_);
  auto* v = new QVBoxLayout(barBox);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(2);
  auto* barTitle = new QLabel(QStringLiteral("Разделы"), barBox);
  barTitle->setAlignment(Qt::AlignCenter);
  barTitle->setFrameStyle(QFrame::Panel | QFrame::Raised);
  barTitle->setMinimumHeight(22);
  bar_ = new QListWidget(barBox);
  bar_->setObjectName(QStringLiteral("sectionBar"));
  v->addWidget(barTitle);
  v->addWidget(bar_, 1);
  splitter_->addWidget(barBox);

  list_ = new QTreeView(splitter_);
  list_->setObjectName(QStringLiteral("modelList"));
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  model_ = new ModelsListModel(*base_, this);
  list_->setModel(model_);
  list_->installEventFilter(this);
  // The columns keep the widths the user gave them.
  list_->header()->setStretchLastSection(false);
  for (int c = 0; c < ModelsListModel::ColumnCount; ++c) list_->setColumnWidth(c, 65);
  splitter_->addWidget(list_);
  splitter_->setStretchFactor(1, 1);
  layout->addWidget(splitter_, 1);

  connect(bar_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!filling_ && row >= 0 && row != base_->currentEntry()) base_->showEntry(row);
  });
  connect(bar_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { base_->showEntry(bar_->row(item)); });
  connect(base_, &ModelsBase::entriesReset, this, &ModelsWindow::fillBar);
  connect(base_, &ModelsBase::currentRowChanged, this, [this](int row) {
    if (row >= 0 && list_->currentIndex().row() != row)
      list_->setCurrentIndex(model_->index(row, ModelsListModel::ColName));
    updateActions();
  });
  connect(base_, &ModelsBase::rowsReset, this, &ModelsWindow::updateActions);
  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { base_->setCurrentRow(current.isValid() ? current.row() : -1); });
  connect(list_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) { editCount(index.row()); });
  updateActions();
  resize(620, 420);
}

ModelsWindow::~ModelsWindow() {
  base_->blockSignals(true);
  list_->setModel(nullptr);
}

bool ModelsWindow::open() { return base_->open(); }

QAction* ModelsWindow::command(const QString& name) const { return findChild<QAction*>(name); }

void ModelsWindow::buildToolBar() {
  toolBar_ = new QToolBar(this);
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  toolBar_->setIconSize(QSize(16, 16));
  QStyle* s = style();
  auto action = [this](const QString& text, const char* name, const QString& hint = {}) {
    auto* a = new QAction(text, this);
    a->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) {
      a->setToolTip(hint);
      a->setStatusTip(hint);
    }
    return a;
  };
  // A toolbar button that opens a menu of commands.
  auto menuButton = [&](const QString& text, const char* name, QStyle::StandardPixmap icon,
                        const QList<QAction*>& actions) {
    auto* button = new QToolButton(toolBar_);
    button->setText(text);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(s->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    menu->addActions(actions);
    button->setMenu(menu);
    toolBar_->addWidget(button);
  };

  QAction* build = action(QStringLiteral("&Создать"), "actBuild", QStringLiteral("Создать базу деталей"));
  build->setIcon(s->standardIcon(QStyle::SP_FileIcon));
  connect(build, &QAction::triggered, base_, &ModelsBase::buildPartsBase);
  toolBar_->addAction(build);
  toolBar_->addSeparator();

  QAction* clear = action(QStringLiteral("Разотметить"), "actClear");
  connect(clear, &QAction::triggered, base_, &ModelsBase::clearEntry);
  QAction* clearAll = action(QStringLiteral("Разотметить все"), "actClearAll");
  connect(clearAll, &QAction::triggered, base_, &ModelsBase::clearAll);
  menuButton(QStringLiteral("&Выделение"), "btnSelection", QStyle::SP_DialogResetButton, {clear, clearAll});

  QAction* count = action(QStringLiteral("&Кол-во"), "actCount", QStringLiteral("Количество элементов"));
  count->setIcon(s->standardIcon(QStyle::SP_FileDialogListView));
  connect(count, &QAction::triggered, this, [this] { editCount(base_->currentRow()); });
  toolBar_->addAction(count);
  toolBar_->addSeparator();

  QAction* exportIni = action(QStringLiteral("Экспорт в INI - файл"), "actExport");
  connect(exportIni, &QAction::triggered, base_, &ModelsBase::exportModel);
  menuButton(QStringLiteral("&Экспорт"), "btnExport", QStyle::SP_DialogSaveButton, {exportIni});

  QAction* print = action(QStringLiteral("Печать списка выбранных моделей"), "actPrint");
  connect(print, &QAction::triggered, this, &ModelsWindow::printSelected);
  menuButton(QStringLiteral("&Печать"), "btnPrint", QStyle::SP_FileDialogDetailedView, {print});
  toolBar_->addSeparator();

  QAction* addSection = action(QStringLiteral("Добавить новый раздел"), "actAddSection");
  connect(addSection, &QAction::triggered, base_, &ModelsBase::addSection);
  QAction* renameSection = action(QStringLiteral("Изменить название раздела"), "actRenameSection");
  connect(renameSection, &QAction::triggered, base_, &ModelsBase::renameSection);
  QAction* deleteSection = action(QStringLiteral("Удалить раздел"), "actDeleteSection");
  connect(deleteSection, &QAction::triggered, base_, &ModelsBase::deleteSection);
  menuButton(QStringLiteral("&Разделы"), "btnSections", QStyle::SP_DirIcon, {addSection, renameSection, deleteSection});

  QAction* properties = action(QStringLiteral("Изменить свойства модели"), "actModelProperties");
  connect(properties, &QAction::triggered, base_, &ModelsBase::editModel);
  QAction* openParts = action(QStringLiteral("Открыть базу деталей"), "actOpenParts");
  connect(openParts, &QAction::triggered, base_, &ModelsBase::openModelParts);
  QAction* deleteModel = action(QStringLiteral("Удалить модель"), "actDeleteModel");
  connect(deleteModel, &QAction::triggered, base_, &ModelsBase::deleteModel);
  menuButton(QStringLiteral("&Модель"), "btnModel", QStyle::SP_FileDialogContentsView,
             {properties, openParts, deleteModel});
}

void ModelsWindow::fillBar() {
  filling_ = true;
  bar_->clear();
  bar_->addItems(base_->entryNames());
  bar_->setCurrentRow(base_->currentEntry());
  filling_ = false;
  updateActions();
}

void ModelsWindow::updateActions() {
  const bool row = base_->hasCurrentModel();
  const bool section = base_->isRealSection(base_->currentEntry());
  for (const char* name : {"actCount", "actExport", "actModelProperties", "actOpenParts", "actDeleteModel"})
    if (QAction* a = command(QString::fromLatin1(name))) a->setEnabled(row);
  for (const char* name : {"actRenameSection", "actDeleteSection"})
    if (QAction* a = command(QString::fromLatin1(name))) a->setEnabled(section);
}

void ModelsWindow::editCount(int row) {
  if (row < 0 || row >= base_->rowCount()) return;
  // Just below the top of the row.
  const QRect rect = list_->visualRect(model_->index(row, ModelsListModel::ColName));
  const QPoint at = list_->viewport()->mapToGlobal(QPoint(rect.left() + 16, rect.top() + rect.height() / 2));
  if (const std::optional<std::int32_t> count = CountPopup::ask(this, at, base_->rowModel(row).count))
    base_->setCount(row, *count);
}

bool ModelsWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      editCount(base_->currentRow());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

QString ModelsWindow::chooseExportFile(const QString& modelName) {
  QString suggested = modelName;
  suggested.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("_"));
  QFileDialog dialog(this, QStringLiteral("Экспорт карт раскроя в INI - файл"),
                     dataRoot_ + QStringLiteral("/Export/") + suggested + QStringLiteral(".ini"),
                     QStringLiteral("INI - файлы (*.ini);;Все файлы (*.*)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("ini"));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  QDir().mkpath(dataRoot_ + QStringLiteral("/Export"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

void ModelsWindow::printSelected() {
  const common::PageMargins m = common::readPageMargins(settings_);
  bool landscape = false;
  if (auto* ctx = common::AppContext::current(); ctx && ctx->mainWindow())
    landscape = ctx->mainWindow()->printer().pageLayout().orientation() == QPageLayout::Landscape;
  try {
    report::PreparedReport prepared = base_->prepareSelectedList(m.left, m.top, m.right, m.bottom, landscape);
    report::PreviewWindow preview(std::move(prepared), report::PreviewExport::All, this);
    preview.exec();
  } catch (const std::exception& e) {
    common::showError(QString::fromUtf8(e.what()), this);
  }
}

void ModelsWindow::restoreLayout() {
  const int barWidth = std::max(20, settings_.readInt(kLayoutSection, "OutLook_Width", 105));
  QList<int> sizes = splitter_->sizes();
  if (sizes.size() == 2) {
    const int total = std::max(sizes[0] + sizes[1], barWidth + 100);
    splitter_->setSizes({barWidth, total - barWidth});
  }
  for (int c = 0; c < ModelsListModel::ColumnCount; ++c) {
    const int w = settings_.readInt(kLayoutSection, "lvw_Width" + std::to_string(c), 65);
    if (w > 0) list_->setColumnWidth(c, w);
  }
}

void ModelsWindow::saveLayout() {
  try {
    settings_.batch([&] {
      const QList<int> sizes = splitter_->sizes();
      if (!sizes.isEmpty() && sizes[0] > 0) settings_.writeInt(kLayoutSection, "OutLook_Width", sizes[0]);
      for (int c = 0; c < ModelsListModel::ColumnCount; ++c)
        settings_.writeInt(kLayoutSection, "lvw_Width" + std::to_string(c), list_->columnWidth(c));
    });
  } catch (const std::exception&) {
    // The layout is a convenience; a settings file that cannot be written
    // must not keep the window from closing.
  }
}

void ModelsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!layoutRestored_) {
    layoutRestored_ = true;
    restoreLayout();
  }
}

void ModelsWindow::closeEvent(QCloseEvent* event) {
  if (layoutRestored_) saveLayout();
  event->accept();
}

}  // namespace kroyna::models
