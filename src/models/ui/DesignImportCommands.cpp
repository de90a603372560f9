#include "models/ui/DesignImportCommands.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"
#include "common/ui/WaitWindow.h"
#include "models/CatalogIniImport.h"
#include "models/DesignImport.h"
#include "models/ui/DesignImportWindows.h"
#include "models/ui/Models.h"
#include "models/ui/ModelsWindow.h"
#include "parts/ui/ImportCommands.h"
#include "parts/ui/Parts.h"

#include <QFileDialog>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <memory>

namespace kroyna::models {

namespace {

class DesignImportCommands : public QObject {
 public:
  explicit DesignImportCommands(common::AppContext& context)
      : QObject(&context), context_(context), main_(context.mainWindow()) {
    main_->attachCommand(QStringLiteral("group.importConstructor"), [this] { importCommand(); });
    main_->attachCommand(QStringLiteral("models.import"), [this] { importCatalogue(); });
    if (parts::PartsSubsystem* parts = parts::PartsSubsystem::instance())
      parts->setStartupImport([this] { importAutoRunFolder(); });
  }

 private:
  // "... из конструкторского модуля": the file stays where it is.
  void importCommand() {
    QFileDialog dialog(main_, QStringLiteral("Импорт из конструкторского модуля"),
                       context_.root().folder(QStringLiteral("Constructor")),
                       QStringLiteral("База деталей конструкт. модуля (*.dkm);;Все файлы (*)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("dkm"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const DesignImportResult r = importDesignFile(dialog.selectedFiles().first(), context_.settings().ini(), host_);
    if (r.status != DesignImportResult::Status::Imported) common::showError(r.message, main_);
  }

  void importAutoRunFolder() {
    std::unique_ptr<AutoRunProgressWindow> progress;
    AutoRunUi ui;
    ui.parts = &host_;
    ui.begin = [&](int maximum) {
      progress = std::make_unique<AutoRunProgressWindow>(maximum, main_);
      progress->adjustSize();
      progress->move(main_->geometry().center() - progress->rect().center());
      progress->show();
    };
    ui.step = [&](const QString& kind, const QString& file, int value) {
      if (progress) progress->setStep(kind, file, value);
    };
    ui.end = [&] { progress.reset(); };
    ui.openModelsBase = [this]() -> ModelsBase* {
      ModelsSubsystem* models = ModelsSubsystem::instance();
      ModelsWindow* w = models ? models->openWindow() : nullptr;
      return w ? &w->base() : nullptr;
    };
    ui.showSelectedModels = [] {
      if (ModelsSubsystem* models = ModelsSubsystem::instance(); models && models->window())
        models->window()->sectionBar()->setCurrentRow(1);
    };
    ui.askMissingModels = [this](const QStringList& names) { return MissingModelsDialog::ask(main_, names); };
    importAutoRun(context_.root().root(), context_.settings().ini(), ui);
  }

  // "Импорт базы моделей".
  void importCatalogue() {
    CatalogImportUi ui;
    ui.closeModelsWindow = [this] {
      ModelsSubsystem* models = ModelsSubsystem::instance();
      if (!models || !models->window()) return;
      for (QMdiSubWindow* sub : main_->documentArea()->subWindowList())
        if (sub->widget() == models->window()) sub->close();
    };
    ui.waiting = [](bool shown) {
      if (shown)
        common::WaitWindow::instance().showCentered();
      else
        common::WaitWindow::instance().hide();
    };
    // The models base window shows what came in.
    if (importOldCatalogue(ModelsPaths{context_.root().root()}, ui))
      if (ModelsSubsystem* models = ModelsSubsystem::instance()) models->openWindow();
  }

  common::AppContext& context_;
  common::MainFrame* main_;
  parts::PartsWindowHost host_;
};

}  // namespace

void installDesignImport(common::AppContext& context) {
  if (context.mainWindow()) new DesignImportCommands(context);
}

}  // namespace kroyna::models
