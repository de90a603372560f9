// The wiring of the models base window and its dialogs: the main-window
// commands, one window at a time, the check boxes and the enabled commands,
// the layout kept in the settings file, and the dialogs' own checks.
#include "models/ui/ModelsWindow.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Settings.h"
#include "models/ModelsTestSupport.h"
#include "models/ui/ModelDialogs.h"
#include "models/ui/Models.h"
#include "parts/ui/Parts.h"
#include "parts/ui/PartsWindow.h"
#include "shell/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolBar>
#include <QTreeView>
#include <QValidator>

#include <algorithm>

using namespace kroyna;
using namespace kroyna::models;
using namespace kroyna::models::testing;

namespace {

int modelsWindows(shell::MainWindow& main) {
  int n = 0;
  for (QMdiSubWindow* sub : main.documentArea()->subWindowList()) n += qobject_cast<ModelsWindow*>(sub->widget()) != 0;
  return n;
}

parts::PartsWindow* activeParts(shell::MainWindow& main) {
  QMdiSubWindow* sub = main.documentArea()->activeSubWindow();
  return sub ? qobject_cast<parts::PartsWindow*>(sub->widget()) : nullptr;
}

}  // namespace

TEST(ModelsInstall, MainWindowCommandsAndOneWindow) {
  ModelsRoot folder;
  {
    ModelsFile file(folder.modelsFile());
    const ModelSection s = file.addSection("Кухни");
    parts::writePartTable(QString::fromStdString((folder / "Pattern" / "Group.dbf").string()),
                          QString::fromStdString((folder / "Catalog" / "mdl0.dbf").string()),
                          {part("Столешница", 1200, 600, 1), part("Ножка", 700, 50, 4)});
    file.addModel(s.storageName, ModelInfo{"Стол", 0, "mdl0", 0, ""});
  }
  const QString rootText = QString::fromStdString(folder.path().string());
  common::DataRoot root(rootText);
  common::Settings settings((folder / "Kroyna.ini").string());
  shell::MainWindow main(root, settings);
  common::AppContext context(root, settings);
  context.setMainWindow(&main);
  parts::install(context);
  models::install(context);
  main.show();

  QAction* base = main.command("models.base");
  QAction* add = main.command("models.add");
  EXPECT_TRUE(base->isEnabled());
  EXPECT_EQ(base->shortcut(), QKeySequence("Ctrl+M"));
  EXPECT_EQ(base->iconText(), "Модели");
  EXPECT_FALSE(add->isEnabled());

  // Two untitled parts bases are told apart; the second is maximised.
  main.command("group.new")->trigger();
  main.command("group.new")->trigger();
  QApplication::processEvents();
  QStringList titles;
  for (QMdiSubWindow* sub : main.documentArea()->subWindowList()) titles << sub->widget()->windowTitle();
  titles.sort();
  EXPECT_EQ(titles, (QStringList{"База деталей: <без названия 2>[*]", "База деталей: <без названия>[*]"}));
  main.documentArea()->activeSubWindow()->showMaximized();
  QApplication::processEvents();

  base->trigger();
  base->trigger();
  QApplication::processEvents();
  EXPECT_EQ(modelsWindows(main), 1);
  ModelsWindow* window = ModelsSubsystem::instance()->window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "База моделей");
  // Over the maximised window it opens maximised too, its title bar never
  // above the document area.
  auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->isMaximized());
  EXPECT_GE(frame->geometry().top(), 0);

  // "&Создать" opens a new untitled parts window with the selected model.
  window->base().setCount(0, 2);
  window->command("actBuild")->trigger();
  QApplication::processEvents();
  parts::PartsWindow* built = activeParts(main);
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(built->document().rowCount(), 2);
  EXPECT_EQ(built->document().models().size(), 1u);
  EXPECT_TRUE(add->isEnabled());

  // "Добавить модель" for the active parts window: the open models window
  // shows the new model at once.
  window->base().ui().askModelProperties = [](const QStringList&, const ModelProperties&) {
    return std::optional<ModelProperties>(ModelProperties{"Кухни", "Стол двойной"});
  };
  add->trigger();
  QApplication::processEvents();
  EXPECT_EQ(window->base().rowCount(), 2);
  EXPECT_EQ(ModelsFile(folder.modelsFile()).load()[0].models.size(), 2u);

  // "Открыть базу деталей" opens the model's parts under its name.
  window->base().showEntry(2);
  window->base().setCurrentRow(0);
  window->command("actOpenParts")->trigger();
  QApplication::processEvents();
  parts::PartsWindow* opened = activeParts(main);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->document().caption(), "Стол");

  common::ScopedMessageHandler no(
      [](const QString&, common::MsgIcon, common::MsgButtons) { return common::MsgResult::No; });
  main.documentArea()->closeAllSubWindows();
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
  EXPECT_EQ(ModelsSubsystem::instance()->window(), nullptr);
  EXPECT_FALSE(add->isEnabled());
  EXPECT_FALSE(settings.ini().readString("ModelsBase", "OutLook_Width").empty());
}

TEST(ModelsWindow, CheckBoxesEnabledCommandsAndLayout) {
  ModelsRoot folder;
  {
    ModelsFile file(folder.modelsFile());
    const ModelSection a = file.addSection("Шкафы");
    file.addSection("Пустой");
    file.addModel(a.storageName, ModelInfo{"Шкаф", 0, "mdl0", 0, ""});
  }
  ini::IniFile settings(folder / "Kroyna.ini");
  settings.writeInt("ModelsBase", "OutLook_Width", 150);
  settings.writeInt("ModelsBase", "lvw_Width0", 210);
  auto* window = new ModelsWindow(QString::fromStdString(folder.path().string()), settings);
  ASSERT_TRUE(window->open());
  window->show();
  QApplication::processEvents();

  QListWidget* bar = window->sectionBar();
  ASSERT_EQ(bar->count(), 4);
  EXPECT_EQ(bar->item(0)->text(), "<Все модели>");
  EXPECT_EQ(bar->item(1)->text(), "<Выбранные модели>");
  EXPECT_EQ(bar->item(2)->text(), "Пустой");
  EXPECT_EQ(bar->currentRow(), 0);
  EXPECT_EQ(window->modelList()->columnWidth(0), 210);  // kept
  // Not kept: as wide as its header "Количество", and at least the old 65.
  EXPECT_GE(window->modelList()->columnWidth(1),
            std::max(65, window->modelList()->fontMetrics().horizontalAdvance("Количество")));
  EXPECT_FALSE(window->command("actRenameSection")->isEnabled());
  EXPECT_TRUE(window->command("actCount")->isEnabled());

  // The check box sets the count to 1 and the row shows it.
  QAbstractItemModel* list = window->modelList()->model();
  ASSERT_EQ(list->rowCount(), 1);
  EXPECT_EQ(list->data(list->index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
  list->setData(list->index(0, 0), Qt::Checked, Qt::CheckStateRole);
  EXPECT_EQ(list->data(list->index(0, 1)).toString(), "1");
  EXPECT_EQ(list->data(list->index(0, 0), Qt::CheckStateRole).toInt(), Qt::Checked);

  // An empty real section: section commands on, model commands off.
  bar->setCurrentRow(2);
  EXPECT_EQ(list->rowCount(), 0);
  EXPECT_TRUE(window->command("actRenameSection")->isEnabled());
  EXPECT_TRUE(window->command("actDeleteSection")->isEnabled());
  for (const char* name : {"actCount", "actExport", "actModelProperties", "actOpenParts", "actDeleteModel"})
    EXPECT_FALSE(window->command(name)->isEnabled()) << name;
  EXPECT_TRUE(window->command("actBuild")->isEnabled());
  bar->setCurrentRow(1);
  EXPECT_EQ(list->rowCount(), 1);

  window->modelList()->setColumnWidth(1, 90);
  window->close();
  EXPECT_EQ(settings.readInt("ModelsBase", "lvw_Width1", 0), 90);
  EXPECT_EQ(settings.readInt("ModelsBase", "lvw_Width0", 0), 210);
  EXPECT_GT(settings.readInt("ModelsBase", "OutLook_Width", 0), 0);
  delete window;
}

TEST(ModelDialogs, SectionNameModelPropertiesAndCountPopup) {
  SectionNameDialog names("   ");
  EXPECT_EQ(names.windowTitle(), "Ввод названия");
  EXPECT_FALSE(names.okButton()->isEnabled());
  names.edit()->setText("  Кухни ");
  EXPECT_TRUE(names.okButton()->isEnabled());
  EXPECT_EQ(names.name(), "Кухни");

  ModelPropertiesDialog props({"Kitchen", "Кухни"}, ModelProperties{"KITCHEN", ""});
  EXPECT_EQ(props.windowTitle(), "Свойства модели");
  EXPECT_EQ(props.sectionBox()->currentText(), "Kitchen");
  Messages messages;
  props.show();
  props.accept();  // no model name: the dialog stays
  EXPECT_EQ(messages.texts, QStringList{"Необходимо указать название модели"});
  EXPECT_TRUE(props.isVisible());
  props.sectionBox()->setCurrentIndex(-1);
  props.nameEdit()->setText("Стол");
  props.accept();
  EXPECT_EQ(messages.texts.last(), "Необходимо указать название раздела базы моделей");
  EXPECT_TRUE(props.isVisible());
  props.sectionBox()->setCurrentIndex(1);
  props.accept();
  EXPECT_EQ(props.result(), QDialog::Accepted);
  EXPECT_EQ(props.values().section, "Кухни");

  CountPopup popup(3);
  EXPECT_EQ(popup.windowTitle(), "Изменение количества");
  EXPECT_EQ(popup.edit()->text(), "3");
  EXPECT_EQ(popup.edit()->selectedText(), "3");
  const QValidator* v = popup.edit()->validator();
  QString text;
  int pos = 0;
  for (const char* bad : {"-1", "12345678901", "3e5", "1.2.3"}) {
    text = bad;
    EXPECT_EQ(v->validate(text, pos), QValidator::Invalid) << bad;
  }
  for (const char* good : {"", "0", "2147483647", "9999999999", "2,5", "7."}) {
    text = good;
    EXPECT_EQ(v->validate(text, pos), QValidator::Acceptable) << good;
  }
  popup.edit()->setText("");
  EXPECT_EQ(popup.count(), 0);
  popup.edit()->setText("9999999999");
  EXPECT_EQ(popup.count(), 2147483647);
}
