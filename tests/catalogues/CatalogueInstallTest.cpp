// The catalogues in the running program: the start-up step applies the
// mode, the first show builds the edge list, the exit writes the colours
// file in external mode, and the settings menu's commands are attached.

#include "CatalogueTestSupport.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Settings.h"
#include "shell/MainWindow.h"

#include <QAction>

#include <gtest/gtest.h>

namespace kroyna::catalogues::testing {
namespace {

class InstallTest : public ::testing::Test {
 protected:
  InstallTest()
      : messages_([this](const QString& text, common::MsgIcon, common::MsgButtons) {
          shown << text;
          return common::MsgResult::Ok;
        }) {
    for (const char* d : {"Pattern", "Sheets", "Temp", "ext"}) fs::create_directories(dir.path() / d);
    for (const char* t : {"Types.dbf", "Borders.dbf"}) {
      fs::copy_file(fs::path(KROYNA_SOURCE_DATA_DIR) / "Pattern" / t, dir.path() / "Pattern" / t);
    }
    root = std::make_unique<common::DataRoot>(QString::fromStdString(dir.path().string()));
    settings = std::make_unique<common::Settings>(dir / "Kroyna.ini");
    window = std::make_unique<shell::MainWindow>(*root, *settings);
    context = std::make_unique<common::AppContext>(*root, *settings);
    context->setMainWindow(window.get());
    install(*context);
  }
  ~InstallTest() override {
    context.reset();
    window.reset();
  }

  void writeExternal() {
    writeBytes(dir / "ext" / "listmat.ini", text::utf8ToCp1251("[Materials]\r\n1=ДСП\r\n"));
    writeBytes(dir / "ext" / "borders.ini", text::utf8ToCp1251("[Materials]\r\n3=ПВХ\r\n1=АБС\r\n"));
    writeBytes(dir / "brdolors.ini", "3=255\r\n");
    settings->ini().writeInt("MatBaseChange", "BaseType", 1);
    settings->ini().writeString("MatBaseChange", "BasePath", (dir / "ext").string());
  }

  TempDir dir;
  QStringList shown;
  std::unique_ptr<common::DataRoot> root;
  std::unique_ptr<common::Settings> settings;
  std::unique_ptr<shell::MainWindow> window;
  std::unique_ptr<common::AppContext> context;

 private:
  common::ScopedMessageHandler messages_;
};

TEST_F(InstallTest, ExternalModeFromStartToExit) {
  writeExternal();
  settings->ini().writeInt("Border", "DefBorder", 3);
  Catalogues* catalogues = Catalogues::instance();
  ASSERT_NE(catalogues, nullptr);

  emit context->connectMaterials();
  EXPECT_TRUE(context->startupError().isEmpty());
  EXPECT_TRUE(catalogues->isExternal());
  EXPECT_EQ(catalogues->materialName(1), "ДСП");
  EXPECT_EQ(catalogues->edgeList().size(), 1);  // built when the window shows

  emit context->mainWindowShown();
  EXPECT_EQ(catalogues->edgeList().names, (QStringList{"<нет>", "АБС", "ПВХ"}));
  EXPECT_EQ(catalogues->edgeColor(3, 0), 255);
  EXPECT_EQ(catalogues->defaultEdgeCode(), 3);

  emit context->mainWindowClosed();
  EXPECT_EQ(readBytes(dir / "brdolors.ini"), "0=-2147483633\r\n1=0\r\n3=255\r\n");
  EXPECT_TRUE(shown.isEmpty());
}

TEST_F(InstallTest, LocalModeLeavesTheColoursFileAlone) {
  writeBytes(dir / "brdolors.ini", "3=255\r\n");
  emit context->connectMaterials();
  EXPECT_FALSE(Catalogues::instance()->isExternal());
  EXPECT_TRUE(fs::exists(dir / "Sheets" / "Types.dbf"));
  emit context->mainWindowShown();
  emit context->mainWindowClosed();
  EXPECT_EQ(readBytes(dir / "brdolors.ini"), "3=255\r\n");
}

TEST_F(InstallTest, CatalogueCommandsAreAttached) {
  for (const char* id : {"set.switchMaterials", "set.materials", "set.borders"}) {
    QAction* action = window->command(QString::fromLatin1(id));
    ASSERT_NE(action, nullptr) << id;
    EXPECT_TRUE(action->isEnabled()) << id;
  }
}

}  // namespace
}  // namespace kroyna::catalogues::testing
