#pragma once

// What the system does with the files of the furniture design module
// (formats in DesignFiles.h):
//
// - a design-module parts file (`.dkm`) becomes a new untitled parts
//   database in a new parts window, offering the file's name with ".krb"
//   when it is first saved;
// - model list files (`.krm`) add their counts to the selection counts of
//   the models base window, which then shows "<Выбранные модели>"; the
//   names the models base lacks are reported and can be written back to a
//   model list file `AutoRun/tmp%d.krm` for the next start;
// - the start-up import takes every `.dkm` and `.krm` file waiting in the
//   folder `AutoRun`. A file that was imported is deleted; a file that
//   could not be imported is moved aside to `AutoRun/failed/`, with a
//   message naming it, so that nothing is lost and it is not tried again
//   at every start.
//
// Dialogs and windows are reached through hooks; messages go through
// common::showMessage. Qt Core only.

#include "models/DesignFiles.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kroyna::ini {
class IniFile;
}
namespace kroyna::parts {
class PartsDocument;
}

namespace kroyna::models {

class ModelsBase;
class PartsHost;

// ---- Design-module parts files ----

struct DesignImportResult {
  enum class Status {
    Imported,  // every part came in; the window is shown
    Partial,   // a part could not be stored: the window shows the parts before it
    Failed     // no window
  };
  Status status = Status::Failed;
  parts::PartsDocument* document = nullptr;
  QString message;  // for Partial and Failed: what to tell the user
};
// Imports the file into a new parts window. Shows no message itself
// (except those of the parts window's own creation).
DesignImportResult importDesignFile(const QString& path, ini::IniFile& settings, PartsHost& host);

// ---- Model list files ----

// Adds the counts of the entries to the selection counts of the models of
// `base` whose names match (the Latin letters a-z without regard to case,
// the first match in section order); entries of one model add up. Then
// shows "<Выбранные модели>". Returns the entries whose model is missing
// and whose count is above 0, in order, a name as often as it came.
std::vector<ModelListEntry> applyModelLists(ModelsBase& base, const std::vector<ModelListEntry>& entries);
// The names of the entries, each once, in order of first appearance.
QStringList distinctNames(const std::vector<ModelListEntry>& entries);
// Writes the entries to the first of tmp0.krm, tmp1.krm, ... that does not
// exist in `folder`; returns its path. Throws DesignFileError.
QString writeMissingModelsList(const QString& folder, const std::vector<ModelListEntry>& entries);

// ---- The AutoRun folder ----

struct AutoRunUi {
  // The window "Импорт баз деталей" with a progress bar of `maximum` steps;
  // then its kind line, file line and progress; then hidden.
  std::function<void(int maximum)> begin;
  std::function<void(const QString& kind, const QString& file, int progress)> step;
  std::function<void()> end;
  // Opens the models base window (or brings the open one forward) and
  // gives its base; nullptr after a message when it cannot be opened.
  std::function<ModelsBase*()> openModelsBase;
  // Makes the window show "<Выбранные модели>" in its section bar.
  std::function<void()> showSelectedModels;
  // The not-found dialog "Модели" over the names: true when the user chose
  // "Создать файл со списком моделей".
  std::function<bool(const QStringList& names)> askMissingModels;
  PartsHost* parts = nullptr;
};

// The start-up import of `dataRoot`/AutoRun. Does nothing (and shows no
// window) when the folder holds no `.dkm` and no `.krm` file.
void importAutoRun(const QString& dataRoot, ini::IniFile& settings, const AutoRunUi& ui);

// Moves a file that failed to import into `AutoRun/failed/` (a free name
// there); returns the new path, or an empty text when it could not be
// moved (`why` then says why).
QString moveAsideFailed(const QString& path, QString* why = nullptr);

}  // namespace kroyna::models
