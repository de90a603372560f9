#include "catalogues/CatalogueWindows.h"
#include "catalogues/Catalogues.h"

#include "shell/AppContext.h"
#include "shell/DataRoot.h"
#include "shell/MainWindow.h"
#include "shell/Messages.h"
#include "shell/Settings.h"

namespace kroyna::catalogues {

void install(shell::AppContext& context) {
  auto* catalogues = new Catalogues(context.root().root(), context.settings().ini(), &context);

  QObject::connect(&context, &shell::AppContext::connectMaterials, catalogues, [catalogues, &context] {
    // Failures of the mode are reported inside and leave usable tables
    // current, so the start goes on; anything else stops it.
    try {
      catalogues->ApplyCatalogueMode();
    } catch (const std::exception& e) {
      context.failStartup(QString::fromUtf8(e.what()));
    }
  });
  QObject::connect(&context, &shell::AppContext::mainWindowShown, catalogues, [catalogues] {
    catalogues->ReloadEdgeList();
    catalogues->rereadDefaultEdge();
  });
  QObject::connect(&context, &shell::AppContext::defaultsChanged, catalogues,
                   [catalogues] { catalogues->rereadDefaultEdge(); });
  QObject::connect(&context, &shell::AppContext::mainWindowClosed, catalogues, [catalogues] {
    if (!catalogues->isExternal()) return;
    try {
      catalogues->writeEdgeColours();
    } catch (const std::exception& e) {
      shell::showError(QString::fromUtf8(e.what()));
    }
  });

  if (shell::MainWindow* window = context.mainWindow()) {
    window->attachCommand(QStringLiteral("set.switchMaterials"),
                          [catalogues, window] { runCatalogueSwitch(*catalogues, window); });
    window->attachCommand(QStringLiteral("set.materials"),
                          [catalogues, window] { runMaterialsWindow(*catalogues, window); });
    window->attachCommand(QStringLiteral("set.borders"), [catalogues, window] { runEdgesWindow(*catalogues, window); });
  }
}

}  // namespace kroyna::catalogues
