#pragma once

// A program for the report and label commands: a data root prepared as a
// first start prepares it (shipped templates, the example's stock and
// catalogues), its settings, the main window with the maps commands and
// those of statistics and labels; the reports it shows are kept instead of
// previewed and its messages recorded.

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "maps/ui/Maps.h"
#include "maps/ui/MapsWindow.h"
#include "platform/report/PreparedReport.h"
#include "platform/text/Literals.h"
#include "reports/ui/LabelDialogs.h"
#include "reports/ui/ReportPreview.h"
#include "reports/ui/StatisticsAndLabels.h"
#include "shell/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <optional>
#include <vector>

namespace kroyna::reports::testing {

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

}  // namespace kroyna::reports::testing
