#include "parts/ui/Parts.h"

#include "catalogues/Catalogues.h"
#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"
#include "parts/PartsPrint.h"
#include "parts/ui/PartNames.h"
#include "parts/ui/PartsWindow.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

namespace kroyna::parts {

namespace {

PartsSubsystem* g_instance = nullptr;

}  // namespace

PartsSubsystem::PartsSubsystem(common::AppContext& context) : QObject(&context), context_(context) {
  g_instance = this;
  main_ = context.mainWindow();
  if (main_) attachCommands();
  connectCatalogues();

  connect(&context, &common::AppContext::mainWindowShown, this, [this] {
    recent_.load(context_.settings().ini());
    rebuildRecentMenu();
    connectCatalogues();
    // The edge list is built when the main window is shown; windows opened
    // before take it now.
    for (PartsWindow* w : windows()) w->refreshEdges();
    if (startupImport_) startupImport_();
    if (main_) openCommandLineFiles(main_->startupFiles());
  });
  connect(&context, &common::AppContext::defaultsChanged, this, [this] {
    for (PartsWindow* w : windows()) w->refreshDefaults();
  });
  connect(&context, &common::AppContext::mainWindowClosed, this, [this] {
    try {
      recent_.save(context_.settings().ini());
    } catch (const std::exception& e) {
      common::showError(QString::fromUtf8(e.what()));
    }
  });
}

void PartsSubsystem::connectCatalogues() {
  catalogues::Catalogues* c = catalogues::Catalogues::instance();
  if (!c || c == connectedCatalogues_) return;
  connectedCatalogues_ = c;
  connect(c, &catalogues::Catalogues::RefreshMaterialLists, this, [this] {
    for (PartsWindow* w : windows()) w->refreshMaterialLists();
  });
  connect(c, &catalogues::Catalogues::edgesChanged, this, [this] {
    for (PartsWindow* w : windows()) w->refreshEdges();
  });
}

PartsSubsystem::~PartsSubsystem() {
  if (g_instance == this) g_instance = nullptr;
}

PartsSubsystem* PartsSubsystem::instance() { return g_instance; }

// ---- Windows ----

PartsWindow* PartsSubsystem::makeWindow() {
  auto* w = new PartsWindow(context_.root().root(), context_.settings().ini());
  w->refreshEdges();
  connect(w, &PartsWindow::closed, this, [this](const QString& header) {
    if (!header.isEmpty()) {
      recent_.add(header);
      rebuildRecentMenu();
    }
  });
  connect(w, &PartsWindow::commandsChanged, this, &PartsSubsystem::updateCommands);
  connect(w, &QObject::destroyed, this, &PartsSubsystem::updateCommands, Qt::QueuedConnection);
  return w;
}

void PartsSubsystem::showWindow(PartsWindow* window) {
  if (main_) {
    main_->addDocument(window);
  } else {
    window->show();
  }
  updateCommands();
}

PartsWindow* PartsSubsystem::newUntitledBase() {
  PartsWindow* w = makeWindow();
  if (!w->CreateGroup()) {
    delete w;
    return nullptr;
  }
  showWindow(w);
  return w;
}

PartsWindow* PartsSubsystem::openBase(const QString& headerPath) {
  PartsWindow* w = makeWindow();
  if (!w->LoadGroup(headerPath)) {
    delete w;
    return nullptr;
  }
  showWindow(w);
  return w;
}

QList<PartsWindow*> PartsSubsystem::windows() const {
  QList<PartsWindow*> out;
  if (!main_) return out;
  for (QMdiSubWindow* sub : main_->documentArea()->subWindowList(QMdiArea::CreationOrder))
    if (auto* w = qobject_cast<PartsWindow*>(sub->widget())) out << w;
  return out;
}

PartsWindow* PartsSubsystem::findWindow(const QString& headerPath) const {
  for (PartsWindow* w : windows())
    if (PartsDocument::findOpen(headerPath) == &w->document()) return w;
  return nullptr;
}

void PartsSubsystem::bringToFront(PartsWindow* window) const {
  if (!window || !main_) return;
  for (QMdiSubWindow* sub : main_->documentArea()->subWindowList())
    if (sub->widget() == window) {
      if (sub->isMinimized()) sub->showNormal();
      main_->documentArea()->setActiveSubWindow(sub);
    }
}

PartsWindow* PartsSubsystem::activeWindow() const {
  if (!main_) return nullptr;
  QMdiSubWindow* sub = main_->documentArea()->currentSubWindow();
  return sub ? qobject_cast<PartsWindow*>(sub->widget()) : nullptr;
}

void PartsSubsystem::forActive(const std::function<void(PartsWindow&)>& action) {
  if (PartsWindow* w = activeWindow()) action(*w);
}

// ---- Opening ----

QString PartsSubsystem::chooseOpenFile() {
  if (openChooser_) return openChooser_();
  return QFileDialog::getOpenFileName(main_, QStringLiteral("Открыть базу деталей"),
                                      context_.root().folder(QStringLiteral("Groups")),
                                      QStringLiteral("Файлы баз деталей (*.krb);;Все файлы (*)"));
}

void PartsSubsystem::openCommand() {
  for (;;) {
    const QString file = chooseOpenFile();
    if (file.isEmpty()) return;
    if (PartsWindow* open = findWindow(file)) {
      const common::MsgResult answer = common::showMessage(
          QStringLiteral("База деталей \"%1\" уже открыта!\r\rНажмите кнопку \"Повторить\" для выбора другой базы "
                         "деталей\rили кнопку \"Отмена\" для перехода к открытой.")
              .arg(file),
          common::MsgIcon::Confirmation, common::MsgButtons::RetryCancel, main_);
      if (answer == common::MsgResult::Retry) continue;
      bringToFront(open);
      return;
    }
    openBase(file);
    return;
  }
}

void PartsSubsystem::openRecent(const QString& stored) {
  const QString headerPath = QFileInfo::exists(stored) ? stored : common::resolveStoredPath(stored);
  if (!QFileInfo(headerPath).isFile()) {
    common::showError(QStringLiteral("База деталей не найдена."), main_);
    recent_.remove(stored);
    rebuildRecentMenu();
    return;
  }
  if (findWindow(headerPath)) {
    common::showError(QStringLiteral("База деталей \"%1\" уже открыта!").arg(headerPath), main_);
    return;
  }
  openBase(headerPath);
}

void PartsSubsystem::openCommandLineFiles(const QStringList& arguments) {
  for (const QString& arg : arguments) {
    // Only an existing file whose extension is exactly ".krb".
    if (!arg.endsWith(QStringLiteral(".krb")) || !QFileInfo(arg).isFile()) continue;
    // The same base named twice (or already open) is not opened again.
    if (PartsWindow* open = findWindow(arg)) {
      bringToFront(open);
      continue;
    }
    if (!openBase(arg)) common::showError(QStringLiteral("Ошибка импорта базы деталей."), main_);
  }
}

// ---- Menu ----

void PartsSubsystem::rebuildRecentMenu() {
  if (!main_) return;
  for (QAction* a : recentActions_) {
    if (QMenu* m = qobject_cast<QMenu*>(a->parent())) m->removeAction(a);
    a->deleteLater();
  }
  recentActions_.clear();
  QMenu* menu = main_->findChild<QMenu*>(QStringLiteral("menuGroup"));
  if (!menu) return;
  QAction* end = nullptr;
  for (QAction* a : menu->actions())
    if (a->objectName() == QStringLiteral("recentFilesEnd")) end = a;
  if (!end) return;
  for (const QString& path : recent_.entries()) {
    auto* a = new QAction(QString(path).replace(QLatin1Char('&'), QStringLiteral("&&")), menu);
    a->setData(path);
    connect(a, &QAction::triggered, this, [this, path] { openRecent(path); });
    menu->insertAction(end, a);
    recentActions_ << a;
  }
}

void PartsSubsystem::updateCommands() {
  if (!main_) return;
  PartsWindow* w = activeWindow();
  const bool rows = w && w->document().rowCount() > 0;
  auto set = [this](const char* id, bool on) {
    if (QAction* a = main_->command(QString::fromLatin1(id))) a->setEnabled(on);
  };
  set("group.save", w && w->document().isOpen() && w->document().isModified());
  set("group.saveAs", w && w->document().isOpen());
  set("group.replaceMaterial", rows);
  set("group.printModels", w && !w->document().models().empty());
  set("group.printList", w && w->canPrint());
  set("group.printGrouped", w && w->canPrint());
  set("group.printExcel", rows);
}

void PartsSubsystem::refreshWindows() {
  for (PartsWindow* w : windows()) {
    w->refreshMaterialLists();
    w->refreshEdges();
    w->reloadPartNames();
  }
}

void PartsSubsystem::attachCommands() {
  auto attach = [this](const char* id, std::function<void()> handler) {
    main_->attachCommand(QString::fromLatin1(id), std::move(handler));
  };
  attach("group.new", [this] { newUntitledBase(); });
  attach("group.open", [this] { openCommand(); });
  attach("group.save", [this] { forActive([](PartsWindow& w) { w.SaveGroup(false); }); });
  attach("group.saveAs", [this] { forActive([](PartsWindow& w) { w.SaveGroup(true); }); });
  attach("group.replaceMaterial", [this] { forActive([](PartsWindow& w) { w.replaceMaterial(); }); });
  attach("group.printModels", [this] { forActive([](PartsWindow& w) { w.printModelsList(); }); });
  attach("group.printList", [this] { forActive([](PartsWindow& w) { w.printList(PartsListKind::List); }); });
  attach("group.printGrouped", [this] { forActive([](PartsWindow& w) { w.printList(PartsListKind::Grouped); }); });
  attach("group.printExcel", [this] { forActive([](PartsWindow& w) { w.exportSpreadsheet(); }); });
  // "Все материалы" acts on the active parts, warehouse or maps window:
  // each offers the slot showAllMaterials().
  attach("group.allMaterials", [this] {
    if (QMdiSubWindow* sub = main_->documentArea()->currentSubWindow(); sub && sub->widget())
      QMetaObject::invokeMethod(sub->widget(), "showAllMaterials");
  });
  // Enabled while the active window has a materials bar to act on.
  auto updateAllMaterials = [this](QMdiSubWindow* active) {
    QWidget* w = active ? active->widget() : nullptr;
    main_->command(QStringLiteral("group.allMaterials"))
        ->setEnabled(w && w->metaObject()->indexOfMethod("showAllMaterials()") >= 0);
  };
  connect(main_->documentArea(), &QMdiArea::subWindowActivated, this, updateAllMaterials);
  updateAllMaterials(main_->documentArea()->activeSubWindow());
  attach("set.detalNames", [this] {
    PartNamesDialog dialog(context_.settings().ini(), main_);
    if (dialog.exec() == QDialog::Accepted)
      for (PartsWindow* w : windows()) w->reloadPartNames();
  });
  connect(main_->documentArea(), &QMdiArea::subWindowActivated, this, &PartsSubsystem::updateCommands);
  updateCommands();
}

void install(common::AppContext& context) { new PartsSubsystem(context); }

}  // namespace kroyna::parts
