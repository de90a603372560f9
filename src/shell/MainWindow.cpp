#include "shell/MainWindow.h"
#include "common/settings/SettingsKeys.h"

#include "common/AppContext.h"
#include "common/AppState.h"
#include "common/DataRoot.h"
#include "common/DocumentPlacement.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "common/ui/PageParamsDialog.h"
#include "common/ui/WindowPlacement.h"
#include "shell/WindowList.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

namespace kroyna::shell {

using namespace common;
namespace {

struct CommandDef {
  const char* id;
  const char* caption;
  const char* shortcut;
  const char* statusTip;
  bool checkable;
};

// Every command of the main window. The menus below refer to them by id.
const CommandDef kCommands[] = {
    {"group.new", "Новая", "Ctrl+N", "Создать новую базу деталей", false},
    {"group.open", "Открыть", "Ctrl+O", "Открыть базу деталей", false},
    {"group.merge", "Слияние", nullptr, "Слияние баз деталей", false},
    {"group.save", "Сохранить", "Ctrl+S", "Сохранить базу деталей", false},
    {"group.saveAs", "Сохранить как ...", "Shift+Ctrl+S", "Сохранить базу деталей под другим именем", false},
    {"group.replaceMaterial", "Заменить материал", nullptr, "Заменить материал деталей базы", false},
    {"group.importTab", "... из файла с разделителями табуляциями", nullptr, "Импорт деталей из текстового файла",
     false},
    {"group.importConstructor", "... из конструкторского модуля", nullptr, "Импорт деталей из конструкторского модуля",
     false},
    {"group.import1x", "... баз деталей версий 1.x", nullptr, "Импорт баз деталей версий 1.x", false},
    {"group.import2x", "... баз деталей версий 2.x", nullptr, "Импорт баз деталей версий 2.x", false},
    {"group.exportTab", "... в файл с разделителями табуляциями", nullptr, "Экспорт деталей в текстовый файл", false},
    {"group.printModels", "Печать списка моделей", nullptr, "Печать списка моделей базы деталей", false},
    {"group.printList", "список", nullptr, "Печать списка деталей", false},
    {"group.printGrouped", "группировка по материалам", "Ctrl+P", "Печать списка деталей по материалам", false},
    {"group.printExcel", "Печать в Excel", "Ctrl+E", "Вывести список деталей в электронную таблицу", false},
    {"app.exit", "Выход", nullptr, "Выход из программы", false},
    {"models.base", "База моделей мебели", "Ctrl+M", "Открыть базу моделей мебели", false},
    {"models.add", "Добавить модель", nullptr, "Добавить модель в базу моделей", false},
    {"models.import", "Импорт базы моделей", nullptr, "Импорт базы моделей", false},
    {"wh.saveState", "Сохранить состояние склада", nullptr, "Сохранить состояние склада", false},
    {"wh.states", "База сохраненных состояний склада", nullptr, "Сохраненные состояния склада", false},
    {"wh.saveSheets", "Сохранить базу стандартных листов", nullptr, "Сохранить базу стандартных листов", false},
    {"wh.printSheets", "Печать базы стандартных листов", nullptr, "Печать базы стандартных листов", false},
    {"wh.addSheet", "Добавить лист на склад", nullptr, "Добавить лист на склад", false},
    {"wh.minQuantity", "Минимальное количество листов", nullptr, "Минимальное количество листов", false},
    {"wh.checkQuantity", "Проверить количество листов", nullptr, "Проверить количество листов на складе", false},
    {"wh.saveScraps", "Сохранить базу остатков", nullptr, "Сохранить базу остатков", false},
    {"wh.printScraps", "Печать базы остатков", nullptr, "Печать базы остатков", false},
    {"wh.scrapParams", "Параметры поступления остатков", nullptr, "Параметры поступления остатков", false},
    {"wh.markScraps", "Маркировать остатки", nullptr, "Маркировать остатки", false},
    {"wh.filterScraps", "Отфильтровать базу остатков", nullptr, "Отфильтровать базу остатков", false},
    {"wh.clearScraps", "Очистить базу остатков", nullptr, "Очистить базу остатков", false},
    {"wh.statistics", "Статистика по складу", nullptr, "Статистика по складу", false},
    {"wh.window", "Склад", nullptr, "Открыть окно склада", false},
    {"cut.run", "Разложить детали", "Ctrl+R", "Разложить детали активной базы", false},
    {"cut.openMaps", "Открыть карты раскроя", nullptr, "Открыть карты раскроя", false},
    {"cut.saveMaps", "Сохранить карты раскроя", nullptr, "Сохранить карты раскроя", false},
    {"cut.partLabels", "Печать ярлычков деталей", nullptr, "Печать ярлычков деталей", false},
    {"cut.scrapLabels", "Печать ярлычков остатков", nullptr, "Печать ярлычков остатков", false},
    {"cut.materialStatistics", "Печать статистики по расходу материалов", nullptr,
     "Печать статистики по расходу материалов", false},
    {"cut.exportIni", "... в INI - файл", nullptr, "Экспорт карт раскроя в INI - файл", false},
    {"set.defaults", "Параметры по умолчанию", nullptr, "Параметры по умолчанию", false},
    {"set.mapPrint", "Параметры печати карт раскроя", nullptr, "Параметры печати карт раскроя", false},
    {"set.switchMaterials", "Переключение баз материалов", nullptr, "Переключение баз материалов", false},
    {"set.materials", "Материлы", nullptr, "Справочник материалов", false},
    {"set.borders", "Кромки", nullptr, "Справочник кромок", false},
    {"set.detalNames", "Названия деталей", nullptr, "Список названий деталей", false},
    {"set.autoCheckSheets", "Автопроверка наличия листов", nullptr,
     "Проверять количество стандартных листов при запуске и выходе", true},
    {"set.autoScrapsMark", "Автоматическая маркировка остатков", nullptr, "Давать новым остаткам имена автоматически",
     true},
    {"set.page", "Параметры страницы", nullptr, "Поля страницы отчетов", false},
    {"set.printer", "Параметры принтера", nullptr, "Настройка принтера", false},
    {"set.toolbar", "Стандартная", nullptr, "Показать или скрыть панель инструментов", true},
    {"win.cascade", "&Каскад", nullptr, "Расположить окна каскадом", false},
    {"win.tileH", "Мозайка &горизонтальная", nullptr, "Расположить окна одно под другим", false},
    {"win.tileV", "Мозайка &вертикальная", nullptr, "Расположить окна рядом", false},
    {"win.arrange", "&Упорядочить значки", nullptr, "Упорядочить значки свернутых окон", false},
    {"win.minimize", "&Минимизировать", nullptr, "Свернуть все окна", false},
    {"help.about", "&О программе...", nullptr, "О программе", false},
    {"group.allMaterials", "Все материалы", nullptr, "Показать данные по всем материалам", false},
};

}  // namespace

MainWindow::MainWindow(const DataRoot& root, Settings& settings, QWidget* parent)
    : MainFrame(parent), root_(root), settings_(settings) {
  setWindowTitle(QStringLiteral("Раскрой листового материала"));
  setObjectName(QStringLiteral("MainForm"));
  mdi_ = new QMdiArea(this);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  buildCommands();
  buildMenus();
  buildToolBar();
  attachOwnCommands();
  statusBar()->showMessage(QString());
  resize(1024, 720);
}

MainWindow::~MainWindow() {
  // The document area reports the activation of none while its windows go
  // with it, after this window's own parts are gone: nobody may act on it.
  mdi_->blockSignals(true);
}

QAction* MainWindow::command(const QString& id) const { return commands_.value(id, nullptr); }

QStringList MainWindow::commandIds() const { return commandOrder_; }

void MainWindow::attachCommand(const QString& id, std::function<void()> handler) {
  QAction* a = command(id);
  Q_ASSERT(a);
  if (!a) return;
  connect(a, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
  a->setEnabled(true);
}

void MainWindow::buildCommands() {
  for (const CommandDef& d : kCommands) {
    auto* a = new QAction(QString::fromUtf8(d.caption), this);
    const QString id = QString::fromLatin1(d.id);
    a->setObjectName(id);
    if (d.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(d.shortcut)));
    a->setStatusTip(QString::fromUtf8(d.statusTip));
    a->setCheckable(d.checkable);
    // Commands stay disabled until the subsystem that carries them out
    // attaches its handler.
    a->setEnabled(false);
    commands_.insert(id, a);
    commandOrder_.append(id);
  }
}

void MainWindow::buildMenus() {
  QMenuBar* bar = menuBar();
  auto add = [this](QMenu* m, const char* id) { m->addAction(command(QString::fromLatin1(id))); };

  QMenu* group = bar->addMenu(QStringLiteral("&База деталей"));
  add(group, "group.new");
  add(group, "group.open");
  add(group, "group.merge");
  group->addSeparator();
  add(group, "group.save");
  add(group, "group.saveAs");
  group->addSeparator();
  add(group, "group.replaceMaterial");
  group->addSeparator();
  QMenu* imp = group->addMenu(QStringLiteral("Импорт ..."));
  add(imp, "group.importTab");
  add(imp, "group.importConstructor");
  add(imp, "group.import1x");
  add(imp, "group.import2x");
  QMenu* exp = group->addMenu(QStringLiteral("Экспорт ..."));
  add(exp, "group.exportTab");
  group->addSeparator();
  add(group, "group.printModels");
  QMenu* print = group->addMenu(QStringLiteral("Печать на принтер"));
  add(print, "group.printList");
  add(print, "group.printGrouped");
  add(group, "group.printExcel");
  // The recent files go between these two separators.
  QAction* recentStart = group->addSeparator();
  recentStart->setObjectName(QStringLiteral("recentFilesStart"));
  QAction* recentEnd = group->addSeparator();
  recentEnd->setObjectName(QStringLiteral("recentFilesEnd"));
  add(group, "app.exit");
  group->setObjectName(QStringLiteral("menuGroup"));

  QMenu* models = bar->addMenu(QStringLiteral("&Модели"));
  add(models, "models.base");
  add(models, "models.add");
  QMenu* modelsImport = models->addMenu(QStringLiteral("Импорт ..."));
  add(modelsImport, "models.import");

  QMenu* wh = bar->addMenu(QStringLiteral("&Склад"));
  add(wh, "wh.saveState");
  add(wh, "wh.states");
  wh->addSeparator();
  add(wh, "wh.saveSheets");
  add(wh, "wh.printSheets");
  add(wh, "wh.addSheet");
  wh->addSeparator();
  add(wh, "wh.minQuantity");
  add(wh, "wh.checkQuantity");
  wh->addSeparator();
  add(wh, "wh.saveScraps");
  add(wh, "wh.printScraps");
  wh->addSeparator();
  add(wh, "wh.scrapParams");
  add(wh, "wh.markScraps");
  add(wh, "wh.filterScraps");
  add(wh, "wh.clearScraps");
  wh->addSeparator();
  add(wh, "wh.statistics");

  QMenu* cut = bar->addMenu(QStringLiteral("&Раскрой"));
  add(cut, "cut.run");
  cut->addSeparator();
  add(cut, "cut.openMaps");
  add(cut, "cut.saveMaps");
  cut->addSeparator();
  add(cut, "cut.partLabels");
  add(cut, "cut.scrapLabels");
  add(cut, "cut.materialStatistics");
  cut->addSeparator();
  QMenu* cutExport = cut->addMenu(QStringLiteral("Экспорт карт раскроя"));
  add(cutExport, "cut.exportIni");

  QMenu* set = bar->addMenu(QStringLiteral("&Установки"));
  add(set, "set.defaults");
  add(set, "set.mapPrint");
  set->addSeparator();
  add(set, "set.switchMaterials");
  add(set, "set.materials");
  add(set, "set.borders");
  add(set, "set.detalNames");
  set->addSeparator();
  add(set, "set.autoCheckSheets");
  add(set, "set.autoScrapsMark");
  set->addSeparator();
  add(set, "set.page");
  add(set, "set.printer");
  QMenu* bars = set->addMenu(QStringLiteral("Панели инструментов"));
  add(bars, "set.toolbar");

  windowMenu_ = bar->addMenu(QStringLiteral("&Окно"));
  add(windowMenu_, "win.cascade");
  add(windowMenu_, "win.tileH");
  add(windowMenu_, "win.tileV");
  add(windowMenu_, "win.arrange");
  add(windowMenu_, "win.minimize");
  windowMenu_->addSeparator();
  // Selects "<все материалы>" in the active parts, warehouse or maps window.
  add(windowMenu_, "group.allMaterials");
  connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::rebuildWindowMenu);

  QMenu* help = bar->addMenu(QStringLiteral("&Помощь"));
  add(help, "help.about");
}

void MainWindow::buildToolBar() {
  toolBar_ = addToolBar(QStringLiteral("Стандартная"));
  toolBar_->setObjectName(QStringLiteral("tbar97Standart"));
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  QStyle* s = style();
  auto button = [&](const char* id, QStyle::StandardPixmap icon, const QString& text = {}) {
    QAction* a = command(QString::fromLatin1(id));
    a->setIcon(s->standardIcon(icon));
    // The toolbar shows the action itself; a shorter caption is given as
    // its icon text.
    if (!text.isEmpty()) a->setIconText(text);
    toolBar_->addAction(a);
  };
  button("group.new", QStyle::SP_FileIcon);
  button("group.open", QStyle::SP_DialogOpenButton);
  button("group.save", QStyle::SP_DialogSaveButton);
  toolBar_->addSeparator();
  button("group.allMaterials", QStyle::SP_FileDialogListView);
  command(QStringLiteral("group.allMaterials"))->setToolTip(QStringLiteral("Показать данные\nпо всем материалам"));
  toolBar_->addSeparator();
  button("models.base", QStyle::SP_DirHomeIcon, QStringLiteral("Модели"));
  button("wh.window", QStyle::SP_DriveHDIcon, QStringLiteral("Склад"));
  toolBar_->addSeparator();
  button("set.page", QStyle::SP_FileDialogDetailedView, QStringLiteral("Страница"));
  button("set.printer", QStyle::SP_ComputerIcon, QStringLiteral("Принтер"));
  toolBar_->addSeparator();
  button("app.exit", QStyle::SP_DialogCloseButton);

  QAction* toggle = command(QStringLiteral("set.toolbar"));
  toggle->setEnabled(true);
  toggle->setChecked(true);
  connect(toggle, &QAction::toggled, toolBar_, &QToolBar::setVisible);
  connect(toolBar_, &QToolBar::visibilityChanged, toggle, [toggle, this](bool visible) {
    // Hiding the whole window also hides the toolbar; only a change made
    // while the window is visible is the user's choice.
    if (isVisible()) toggle->setChecked(visible);
  });
}

void MainWindow::attachOwnCommands() {
  attachCommand(QStringLiteral("app.exit"), [this] {
    if (!isBusy()) close();
  });
  attachCommand(QStringLiteral("help.about"), [this] { showAbout(); });
  attachCommand(QStringLiteral("set.page"), [this] { editPageParams(); });
  attachCommand(QStringLiteral("set.printer"), [this] { printerSetup(); });
  attachCommand(QStringLiteral("win.cascade"), [this] { mdi_->cascadeSubWindows(); });
  attachCommand(QStringLiteral("win.tileH"), [this] { tileHorizontally(); });
  attachCommand(QStringLiteral("win.tileV"), [this] { tileVertically(); });
  attachCommand(QStringLiteral("win.arrange"), [this] { arrangeIcons(); });
  attachCommand(QStringLiteral("win.minimize"), [this] { minimizeAll(); });

  QAction* check = command(QStringLiteral("set.autoCheckSheets"));
  check->setChecked(read(settings_.ini(), keys::CheckSheetStock));
  check->setEnabled(true);
  connect(check, &QAction::toggled, this,
          [this](bool on) { writeSetting([&] { write(settings_.ini(), keys::CheckSheetStock, on); }); });

  QAction* mark = command(QStringLiteral("set.autoScrapsMark"));
  mark->setChecked(read(settings_.ini(), keys::AutoOffcutMarks));
  mark->setEnabled(true);
  connect(mark, &QAction::toggled, this,
          [this](bool on) { writeSetting([&] { write(settings_.ini(), keys::AutoOffcutMarks, on); }); });
}

QMdiSubWindow* MainWindow::addDocument(QWidget* widget) {
  QMdiSubWindow* sub = mdi_->addSubWindow(widget);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->show();
  return sub;
}

void MainWindow::keepDocumentsInside() {
  const QSize area = mdi_->viewport()->size();
  for (QMdiSubWindow* w : mdi_->subWindowList()) {
    if (w->isMaximized() || w->isMinimized()) continue;
    const QRect fitted = fitDocumentFrame(w->geometry(), area, QSize(1, 1));
    if (fitted != w->geometry()) w->setGeometry(fitted);
  }
}

QPrinter& MainWindow::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void MainWindow::rebuildWindowMenu() {
  for (QAction* a : windowListActions_) {
    windowMenu_->removeAction(a);
    a->deleteLater();
  }
  windowListActions_.clear();
  const QList<QMdiSubWindow*> windows = mdi_->subWindowList(QMdiArea::CreationOrder);
  if (windows.isEmpty()) return;
  windowListActions_.append(windowMenu_->addSeparator());
  QMdiSubWindow* active = mdi_->activeSubWindow();
  int number = 1;
  for (QMdiSubWindow* w : windows) {
    QAction* a = windowMenu_->addAction(windowListCaption(number++, w->windowTitle().remove(QStringLiteral("[*]"))));
    a->setCheckable(true);
    a->setChecked(w == active);
    connect(a, &QAction::triggered, this, [this, w] {
      if (w->isMinimized()) w->showNormal();
      mdi_->setActiveSubWindow(w);
    });
    windowListActions_.append(a);
  }
}

namespace {
QList<QMdiSubWindow*> visibleWindows(QMdiArea* mdi) {
  QList<QMdiSubWindow*> result;
  for (QMdiSubWindow* w : mdi->subWindowList(QMdiArea::CreationOrder))
    if (w->isVisible() && !w->isMinimized()) result.append(w);
  return result;
}
}  // namespace

void MainWindow::tileHorizontally() {
  const auto windows = visibleWindows(mdi_);
  const auto frames = tileFrames(mdi_->viewport()->rect(), windows.size(), TileDirection::Horizontal);
  for (int i = 0; i < windows.size(); ++i) {
    windows[i]->showNormal();
    windows[i]->setGeometry(frames[i]);
  }
}

void MainWindow::tileVertically() {
  const auto windows = visibleWindows(mdi_);
  const auto frames = tileFrames(mdi_->viewport()->rect(), windows.size(), TileDirection::Vertical);
  for (int i = 0; i < windows.size(); ++i) {
    windows[i]->showNormal();
    windows[i]->setGeometry(frames[i]);
  }
}

void MainWindow::arrangeIcons() {
  // Minimised windows are lined up along the bottom edge of the area.
  const QRect area = mdi_->viewport()->rect();
  int x = area.left();
  int y = -1;
  for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder)) {
    if (!w->isMinimized()) continue;
    const QSize size = w->size();
    if (y < 0) y = area.bottom() - size.height() + 1;
    if (x + size.width() > area.right() && x > area.left()) {
      x = area.left();
      y -= size.height();
    }
    w->move(x, y);
    x += size.width();
  }
}

void MainWindow::minimizeAll() {
  for (QMdiSubWindow* w : mdi_->subWindowList()) w->showMinimized();
}

void MainWindow::showAbout() {
  QMessageBox::about(this, QStringLiteral("О программе"),
                     QStringLiteral("<h3>Раскрой листового материала</h3>"
                                    "<p>KROYNA, версия %1</p>"
                                    "<p>Раскрой деталей мебели из листовых материалов "
                                    "на форматно-раскроечном станке: базы деталей, склад листов и "
                                    "остатков, справочники материалов и кромок, база моделей мебели, "
                                    "карты раскроя.</p>"
                                    "<p>Папка данных: %2</p>")
                         .arg(QCoreApplication::applicationVersion(), root_.root().toHtmlEscaped()));
}

void MainWindow::editPageParams() {
  PageParamsDialog dialog(settings_.pageMargins(), this);
  if (dialog.exec() == QDialog::Accepted) writeSetting([&] { settings_.setPageMargins(dialog.margins()); });
}

void MainWindow::printerSetup() {
  QPrintDialog dialog(&printer(), this);
  dialog.setWindowTitle(QStringLiteral("Параметры принтера"));
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  // The dialog only chooses and sets up the printer; its confirm button
  // does not print.
  if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
    if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("ОК"));
  dialog.exec();
}

void MainWindow::restorePlacement() { restoreMainWindow(settings_.ini(), *this, *toolBar_); }

void MainWindow::savePlacement() {
  writeSetting([&] { saveMainWindow(settings_.ini(), *this, *toolBar_); });
}

void MainWindow::writeSetting(const std::function<void()>& write) {
  try {
    write();
  } catch (const std::exception& e) {
    showError(QString::fromUtf8(e.what()), this);
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    // Once the area has its size.
    QTimer::singleShot(0, this, &MainWindow::keepDocumentsInside);
    emit firstShown();
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (isBusy()) {
    event->ignore();
    return;
  }
  // Each document window asks to save its changes; one that is refused
  // keeps the program open.
  // Windows that live as long as the program (the warehouse) only hide
  // when closed, so they are left out here.
  for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder)) {
    if (w->property("kroynaPersistent").toBool()) continue;
    if (!w->close()) {
      event->ignore();
      return;
    }
  }
  bool cancel = false;
  if (AppContext* context = AppContext::current(); context && context->mainWindow() == this)
    emit context->mainWindowClosing(cancel);
  if (cancel) {
    event->ignore();
    return;
  }
  savePlacement();
  event->accept();
}

}  // namespace kroyna::shell
