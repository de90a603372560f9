// The wiring of the import, export and merge commands in the running
// program: which commands the main window offers when, the parts window's
// "С&лияние", the start-up import of the AutoRun folder, and the dialogs
// of the merge and of the missing models.

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Settings.h"
#include "models/ModelsTestSupport.h"
#include "models/ui/DesignImportCommands.h"
#include "models/ui/DesignImportWindows.h"
#include "models/ui/Models.h"
#include "models/ui/ModelsWindow.h"
#include "parts/ui/ImportCommands.h"
#include "parts/ui/MergeDialog.h"
#include "parts/ui/Parts.h"
#include "parts/ui/PartsWindow.h"
#include "shell/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QSpinBox>

using namespace kroyna;
using namespace kroyna::models;
using namespace kroyna::models::testing;

namespace {

// The program with the parts databases, the models base and the imports.
struct Program {
  ModelsRoot folder;
  QString rootText = QString::fromStdString(folder.path().string());
  common::DataRoot root{rootText};
  common::Settings settings{(folder / "Kroyna.ini").string()};
  shell::MainWindow main{root, settings};
  common::AppContext context{root, settings};

  Program() {
    fs::create_directories(folder / "AutoRun");
    parts::PartsDocument::resetNewBaseCounter();
    context.setMainWindow(&main);
    parts::install(context);
    models::install(context);
    parts::installImports(context);
    models::installDesignImport(context);
    main.show();
  }
  QList<parts::PartsWindow*> partsWindows() { return parts::PartsSubsystem::instance()->windows(); }
};

}  // namespace

TEST(ImportCommands, ExportAndMergeActOnTheActivePartsWindowOnly) {
  Program p;
  for (const char* id :
       {"group.importTab", "group.importConstructor", "group.import1x", "group.import2x", "models.import"})
    EXPECT_TRUE(p.main.command(id)->isEnabled()) << id;
  QAction* exportTab = p.main.command("group.exportTab");
  QAction* merge = p.main.command("group.merge");
  EXPECT_FALSE(exportTab->isEnabled());
  EXPECT_FALSE(merge->isEnabled());

  parts::PartsWindow* w = parts::PartsSubsystem::instance()->newUntitledBase();
  ASSERT_NE(w, nullptr);
  QApplication::processEvents();
  EXPECT_TRUE(exportTab->isEnabled());
  EXPECT_TRUE(merge->isEnabled());

  // The window's "С&лияние" runs the merge on that window, even when
  // another window is active: its first question comes, "No" ends it.
  parts::PartsWindow* other = parts::PartsSubsystem::instance()->newUntitledBase();
  ASSERT_NE(other, nullptr);
  QApplication::processEvents();
  EXPECT_TRUE(w->mergeAction()->isEnabled());
  Messages messages;
  messages.answers = {common::MsgResult::No};
  w->mergeAction()->trigger();
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_TRUE(messages.texts[0].startsWith(QString::fromUtf8("ВНИМАНИЕ!\r\rПри слиянии")))
      << messages.texts[0].toStdString();
  EXPECT_EQ(parts::PartsSubsystem::instance()->activeWindow(), w);

  // The models base window is no parts window.
  p.main.command("models.base")->trigger();
  QApplication::processEvents();
  EXPECT_FALSE(exportTab->isEnabled());
  EXPECT_FALSE(merge->isEnabled());

  messages.answers.assign(8, common::MsgResult::No);
  p.main.documentArea()->closeAllSubWindows();
}

TEST(ImportCommands, StartUpImportsTheAutoRunFolderBeforeTheCommandLineBases) {
  Program p;
  {
    const ModelSection s = ModelsFile(p.folder.modelsFile()).addSection("Шкафы");
    ModelsFile(p.folder.modelsFile()).addModel(s.storageName, ModelInfo{"Шкаф", 0, "mdl0", 0, ""});
  }
  fs::copy_file(fs::path(KROYNA_TEST_DATA_DIR) / "imports" / "Wardrobe.dkm", p.folder / "AutoRun" / "Шкаф.dkm");
  writeBytes(p.folder / "AutoRun" / "order.krm", text::utf8ToCp1251("[MODELS]\r\nCOUNT=1\r\n1=Шкаф,2\r\n"));
  // A base named on the command line.
  fs::create_directories(p.folder / "Groups");
  const QString header = QString::fromStdString((p.folder / "Groups" / "Order.krb").string());
  parts::writePartTable(QString::fromStdString((p.folder / "Pattern" / "Group.dbf").string()),
                        QString::fromStdString((p.folder / "Groups" / "Order.dbf").string()),
                        {part("Дно", 800, 500, 1)});
  parts::writeGroupHeader(header, parts::GroupHeader{"Order.dbf", {}});
  p.main.setStartupFiles({header});
  Messages messages;
  emit p.context.mainWindowShown();
  QApplication::processEvents();
  EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('|').toStdString();

  ASSERT_EQ(p.partsWindows().size(), 2);
  EXPECT_EQ(p.partsWindows()[0]->windowTitle(), QString::fromUtf8("База деталей: Шкаф.krb[*]"));
  EXPECT_EQ(p.partsWindows()[0]->document().allRows().size(), 3u);
  EXPECT_EQ(p.partsWindows()[1]->windowTitle(), QString::fromUtf8("База деталей: Order.krb[*]"));
  ModelsWindow* models = ModelsSubsystem::instance()->window();
  ASSERT_NE(models, nullptr);
  EXPECT_EQ(models->sectionBar()->currentRow(), 1);
  EXPECT_EQ(models->base().currentEntry(), 1);
  ASSERT_EQ(models->base().rowCount(), 1);
  EXPECT_EQ(models->base().rowModel(0).count, 2);
  EXPECT_TRUE(fs::is_empty(p.folder / "AutoRun"));
  // The progress window is gone.
  for (QWidget* top : QApplication::topLevelWidgets())
    EXPECT_FALSE(top->objectName() == "AutoRunProgress" && top->isVisible());

  messages.answers.assign(8, common::MsgResult::No);
  p.main.documentArea()->closeAllSubWindows();
}

TEST(ImportDialogs, MergeCountAndMissingModelsChoice) {
  parts::MergeDialog merge;
  EXPECT_EQ(merge.windowTitle(), "Слияние");
  EXPECT_EQ(merge.countBox()->minimum(), 1);
  EXPECT_EQ(merge.countBox()->maximum(), 100);
  EXPECT_EQ(merge.count(), 1);

  MissingModelsDialog missing({"Стол", "Комод"});
  EXPECT_EQ(missing.windowTitle(), "Модели");
  ASSERT_EQ(missing.list()->count(), 2);
  EXPECT_EQ(missing.list()->item(1)->text(), "Комод");
  EXPECT_TRUE(missing.ignoreChoice()->isChecked());
  EXPECT_FALSE(missing.createListFile());
  missing.createChoice()->setChecked(true);
  EXPECT_TRUE(missing.createListFile());
}
