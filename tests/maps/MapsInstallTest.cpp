#include "maps/Maps.h"
#include "maps/TFormSheets.h"

#include "shell/AppContext.h"
#include "shell/DataRoot.h"
#include "shell/MainWindow.h"
#include "shell/Messages.h"
#include "shell/Settings.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace kroyna::maps {
namespace {

TEST(MapsInstall, MapsCommandsActOnTheActiveMapsWindowOnly) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  shell::DataRoot root(tmp.path());
  shell::Settings settings((tmp.path() + "/Kroyna.ini").toStdString());
  shell::MainWindow mainWindow(root, settings);
  shell::AppContext context(root, settings);
  context.setMainWindow(&mainWindow);
  install(context);
  mainWindow.show();

  TFormSheets* target = nullptr;
  attachMapsCommand(mainWindow, QStringLiteral("cut.saveMaps"), [&](TFormSheets& w) { target = &w; });
  QAction* save = mainWindow.command(QStringLiteral("cut.saveMaps"));
  EXPECT_FALSE(save->isEnabled());

  TFormSheets* maps = openMapsWindow(mainWindow);
  ASSERT_NE(maps, nullptr);
  QApplication::processEvents();
  EXPECT_EQ(maps->windowTitle(), QString::fromUtf8("<без названия>"));
  EXPECT_EQ(activeMapsWindow(mainWindow), maps);
  EXPECT_TRUE(save->isEnabled());
  save->trigger();
  EXPECT_EQ(target, maps);

  // Another kind of document window: the command goes off.
  QMdiSubWindow* other = mainWindow.addDocument(new QLabel(QStringLiteral("parts")));
  mainWindow.documentArea()->setActiveSubWindow(other);
  QApplication::processEvents();
  EXPECT_EQ(activeMapsWindow(mainWindow), nullptr);
  EXPECT_FALSE(save->isEnabled());

  // Closing the untouched-but-new result asks; "No" closes it.
  shell::ScopedMessageHandler answers(
      [](const QString&, shell::MsgIcon, shell::MsgButtons) { return shell::MsgResult::No; });
  mainWindow.documentArea()->closeAllSubWindows();
  QApplication::processEvents();
  EXPECT_TRUE(mainWindow.documentArea()->subWindowList().isEmpty());
}

}  // namespace
}  // namespace kroyna::maps
