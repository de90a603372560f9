#pragma once

// The design-module import in the running program: the command "... из
// конструкторского модуля", the start-up import of the AutoRun folder
// (between the recent bases and the bases of the command line) with its
// progress window and not-found dialog, and "Импорт базы моделей" of the
// "&Модели" menu. What they decide is in DesignImport.h and
// CatalogIniImport.h.

namespace kroyna::common {
class AppContext;
}

namespace kroyna::models {

void installDesignImport(common::AppContext& context);

}  // namespace kroyna::models
