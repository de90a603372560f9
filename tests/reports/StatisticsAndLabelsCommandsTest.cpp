// The label dialogs and the commands of the main window and of the
// statistics dialog, in a program folder prepared as a first start
// prepares it (shipped templates and the example's stock).

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "maps/ui/Maps.h"
#include "maps/ui/MapsWindow.h"
#include "maps/ui/StatisticsDialog.h"
#include "parts/ui/PartsWindow.h"
#include "platform/dbase/DbfFile.h"
#include "platform/ini/IniFile.h"
#include "platform/report/PreparedReport.h"
#include "platform/text/Literals.h"
#include "reports/ui/LabelDialogs.h"
#include "reports/ui/ReportPreview.h"
#include "reports/ui/StatisticsAndLabels.h"
#include "shell/MainWindow.h"
#include "warehouse/ui/Warehouse.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace kroyna::reports {
namespace {

using text::u;

// The reports shown, by their titles, and the texts of their objects.
struct Previews {
  std::vector<report::PreparedReport> shown;
  Previews() {
    setReportPreview([this](report::PreparedReport r, QWidget*) { shown.push_back(std::move(r)); });
  }
  ~Previews() { setReportPreview({}); }
  QStringList texts(std::size_t i) const {
    QStringList out;
    for (const report::PreparedPage& p : shown.at(i).pages)
      for (const auto& o : p.objects) out << o->texts();
    return out;
  }
  int cells(std::size_t i) const {
    int n = 0;
    for (const report::PreparedPage& p : shown.at(i).pages)
      for (const auto& o : p.objects) n += o->name == "Memo1";
    return n;
  }
};

struct Messages {
  QStringList texts;
  common::ScopedMessageHandler handler{[this](const QString& text, common::MsgIcon, common::MsgButtons) {
    texts << text;
    return common::MsgResult::No;
  }};
};

// A program: data root with the shipped files, settings, main window,
// the maps commands and the commands of statistics and labels.
class Program {
 public:
  Program()
      : root_(dir_.path()),
        prepared_(root_.prepare(QStringLiteral(KROYNA_SOURCE_DATA_DIR))),
        settings_((dir_.path() + QStringLiteral("/Kroyna.ini")).toStdString()),
        main_(root_, settings_),
        context_(root_, settings_) {
    context_.setMainWindow(&main_);
    maps::install(context_);
    installStatisticsAndLabels(context_);
    main_.show();
  }
  ~Program() {
    setLabelDialogRunner({});
    Messages quiet;  // closing windows may ask to save
    main_.documentArea()->closeAllSubWindows();
    QApplication::processEvents();
  }

  bool ready() const { return !prepared_.has_value(); }
  shell::MainWindow& main() { return main_; }
  common::AppContext& context() { return context_; }
  ini::IniFile& ini() { return settings_.ini(); }
  QString path(const QString& relative) const { return root_.path(relative); }
  bool enabled(const char* id) const { return main_.command(QString::fromLatin1(id))->isEnabled(); }
  void trigger(const char* id) { main_.command(QString::fromLatin1(id))->trigger(); }
  void activate(QWidget* w) {
    for (QMdiSubWindow* sub : main_.documentArea()->subWindowList())
      if (sub->widget() == w) main_.documentArea()->setActiveSubWindow(sub);
    QApplication::processEvents();
  }

  // A maps window with two maps of 3 and 1 parts; the first cut twice, with
  // a useful and a useless offcut.
  maps::MapsWindow* mapsWindow() {
    maps::MapsWindow* w = maps::openMapsWindow(main_);
    maps::SheetMap a;
    a.MaterialCode = 1;
    a.length = 2800;
    a.width = 2070;
    a.Quantity = 2;
    a.DetalsSquare = 3000000;
    a.ScrapSquare = 1000000;
    a.LostSquare = 1796000;
    a.TotalSquare = 2796000;
    for (const char* name : {"Бок", "Бок", "Полка"}) {
      maps::MapPart p;
      p.Title = name;
      p.length = 720;
      p.width = 560;
      a.Parts.push_back(p);
    }
    maps::MapOffcut useful;
    useful.ScrapType = maps::stNormalScrap;
    useful.ScrapName = "О-1";
    useful.length = 1000;
    useful.width = 1000;
    maps::MapOffcut waste;
    waste.length = 30;
    waste.width = 2070;
    a.Offcuts = {useful, waste};
    w->document().appendStoredMap(a);
    maps::SheetMap b = a;
    b.MaterialCode = 2;
    b.Quantity = 1;
    b.Parts.resize(1);
    b.Offcuts = {waste};
    w->document().appendStoredMap(b);
    w->refreshFromDocument();
    activate(w);
    return w;
  }

 private:
  QTemporaryDir dir_;
  common::DataRoot root_;
  std::optional<QString> prepared_;
  common::Settings settings_;
  shell::MainWindow main_;
  common::AppContext context_;
};

QSpinBox* spin(LabelDialog& d, const char* name) { return d.findChild<QSpinBox*>(QString::fromLatin1(name)); }
QCheckBox* box(LabelDialog& d, const char* name) { return d.findChild<QCheckBox*>(QString::fromLatin1(name)); }
QPushButton* button(LabelDialog& d, const char* name) { return d.findChild<QPushButton*>(QString::fromLatin1(name)); }
QRadioButton* radio(LabelDialog& d, int i) { return d.findChild<QRadioButton*>(QStringLiteral("align%1").arg(i)); }

std::vector<Label> someLabels(int n) {
  return std::vector<Label>(static_cast<std::size_t>(n),
                            Label{u("Бок"), u("720 x 560"), u("ЛДСП"), u("Кухня"), u("л: ПВХ\r")});
}

TEST(LabelDialogs, ControlsShowTheStoredSettingsAndClosingWritesThemBack) {
  Program p;
  ASSERT_TRUE(p.ready());
  Messages messages;
  p.ini().writeInt("Print_Detals_Label", "rgrAlignment", 7);
  p.ini().writeInt("Print_Detals_Label", "Width", 60);
  p.ini().writeBool("Print_Detals_Label", "cbxMaterial", false);
  const QString tmpl = p.path(QStringLiteral("Reports/ScrapsLbl.frf"));
  {
    LabelDialog d(LabelKind::Parts, someLabels(4), p.ini(), tmpl, false);
    EXPECT_EQ(d.windowTitle(), u("Печать ярлычков деталей"));
    EXPECT_TRUE(radio(d, 0)->isChecked());  // 7 opens as "по левому краю"
    EXPECT_EQ(radio(d, 0)->text(), u("по левому краю"));
    EXPECT_EQ(spin(d, "width")->value(), 60);
    EXPECT_EQ(spin(d, "height")->value(), 15);
    EXPECT_EQ(box(d, "code")->text(), u("Шифр детали"));
    EXPECT_EQ(box(d, "size")->text(), u("Размер детали"));
    EXPECT_FALSE(box(d, "material")->isChecked());
    ASSERT_NE(box(d, "edges"), nullptr);
    EXPECT_EQ(box(d, "edges")->text(), u("Кромки"));
    EXPECT_TRUE(box(d, "frame")->isChecked());
    EXPECT_FALSE(box(d, "wordWrap")->isChecked());
    EXPECT_TRUE(button(d, "printButton")->isDefault());
    EXPECT_EQ(button(d, "printButton")->text(), u("&Печать"));

    spin(d, "height")->setValue(30);
    box(d, "code")->setChecked(false);
    box(d, "wordWrap")->setChecked(true);
    radio(d, 2)->setChecked(true);
    d.setFontChooser([](const QFont& current, QWidget*) -> std::optional<QFont> {
      EXPECT_EQ(current.family(), u("Ms Sans Serif"));
      QFont f(u("DejaVu Sans"));
      f.setPointSize(12);
      f.setBold(true);
      return f;
    });
    button(d, "fontButton")->click();
    button(d, "closeButton")->click();
    EXPECT_TRUE(d.labels().empty());  // the rows are emptied on close
  }
  const LabelSettings stored = readLabelSettings(p.ini(), LabelKind::Parts);
  EXPECT_EQ(stored.width, 60);
  EXPECT_EQ(stored.height, 30);
  EXPECT_FALSE(stored.code);
  EXPECT_FALSE(stored.material);
  EXPECT_TRUE(stored.wordWrap);
  EXPECT_EQ(stored.alignment, AlignCenter);
  EXPECT_EQ(stored.font.name, "DejaVu Sans");
  EXPECT_EQ(stored.font.size, 12);
  EXPECT_TRUE(stored.font.bold);

  // The offcut dialog: its own captions and settings, no edge item; the
  // close box also writes.
  LabelDialog o(LabelKind::Offcuts, someLabels(1), p.ini(), tmpl, false);
  EXPECT_EQ(o.windowTitle(), u("Печать ярлычков остатков"));
  EXPECT_EQ(box(o, "code")->text(), u("Шифр остатка"));
  EXPECT_EQ(box(o, "size")->text(), u("Размер остатка"));
  EXPECT_EQ(box(o, "edges"), nullptr);
  EXPECT_EQ(spin(o, "height")->value(), 15);
  o.show();
  spin(o, "width")->setValue(80);
  o.close();
  EXPECT_EQ(readLabelSettings(p.ini(), LabelKind::Offcuts).width, 80);
  EXPECT_EQ(readLabelSettings(p.ini(), LabelKind::Parts).width, 60);
  EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u("|")).toStdString();
}

TEST(LabelDialogs, PageMarginsAreSharedAndPrintingUsesThemAndTheControls) {
  Program p;
  ASSERT_TRUE(p.ready());
  Messages messages;
  Previews previews;
  const QString tmpl = p.path(QStringLiteral("Reports/ScrapsLbl.frf"));
  LabelDialog parts(LabelKind::Parts, someLabels(5), p.ini(), tmpl, false);
  parts.setMarginsEditor([](const common::PageMargins& m, QWidget*) -> std::optional<common::PageMargins> {
    EXPECT_EQ(m, common::PageMargins{});
    return common::PageMargins{10, 20, 5, 0};
  });
  button(parts, "pageButton")->click();
  EXPECT_EQ(common::readPageMargins(p.ini(), "Lbl_PageParams"), (common::PageMargins{10, 20, 5, 0}));
  // The report margins of PageParams are not touched.
  EXPECT_EQ(common::readPageMargins(p.ini()), common::PageMargins{});

  LabelDialog offcuts(LabelKind::Offcuts, someLabels(1), p.ini(), tmpl, false);
  std::optional<common::PageMargins> seen;
  offcuts.setMarginsEditor([&](const common::PageMargins& m, QWidget*) -> std::optional<common::PageMargins> {
    seen = m;
    return std::nullopt;  // cancelled: nothing written
  });
  button(offcuts, "pageButton")->click();
  EXPECT_EQ(seen, (common::PageMargins{10, 20, 5, 0}));
  EXPECT_EQ(common::readPageMargins(p.ini(), "Lbl_PageParams"), (common::PageMargins{10, 20, 5, 0}));

  box(parts, "code")->setChecked(false);
  box(parts, "frame")->setChecked(false);
  button(parts, "printButton")->click();
  ASSERT_EQ(previews.shown.size(), 1u);
  EXPECT_EQ(previews.shown[0].title, u("Ярлычки отходов"));
  EXPECT_EQ(previews.cells(0), 5);
  const report::ReportObject& first = *previews.shown[0].pages[0].objects[0];
  EXPECT_DOUBLE_EQ(first.x, 72);  // 20 mm
  EXPECT_DOUBLE_EQ(first.y, 36);  // 10 mm
  EXPECT_EQ(first.frameLines, 0);
  EXPECT_EQ(previews.texts(0)[0], u("720 x 560\nЛДСП\nКухня\nл: ПВХ\n"));

  // A template that cannot be read: the report's own message.
  QFile::remove(tmpl);
  button(parts, "printButton")->click();
  EXPECT_EQ(previews.shown.size(), 1u);
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_TRUE(messages.texts[0].startsWith(u("Ошибка создания отчета.\r"))) << messages.texts[0].toStdString();
}

TEST(LabelCommands, EnabledByTheActiveWindowAndFilledFromIt) {
  Program p;
  ASSERT_TRUE(p.ready());
  Messages messages;
  std::vector<std::pair<LabelKind, std::vector<Label>>> opened;
  setLabelDialogRunner([&](LabelDialog& d) { opened.emplace_back(d.kind(), d.labels()); });

  EXPECT_FALSE(p.enabled("cut.partLabels"));
  EXPECT_FALSE(p.enabled("cut.scrapLabels"));
  EXPECT_FALSE(p.enabled("cut.materialStatistics"));

  // A maps window: both labels and the material consumption report.
  maps::MapsWindow* maps = p.mapsWindow();
  EXPECT_TRUE(p.enabled("cut.partLabels"));
  EXPECT_TRUE(p.enabled("cut.scrapLabels"));
  EXPECT_TRUE(p.enabled("cut.materialStatistics"));
  p.trigger("cut.partLabels");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].first, LabelKind::Parts);
  EXPECT_EQ(opened[0].second.size(), 7u);  // 3 parts × 2 sheets + 1
  p.trigger("cut.scrapLabels");
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1].first, LabelKind::Offcuts);
  ASSERT_EQ(opened[1].second.size(), 2u);  // the useful offcut, twice
  EXPECT_EQ(opened[1].second[0].code, u("О-1"));

  // Filtered to the second material: its map only.
  maps->selectMaterialRow(2);
  p.trigger("cut.partLabels");
  EXPECT_EQ(opened.back().second.size(), 1u);
  maps->selectMaterialRow(0);

  // Too many labels: refused with a message, no dialog.
  maps->document().map(0).Quantity = 50000;
  p.trigger("cut.partLabels");
  EXPECT_EQ(opened.size(), 3u);
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_EQ(messages.texts[0],
            u("Слишком много ярлычков: 150001.\rЗа один раз можно напечатать не более 100000 ярлычков."));
  maps->document().map(0).Quantity = 2;

  // A parts database window: part labels only, from its rows as shown.
  auto* parts = new parts::PartsWindow(p.path(QString()), p.ini());
  ASSERT_TRUE(parts->CreateGroup());
  ASSERT_TRUE(parts->AppendDetal(u("Фасад"), 716, 396, 4, 0, 0, 0, 0, 0, 1));
  ASSERT_TRUE(parts->AppendDetal(u("Цоколь"), 2400, 100, 1, 0, 0, 0, 0, 0, 1));
  p.main().addDocument(parts);
  p.activate(parts);
  parts->document().setCurrentRow(1);
  EXPECT_TRUE(p.enabled("cut.partLabels"));
  EXPECT_FALSE(p.enabled("cut.scrapLabels"));
  EXPECT_FALSE(p.enabled("cut.materialStatistics"));
  p.trigger("cut.partLabels");
  ASSERT_EQ(opened.size(), 4u);
  ASSERT_EQ(opened[3].second.size(), 5u);
  EXPECT_EQ(opened[3].second[0].code, u("Фасад"));
  EXPECT_EQ(opened[3].second[0].size, u("716 x 396"));
  EXPECT_EQ(opened[3].second[4].code, u("Цоколь"));
  EXPECT_EQ(parts->document().currentRow(), 0);  // back at the first row
  p.trigger("cut.scrapLabels");                  // not for this window
  EXPECT_EQ(opened.size(), 4u);

  // Another kind of window: neither.
  QMdiSubWindow* other = p.main().addDocument(new QLabel(QStringLiteral("other")));
  p.main().documentArea()->setActiveSubWindow(other);
  QApplication::processEvents();
  EXPECT_FALSE(p.enabled("cut.partLabels"));
  EXPECT_FALSE(p.enabled("cut.scrapLabels"));
}

TEST(LabelCommands, WarehouseOffcutsManyTimesEachAndAnAbsurdCountRefused) {
  Program p;
  ASSERT_TRUE(p.ready());
  Messages messages;
  std::vector<std::vector<Label>> opened;
  setLabelDialogRunner([&](LabelDialog& d) {
    EXPECT_EQ(d.kind(), LabelKind::Offcuts);
    opened.push_back(d.labels());
  });
  auto* wh = new warehouse::Warehouse(p.context(), &p.context());
  ASSERT_NE(wh->window(), nullptr);
  p.activate(wh->window());
  EXPECT_TRUE(p.enabled("cut.scrapLabels"));
  EXPECT_FALSE(p.enabled("cut.partLabels"));

  // The example's offcuts, each MANY times.
  long long many = 0;
  for (const auto& r : dbase::readDbfFile(p.path(QStringLiteral("Sheets/Scraps.dbf")).toStdString()).records)
    many += static_cast<long long>(r.values[3].number());
  ASSERT_GT(many, 0);
  p.trigger("cut.scrapLabels");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(static_cast<long long>(opened[0].size()), many);
  EXPECT_EQ(opened[0][0].code, u("О-101"));
  EXPECT_EQ(opened[0][0].size, u("1200 x 600"));
  EXPECT_EQ(opened[0][0].comment, QString());

  // A quantity typed wrong by two billion: refused before any row is built.
  wh->module().bookInOffcut("О-999", 500, 400, 2000000000, 1, dbase::Date{2026, 1, 15});
  wh->module().reselect();
  p.trigger("cut.scrapLabels");
  EXPECT_EQ(opened.size(), 1u);
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_TRUE(messages.texts[0].startsWith(u("Слишком много ярлычков: ")));
  wh->module().setChanged(warehouse::StockKind::Scraps, false);
  delete wh;
}

TEST(StatisticsCommands, StatisticsDialogPrintsTheVisibleMapsAndTheMenuAllMaterials) {
  Program p;
  ASSERT_TRUE(p.ready());
  Messages messages;
  Previews previews;
  maps::MapsWindow* maps = p.mapsWindow();
  maps->selectMaterialRow(2);  // the second material only
  maps->showStatistics();
  auto* dialog = maps->findChild<maps::StatisticsDialog*>();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(dialog->printButton()->isEnabled());
  dialog->printButton()->click();
  ASSERT_EQ(previews.shown.size(), 1u);
  EXPECT_EQ(previews.shown[0].title, u("Статистика раскроя"));
  const QString text = previews.texts(0).join(u("\n"));
  EXPECT_FALSE(text.contains(u("Карта 2")));
  EXPECT_TRUE(text.contains(u("Карта 1")));
  EXPECT_TRUE(text.contains(u("Лист: 2800 x 2070"))) << text.toStdString();
  EXPECT_TRUE(text.contains(u("Бесполезный отход: 1.796 кв м (30.99%)"))) << text.toStdString();
  EXPECT_TRUE(text.contains(u("---------"))) << text.toStdString();
  dialog->close();

  // The material consumption report covers every map whatever the filter.
  p.trigger("cut.materialStatistics");
  ASSERT_EQ(previews.shown.size(), 2u);
  EXPECT_EQ(previews.shown[1].title, u("Статистика по расходу материалов"));
  const QString summary = previews.texts(1).join(u("\n"));
  EXPECT_TRUE(summary.contains(u("2.000 "))) << summary.toStdString();  // material 1: 2 × 1 m² useful
  EXPECT_TRUE(summary.contains(u("3.592 "))) << summary.toStdString();  // material 1: 2 × 1.796 m² waste
  EXPECT_TRUE(summary.contains(u("1.796 "))) << summary.toStdString();  // material 2
  EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u("|")).toStdString();

  // A missing template: the report's own message, no preview.
  QFile::remove(p.path(QStringLiteral("Reports/ScrapsInfo.frf")));
  p.trigger("cut.materialStatistics");
  EXPECT_EQ(previews.shown.size(), 2u);
  ASSERT_EQ(messages.texts.size(), 1);
  EXPECT_TRUE(messages.texts[0].startsWith(u("Ошибка создания отчета.\r")));
}

TEST(EdgeStatistics, NamesAndLengthsOfTheVisibleMapsWithStoredColumnWidths) {
  Program p;
  ASSERT_TRUE(p.ready());
  Messages messages;
  maps::MapsWindow* maps = p.mapsWindow();
  // Edge banding on the first map's parts; the catalogue of this program
  // has no edges, so the names are empty and the lengths have no allowance.
  for (maps::MapPart& part : maps->document().map(0).Parts) part.TopBorder = 7;
  p.ini().writeInt("BorderInfo_Window", "ColWidth0", 140);
  maps->showStatistics();
  auto* dialog = maps->findChild<maps::StatisticsDialog*>();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(dialog->edgesButton()->isEnabled());
  dialog->edgesButton()->click();
  auto* edges = dialog->findChild<maps::EdgeStatisticsDialog*>();
  ASSERT_NE(edges, nullptr);
  EXPECT_EQ(edges->windowTitle(), u("Статиска кромок"));
  auto* table = edges->findChild<QTableWidget*>();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->horizontalHeaderItem(0)->text(), u("Название"));
  EXPECT_EQ(table->horizontalHeaderItem(1)->text(), u("Длина (м)"));
  ASSERT_EQ(table->rowCount(), 1);
  EXPECT_EQ(table->item(0, 1)->text(), u("4.32"));  // 3 parts × 720 mm × 2 sheets
  EXPECT_EQ(table->columnWidth(0), 140);
  EXPECT_GE(table->columnWidth(1), table->horizontalHeader()->sectionSizeHint(1));  // none kept: fits
  table->setColumnWidth(1, 90);
  edges->accept();
  EXPECT_EQ(p.ini().readInt("BorderInfo_Window", "ColWidth0", 0), 140);
  EXPECT_EQ(p.ini().readInt("BorderInfo_Window", "ColWidth1", 0), 90);
  dialog->close();

  // Without edge banding: "&Кромки" is off; the dialog itself shows one
  // empty row with "0".
  maps->selectMaterialRow(2);
  maps->showStatistics();
  QApplication::processEvents();
  maps::StatisticsDialog* second = nullptr;
  for (auto* d : maps->findChildren<maps::StatisticsDialog*>())
    if (d->isVisible()) second = d;
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(second->edgesButton()->isEnabled());
  second->close();
  maps::EdgeStatisticsDialog none({}, p.ini());
  auto* empty = none.findChild<QTableWidget*>();
  ASSERT_EQ(empty->rowCount(), 1);
  EXPECT_EQ(empty->item(0, 0)->text(), QString());
  EXPECT_EQ(empty->item(0, 1)->text(), u("0"));
  EXPECT_TRUE(messages.texts.isEmpty());
}

// Where no widths are kept, the columns show their titles and the edge
// names whole, and the dialog opens wide enough for both columns; what
// the user sets is kept under the same keys.
TEST(EdgeStatistics, WithoutKeptWidthsTheColumnsFitTheirTitlesAndNames) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ini::IniFile ini((dir.path() + "/Kroyna.ini").toStdString());
  const QString longName = u("ПВХ 2 мм белый глянец с клеем");
  auto dialog = std::make_unique<maps::EdgeStatisticsDialog>(
      std::vector<maps::EdgeUseRow>{{u("ABS 0,4"), u("3.10")}, {longName, u("12.40")}}, ini);
  dialog->show();
  QApplication::processEvents();
  auto* table = dialog->findChild<QTableWidget*>();
  ASSERT_NE(table, nullptr);
  for (int c = 0; c < 2; ++c) EXPECT_GE(table->columnWidth(c), table->horizontalHeader()->sectionSizeHint(c)) << c;
  EXPECT_GE(table->columnWidth(0), table->fontMetrics().horizontalAdvance(longName));
  EXPECT_GE(table->viewport()->width(), table->columnWidth(0) + table->columnWidth(1));
  EXPECT_EQ(table->horizontalScrollBar()->maximum(), 0);

  table->setColumnWidth(0, 150);
  const int fitted = table->columnWidth(1);
  dialog->accept();
  EXPECT_EQ(ini.readInt("BorderInfo_Window", "ColWidth0", 0), 150);
  EXPECT_EQ(ini.readInt("BorderInfo_Window", "ColWidth1", 0), fitted);
  dialog = std::make_unique<maps::EdgeStatisticsDialog>(std::vector<maps::EdgeUseRow>{{longName, u("12.40")}}, ini);
  table = dialog->findChild<QTableWidget*>();
  EXPECT_EQ(table->columnWidth(0), 150);
  EXPECT_EQ(table->columnWidth(1), fitted);
}

}  // namespace
}  // namespace kroyna::reports
