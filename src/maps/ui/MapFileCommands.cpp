#include "maps/ui/MapFileCommands.h"

#include "common/AppContext.h"
#include "common/DataRoot.h"
#include "common/Messages.h"
#include "common/Settings.h"
#include "common/ui/MainFrame.h"
#include "common/ui/WaitWindow.h"
#include "maps/AcceptJournal.h"
#include "maps/AcceptResult.h"
#include "maps/MapFileDocument.h"
#include "maps/model/MapExport.h"
#include "maps/model/MapFile.h"
#include "maps/ui/Maps.h"
#include "maps/ui/MapsWindow.h"
#include "platform/file/QtPaths.h"
#include "platform/file/ReadFile.h"
#include "platform/text/Literals.h"
#include "warehouse/ui/Warehouse.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <exception>
#include <fstream>
#include <optional>
#include <sstream>

namespace kroyna::maps {
namespace {

using text::u;

using platform::toPath;

QString askFile(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                const QString& suffix, bool saving) {
  QFileDialog dialog(parent, title);
  dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(filter);
  dialog.setDefaultSuffix(suffix);
  // The standard dialog asks before overwriting an existing file.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  const QFileInfo info(start);
  if (info.isDir()) {
    dialog.setDirectory(start);
  } else {
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

MapFileDialogs standardDialogs() {
  MapFileDialogs d;
  d.save = [](QWidget* parent, const QString& start) {
    return askFile(parent, u("Сохранение карт раскроя"), start, u("Файл карт раскроя (*.map)"), u("map"), true);
  };
  d.open = [](QWidget* parent, const QString& start) {
    return askFile(parent, u("Открытие карт раскроя"), start, u("Файл карт раскроя (*.map);;Все файлы (*)"), u("map"),
                   false);
  };
  d.exportIni = [](QWidget* parent, const QString& start) {
    return askFile(parent, u("Экспорт карт раскроя в INI - файл"), start, u("INI - файлы (*.ini);;Все файлы (*)"),
                   u("ini"), true);
  };
  return d;
}

// The name a dialog would give: the default extension when none was typed.
QString withSuffix(const QString& path, const char* suffix) {
  if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
  return path + u(".") + u(suffix);
}

std::string readAll(const QString& path) {
  platform::ReadFailure why;
  std::optional<std::string> bytes = platform::readWholeFile(toPath(path), why);
  if (bytes) return std::move(*bytes);
  if (why.kind == platform::ReadFailure::Kind::CannotRead || why.kind == platform::ReadFailure::Kind::TooLarge)
    throw MapFileError("Не удаётся прочитать файл " + path.toStdString() + ".");
  throw MapFileError("Не удаётся открыть файл " + path.toStdString() + ".");
}

// One file, however it is named: the canonical path of a file that
// exists, else the cleaned absolute path.
QString sameFileKey(const QString& path) {
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// The maps window that holds the file `path`, or nullptr.
QMdiSubWindow* windowOfFile(common::MainFrame& mainWindow, const QString& path) {
  const QString key = sameFileKey(path);
  for (QMdiSubWindow* sub : mainWindow.documentArea()->subWindowList())
    if (auto* maps = qobject_cast<MapsWindow*>(sub->widget()))
      if (!maps->document().fileName().isEmpty() && sameFileKey(maps->document().fileName()) == key) return sub;
  return nullptr;
}

std::filesystem::path journalIn(const common::DataRoot& root) { return AcceptJournal::pathIn(toPath(root.root())); }

}  // namespace

MapFileDialogs& mapFileDialogs() {
  static MapFileDialogs dialogs = standardDialogs();
  return dialogs;
}

QString mapsFileCaption(const QString& path) { return u("Карты раскроя: ") + QFileInfo(path).fileName(); }

// ---- Without dialogs ----

QString saveMapsTo(MapsDocument& document, const QString& path) {
  const MapColours before = document.colours();
  document.rereadColours();
  try {
    writeMapFile(toPath(path), mapFileData(document));
  } catch (const std::exception& e) {
    document.setColours(before);
    return QString::fromStdString(e.what());
  }
  document.setModified(false);
  document.setFileName(path);
  document.setCaption(mapsFileCaption(path));
  return {};
}

bool openMapsFrom(MapsDocument& document, const QString& path) {
  try {
    const std::string bytes = readAll(path);
    // Old text files are read key by key and recomputed: that can take a
    // while.
    std::optional<common::WaitScope> wait;
    if (!hasMapMagic(bytes)) wait.emplace();
    loadMapFileData(document, parseMapFile(bytes));
  } catch (const std::exception&) {
    document.clearMaps();
    document.usingSheets().clear();
    return false;
  }
  document.setFileName(path);
  document.setCaption(mapsFileCaption(path));
  document.setModified(false);
  return true;
}

bool exportMapsTo(const MapsDocument& document, const QString& path) {
  try {
    const MapsEnvironment& env = document.environment();
    writeMapExport(toPath(path), mapFileData(document),
                   [&env](std::int32_t code) { return env.materialName(code).toStdString(); });
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

// ---- Commands ----

bool saveMapsCommand(MapsWindow& window, const QString& mapsFolder) {
  MapsDocument& doc = window.document();
  const QString current = doc.fileName();
  const QString start = !current.isEmpty() && QFileInfo::exists(current) ? current : mapsFolder;
  const QString path = withSuffix(mapFileDialogs().save(&window, start), "map");
  if (path.isEmpty()) return false;
  const QString failure = saveMapsTo(doc, path);
  if (!failure.isEmpty()) {
    common::showError(failure, &window);
    return false;
  }
  window.setCaption(doc.caption());
  emit window.documentChanged();
  return true;
}

MapsWindow* openMapsCommand(common::MainFrame& mainWindow, const QString& mapsFolder) {
  const QString path = mapFileDialogs().open(&mainWindow, mapsFolder);
  if (path.isEmpty()) return nullptr;
  return openMapsFile(mainWindow, path);
}

void openCommandLineMaps(common::MainFrame& mainWindow, const QStringList& arguments) {
  for (const QString& arg : arguments) {
    if (!arg.endsWith(QStringLiteral(".map")) || !QFileInfo(arg).isFile()) continue;
    openMapsFile(mainWindow, arg);
  }
}

QString acceptedNoteOf(const MapsDocument& document, const std::filesystem::path& journal) {
  if (document.mapCount() == 0) return {};
  const std::optional<AcceptEntry> entry = AcceptJournal::latest(AcceptJournal(journal).read(), mapsDigest(document));
  return entry ? acceptTimeText(entry->when) : QString();
}

MapsWindow* openMapsFile(common::MainFrame& mainWindow, const QString& path) {
  // A file already open is not read into a second window: its window comes
  // forward.
  if (QMdiSubWindow* open = windowOfFile(mainWindow, path)) {
    if (open->isMinimized()) open->showNormal();
    mainWindow.documentArea()->setActiveSubWindow(open);
    return qobject_cast<MapsWindow*>(open->widget());
  }
  MapsWindow* window = openMapsWindow(mainWindow);
  if (!openMapsFrom(window->document(), path)) {
    // The new window goes without a question: it holds nothing.
    window->document().setModified(false);
    if (QMdiSubWindow* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget())) {
      frame->close();
      frame->deleteLater();
    } else {
      window->close();
      window->deleteLater();
    }
    common::showError(u("Ошибка открытия карт раскроя\rиз файла \"%1\".").arg(QFileInfo(path).absoluteFilePath()),
                      &mainWindow);
    return nullptr;
  }
  window->setCaption(window->document().caption());
  window->refreshFromDocument();
  window->setAcceptedNote(acceptedNoteOf(window->document(), journalIn(mainWindow.dataRoot())));
  return window;
}

void exportMapsCommand(MapsWindow& window, const QString& exportFolder) {
  const QString path = withSuffix(mapFileDialogs().exportIni(&window, exportFolder), "ini");
  if (path.isEmpty()) return;
  bool ok = false;
  {
    common::WaitScope wait;
    ok = exportMapsTo(window.document(), path);
  }
  if (!ok) common::showError(u("Ошибка экспорта данных!"), &window);
}

void installMapFileCommands(common::AppContext& context) {
  common::MainFrame* mainWindow = context.mainWindow();
  if (!mainWindow) return;
  const QString mapsFolder = context.root().folder(u("Maps"));
  const QString exportFolder = context.root().folder(u("Export"));
  ini::IniFile* settings = &context.settings().ini();

  MapsWindowCommands& commands = MapsWindow::commands();
  commands.save = [mapsFolder](MapsWindow& window) { return saveMapsCommand(window, mapsFolder); };
  commands.apply = [settings](MapsWindow& window) {
    warehouse::Warehouse* stock = warehouse::Warehouse::instance();
    if (!stock) {
      common::showError(u("Склад не открыт: принять раскрой невозможно."), &window);
      return false;
    }
    AcceptJournal journal(AcceptJournal::pathIn(stock->module().dataRoot()));
    ResultAcceptance acceptance(stock->module(), *settings, &journal);
    const QDateTime now = QDateTime::currentDateTime();
    const bool accepted = acceptResultCommand(window.document(), acceptance, &window, now);
    if (accepted) window.setAcceptedNote(acceptTimeText(now));
    // Names given to offcuts (or taken back) show on the maps.
    window.refreshMaps();
    return accepted;
  };

  attachMapsCommand(*mainWindow, u("cut.saveMaps"),
                    [mapsFolder](MapsWindow& window) { saveMapsCommand(window, mapsFolder); });
  attachMapsCommand(*mainWindow, u("cut.exportIni"),
                    [exportFolder](MapsWindow& window) { exportMapsCommand(window, exportFolder); });
  mainWindow->attachCommand(u("cut.openMaps"), [mainWindow, mapsFolder] { openMapsCommand(*mainWindow, mapsFolder); });
  // Maps files named on the command line open with the parts databases.
  QObject::connect(&context, &common::AppContext::mainWindowShown, mainWindow,
                   [mainWindow] { openCommandLineMaps(*mainWindow, mainWindow->startupFiles()); });
}

}  // namespace kroyna::maps
