// The wiring of the catalogue windows and dialogs: captions, toolbar
// commands, questions and what they change.

#include "CatalogueTestSupport.h"

#include "catalogues/ui/CatalogueWindows.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QToolButton>

#include <gtest/gtest.h>

namespace kroyna::catalogues::testing {
namespace {

// Counts the emissions of a signal.
struct SignalCount {
  template <class Sender, class Signal>
  SignalCount(Sender* sender, Signal signal) {
    QObject::connect(sender, signal, &context, [this] { ++n; });
  }
  int count() const { return n; }
  QObject context;
  int n = 0;
};

void pressKey(QWidget* widget, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
}

void typeText(QLineEdit* edit, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(edit, &press);
  }
}

class WindowsTest : public ::testing::Test, public CatalogueFixture {
 protected:
  WindowsTest() { catalogues->ApplyCatalogueMode(); }

  void useExternal() {
    writeCp1251(ext() / "listmat.ini", "[Materials]\n1=Внешний\n");
    writeCp1251(ext() / "borders.ini", "[Materials]\n1=Внешняя кромка\n");
    setExternal(ext());
    ASSERT_TRUE(catalogues->ApplyCatalogueMode());
  }
};

TEST_F(WindowsTest, CaptionsTellTheExternalBase) {
  {
    MaterialsWindow materials(*catalogues);
    EdgesWindow edges(*catalogues);
    EXPECT_EQ(materials.windowTitle(), "Материалы");
    EXPECT_EQ(edges.windowTitle(), "Кромки");
  }
  useExternal();
  MaterialsWindow materials(*catalogues);
  EdgesWindow edges(*catalogues);
  EXPECT_EQ(materials.windowTitle(), "Материалы (внешняя база)");
  EXPECT_EQ(edges.windowTitle(), "Кромки (внешняя база)");
  EXPECT_EQ(materials.model().rowCount(), 1);
  EXPECT_EQ(edges.model().rowCount(), 1);
}

TEST_F(WindowsTest, MaterialsWindowAddsSavesAndRefreshesLists) {
  addMaterials(paths().localMaterials(), {{"ДСП", 1}});
  ini->writeInt("Materials_Window", "ColWidth", 200);
  SignalCount refresh(catalogues.get(), &Catalogues::RefreshMaterialLists);
  MaterialsWindow window(*catalogues);
  EXPECT_EQ(window.grid().columnWidth(0), 200);
  EXPECT_TRUE(window.grid().isColumnHidden(1));
  EXPECT_EQ(window.model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Материал");

  // Insert in the grid adds a row with the next code.
  window.grid().setFocus();
  pressKey(&window.grid(), Qt::Key_Insert);
  ASSERT_EQ(window.model().rowCount(), 2);
  EXPECT_EQ(window.editor().row(1).code, 2);
  EXPECT_EQ(window.grid().currentIndex().row(), 1);
  // "О&тмена" drops a row that was added and never edited.
  window.cancelEditAction()->trigger();
  EXPECT_EQ(window.model().rowCount(), 1);

  window.addRow();
  window.model().setData(window.model().index(1, 0), "МДФ", Qt::EditRole);
  window.okAction()->trigger();
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_EQ(refresh.count(), 1);
  EXPECT_EQ(catalogues->materialName(2), "МДФ");
  EXPECT_FALSE(fs::exists(paths().temp() / "TempTp.dbf"));
  EXPECT_TRUE(shown.empty());
}

// With no width kept, the catalogue grids show their titles and longest
// names whole, and the windows open wide enough for their columns.
TEST_F(WindowsTest, WithoutKeptWidthsTheCatalogueColumnsFitTheirNames) {
  const QString longMaterial = QStringLiteral("ДСП ламинированная 16 мм Дуб сонома");
  addMaterials(paths().localMaterials(), {{"ДСП", 1}, {longMaterial.toStdString(), 2}});
  const QString longEdge = QStringLiteral("ПВХ 2 мм Дуб сонома с клеевым слоем");
  addEdges(paths().localEdges(), {{1, longEdge.toStdString(), 255, 2}});
  ASSERT_TRUE(catalogues->ApplyCatalogueMode());
  MaterialsWindow materials(*catalogues);
  materials.show();
  EdgesWindow edges(*catalogues);
  edges.show();
  QApplication::processEvents();
  for (QTableView* grid : {&materials.grid(), &edges.grid()}) {
    const int name = grid == &materials.grid() ? 0 : 1;
    EXPECT_GE(grid->columnWidth(name), grid->fontMetrics().horizontalAdvance(name == 0 ? longMaterial : longEdge));
    for (int c = 0; c < grid->model()->columnCount(); ++c)
      if (!grid->isColumnHidden(c)) {
        EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c));
      }
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);
  }
  // The width left is kept under the same key.
  materials.grid().setColumnWidth(0, 150);
  materials.close();
  EXPECT_EQ(ini->readInt("Materials_Window", "ColWidth", 0), 150);
}

TEST_F(WindowsTest, MaterialsWindowDeletesAtOnceAndClosesWithoutSaving) {
  addMaterials(paths().localMaterials(), {{"ДСП", 1}, {"МДФ", 2}});
  SignalCount refresh(catalogues.get(), &Catalogues::RefreshMaterialLists);
  MaterialsWindow window(*catalogues);
  window.grid().setCurrentIndex(window.model().index(0, 0));
  window.deleteAction()->trigger();
  EXPECT_TRUE(shown.empty());  // no question in the materials window
  EXPECT_EQ(window.model().rowCount(), 1);
  window.closeAction()->trigger();
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_EQ(refresh.count(), 0);
  EXPECT_EQ(catalogues->materialName(1), "ДСП");
}

TEST_F(WindowsTest, EdgesWindowAsksBeforeDeletingAndSaving) {
  addEdges(paths().localEdges(), {{1, "ПВХ", 0, 0}, {2, "АБС", 0, 0}});
  EdgesWindow window(*catalogues);
  window.grid().setCurrentIndex(window.model().index(0, 1));

  answer = common::MsgResult::No;
  window.deleteAction()->trigger();
  EXPECT_EQ(shownTexts(), QStringList{"Действительно удалить запись?"});
  EXPECT_EQ(window.model().rowCount(), 2);
  answer = common::MsgResult::Yes;
  window.deleteAction()->trigger();
  EXPECT_EQ(window.model().rowCount(), 1);

  shown.clear();
  window.saveAction()->trigger();
  EXPECT_EQ(shownTexts(), QStringList{"Действительно сохранить изменения базы кромок?"});
  EXPECT_FALSE(window.editor().isChanged());
  EXPECT_EQ(EdgesEditor(paths(), paths().localEdges()).rowCount(), 1);
}

TEST_F(WindowsTest, EdgesWindowColourAndOkRebuildTheEdgeList) {
  addEdges(paths().localEdges(), {{1, "ПВХ", 0, 0}});
  ini->writeInt("Border", "DefBorder", 1);
  catalogues->ReloadEdgeList();
  SignalCount changed(catalogues.get(), &Catalogues::edgesChanged);
  EdgesWindow window(*catalogues);
  QColor offered;
  window.setColourPicker([&](const QColor& initial, QWidget*) -> std::optional<QColor> {
    offered = initial;
    return QColor(0x12, 0x34, 0x56);
  });
  window.grid().setCurrentIndex(window.model().index(0, 1));
  window.colourAction()->trigger();
  EXPECT_EQ(offered, QColor(0, 0, 0));
  EXPECT_EQ(window.editor().row(0).colour, 0x563412);
  EXPECT_EQ(window.model().index(0, EdgesModel::ColourColumn).data(Qt::BackgroundRole).value<QColor>(),
            QColor(0x12, 0x34, 0x56));

  window.okAction()->trigger();
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_TRUE(shown.empty());  // "&Да" saves without asking
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(catalogues->edgeColor(1, -1), 0x563412);
  EXPECT_EQ(catalogues->defaultEdgeCode(), 1);
}

TEST_F(WindowsTest, ClosingTheEdgesWindowAsksAboutChanges) {
  addEdges(paths().localEdges(), {{1, "ПВХ", 0, 0}});
  const std::string before = readBytes(paths().localEdges());
  EdgesWindow window(*catalogues);
  window.addRow();
  window.model().setData(window.model().index(1, EdgesModel::NameColumn), "Кант", Qt::EditRole);
  ASSERT_TRUE(window.editor().isChanged());

  answer = common::MsgResult::Cancel;
  window.closeAction()->trigger();
  EXPECT_EQ(shownTexts(), QStringList{"Сохранить изменения в базе кромок?"});
  EXPECT_EQ(shown[0].icon, common::MsgIcon::Warning);
  EXPECT_TRUE(window.editor().isChanged());  // still open with its edits

  answer = common::MsgResult::No;
  window.closeAction()->trigger();
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_EQ(readBytes(paths().localEdges()), before);

  // Yes saves, and the edge list learns of it although the window closed
  // with "&Отмена".
  EdgesWindow again(*catalogues);
  const int row = again.editor().addRow();
  again.editor().setName(row, "Новая");
  answer = common::MsgResult::Yes;
  again.closeAction()->trigger();
  catalogues->ReloadEdgeList();
  EXPECT_EQ(catalogues->edgeName(2), "Новая");
}

// Down on the last row offers a new row; going back up without typing
// leaves the catalogue as it was: no blank material or edge is saved, and
// closing asks nothing.
TEST_F(WindowsTest, ANewRowLeftUntouchedIsDropped) {
  addMaterials(paths().localMaterials(), {{"ДСП", 1}});
  {
    MaterialsWindow window(*catalogues);
    window.grid().setCurrentIndex(window.model().index(0, 0));
    pressKey(&window.grid(), Qt::Key_Down);
    ASSERT_EQ(window.model().rowCount(), 2);
    pressKey(&window.grid(), Qt::Key_Down);  // stays on the new row
    EXPECT_EQ(window.model().rowCount(), 2);
    pressKey(&window.grid(), Qt::Key_Up);
    EXPECT_EQ(window.model().rowCount(), 1);
    EXPECT_EQ(window.grid().currentIndex().row(), 0);
    pressKey(&window.grid(), Qt::Key_Down);
    window.okAction()->trigger();  // saving leaves it too
    EXPECT_EQ(window.result(), QDialog::Accepted);
  }
  EXPECT_EQ(readMaterialList(paths().localMaterials()).size(), 1);

  addEdges(paths().localEdges(), {{1, "ПВХ", 0, 0}});
  EdgesWindow window(*catalogues);
  window.grid().setCurrentIndex(window.model().index(0, 1));
  pressKey(&window.grid(), Qt::Key_Down);
  ASSERT_EQ(window.model().rowCount(), 2);
  pressKey(&window.grid(), Qt::Key_Up);
  EXPECT_EQ(window.model().rowCount(), 1);
  EXPECT_FALSE(window.editor().isChanged());
  pressKey(&window.grid(), Qt::Key_Down);
  window.closeAction()->trigger();
  EXPECT_TRUE(shown.empty());  // nothing to save
  EXPECT_EQ(EdgesEditor(paths(), paths().localEdges()).rowCount(), 1);
}

TEST_F(WindowsTest, EdgeGridRefusesCodesThatAreNotAboveZero) {
  addEdges(paths().localEdges(), {{1, "ПВХ", 0, 0}});
  EdgesWindow window(*catalogues);
  EdgesModel& model = window.model();
  EXPECT_FALSE(model.setData(model.index(0, EdgesModel::CodeColumn), "0", Qt::EditRole));
  EXPECT_FALSE(model.setData(model.index(0, EdgesModel::CodeColumn), "abc", Qt::EditRole));
  EXPECT_TRUE(model.setData(model.index(0, EdgesModel::CodeColumn), "17", Qt::EditRole));
  EXPECT_TRUE(model.setData(model.index(0, EdgesModel::CodeColumn), "", Qt::EditRole));
  EXPECT_FALSE(window.editor().row(0).code.has_value());
  EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Припуск (мм)");
}

TEST_F(WindowsTest, MaterialChoiceDialog) {
  addMaterials(paths().localMaterials(), {{"МДФ", 4}, {"ДСП", 1}});
  ini->writeInt("SelMatDlg", "Columns", 3);
  {
    SelectMaterialDialog dialog(catalogues->materialList(false), 4, *ini);
    ASSERT_EQ(dialog.list().count(), 2);
    EXPECT_EQ(dialog.list().item(0)->text(), "ДСП");
    EXPECT_EQ(dialog.list().currentRow(), 1);
    EXPECT_EQ(dialog.chosenCode(), 4);
    EXPECT_EQ(dialog.columns().value(), 3);
    EXPECT_EQ(dialog.columns().minimum(), 1);
    dialog.columns().setValue(2);
    dialog.list().clearSelection();
    EXPECT_EQ(dialog.chosenCode(), -1);
  }
  EXPECT_EQ(ini->readInt("SelMatDlg", "Columns", 0), 2);
  SelectMaterialDialog unknown(catalogues->materialList(false), 77, *ini);
  EXPECT_EQ(unknown.chosenCode(), -1);
}

TEST_F(WindowsTest, MaterialReplaceDialogEnablesReplaceOnlyWithASelection) {
  addMaterials(paths().localMaterials(), {{"МДФ", 4}, {"ДСП", 1}});
  ReplaceMaterialDialog none("<не определен>", catalogues->materialList(false), 0, nullptr);
  EXPECT_FALSE(none.replaceButton().isEnabled());
  none.list().setCurrentRow(1);
  EXPECT_TRUE(none.replaceButton().isEnabled());
  EXPECT_EQ(none.chosenCode(), 4);

  ReplaceMaterialDialog preset("ДСП", catalogues->materialList(false), 1, nullptr);
  EXPECT_TRUE(preset.replaceButton().isEnabled());
  EXPECT_EQ(preset.chosenCode(), 1);
}

TEST_F(WindowsTest, MaterialSearchDialogFollowsTheText) {
  const QList<MaterialBarEntry> entries{{"<все материалы>", 999}, {"ДСП", 1}, {"дсп", 2}, {"AB", 3}};
  FindMaterialDialog dialog(entries, 2, nullptr);
  EXPECT_EQ(dialog.chosenIndex(), 2);
  EXPECT_TRUE(dialog.text().text().isEmpty());
  typeText(&dialog.text(), "дс");
  EXPECT_EQ(dialog.chosenIndex(), 2);
  dialog.text().setText("ab");
  EXPECT_EQ(dialog.chosenIndex(), 3);
  dialog.text().setText("нет такого");
  EXPECT_EQ(dialog.chosenIndex(), 0);
  dialog.text().setText("ДСП");
  dialog.show();
  pressKey(&dialog.text(), Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.chosenIndex(), 1);
}

TEST_F(WindowsTest, SwitchDialogChecksTheFolderAndAppliesTheMode) {
  CatalogueSwitchDialog dialog(*ini, "");
  EXPECT_TRUE(dialog.localButton().isChecked());
  EXPECT_FALSE(dialog.pathField().isEnabled());
  EXPECT_TRUE(dialog.pathField().isReadOnly());
  dialog.externalButton().setChecked(true);
  EXPECT_TRUE(dialog.pathField().isEnabled());

  // The browser goes on until a folder with both files is chosen.
  writeCp1251(ext() / "listmat.ini", "[Materials]\n1=Внешний\n");
  writeCp1251(ext() / "borders.ini", "[Materials]\n");
  std::vector<QString> offered{QString::fromStdString(paths().sheets().string()),
                               QString::fromStdString(ext().string())};
  dialog.setFolderPicker([&](const QString&, QWidget*) {
    const QString next = offered.front();
    offered.erase(offered.begin());
    return next;
  });
  dialog.browse();
  EXPECT_EQ(shownTexts(), QStringList{"По указанному пути базы материалов и кромок не найдены!"});
  EXPECT_EQ(dialog.pathField().text().toStdString(), ext().string());

  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(ini->readInt("MatBaseChange", "BaseType", 0), 1);
}

}  // namespace
}  // namespace kroyna::catalogues::testing
