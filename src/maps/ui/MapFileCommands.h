#pragma once

// The commands around maps files: "Сохранить карты раскроя" (also the
// maps window's "&Сохранить"), "Открыть карты раскроя" and "... в INI -
// файл" of "Экспорт карт раскроя", with their file dialogs and messages;
// and the joining of these and of "П&ринять" to the running program.

#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>

class QWidget;

namespace kroyna::common {
class AppContext;
class MainFrame;
}  // namespace kroyna::common

namespace kroyna::maps {

class MapsDocument;
class MapsWindow;

// The file dialogs of the commands. Each gets the parent and the folder or
// file to start in and returns the chosen path, or an empty text when the
// user cancelled. Tests replace them.
struct MapFileDialogs {
  // "Сохранение карт раскроя", "Файл карт раскроя (*.map)", asks before
  // overwriting.
  std::function<QString(QWidget* parent, const QString& start)> save;
  // "Открытие карт раскроя", "Файл карт раскроя (*.map)" and "Все файлы";
  // the file must exist.
  std::function<QString(QWidget* parent, const QString& start)> open;
  // "Экспорт карт раскроя в INI - файл", "INI - файлы (*.ini)" and "Все
  // файлы", asks before overwriting.
  std::function<QString(QWidget* parent, const QString& start)> exportIni;
};
// The dialogs in use (the standard file dialogs unless a test replaced
// them).
MapFileDialogs& mapFileDialogs();

// ---- Without dialogs ----

// Writes the document to `path` (the colours are re-read from the settings
// first, so the file carries the current ones). On success the modified
// flag is cleared, the file name set and the caption becomes
// "Карты раскроя: " + the file's name. Returns an empty text on success,
// else the message for the user (values that do not fit the file, or why
// the file could not be written); the document is then as it was and an
// existing file untouched.
QString saveMapsTo(MapsDocument& document, const QString& path);

// Reads a maps file into the document (see loadMapFileData), sets the file
// name, the caption "Карты раскроя: " + the file's name and clears the
// modified flag. Returns false when the file cannot be read or is damaged;
// the document is then left empty.
bool openMapsFrom(MapsDocument& document, const QString& path);

// Writes the INI export of the document. Returns false on failure (an
// existing file is then as it was).
bool exportMapsTo(const MapsDocument& document, const QString& path);

// "Карты раскроя: " + the file's name without its folder.
QString mapsFileCaption(const QString& path);

// ---- Commands with dialogs and messages ----

// Save dialog (in the folder and with the name of the document's file when
// it exists, else in `mapsFolder`), then saveMapsTo; a failure is shown.
// Returns whether the document was saved.
bool saveMapsCommand(MapsWindow& window, const QString& mapsFolder);
// Open dialog in `mapsFolder`; a new maps window holds the file read, or
// "Ошибка открытия карт раскроя\rиз файла "%s"." is shown and no window
// stays. Returns the new window or nullptr.
MapsWindow* openMapsCommand(common::MainFrame& mainWindow, const QString& mapsFolder);
// Reads `path` into a new maps window, as openMapsCommand after its dialog.
// A file some maps window holds already (the same file by its canonical
// path) is not read again: that window comes forward and is returned. A
// file whose maps the journal of accepted results knows says so on its
// status lines and in the hint of "П&ринять".
MapsWindow* openMapsFile(common::MainFrame& mainWindow, const QString& path);
// When the journal `journal` last recorded these maps as accepted
// ("17.05.2024 10:30"); empty when never (or when there are no maps).
QString acceptedNoteOf(const MapsDocument& document, const std::filesystem::path& journal);
// Opens every argument that names an existing file whose extension is
// exactly ".map" with openMapsFile, in order (the files of a command line
// or of the desktop's "open with").
void openCommandLineMaps(common::MainFrame& mainWindow, const QStringList& arguments);
// Export dialog in `exportFolder`, then the export under the wait window;
// "Ошибка экспорта данных!" on failure.
void exportMapsCommand(MapsWindow& window, const QString& exportFolder);

// Attaches cut.saveMaps, cut.openMaps and cut.exportIni to the main window
// and the save and accept commands of every maps window. Call after
// maps::install.
void installMapFileCommands(common::AppContext& context);

}  // namespace kroyna::maps
