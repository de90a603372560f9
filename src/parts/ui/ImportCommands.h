#pragma once

// The import, export and merge commands of the "&База деталей" menu in the
// running program: "Импорт ..." (tab-separated, 1.x, 2.x), "Экспорт ..."
// and "Слияние" (also the parts window's "С&лияние"), with their file
// dialogs and the merge dialog. What they decide is in PartsImport.h and
// PartsMerge.h.

#include "models/ModelsBase.h"

#include <QList>

namespace kroyna::common {
class AppContext;
}

namespace kroyna::parts {

class PartsWindow;

// New parts windows of the parts subsystem, for the imports: made hidden,
// shown in the document area when the import succeeded, else deleted.
class PartsWindowHost : public models::PartsHost {
 public:
  PartsDocument* newDocument() override;
  void show(PartsDocument* document) override;
  void discard(PartsDocument* document) override;

 private:
  PartsWindow* take(PartsDocument* document);
  QList<PartsWindow*> pending_;
};

// Attaches the commands to the main window of `context`.
void installImports(common::AppContext& context);

}  // namespace kroyna::parts
