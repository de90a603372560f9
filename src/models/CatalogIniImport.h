#pragma once

// The one-time import of the old models catalogue `Catalog.ini` (in the
// program folder) into the models file `Models.dat` ("Импорт базы
// моделей"):
//
//   [Sections]        any key = the display name of a section
//   [<key>]           model key = the display name of a model
//   [<key>_]          model key = the base name of its parts table in Catalog
//
// The models file is replaced: it becomes the empty template with one
// section storage imModelSection1, 2, ... per key of [Sections] and one
// model stream imModel1, 2, ... per model of each section, in file order.
// The parts tables are neither copied nor checked; they must already be in
// `Catalog`.
//
// Before anything changes, `Models.dat` is copied to `Temp/Models.dat`. A
// failure puts that copy back; when even that fails, the copy is kept and
// the message says where it is. Questions and messages go through
// common::showMessage. Qt Core only.

#include "models/ModelsBase.h"

#include <functional>

namespace kroyna::models {

struct CatalogImportUi {
  // Closes the models base window when it is open (its counts go).
  std::function<void()> closeModelsWindow;
  // Shows (true) and hides (false) the please-wait window.
  std::function<void(bool shown)> waiting;
  // For tests: runs right after the safety copy has been made.
  std::function<void()> afterSafetyCopy;
};

// Asks twice, then imports. Returns true when the models file holds the
// catalogue.
bool importOldCatalogue(const ModelsPaths& paths, const CatalogImportUi& ui);

}  // namespace kroyna::models
