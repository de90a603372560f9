#include "parts/ui/ImportCommands.h"

#include "catalogues/Catalogues.h"
#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"
#include "parts/PartsImport.h"
#include "parts/PartsMerge.h"
#include "parts/ui/MergeDialog.h"
#include "parts/ui/Parts.h"
#include "parts/ui/PartsWindow.h"

#include <QAction>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <memory>

namespace kroyna::parts {

// ---- PartsWindowHost ----

PartsDocument* PartsWindowHost::newDocument() {
  PartsSubsystem* parts = PartsSubsystem::instance();
  if (!parts) return nullptr;
  PartsWindow* w = parts->makeWindow();
  pending_ << w;
  return &w->document();
}

void PartsWindowHost::show(PartsDocument* document) {
  if (PartsWindow* w = take(document)) {
    w->ShowRowSettings();
    PartsSubsystem::instance()->showWindow(w);
  }
}

void PartsWindowHost::discard(PartsDocument* document) { delete take(document); }

PartsWindow* PartsWindowHost::take(PartsDocument* document) {
  for (PartsWindow* w : pending_)
    if (&w->document() == document) {
      pending_.removeOne(w);
      return w;
    }
  return nullptr;
}

namespace {

// A file dialog as the commands show it.
QString chooseFile(QWidget* parent, const QString& title, const QString& filter, const QString& suffix,
                   const QString& folder, bool save) {
  QFileDialog dialog(parent, title, folder, filter);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

const QString kTextFilter = QStringLiteral("Текстовые файлы (*.txt);;Все файлы (*)");

class ImportCommands : public QObject {
 public:
  explicit ImportCommands(common::AppContext& context)
      : QObject(&context),
        context_(context),
        main_(context.mainWindow()),
        importer_(context.root().root(), context.settings().ini()) {
    ImportUi& ui = importer_.ui();
    ui.parts = &host_;
    ui.chooseImportFile = [this](ImportKind kind) {
      switch (kind) {
        case ImportKind::TabSeparated:
          return chooseFile(main_, QStringLiteral("Импорт из файла с разделителями табуляциями"), kTextFilter,
                            QStringLiteral("txt"), folder("Export"), false);
        case ImportKind::Version1:
          return chooseFile(main_, QStringLiteral("Импорт баз деталей версии 1.x"),
                            QStringLiteral("База деталей версии 1.x (*.de1);;Все файлы (*)"), QStringLiteral("de1"),
                            folder("Detals"), false);
        case ImportKind::Version2:
          return chooseFile(main_, QStringLiteral("Импорт баз деталей версии 2.x"),
                            QStringLiteral("База деталей версий 2.x (*.det);;Все файлы (*)"), QStringLiteral("det"),
                            folder("Detals"), false);
      }
      return QString();
    };
    ui.chooseExportFile = [this] {
      return chooseFile(main_, QStringLiteral("Экспорт в файл с разделителями табуляциями"), kTextFilter,
                        QStringLiteral("txt"), folder("Export"), true);
    };
    ui.chooseMaterial = [this](const QString& text, int code) {
      return catalogues::replaceMaterialDialog(text, code, main_);
    };
    ui.materialName = [](int code) {
      catalogues::Catalogues* c = catalogues::Catalogues::instance();
      return c ? c->materialName(code) : QString();
    };

    main_->attachCommand(QStringLiteral("group.importTab"), [this] { importer_.importTabSeparated(); });
    main_->attachCommand(QStringLiteral("group.import1x"), [this] { importer_.importVersion1(); });
    main_->attachCommand(QStringLiteral("group.import2x"), [this] { importer_.importVersion2(); });
    main_->attachCommand(QStringLiteral("group.exportTab"), [this] {
      if (PartsWindow* w = active()) {
        w->postPendingEdit();
        importer_.exportTabSeparated(w->document());
      }
    });
    main_->attachCommand(QStringLiteral("group.merge"), [this] {
      if (PartsWindow* w = active()) merge(*w);
    });
    connect(main_->documentArea(), &QMdiArea::subWindowActivated, this, [this] { updateCommands(); });
    updateCommands();
  }

 private:
  QString folder(const char* name) const { return context_.root().folder(QString::fromLatin1(name)); }

  PartsWindow* active() const {
    QMdiSubWindow* sub = main_->documentArea()->currentSubWindow();
    return sub ? qobject_cast<PartsWindow*>(sub->widget()) : nullptr;
  }

  // "Экспорт ..." and "Слияние" act on the active parts window.
  void updateCommands() {
    const bool parts = active() != nullptr;
    main_->command(QStringLiteral("group.exportTab"))->setEnabled(parts);
    main_->command(QStringLiteral("group.merge"))->setEnabled(parts);
  }

  void merge(PartsWindow& w) {
    w.postPendingEdit();
    MergeUi ui;
    ui.chooseBase = [this] {
      return chooseFile(main_, QStringLiteral("Открыть базу деталей"),
                        QStringLiteral("Файлы баз деталей (*.krb);;Все файлы (*)"), QStringLiteral("krb"),
                        folder("Groups"), false);
    };
    ui.askCount = [this] { return MergeDialog::ask(main_); };
    mergeBases(w.document(), context_.root().root(), ui);
    w.ShowRowSettings();
  }

  common::AppContext& context_;
  common::MainFrame* main_;
  PartsWindowHost host_;
  PartsImport importer_;
};

}  // namespace

void installImports(common::AppContext& context) {
  if (context.mainWindow()) new ImportCommands(context);
}

}  // namespace kroyna::parts
