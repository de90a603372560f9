#include "maps/ui/Maps.h"

#include "catalogues/Catalogues.h"
#include "common/AppContext.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"
#include "maps/ProgramEnvironment.h"
#include "maps/ui/MapsWindow.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <map>
#include <memory>

namespace kroyna::maps {

namespace {

// The environment asks the catalogues of the moment: they are made and
// switched while the program runs.
class LiveEnvironment : public MapsEnvironment {
 public:
  explicit LiveEnvironment(const ini::IniFile& settings) : settings_(settings) {}
  ProgramEnvironment now() const { return ProgramEnvironment(settings_, catalogues::Catalogues::instance()); }

  MapColours colours() const override { return now().colours(); }
  common::ScrapCriteria scrapCriteria(int code) const override { return now().scrapCriteria(code); }
  QString materialName(int code) const override { return now().materialName(code); }
  QList<int> materialOrder() const override { return now().materialOrder(); }
  std::int32_t edgeColour(int code, std::int32_t def) const override { return now().edgeColour(code, def); }
  int edgeAllowance(int code) const override { return now().edgeAllowance(code); }
  QString edgeName(int code) const override { return now().edgeName(code); }
  common::FontKeys mapFont() const override { return now().mapFont(); }
  int sqrDigits() const override { return now().sqrDigits(); }
  int lenDigits() const override { return now().lenDigits(); }

 private:
  const ini::IniFile& settings_;
};

struct State {
  // One environment per settings file, kept for the life of the program:
  // windows hold on to the one they were made with.
  std::map<const ini::IniFile*, std::unique_ptr<LiveEnvironment>> environments;
  LiveEnvironment* environment = nullptr;
  ini::IniFile* settings = nullptr;
  // Commands enabled only while a maps window is active.
  QList<QPointer<QAction>> commands;
};

State& state() {
  static State s;
  return s;
}

void updateCommands(const common::MainFrame& mainWindow) {
  const bool active = activeMapsWindow(mainWindow) != nullptr;
  for (const QPointer<QAction>& a : state().commands)
    if (a) a->setEnabled(active);
}

void useSettings(common::MainFrame& mainWindow) {
  State& s = state();
  ini::IniFile& ini = mainWindow.settings().ini();
  auto& slot = s.environments[&ini];
  if (!slot) slot = std::make_unique<LiveEnvironment>(ini);
  s.settings = &ini;
  s.environment = slot.get();
}

}  // namespace

const MapsEnvironment& programEnvironment() {
  Q_ASSERT(state().environment);
  return *state().environment;
}

MapsWindow* openMapsWindow(common::MainFrame& mainWindow) {
  useSettings(mainWindow);
  auto* window = new MapsWindow(*state().environment, *state().settings);
  mainWindow.addDocument(window);
  updateCommands(mainWindow);
  return window;
}

MapsWindow* activeMapsWindow(const common::MainFrame& mainWindow) {
  QMdiSubWindow* sub = mainWindow.documentArea()->activeSubWindow();
  return sub ? qobject_cast<MapsWindow*>(sub->widget()) : nullptr;
}

void attachMapsCommand(common::MainFrame& mainWindow, const QString& id, std::function<void(MapsWindow&)> handler) {
  common::MainFrame* window = &mainWindow;
  mainWindow.attachCommand(id, [window, handler = std::move(handler)] {
    if (MapsWindow* maps = activeMapsWindow(*window)) handler(*maps);
  });
  if (QAction* a = mainWindow.command(id)) state().commands.append(a);
  updateCommands(mainWindow);
}

void install(common::AppContext& context) {
  common::MainFrame* mainWindow = context.mainWindow();
  if (!mainWindow) return;
  useSettings(*mainWindow);
  QObject::connect(mainWindow->documentArea(), &QMdiArea::subWindowActivated, mainWindow,
                   [mainWindow](QMdiSubWindow*) { updateCommands(*mainWindow); });
  // The status lines follow the decimals of the defaults.
  QObject::connect(&context, &common::AppContext::defaultsChanged, mainWindow, [mainWindow] {
    for (QMdiSubWindow* sub : mainWindow->documentArea()->subWindowList())
      if (auto* maps = qobject_cast<MapsWindow*>(sub->widget())) maps->refreshMaps();
  });
}

}  // namespace kroyna::maps
