// "Параметры по умолчанию" changes what open windows show: the decimals of
// the parts windows' totals and of the maps windows' status lines, and the
// default edge banding, whichever way the dialog was opened.
#include "catalogues/Catalogues.h"
#include "maps/MapsTestSupport.h"
#include "maps/ui/Maps.h"
#include "maps/ui/MapsWindow.h"
#include "parts/ui/Parts.h"
#include "parts/ui/PartsWindow.h"
#include "platform/ini/IniFile.h"
#include "run/ui/DefaultParamsDialog.h"
#include "run/ui/LayoutOptionsDialog.h"
#include "support/ProgramFixture.h"

#include <QAction>
#include <QLabel>
#include <QSpinBox>
#include <QStatusBar>

#include <gtest/gtest.h>

namespace kroyna::run {
namespace {

QString areaPanel(parts::PartsWindow& w) {
  for (QLabel* l : w.statusBar()->findChildren<QLabel*>())
    if (l->text().startsWith(QStringLiteral("Площадь: "))) return l->text();
  return {};
}

TEST(DefaultsRefresh, OpenPartsAndMapsWindowsTakeTheNewDecimals) {
  testing::Program p;
  parts::PartsWindow* parts =
      parts::PartsSubsystem::instance()->openBase(p.root().path(QStringLiteral("Groups/Пример.krb")));
  ASSERT_NE(parts, nullptr);
  // Three decimals of an area before ("0.123 кв м").
  EXPECT_TRUE(areaPanel(*parts).contains(QRegularExpression(QStringLiteral("\\d\\.\\d{3} кв м$"))))
      << areaPanel(*parts).toStdString();

  maps::MapsWindow* mapsWindow = maps::openMapsWindow(p.main());
  maps::testing::LayoutBuilder b(2800, 2070);
  b.place(b.part("Бок", 700, 560), 10, 10);
  mapsWindow->addMap(QStringLiteral("1: Лист 1"), 1, b.finished(), 4, QString());
  const QString before = mapsWindow->page(0)->line1()->panels().value(1);
  EXPECT_TRUE(before.contains(QRegularExpression(QStringLiteral("^Отход: \\d+\\.\\d{3} кв м"))))
      << before.toStdString();

  testing::Program::whenModal<DefaultParamsDialog>([](DefaultParamsDialog& d) {
    d.sqrDigitsBox()->setValue(5);
    d.lenDigitsBox()->setValue(0);
    d.accept();
  });
  p.main().command(QStringLiteral("set.defaults"))->trigger();

  EXPECT_TRUE(areaPanel(*parts).contains(QRegularExpression(QStringLiteral("\\d\\.\\d{5} кв м$"))))
      << areaPanel(*parts).toStdString();
  const QString after = mapsWindow->page(0)->line1()->panels().value(1);
  EXPECT_TRUE(after.contains(QRegularExpression(QStringLiteral("^Отход: \\d+\\.\\d{5} кв м")))) << after.toStdString();
  const QString cuts = mapsWindow->page(0)->line2()->panels().value(4);
  EXPECT_TRUE(cuts.contains(QRegularExpression(QStringLiteral("^Длина резов: \\d+ м$")))) << cuts.toStdString();
}

TEST(DefaultsRefresh, TheDialogOfTheLayoutOptionsRereadsTheDefaultEdge) {
  testing::Program p;
  catalogues::Catalogues* c = catalogues::Catalogues::instance();
  ASSERT_NE(c, nullptr);
  // The default edge in the file differs from the one the program holds
  // (chosen in "Параметры по умолчанию" of another start).
  ASSERT_GE(c->edgeList().size(), 2);
  const int edge = c->edgeList().codes.last().toInt();
  ASSERT_NE(edge, c->defaultEdgeCode());
  p.settings().ini().writeInt("Border", "DefBorder", edge);

  LayoutOptionsModel model(p.settings().ini(), p.root().path(QStringLiteral("Kroyna.tmp")).toStdString(),
                           {{1, QStringLiteral("ДСП")}}, [](int) { return std::string(); });
  model.open();
  LayoutOptionsDialog dialog(model, {});
  testing::Program::whenModal<DefaultParamsDialog>([](DefaultParamsDialog& d) { d.accept(); });
  dialog.openDefaults();
  EXPECT_EQ(c->defaultEdgeCode(), edge);
}

}  // namespace
}  // namespace kroyna::run
