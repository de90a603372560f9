#include "catalogues/Catalogues.h"
#include "catalogues/ui/CatalogueWindows.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"

namespace kroyna::catalogues {

void install(common::AppContext& context) {
  auto* catalogues = new Catalogues(context.root().root(), context.settings().ini(), &context);

  QObject::connect(&context, &common::AppContext::connectMaterials, catalogues, [catalogues, &context] {
    // Failures of the mode are reported inside and leave usable tables
    // current, so the start goes on; anything else stops it.
    try {
      catalogues->ApplyCatalogueMode();
    } catch (const std::exception& e) {
      context.failStartup(QString::fromUtf8(e.what()));
    }
  });
  QObject::connect(&context, &common::AppContext::mainWindowShown, catalogues, [catalogues] {
    catalogues->ReloadEdgeList();
    catalogues->rereadDefaultEdge();
  });
  QObject::connect(&context, &common::AppContext::defaultsChanged, catalogues,
                   [catalogues] { catalogues->rereadDefaultEdge(); });
  QObject::connect(&context, &common::AppContext::mainWindowClosed, catalogues, [catalogues] {
    if (!catalogues->isExternal()) return;
    try {
      catalogues->writeEdgeColours();
    } catch (const std::exception& e) {
      common::showError(QString::fromUtf8(e.what()));
    }
  });

  if (common::MainFrame* window = context.mainWindow()) {
    window->attachCommand(QStringLiteral("set.switchMaterials"),
                          [catalogues, window] { runCatalogueSwitch(*catalogues, window); });
    window->attachCommand(QStringLiteral("set.materials"),
                          [catalogues, window] { runMaterialsWindow(*catalogues, window); });
    window->attachCommand(QStringLiteral("set.borders"), [catalogues, window] { runEdgesWindow(*catalogues, window); });
  }
}

}  // namespace kroyna::catalogues
