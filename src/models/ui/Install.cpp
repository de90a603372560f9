#include "models/ui/Models.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/DocumentPlacement.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"
#include "models/ui/ModelDialogs.h"
#include "models/ui/ModelsWindow.h"
#include "parts/ui/Parts.h"
#include "parts/ui/PartsWindow.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>
#include <map>

namespace kroyna::models {

namespace {

ModelsSubsystem* g_instance = nullptr;

// Parts windows of the parts subsystem, for "&Создать" and "Открыть базу
// деталей".
class SubsystemPartsHost : public PartsHost {
 public:
  parts::PartsDocument* newDocument() override {
    parts::PartsSubsystem* parts = parts::PartsSubsystem::instance();
    if (!parts) return nullptr;
    parts::PartsWindow* w = parts->makeWindow();
    windows_[&w->document()] = w;
    return &w->document();
  }
  void show(parts::PartsDocument* document) override {
    if (parts::PartsWindow* w = take(document)) {
      w->ShowRowSettings();
      parts::PartsSubsystem::instance()->showWindow(w);
    }
  }
  void discard(parts::PartsDocument* document) override { delete take(document); }

 private:
  parts::PartsWindow* take(parts::PartsDocument* document) {
    const auto it = windows_.find(document);
    if (it == windows_.end()) return nullptr;
    parts::PartsWindow* w = it->second;
    windows_.erase(it);
    return w;
  }
  std::map<parts::PartsDocument*, parts::PartsWindow*> windows_;
};

}  // namespace

ModelsSubsystem::ModelsSubsystem(common::AppContext& context)
    : QObject(&context), context_(context), host_(new SubsystemPartsHost) {
  g_instance = this;
  main_ = context.mainWindow();
  if (!main_) return;
  main_->attachCommand(QStringLiteral("models.base"), [this] { openWindow(); });
  main_->attachCommand(QStringLiteral("models.add"), [this] { addModelFromActiveParts(); });
  connect(main_->documentArea(), &QMdiArea::subWindowActivated, this, &ModelsSubsystem::updateCommands);
  updateCommands();
}

ModelsSubsystem::~ModelsSubsystem() {
  if (g_instance == this) g_instance = nullptr;
  delete host_;
}

ModelsSubsystem* ModelsSubsystem::instance() { return g_instance; }

ModelsWindow* ModelsSubsystem::window() const { return window_; }

ModelsWindow* ModelsSubsystem::openWindow() {
  if (!main_) return nullptr;
  if (window_) {
    for (QMdiSubWindow* sub : main_->documentArea()->subWindowList())
      if (sub->widget() == window_) {
        if (sub->isMinimized()) sub->showNormal();
        main_->documentArea()->setActiveSubWindow(sub);
      }
    return window_;
  }
  auto* w = new ModelsWindow(context_.root().root(), context_.settings().ini());
  w->base().ui().parts = host_;
  if (!w->open()) {
    delete w;
    return nullptr;
  }
  window_ = w;
  QMdiSubWindow* sub = main_->addDocument(w);
  // Wholly inside the document area where it fits.
  sub->setGeometry(common::fitDocumentFrame(QRect(sub->pos(), QSize(760, 480)),
                                            main_->documentArea()->viewport()->size(), QSize(420, 260)));
  return w;
}

void ModelsSubsystem::addModelFromActiveParts() {
  parts::PartsSubsystem* parts = parts::PartsSubsystem::instance();
  parts::PartsWindow* w = parts ? parts->activeWindow() : nullptr;
  if (!w) return;
  w->postPendingEdit();
  // The section shown in the models base window is offered first.
  QString section;
  ModelsUi ui;
  if (window_) {
    ModelsBase& base = window_->base();
    if (base.isRealSection(base.currentEntry()))
      section = QString::fromStdString(base.sections()[static_cast<std::size_t>(base.currentEntry() - 2)].name);
    ui = base.ui();
  } else {
    ui.askModelProperties = [this](const QStringList& sections, const ModelProperties& initial) {
      return ModelPropertiesDialog::ask(main_, sections, initial);
    };
  }
  if (addModelFromParts(ModelsPaths{context_.root().root()}, w->document().shownRows(), ui, section) && window_)
    window_->base().reload();
}

void ModelsSubsystem::updateCommands() {
  if (!main_) return;
  QMdiSubWindow* sub = main_->documentArea()->currentSubWindow();
  const bool parts = sub && qobject_cast<parts::PartsWindow*>(sub->widget());
  if (QAction* a = main_->command(QStringLiteral("models.add"))) a->setEnabled(parts);
}

void install(common::AppContext& context) { new ModelsSubsystem(context); }

}  // namespace kroyna::models
